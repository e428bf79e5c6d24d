#include "core/machine.h"
#include "core/guest_roms.h"

#include "core/frame.h"
#include "core/game_traps.h"
#include "core/gamesdb.h"
#include "core/hooks.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_view.h"
#include "core/text_screen.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "peripherals/device_link.h"
#include "core/held_things.h"
#include "peripherals/changed_media.h"
#include "peripherals/printer.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "core/user_prefs.h"
#include "peripherals/tape.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

u32 frame_period_us[2] = {16666, 20000};
i32 current_overlay;
i32 fire_button_assign[4] = {2, 1, 3, 0};
i32 controls_layout;
i32 line_clocks = 227;
u32 cycles_per_line_table[4] = {56, 57, 57, 57};
i32 overlay_mode;
u8 display_rotated;
u8 window_resize_pending;
i32 autofire_duty = 4, autofire_period = 16;

u32 frame_period_of_rate(double rate) {
    return rate > 0.0 ? static_cast<u32>(1000000.0 / rate) : 0;
}

const char* memmap_state_file_name(u32 map) {
    if (map >= MEMMAPS) return "";
    const auto name = machine_ops(static_cast<u32>(memmap_table[map].machine)).game_file_name;
    return name ? name(map) : "";
}

void machine_mark_comment_rows(i32 first, i32 last, bool on) {
    if (first < 0) return;
    for (i32 r = first; r <= last; r++) {
        const int a = addr_comment_address(r);
        if (a < 0 || a >= static_cast<int>(GUEST_MEMORY_SIZE)) continue;
        if (on)
            mem_attributes[a] |= MEM_COMMENT;
        else
            mem_attributes[a] &= ~MEM_COMMENT;
    }
}

void machine_setup_generic() {
    std::memset(guest_memory, 0, sizeof guest_memory);
    mem_reset_tables();
}

void video_set_line_length(int clocks) {
    // The remainder of clocks / 4 is spread over the four lines.
    static constexpr u32 extra[4][4] = {{0, 0, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 1}, {0, 1, 1, 1}};
    if (clocks < 0) clocks = 0;
    line_clocks = clocks;
    const u32 q = static_cast<u32>(clocks) / 4;
    for (int i = 0; i < 4; i++)
        cycles_per_line_table[i] = q + extra[clocks % 4][i];
}

void machine_controls_layout() {
    if (machine_view().controls_layout) controls_layout = machine_view().controls_layout();
}

// The generic memory map, then the machine's own.
static void machine_setup() {
    machine_setup_generic();
    if (machine_row().setup) machine_row().setup();
    machine_bus_install();
}

static void sound_register_written(u32) {
    core_hooks_run(CoreHook::sound_changed);
}

// The bus of the current machine: plain RAM with the framework's port
// dispatch and sound hook, the machine's own hooks, then the traps of the
// loaded game. The machine's hooks hand its devices their link; a machine
// without printer or papertape leaves none attached.
void machine_bus_install() {
    cpu_bus_reset();
    cpu_traps_clear();
    device_link = DEVICES_NONE;
    cpu_bus.port_read = io_read_port;
    cpu_bus.port_write = io_write_port;
    cpu_bus.sound_written = sound_register_written;
    if (const CpuDebugHooks* hooks = machine_debug().hooks) cpu_debug_hooks = hooks;
    if (machine_row().install_bus) machine_row().install_bus();
    game_traps_install(known_game_id);
}

void machine_adapt_opcode_tables() {
    cpu_apply_type_tables();
    ui_mark(UI_OPCODES);
}

// A standard the machine never runs in has no rate; it falls back to the
// nominal one so that a forced standard still paces sensibly.
double machine_frame_rate(int standard) {
    const double rate = machine_desc().refresh_rate[standard & 1];
    return exactspeed || rate <= 0.0 ? (standard & 1) == 0 ? 60.0 : 50.0 : rate;
}

void machine_compute_frame_periods() {
    for (int standard = 0; standard < 2; standard++)
        frame_period_us[standard] = frame_period_of_rate(machine_frame_rate(standard));
}

static bool switch_refused(int new_machine, int new_memmap) {
    if (new_machine < 0 || new_machine >= static_cast<int>(MACHINES)) {
        con_printf("Machine %d does not exist!\n", new_machine);
        return true;
    }
    if (new_memmap < 0 || new_memmap >= static_cast<int>(MEMMAPS)) {
        con_printf("Memory map %d does not exist!\n", new_memmap);
        return true;
    }
    if (memmap_is_empty(static_cast<u32>(new_memmap))) {
        con_printf("Memory map %d is empty and cannot be selected!\n", new_memmap);
        return true;
    }
    if (memmap_table[new_memmap].machine != new_machine) {
        con_printf("Memory map %d does not belong to machine %d!\n", new_memmap, new_machine);
        return true;
    }
    return false;
}

bool emu_set_memory_map(int new_machine, int new_memmap) {
    if (static_cast<u32>(new_memmap) == memmap) return true;
    if (emu_paused_mid_frame) return false;
    if (!machine_switch(new_machine, new_memmap, true, false, false)) return false;
    // The switch marked the title, the menus and the status; the toolbar's
    // toggles, the opcode labels and the tool windows follow too.
    ui_mark(UI_TOOLBAR | UI_OPCODES | UI_REOPEN_WINDOWS | UI_REFRESH_WINDOWS);
    return true;
}

bool paused_picture_pending;

static std::string switch_refusal;

std::string machine_take_switch_refusal() {
    std::string why;
    why.swap(switch_refusal);
    return why;
}

void machine_apply_rotation() {
    display_rotated = memmap_table[memmap].may_rotate && rotatescreen ? 1 : 0;
    core_hooks_run(CoreHook::picture_setup);
}

u32 machine_stretch_kind() {
    return machine_table[machine].default_stretch == 2 ? 2 : 1;
}

// The stretch of the machine just switched to: the user's choice for its
// kind (the keeper's), else its default. The own screen shows the default;
// the window's stretch, kept aside until the window comes back, follows the
// choice.
static void take_stretch() {
    const u32 kind = machine_stretch_kind();
    const u32 chosen = prefs_take_stretch(kind);
    const u32 stretch = chosen ? chosen : kind;
    if (display_mode == 1) {
        windowed_width = stretch;
        display_aspect = kind;
    } else {
        display_aspect = stretch;
    }
}

bool machine_switch(int new_machine, int new_memmap, bool new_game, bool force, bool keep_windows) {
    switch_refusal.clear();
    if (switch_refused(new_machine, new_memmap)) return false;
    // The disks and the MDCR tape leave with the machine and before a state,
    // never on a set-up of the machine that runs. A changed one is offered for saving
    // first, and kept (with the machine) when the user cancels or nobody can
    // be asked.
    const bool media_leave = media_leave_with(static_cast<u32>(new_machine));
    if (media_leave) switch_refusal = media_release_all();
    if (!switch_refusal.empty()) return false;
    // What the switch and the machine's set-up choose holds for this run.
    const PrefsForRun for_run;
    // A switch ends a netplay link as a disconnect does, on both sides: the
    // peer cannot follow it, and two guests that run different machines or
    // programs would wait for records or random bytes that never come.
    core_hooks_run(CoreHook::link_end);

    // The disks and the MDCR tape that stay behind go now, while their machine
    // still names and saves them.
    if (media_leave) media_leave_machine(static_cast<u32>(new_machine));
    if (known_game_id == 65535) known_game_id = -1;
    if (machine_row().leave) machine_row().leave();

    // The machine, or what runs on it, goes: its outputs in progress are
    // finished first, under the name of what ran.
    if (static_cast<u32>(new_memmap) != memmap || force || new_game)
        held_finish(HeldScope::machine);
    if (static_cast<u32>(new_memmap) != memmap || force) {
        core_hooks_run(CoreHook::sound_stop);
        core_hooks_run(CoreHook::machine_leave);
        overlay_mode = 0;
        const i32 old_width = machine_live_row().width;
        const i32 old_height = machine_live_row().height;
        const u32 old_aspect = display_aspect;
        // The new machine sets up from the user's settings (the video
        // standard too, where it keeps the chosen one), not the old one's.
        prefs_end_run();
        memmap = static_cast<u32>(new_memmap);
        machine = static_cast<u32>(new_machine);
        if (!machine_traits().keeps_region)
            emu_region = static_cast<u32>(machine_desc().default_region);
        take_stretch();
        core_hooks_run(CoreHook::geometry);
        if (machine_live_row().width != old_width || machine_live_row().height != old_height ||
            display_aspect != old_aspect)
            window_resize_pending = 1;
    }

    if (new_game || force) {
        filebuf_length = 0;
        known_game_id = -1;
        if (stubprograms && machine_row().stub_game >= 0) known_game_id = machine_row().stub_game;
        game_apply_settings();
        game_info_text();
    }

    core_hooks_run(CoreHook::picture_clear);
    if (emu_paused) paused_picture_pending = true;
    raster_line = 0; // not the last line of the machine before, which messages would name
    std::memset(port_usage, 0, sizeof port_usage);
    mem_clear_access();
    mem_restored_from_state = 0;

    draw_mode = 0; // the overlays are the machine's own
    if (const auto changed = machine_debug().draw_mode_changed) changed();
    display_screen_edit_clamp();
    machine_apply_rotation();
    music_restore_default_notes();

    if (ui_host.main_window_open() && !keep_windows) {
        // The open tool windows close now and open again built for the new machine.
        ui_mark(UI_TOOL_WINDOWS | UI_REOPEN_WINDOWS);
        if (window_resize_pending) {
            window_resize_pending = 0;
            ui_mark(UI_SCALE);
        }
    }

    machine_setup();
    machine_adapt_opcode_tables();
    machine_controls_layout();
    machine_compute_frame_periods();

    if (new_game) {
        const char* name = memmap_state_file_name(memmap);
        std::snprintf(game_file_name, FILE_NAME_SIZE, "%s", name);
        std::size_t len = std::strlen(games_path);
        const char* sep =
            (len && games_path[len - 1] != '/' && games_path[len - 1] != ':') ? "/" : "";
        // A machine without a state file of its own, or whose path does not
        // fit, names no file (Revert has nothing to load then).
        if (!name[0] ||
            std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s%s%s", games_path, sep, name) >=
                static_cast<int>(FILE_NAME_SIZE))
            file_name_buffer[0] = 0;
        file_name_running(file_name_buffer, false);
    }

    ui_mark(UI_TITLE | UI_MENUS | UI_TOOLBAR | UI_STATUS | UI_POINTER | UI_GUEST_FOCUS);
    games_find_loaded();
    std::memset(vdu_text, vdu_blank_char, sizeof vdu_text);
    core_hooks_run(CoreHook::palette);
    lamp_latch = 0;

    if (new_game || force) machine_reset();

    core_hooks_run(CoreHook::picture_reset);
    game_info_text();
    printer_setup_geometry();
    core_hooks_run(CoreHook::sound_start);
    guest_roms_report();
    return true;
}

static void apply_row_before_switch(const KnownGame& row) {
    const MachineOps& ops = machine_ops(row.machine);
    if (ops.apply_row_before) ops.apply_row_before(row);
}

static void apply_row_after_switch(const KnownGame& row) {
    const MachineOps& ops = machine_ops(row.machine);
    if (ops.apply_row_after) ops.apply_row_after(row);
}

// A row whose memory map is empty or belongs to another machine cannot be applied.
static bool row_usable(const KnownGame& row) {
    return !memmap_is_empty(row.memmap) && memmap_table[row.memmap].machine == row.machine;
}

void game_apply_row(const KnownGame& row) {
    const u32 m = row.machine;
    const MachineTraits& traits = machine_table[m].traits;
    if (const auto paddles = machine_ops(m).paddle_range) paddles(known_game_id);
    dbg_pixels_per_clock = static_cast<u32>(machine_table[m].pixels_per_clock);

    // The user's paddle settings, unless the machine's set-up or the row
    // brings its own for this run.
    prefs_restore_paddles();
    // The row sets up another map: what the one before left goes first.
    if (row.memmap != memmap) prefs_end_run();
    apply_row_before_switch(row);
    machine_switch(row.machine, row.memmap, false, false, false);
    apply_row_after_switch(row);

    if (row.analog) analog = 1;
    if (row_sets_sensitivity(row)) sensitivity_left = sensitivity_right = row.sensitivity;
    if (!traits.keeps_swap && row.swapped) swapped = row.swapped;
    for (int i = 0; i < 4; i++)
        fire_button_assign[i] = row.fire_assign[i];
    autofire_duty = row.autofire_duty;
    autofire_period = row.autofire_period;
    for (int p = 0; p < 2; p++) {
        for (int i = 0; i < 6; i++)
            key_remap_six[p][i] = row.key_remap[p * 10 + i];
        for (int i = 0; i < 4; i++)
            key_remap_four[p][i] = row.key_remap[p * 10 + 6 + i];
    }

    machine_mark_comment_rows(row.comment_first, row.comment_last, true);
    current_overlay = row.overlay;
    video_set_line_length(traits.console_raster && row.line_length ? row.line_length : 227);
}

// Whether game_apply_settings applies row `row`: a known game whose map can be set up.
static bool row_applies(i32 row) {
    return row >= 0 && row < KNOWN_GAMES && row_usable(known_games_db[row]);
}

u32 game_settings_machine(i32 row) {
    return row_applies(row) ? known_games_db[row].machine : machine;
}

void game_apply_settings() {
    if (row_applies(known_game_id)) {
        game_apply_row(known_games_db[known_game_id]);
        return;
    }
    const u32 m = machine;
    if (const auto paddles = machine_row().paddle_range) paddles(-1);
    dbg_pixels_per_clock = static_cast<u32>(machine_desc().pixels_per_clock);

    autofire_duty = 4;
    autofire_period = 16;
    if (machine_traits().line_clocks > 0) video_set_line_length(machine_traits().line_clocks);
    std::memset(key_remap_six, 0, sizeof key_remap_six);
    std::memset(key_remap_four, 0, sizeof key_remap_four);
    static constexpr i32 default_fire[4] = {2, 1, 3, 0};
    std::memcpy(fire_button_assign, default_fire, sizeof fire_button_assign);
    prefs_restore_paddles();
    machine_notice_all(&MachineOps::unknown_game);
    // Where the memory map is the game, the game stays.
    const int map =
        machine_traits().maps_are_games ? static_cast<int>(memmap) : machine_desc().default_memmap;
    machine_switch(static_cast<int>(m), map, false, false, false);
    current_overlay = memmap_table[memmap].default_overlay;
}

// Set while a reset that keeps a netplay link runs: the one both linked sides
// make at the same frame, and the console's reset key on the Guest Controls
// picture (the machines that have one exchange nothing but their frame
// records, so the link keeps its step).
static bool reset_keeps_link;

void machine_reset() {
    // A reset of this side alone (a load, a set-up again) ends a netplay link.
    if (!reset_keeps_link) core_hooks_run(CoreHook::link_end);
    core_hooks_run(CoreHook::machine_reset);
    machine_notice_all(&MachineOps::any_reset);
    dbg_clear_run_targets();
    mem_clear_access();
    mem_restored_from_state = 0;
    for (PortRecord& p : port_records)
        p.last_value = 0;

    cpu_reset();
    tape_restart_clock();

    frame_counter = 0;
    term_reset_states();

    if (machine_row().reset) machine_row().reset();

    cpu_prev_iar = cpu_iar;
    ui_mark(UI_REFRESH_WINDOWS);
    emu_restart_timing();
}

void emu_reset_request(bool keep_link) {
    if (!keep_link) {
        core_hooks_run(CoreHook::link_end);
        ui_mark(UI_MENUS); // the netplay items
    }
    rec_stop_all();
    reset_keeps_link = keep_link;
    machine_reset();
    reset_keeps_link = false;
}

i32 emu_budget_add(i32 budget, std::int64_t clocks) {
    const std::int64_t sum = static_cast<std::int64_t>(budget) + clocks;
    if (sum > INT32_MAX) return INT32_MAX;
    if (sum < INT32_MIN) return INT32_MIN;
    return static_cast<i32>(sum);
}

// Fractions of a clock period per frame, carried to the next frame.
static double frame_fraction;

// The frame of a machine whose row has no frame of its own: one frame's clock
// periods of the processor, then the end of frame.
static void run_processor_frame() {
    in_frame = 1;
    double clocks = machine_live_row().clocks_per_frame + frame_fraction;
    const std::int64_t whole =
        clocks >= 2147483647.0 ? 2147483647 : static_cast<std::int64_t>(clocks);
    frame_fraction = clocks - static_cast<double>(whole);
    if (whole > 0) {
        cpu_cycle_budget = emu_budget_add(cpu_cycle_budget, whole);
        cpu_run_cycles();
    }
    emu_end_of_frame();
}

void emu_run_frame() {
    // A playback sets the switches it recorded for its run.
    const PrefsForRun played(rec_state == REC_PLAYBACK);
    if (machine_row().run_frame)
        machine_row().run_frame();
    else
        run_processor_frame();
}

bool emu_previewing;

bool emu_draw_standing_picture() {
    if (in_frame || emu_paused_mid_frame) return false;
    MachineCopy copy;
    if (!state_take_copy(&copy)) return false;
    const u32 counter = frame_counter, cursor = filebuf_cursor;
    const i32 skip = frame_skip;
    const double fraction = frame_fraction;
    std::FILE* const recording = rec_file;
    const CpuHost host = cpu_host;
    rec_file = nullptr;       // a recording takes none of its inputs
    cpu_host.pause = nullptr; // a breakpoint reached in it stops nothing
    cpu_host.paused = nullptr;
    frame_skip = 1; // the frame draws whatever the skipping
    emu_previewing = true;
    emu_run_frame();
    emu_previewing = false;
    core_hooks_run(CoreHook::picture_keep);
    pause_pending = 0;
    frame_skip = skip;
    cpu_host = host;
    rec_file = recording;
    filebuf_cursor = cursor; // a playback reads the frame's inputs again
    frame_fraction = fraction;
    frame_counter = counter;
    state_put_back(copy);
    state_settle();
    core_hooks_run(CoreHook::picture_restore);
    paused_picture_pending = false;
    return true;
}

bool machine_handle_host_key(u32 code, bool ctrl) {
    if (!screen_edit_mode || emu_paused || ctrl) return false;
    const auto key = machine_debug().edit_key;
    return key && key(code);
}
