// The catalog file: whatever overrides it accepts are printed with the
// arguments of the English text, so a translation that asks for other
// arguments shows up as a crash or a sanitizer report.
#include "platform/catalog.h"
#include "platform/catalog_file.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    const std::string path = fuzz_write_file("input.catalog", data, size);
    setenv("BRINDLEMOX_CATALOG", path.c_str(), 1);
    cat_reload();
    static const char* const english[] = {"Corrupt %s file!", "%d of %d",   "Level %u at $%04X",
                                          "No arguments",     "%c%s %ld%%", "%-10s|%5.2f"};
    char out[2048];
    for (int number = 0; number < 1024; number++) {
        const char* text = cat_str(number, english[number % 6]);
        switch (number % 6) {
        case 0:
            std::snprintf(out, sizeof out, text, "ZIP");
            break;
        case 1:
            std::snprintf(out, sizeof out, text, 3, 4);
            break;
        case 2:
            std::snprintf(out, sizeof out, text, 7u, 0x1234u);
            break;
        case 3:
            std::snprintf(out, sizeof out, "%s", text);
            break;
        case 4:
            std::snprintf(out, sizeof out, text, 'x', "y", 5L);
            break;
        default:
            std::snprintf(out, sizeof out, text, "z", 1.5);
            break;
        }
    }
    unsetenv("BRINDLEMOX_CATALOG");
    cat_reload();
    return 0;
}
