// Shared set-up of the fuzz targets: each target is one LLVMFuzzerTestOneInput
// that calls fuzz_reset() first, then hands the input to one reader.
//
// The same targets build twice: under libFuzzer (BRINDLEMOX_FUZZ=ON with clang)
// and, with any compiler, as a replay program (replay_main.cpp) that runs the
// generated seeds and the kept regression inputs as a test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Before every input: a scratch program home of this process (made on the
// first call, also the runtime folder), the program's start-up reset, the
// default machine, no windows, requesters or file buffer, and every message
// swallowed. The processor's debugger host is the batch job's (a pause waits
// for nobody), the debugger's shell and editor start nothing, and the exit
// path ends by throwing FuzzExit instead of ending the process.
void fuzz_reset();

// What the exit path throws once it has run (QUIT, SYS, a fatal error).
struct FuzzExit {
    int code;
};

// Whether the input names no host path ('/'): the commands that write files
// take it only then, so that what they write stays in the scratch home.
bool fuzz_names_no_path(const std::uint8_t* data, std::size_t size);

// Back to the working folder the process started in: libFuzzer and the replay
// name their files relative to it, while the program enters its home (and the
// projects drawer) as it works. Targets that reach such a path call it last.
void fuzz_restore_folder();

// Writes `size` bytes into the scratch home as `name`; returns the host path.
std::string fuzz_write_file(const char* name, const std::uint8_t* data, std::size_t size);

// The scratch home's host path.
const std::string& fuzz_home();

// The input as bytes read from the front: a byte (0 when used up), and the rest.
struct FuzzInput {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t take() {
        if (!size) return 0;
        size--;
        return *data++;
    }
};
