// Test support: puts the whole program's global state back to how it is at
// start-up, so that every test starts clean whatever ran before it, and the
// small helpers many tests share: program homes, file contents, the exit seam.
//
//   void SetUp() override { fresh_state(); /* test-specific set-up */ }
//
// fresh_state() returns to the working folder, runtime folder and catalog file
// the tests started with, and points the program home at a scratch folder of
// this process; TempHome gives a test a program home of its own.
#pragma once

#include "cpu/cpu.h"

#include <filesystem>
#include <string>

// Working and runtime folders, catalog, headless windows, images and tool-window handlers, the
// interface's services, fake clock, main-loop hooks and the start-up assembler back to their
// start-up values; then
// emu_reset_all (the program's own start-up reset); the default machine (Arcadia, map 6) with no
// game and nothing marked for the interface; what outlives a machine switch and reset
// (terminal cursor, LED digits, light guns, Type-right lesson...) as at start-up; then fresh_cpu.
void fresh_state();

// The processor part alone, for `machine` and `memmap` as given (without
// switching machines): the 2650 with its own opcode tables, zeroed memory and
// registers, the memory side tables of that map, debugger hooks, watches,
// breakpoints, run targets and disassembler state.
void fresh_cpu(u32 machine, u32 memmap);

// The settings as the program starts with them (taken before any test runs).
const std::string& fresh_settings_defaults();

// A program home of its own for the running test: a new folder named after
// `tag` and the test (a short unique name where that would leave no room for
// a scripting port's socket in it), set as BRINDLEMOX_HOME; removed (and the
// scratch home set again) when it goes.
class TempHome {
  public:
    explicit TempHome(const char* tag);
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Whether a scripting port's socket fits under runtime folder `runtime`
// (a Unix socket's path is short); TempHome makes homes for which it does.
bool test_socket_path_fits(const std::filesystem::path& runtime);

// Every byte of guest memory holds `value`.
bool guest_memory_all(u8 value);

// The whole of a file ("" when it cannot be read).
std::string test_read_file(const std::filesystem::path& path);
// Writes `text` to a file, creating its folder first.
void test_write_file(const std::filesystem::path& path, const std::string& text);

// Thrown by throw_exit, which tests that run the exit path set as
// app_exit_process: the process's exit code.
struct Exited {
    int code;
};
[[noreturn]] void throw_exit(int code);
