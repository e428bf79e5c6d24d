#include "inspect/glyph_model.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"
#include "tests/support/fresh_state.h"
#include "core/user_prefs.h"
#include "core/message_date.h"
#include "peripherals/mdcr.h"
#include "peripherals/tape.h"

#include "record/recorder.h"
#include "tests/support/quiet_output.h"
#include "platform/rexx_port.h"

#include "computers/terminal.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/hiscore.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "core/ui_host.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "debugger/labels.h"
#include "input/collision_feedback.h"
#include "input/netplay.h"
#include "gui/update_check.h"
#include "debugger/symbols_seam.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "machines/arcadia_editor.h"
#include "machines/pong.h"
#include "machines/typeright.h"
#include "peripherals/lab.h"
#include "peripherals/papertape.h"
#include "peripherals/printer.h"
#include "platform/catalog_file.h"
#include "platform/headless/fake_clock.h"
#include "gui/requesters.h"
#include "platform/headless/gui_headless.h"
#include "platform/rexx_script.h"
#include "sound/voice_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Taken during static initialisation, before any test has changed a setting;
// the registries are filled first, as the program's start-up does.
const std::string g_settings_defaults = [] {
    app_install_hooks();
    return ini_default_text();
}();

// The working folder the tests started in (the program enters other folders).
const fs::path g_start_dir = fs::current_path();

// The runtime folder the tests started with (tests point it elsewhere).
const char* const g_start_runtime = std::getenv("XDG_RUNTIME_DIR");
const std::string g_start_runtime_dir = g_start_runtime ? g_start_runtime : "";

// The catalog file the tests started with (catalog tests name their own).
const char* const g_start_catalog = std::getenv("BRINDLEMOX_CATALOG");
const std::string g_start_catalog_file = g_start_catalog ? g_start_catalog : "";

// One program home for the whole process, removed when it ends.
const fs::path& scratch_home() {
    static const fs::path home = [] {
        fs::path p = fs::temp_directory_path() / ("brindlemox-tests-" + std::to_string(getpid()));
        fs::remove_all(p);
        fs::create_directories(p);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(
                fs::temp_directory_path() / ("brindlemox-tests-" + std::to_string(getpid())), ec);
        });
        return p;
    }();
    return home;
}

} // namespace

const std::string& fresh_settings_defaults() {
    return g_settings_defaults;
}

void fresh_state() {
    // A script a test started ends with the test, and what it wrote is not
    // left for the next test's console.
    rexx_script_halt();
    if (!rexx_script_wait(10000))
        ADD_FAILURE() << "a script still runs 10 s after it was told to stop";
    rexx_script_stage_hook = nullptr;
    for (std::string left; rexx_script_take_output(&left);) {
    }
    std::error_code ec;
    fs::current_path(g_start_dir, ec);
    setenv("BRINDLEMOX_HOME", scratch_home().c_str(), 1);
    if (g_start_runtime)
        setenv("XDG_RUNTIME_DIR", g_start_runtime_dir.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
    if (g_start_catalog)
        setenv("BRINDLEMOX_CATALOG", g_start_catalog_file.c_str(), 1);
    else
        unsetenv("BRINDLEMOX_CATALOG");

    // Interface and host layer: the dialogs a test left open closed as the
    // way out closes them (each forgets its window, so the next test can open
    // it again), the headless windows closed (the debugger line, which a
    // reopened main window shows again, empty), with the interface's services
    // installed as the program's main() installs them.
    gui_dialogs_close_all();
    // Shown first: a main window the test left minimised would open so again.
    if (main_window) gui_window_minimise(main_window, false);
    gui_close_main_window();
    dbg_line[0] = '\0';
    gui_free_images();
    gui_headless_reset();
    gui_tool_windows_reset();
    // The sprite editor's glyph and what it showed, as at start.
    sprite_current = 2;
    sprite_colour = sprite_prev_colour = 0;
    std::memset(sprite_row_cache, 0, sizeof sprite_row_cache);
    // The Arcadia screen editor's pen colour, as at start.
    arcadia_pen = 0;
    gui_dialogs_reset();
    gui_modal_reset();
    net_reset();
    ui_host_defaults();
    gui_install_ui_host();
    update_server_reset();
    fake_clock_remove();
    date_month_first = false;
    app_loop_reset();
    asm_assemble_startup = asm_assemble_batch;

    // Catalog strings, then everything the program resets as it starts; the
    // default machine.
    cat_reload();
    recorders_reset();
    tape_reset();
    mdcr_reset();
    emu_reset_all();
    quiet_output_rearm(); // the reset left only the console
    machine_switch(ARCADIA, 6, true, true, false);
    ui_changes_reset();
    // The tone reference follows the reset's settings (the status-bar pass
    // chooses it in a running program).
    snd_choose_tone_reference();
    // What outlives a machine switch and reset and shows in save states or
    // the picture: the terminal cursor, the papertape units, the LED digits,
    // the loaded image's size, the program copy, the light guns, the
    // Type-right's lesson, game and indicators, the laboratory instruments.
    vdu_cursor_col = vdu_cursor_row = 0;
    papertape_reset();
    printer_kept_clear();
    lab_reset();
    std::memset(led_digits, 0, sizeof led_digits);
    loaded_image_size = 0;
    tvc_copy_length = 0;
    for (int p = 0; p < 2; p++)
        pong_pointer_x[p] = pong_pointer_y[p] = 0;
    typeright_lesson = typeright_level = typeright_round = typeright_game = 1;
    typeright_lives = 3;
    typeright_text_pos = typeright_column = typeright_word_len = 0;
    typeright_wpm = typeright_accuracy = 0;
    std::memset(typeright_indicators, 0, sizeof typeright_indicators);
    collision_feedback = {};

    floppy_reset();
    fdc = Fd1771{};
    fd1771_reset();
    fresh_cpu(ARCADIA, 6);
    // The settings a test sets before its first switch are the user's own.
    prefs_reset();
}

void fresh_cpu(u32 m, u32 map) {
    cpu_bus_reset();
    machine = m;
    memmap = map;
    cpu_type = CPU_2650;
    cpu_reset_op_tables();
    std::memset(guest_memory, 0, sizeof guest_memory);
    mem_reset_tables();
    machine_bus_install();
    cpu_reset();
    cpu_prev_iar = 0;
    dbg_hooks_reset();
    dbg_conditions_reset();
    dbg_clear_run_targets();
    dis_reset();
    dbg_install_cpu_host(gui_main_window_events);
    labels_reset();
}

TempHome::TempHome(const char* tag) {
    // A parameterised test's name holds a '/': one folder per test, not a
    // parent left behind with the instance's folder inside.
    std::string test = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(test.begin(), test.end(), '/', '_');
    path_ = fs::temp_directory_path() /
            (std::string("brindlemox-") + tag + "-" + std::to_string(getpid()) + "-" + test);
    if (test_socket_path_fits(path_)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    } else {
        // The home also holds the scripting port's socket, whose whole path a
        // Unix socket limits: a deep temporary folder and a long test name
        // leave too little room, so this home gets a short name of its own.
        std::string pattern = (fs::temp_directory_path() / "bmx-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        else fs::create_directories(path_); // the port's test says why it cannot open
    }
    setenv("BRINDLEMOX_HOME", path_.c_str(), 1);
}

bool test_socket_path_fits(const fs::path& runtime) {
    // Room for the port's folder and a name as long as "BRINDLEMOX.99" and more.
    return (runtime / "brindlemox" / std::string(16, 'N')).string().size() <= REXX_SOCKET_PATH_MAX;
}

TempHome::~TempHome() {
    setenv("BRINDLEMOX_HOME", scratch_home().c_str(), 1);
    std::error_code ec;
    fs::remove_all(path_, ec);
}

bool guest_memory_all(u8 value) {
    return std::all_of(std::begin(guest_memory), std::end(guest_memory),
                       [value](u8 b) { return b == value; });
}

std::string test_read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void test_write_file(const fs::path& path, const std::string& text) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void throw_exit(int code) {
    throw Exited{code};
}
