// Replays the inputs of one fuzz target without libFuzzer: every file under
// the folders named on the command line goes through LLVMFuzzerTestOneInput
// once. The first folder (the generated seeds) must exist, later ones (kept
// regression inputs) may be absent; nothing replayed is a failure, so a seed
// generator that stopped writing cannot pass unnoticed. So is a target that
// leaves another working folder than it found: libFuzzer writes its corpus
// and findings by names relative to it.
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; i++) {
        std::error_code ec;
        if (!fs::is_directory(argv[i], ec)) {
            if (i > 1) continue;
            std::fprintf(stderr, "replay: no folder %s\n", argv[i]);
            return 2;
        }
        for (const auto& entry : fs::recursive_directory_iterator(argv[i], ec))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                inputs.push_back(entry.path());
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    const fs::path folder = fs::current_path();
    for (const fs::path& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        // A block of exactly the input's size, so a read past its end shows under the sanitizers.
        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size() + !bytes.size()]);
        std::memcpy(exact.get(), bytes.data(), bytes.size());
        LLVMFuzzerTestOneInput(exact.get(), bytes.size());
        if (fs::current_path() != folder) {
            std::fprintf(stderr, "replay: %s left the working folder at %s\n", p.c_str(),
                         fs::current_path().c_str());
            return 1;
        }
    }
    std::printf("replay: %zu inputs\n", inputs.size());
    return 0;
}
