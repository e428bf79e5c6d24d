// A request line of the scripting port, as a client could send any bytes:
// split into words and parsed against the row of its command word.
#include "commands/arexx.h"
#include "app/cmdline.h"
#include "tests/fuzz/fuzz_support.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> words, rests;
    std::string why;
    if (cmdline_split_line(line.c_str(), words, rests, &why) && words.size() != rests.size())
        __builtin_trap();
    ArexxCall call;
    if (arexx_parse(line.c_str(), &call, &why)) {
        if (!call.row || (call.row->tmpl == nullptr) != call.args.empty()) __builtin_trap();
    } else if (why.empty() || why.back() != '\n') {
        __builtin_trap(); // every refusal is a reply text
    }
    return 0;
}
