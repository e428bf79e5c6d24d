#include "debugger/screen_asm.h"

#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/message.h"
#include "core/own_outputs.h"
#include "core/recording.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "debugger/disasm_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

std::string file_save_screen_asm() {
    char file[FILE_NAME_SIZE] = {};
    if (file_loaded && game_file_name[0])
        std::snprintf(file, sizeof file, "%s", own_output_name(game_file_name, ".asm").c_str());
    char chosen[FILE_NAME_SIZE];
    if (ui_host.save_request(file_kinds[KIND_ASM].save_title, file_kinds[KIND_ASM].pattern,
                             projects_path, file, file_extension_adder(".asm"), chosen) != 0)
        return "";
    std::string path = chosen;
    if (!std::strchr(chosen, '/')) {
        path = projects_path;
        if (!path.empty() && path.back() != '/') path += '/';
        path += chosen;
    }

    // Every message while the source is written goes into it too.
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* source = open_memstream(&text, &size);
    if (!source) {
        ui_beep();
        return "out of memory";
    }
    std::FILE* previous = asm_output_file;
    asm_output_file = source;
    // The user's labels stay out: the source names labels of its own (BOOT,
    // FIRST, GRID...) that an earlier assembly may have left defined.
    dis_write_equates("EQU", false);
    con_printf("\n");
    if (const auto screen = machine_debug().screen_source) screen();
    con_printf("\n        END\n");
    asm_output_file = previous;
    const bool closed = std::fclose(source) == 0;
    std::string why = "out of memory";
    const bool written = closed && file_write_replace(path, text, size, &why);
    std::free(text);
    if (!written) {
        // The beep, and which file was not written and why.
        ui_beep();
        ui_warning(file_failure_text("Can't write to", path, why).c_str());
        return why;
    }
    file_write_icon(KIND_ASM, path.c_str());
    return "";
}
