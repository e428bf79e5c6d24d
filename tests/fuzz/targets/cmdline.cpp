// The command line: arguments split at NUL bytes, parsed against the program's
// template and a few others, then taken as the program takes them.
#include "app/cmdline.h"
#include "tests/fuzz/fuzz_support.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    std::vector<std::string> words{"brindlemox"};
    std::string word;
    for (std::size_t i = 0; i < size && words.size() < 64; i++) {
        if (data[i]) {
            word += static_cast<char>(data[i]);
        } else {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words)
        argv.push_back(w.c_str());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    static const char* const templates[] = {cmdline_template, "FILE/A,COUNT/K/N,QUIET/S",
                                            "FROM=SOURCE,TO/K,ALL/S,DEPTH=D/K/N/A", ""};
    for (const char* tmpl : templates) {
        std::vector<CmdArg> out;
        std::string why;
        cmdline_parse(tmpl, argc, argv.data(), out, &why);
    }
    cmdline_take(argc, argv.data());
    return 0;
}
