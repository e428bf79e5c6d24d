#include "tests/fuzz/fuzz_support.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/recording.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "core/ui_host.h"
#include "cpu/debug_state.h"
#include "debugger/commands.h"
#include "debugger/debugger.h"
#include "gui/main_window.h"
#include "gui/ui_pass.h"
#include "platform/catalog_file.h"
#include "platform/headless/gui_headless.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void swallow(const char*) {}
void start_nothing(const char*) {}
bool edit_nothing(char* const*) {
    return true;
}
void exit_by_throwing(int code) {
    throw FuzzExit{code};
}

const fs::path start_folder = fs::current_path();

} // namespace

void fuzz_restore_folder() {
    std::error_code ec;
    fs::current_path(start_folder, ec);
}

const std::string& fuzz_home() {
    static const std::string home = [] {
        fs::path p = fs::temp_directory_path() / ("brindlemox-fuzz-" + std::to_string(getpid()));
        std::error_code ec;
        fs::remove_all(p, ec);
        fs::create_directories(p / "Configs", ec);
        std::atexit([] {
            std::error_code e;
            fs::remove_all(
                fs::temp_directory_path() / ("brindlemox-fuzz-" + std::to_string(getpid())), e);
        });
        setenv("BRINDLEMOX_HOME", p.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", p.c_str(), 1);
        unsetenv("BRINDLEMOX_CATALOG");
        ui_host_defaults();
        gui_install_ui_host();
        return p.string();
    }();
    return home;
}

void fuzz_reset() {
    fuzz_home();
    // The working folder stays: libFuzzer reads its corpus by relative names.
    gui_close_main_window();
    gui_headless_reset();
    emu_reset_all(); // also frees the file buffer, resets the message channel and the exit path
    app_exit_process = exit_by_throwing;
    dbg_conditions_reset(); // no trace, break- or watchpoint of the input before
    dbg_install_cpu_host(nullptr); // as a batch job: a pause waits for nobody
    dbg_shell_start = start_nothing;
    dbg_editor_start = edit_nothing;
    con_push_sink(swallow);
    machine_switch(ARCADIA, 6, true, true, false);
}

bool fuzz_names_no_path(const std::uint8_t* data, std::size_t size) {
    return std::memchr(data, '/', size) == nullptr;
}

std::string fuzz_write_file(const char* name, const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz_home() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}
