#include "core/machine.h"

#include "computers/binbug.h"
#include "computers/cd2650.h"
#include "computers/instructor.h"
#include "computers/phunsy.h"
#include "computers/pipbug.h"
#include "computers/selbst.h"
#include "computers/twin.h"
#include "core/frame.h"
#include "core/game_traps.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "core/mainloop.h"
#include "core/message.h"
#include "core/message_seams.h"
#include "core/recording.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/seams_exec.h"
#include "debugger/debugger.h"
#include "gui/main_window.h"
#include "machines/arcadia.h"
#include "machines/coinop.h"
#include "machines/no_processor.h"
#include "machines/pvi_consoles.h"

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
u8 paddle_positions[6];
i32 autofire_duty = 4, autofire_period = 16;

// Games the "stubprograms" option starts on a fresh Arcadia and Interton.
static constexpr i32 STUB_GAME_ARCADIA = 118, STUB_GAME_INTERTON = 132;

u32 frame_period_of_rate(double rate) {
    return rate > 0.0 ? static_cast<u32>(1000000.0 / rate) : 0;
}

const char* memmap_state_file_name(u32 map) {
    switch (map) {
    case 22:
        return "AstroWars.cos";
    case 23:
        return "Galaxia.cos";
    case 24:
        return "LaserBattle.cos";
    case 25:
        return "Lazarian.cos";
    case 26:
        return "Malzak1.cos";
    case 27:
        return "Malzak2.cos";
    case 28:
        return pong_machine ? "AY-3-8550.cos" : "AY-3-8500.cos";
    case 29:
        return "AY-3-8600.cos";
    case 30:
        return "Type-right.cos";
    default:
        return "";
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

void gui_controls_size() {
    switch (machine) {
    case ARCADIA:
        controls_layout = viewctrlsas_arcadia + (bigcontrols_arcadia ? 3 : 0);
        break;
    case INTERTON:
        controls_layout = bigcontrols_interton ? 17 : 16;
        break;
    case ELEKTOR:
        controls_layout = bigcontrols_elektor ? 27 : 18;
        break;
    case PIPBUG:
        controls_layout = pipbug_vdu == 3 ? 29 : pipbug_vdu == 5 ? 28 : 12;
        break;
    case INSTRUCTOR:
        controls_layout = bigcontrols_si50 ? 11 : 10;
        break;
    case PONG:
        controls_layout = memmap == 28 ? 6 + viewctrlsas_8550 : 8 + viewctrlsas_8600;
        break;
    case MIKIT:
        controls_layout = bigcontrols_mikit ? 15 : 14;
        break;
    default:
        break; // set by the machine's own set-up
    }
}

// The machine's own memory-map set-up.
static void machine_setup() {
    switch (machine) {
    case ARCADIA:
        arcadia_setup();
        break;
    case INTERTON:
        interton_setup();
        break;
    case ELEKTOR:
        elektor_setup();
        break;
    case PIPBUG:
        pipbug_setup();
        break;
    case BINBUG:
        binbug_setup();
        break;
    case INSTRUCTOR:
        instructor_setup();
        break;
    case TWIN:
        twin_setup();
        break;
    case CD2650:
        cd2650_setup();
        break;
    case ZACCARIA:
        if (memmap == 22)
            zaccaria_setup_astro_wars();
        else if (memmap == 23)
            zaccaria_setup_galaxia();
        else if (memmap == 24 || memmap == 25)
            zaccaria_setup_laser_battle();
        break;
    case MALZAK:
        malzak_setup();
        break;
    case PHUNSY:
        phunsy_machine_init();
        break;
    case PONG:
        pong_machine_init();
        break;
    case SELBST:
        selbst_machine_init();
        break;
    case MIKIT:
        mikit_machine_init();
        break;
    case TYPERIGHT:
        typeright_machine_init();
        break;
    default:
        break;
    }
    machine_bus_install();
}

static void sound_register_written(u32) {
    snd_update_voices(0);
}

void machine_bus_install() {
    cpu_bus_reset();
    cpu_traps_clear();
    cpu_bus.port_read = io_read_port;
    cpu_bus.port_write = io_write_port;
    cpu_bus.sound_written = sound_register_written;
    switch (machine) {
    case ARCADIA:
        arcadia_bus_install();
        break;
    case INTERTON:
        interton_bus_install();
        break;
    case ELEKTOR:
        elektor_bus_install();
        break;
    case PIPBUG:
        pipbug_bus_install();
        break;
    case BINBUG:
        binbug_bus_install();
        break;
    case INSTRUCTOR:
        instructor_bus_install();
        break;
    case TWIN:
        twin_bus_install();
        break;
    case CD2650:
        cd2650_bus_install();
        break;
    case ZACCARIA:
        zaccaria_bus_install();
        break;
    case MALZAK:
        malzak_bus_install();
        break;
    case PHUNSY:
        phunsy_bus_install();
        break;
    case PONG:
        pong_bus_install();
        break;
    case SELBST:
        selbst_bus_install();
        break;
    case MIKIT:
        mikit_bus_install();
        break;
    case TYPERIGHT:
        typeright_bus_install();
        break;
    default:
        break;
    }
    game_traps_install(known_game_id);
}

// A standard the machine never runs in has no rate; its period falls back to
// the nominal one so that a forced standard still paces sensibly.
static void compute_frame_periods() {
    for (int standard = 0; standard < 2; standard++) {
        double rate = machine_table[machine].refresh_rate[standard];
        if (exactspeed || rate <= 0.0) rate = standard == 0 ? 60.0 : 50.0;
        frame_period_us[standard] = frame_period_of_rate(rate);
    }
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

bool machine_switch(int new_machine, int new_memmap, bool new_game, bool force, bool keep_windows) {
    if (switch_refused(new_machine, new_memmap)) return false;

    if (known_game_id == 65535) known_game_id = -1;
    malzak_save_nvram();

    if (static_cast<u32>(new_memmap) != memmap || force) {
        rec_stop_all();
        snd_close(0);
        host_rumble_stop_all();
        printer_flush(0);
        printer_flush(1);
        overlay_mode = 0;
        const i32 old_width = machine_table[machine].width;
        const i32 old_height = machine_table[machine].height;
        const u32 old_aspect = display_aspect;
        memmap = static_cast<u32>(new_memmap);
        machine = static_cast<u32>(new_machine);
        if (machine != ARCADIA && machine != PONG)
            emu_region = static_cast<u32>(machine_table[machine].default_region);
        display_aspect = static_cast<u32>(machine_table[machine].default_stretch);
        display_setup_geometry();
        if (machine_table[machine].width != old_width ||
            machine_table[machine].height != old_height || display_aspect != old_aspect)
            window_resize_pending = 1;
    }

    if (new_game || force) {
        cart_size = 0;
        known_game_id = -1;
        if (stubprograms && machine == ARCADIA) known_game_id = STUB_GAME_ARCADIA;
        if (stubprograms && machine == INTERTON) known_game_id = STUB_GAME_INTERTON;
        game_apply_settings();
        game_info_text();
    }

    std::memset(guest_frame, GUEST_FRAME_FILL, sizeof guest_frame);
    std::memset(port_usage, 0, sizeof port_usage);
    mem_clear_access();

    if (machine == BINBUG || machine == CD2650) {
        drive_present[1] = 0;
    } else if (machine != TWIN) {
        drive_present[0] = 0;
        drive_present[1] = 0;
    }

    display_screen_edit_clamp();
    display_rotated = memmap_table[memmap].may_rotate && rotatescreen;
    display_select_plotter();
    music_restore_default_notes();

    if (gui_main_window_open && !keep_windows) {
        gui_close_all_subwindows();
        if (window_resize_pending) {
            window_resize_pending = 0;
            gui_set_scale(static_cast<int>(display_scale), 0);
        }
    }

    machine_setup();
    gui_controls_size();
    compute_frame_periods();

    if (new_game) {
        const char* name = memmap_state_file_name(memmap);
        std::snprintf(game_file_name, FILE_NAME_SIZE, "%s", name);
        std::size_t len = std::strlen(games_path);
        const char* sep =
            (len && games_path[len - 1] != '/' && games_path[len - 1] != ':') ? "/" : "";
        if (std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s%s%s", games_path, sep, name) >=
            static_cast<int>(FILE_NAME_SIZE))
            file_name_buffer[0] = 0; // a path that does not fit names no file
    }

    gui_update_pointer(1, 1);
    games_find_loaded();
    std::memset(vdu_text, vdu_blank_char, sizeof vdu_text);
    display_apply_palette();
    lamp_latch = 0;

    if (new_game || force) machine_reset();

    display_reset_frame();
    game_info_text();
    printer_setup_geometry();
    snd_open(0);
    return true;
}

// The settings of a games-database row that are applied before switching.
static void apply_row_before_switch(const KnownGame& row) {
    switch (row.machine) {
    case ELEKTOR:
        elektor_biosversion = row.variant;
        break;
    case PIPBUG: {
        pipbug_biosversion = row.variant;
        static constexpr i32 baud_by_bios[4] = {2, 1, 0, 1};
        pipbug_baudrate = row.swapped == 3 ? baud_by_bios[pipbug_biosversion & 3] : row.swapped;
        if (row.option_word != 6 && row.option_word <= 5)
            pipbug_vdu = static_cast<i32>(row.option_word);
        vdu_select_type(155 + pipbug_vdu);
        i32 id = known_game_id;
        pipbug_peripheral = (id == 524 || id == 851 || id == 852) ? 3
                            : id == 462                           ? 2
                            : (id == 510 || id == 853)            ? 1
                                                                  : 0;
        break;
    }
    case BINBUG:
        binbug_biosversion = row.variant;
        if (row.swapped == 4) {
            binbug_baudrate = binbug_biosversion == 2 ? 0 : 1;
            binbug_serial_bit_time = binbug_biosversion == 2 ? 6667 : 3333;
        } else {
            binbug_baudrate = row.swapped;
        }
        break;
    case CD2650:
        cd2650_biosversion = row.variant;
        cd2650_vdu = static_cast<i32>(row.option_word);
        break;
    case PHUNSY:
        phunsy_biosversion = row.variant;
        break;
    case SELBST:
        selbst_biosversion = row.variant;
        break;
    default:
        break;
    }
}

static void apply_row_after_switch(const KnownGame& row) {
    switch (row.machine) {
    case ARCADIA:
        if (row.variant != 2) emu_region = row.variant & 1;
        flagline = row.option_word;
        break;
    case INTERTON:
        darkenbg = row.option_word;
        break;
    case ELEKTOR:
        darkenbg = row.option_word;
        if (known_game_id == 311) dbg_pixels_per_clock = 2;
        break;
    case INSTRUCTOR:
        si50_interrupts = row.deflicker_depth;
        si50_intselector = row.deflicker_second;
        si50_parallelio = static_cast<i32>(row.option_word);
        break;
    case PHUNSY:
        game_start_address = row.start_address;
        break;
    case SELBST:
        fast_selbst = row.option_word == 0;
        machine_table[SELBST].clocks_per_frame = fast_selbst ? 20000.0 : 0.02;
        break;
    default:
        break;
    }
}

static void apply_deflicker(const KnownGame& row) {
    if (row.machine == PIPBUG || row.machine == INSTRUCTOR) return;
    DeflickerSettings& d = deflicker_settings;
    if (row.deflicker_sprites == 0 && row.deflicker_depth == 0 && row.deflicker_second == 0) {
        d.second_pass = 0;
        d.depth = 0;
        return;
    }
    d.range_start = row.deflicker_first;
    d.range_end = row.deflicker_last;
    d.second_pass = row.deflicker_second;
    d.depth = row.deflicker_depth;
    const u8 bits = row.deflicker_sprites;
    for (int s = 0; s < 4; s++) {
        const u8 sprite_bit = (bits >> (3 - s)) & 1;
        if (row.machine == ARCADIA) {
            d.sprite[s] = sprite_bit;
        } else if (row.machine == INTERTON || row.machine == ELEKTOR) {
            d.sprite[s] = sprite_bit ^ 1;
            d.pvi[s] = (bits >> (7 - s)) & 1;
        }
    }
}

// A row whose memory map is empty or belongs to another machine cannot be applied.
static bool row_usable(const KnownGame& row) {
    return row.machine < MACHINES && row.memmap < MEMMAPS && !memmap_is_empty(row.memmap) &&
           memmap_table[row.memmap].machine == row.machine;
}

void game_apply_row(const KnownGame& row) {
    const u32 m = row.machine;
    if (m == INTERTON) {
        const bool narrow = known_game_id >= 206 && known_game_id <= 208;
        machine_table[INTERTON].paddle_min = narrow ? 12 : 1;
        machine_table[INTERTON].paddle_centre = narrow ? 52 : 112;
        machine_table[INTERTON].paddle_max = narrow ? 88 : 225;
    } else if (m == ELEKTOR) {
        const i32 id = known_game_id;
        const bool low = (id >= 402 && id <= 405) || id == 409 || id == 411 || id == 415;
        machine_table[ELEKTOR].paddle_min = low ? 0 : 1;
        machine_table[ELEKTOR].paddle_centre = low ? 1 : 111;
    }
    dbg_pixels_per_clock = static_cast<u32>(machine_table[m].pixels_per_clock);

    apply_row_before_switch(row);
    machine_switch(row.machine, row.memmap, false, false, false);
    apply_row_after_switch(row);

    analog = static_cast<u32>(row.analog);
    sensitivity_left = sensitivity_right = row.sensitivity;
    if (m != PIPBUG) swapped = row.swapped;
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

    if (row.comment_first >= 0) {
        for (int r = row.comment_first; r <= row.comment_last; r++) {
            int a = addr_comment_address(r);
            if (a >= 0 && a < static_cast<int>(GUEST_MEMORY_SIZE)) mem_attributes[a] |= MEM_COMMENT;
        }
    }
    current_overlay = row.overlay;
    video_set_line_length(m <= ELEKTOR && row.line_length ? row.line_length : 227);
    apply_deflicker(row);
}

void game_apply_settings() {
    const bool known = known_game_id >= 0 && known_game_id < KNOWN_GAMES &&
                       row_usable(known_games_db[known_game_id]);
    if (known) {
        game_apply_row(known_games_db[known_game_id]);
        return;
    }
    const u32 m = machine;
    if (m == INTERTON) {
        machine_table[INTERTON].paddle_min = 1;
        machine_table[INTERTON].paddle_centre = 112;
        machine_table[INTERTON].paddle_max = 225;
    } else if (m == ELEKTOR) {
        machine_table[ELEKTOR].paddle_min = 1;
        machine_table[ELEKTOR].paddle_centre = 111;
    }
    dbg_pixels_per_clock = static_cast<u32>(machine_table[m].pixels_per_clock);

    autofire_duty = 4;
    autofire_period = 16;
    if (m == ARCADIA || m == INTERTON)
        video_set_line_length(227);
    else if (m == ELEKTOR)
        video_set_line_length(226);
    std::memset(key_remap_six, 0, sizeof key_remap_six);
    std::memset(key_remap_four, 0, sizeof key_remap_four);
    static constexpr i32 default_fire[4] = {2, 1, 3, 0};
    std::memcpy(fire_button_assign, default_fire, sizeof fire_button_assign);
    sensitivity_left = sensitivity_right = 3;
    deflicker_settings = DeflickerSettings{0, 26, -1, 0, {0, 0, 0, 0}, {0, 0, 0, 0}};
    pipbug_peripheral = 0;
    const bool keeps_map = m == ZACCARIA || m == MALZAK || m == PONG;
    const int map = keeps_map ? static_cast<int>(memmap) : machine_table[m].default_memmap;
    machine_switch(static_cast<int>(m), map, false, false, false);
    current_overlay = memmap_table[memmap].default_overlay;
}

void machine_reset() {
    const MachineDesc& row = machine_table[machine];
    std::memset(paddle_positions, row.paddle_centre, sizeof paddle_positions);
    snd_reset_latches();
    coinop_clear_latches();
    dbg_clear_run_targets();
    mem_clear_access();
    for (PortRecord& p : port_records)
        p.last_value = 0;
    if (machine == PIPBUG) port_records[16].last_value = 7;

    cpu_reset();

    frame_counter = 0;
    beeper_countdowns[0] = beeper_countdowns[1] = 0;
    term_reset_states();

    switch (machine) {
    case ARCADIA:
        arcadia_reset();
        break;
    case INTERTON:
        interton_reset();
        break;
    case ELEKTOR:
        elektor_reset();
        break;
    case PIPBUG:
        pipbug_reset();
        break;
    case BINBUG:
        binbug_reset();
        break;
    case INSTRUCTOR:
        instructor_reset();
        break;
    case TWIN:
        twin_reset();
        break;
    case CD2650:
        cd2650_reset();
        break;
    case PHUNSY:
        phunsy_reset();
        break;
    case PONG:
        pong_reset();
        break;
    case SELBST:
        selbst_reset();
        break;
    case MIKIT:
        mikit_reset();
        break;
    case TYPERIGHT:
        typeright_reset();
        break;
    default:
        break; // the coin-op boards have no reset of their own
    }

    cpu_prev_iar = cpu_iar;
    gui_refresh_windows(0);
    emu_restart_timing();
}

void emu_reset_request(bool keep_link) {
    if (!keep_link) {
        net_command(0);
        gui_update_menu_item(170);
        gui_update_menu_item(171);
    }
    rec_stop_all();
    machine_reset();
}

// The frame of a machine whose own frame routine is not written yet: one
// frame's clock periods of the processor, then the end of frame. Fractions of
// a clock period per frame are carried to the next frame.
static void run_processor_frame() {
    static double fraction;
    in_frame = 1;
    double clocks = machine_table[machine].clocks_per_frame + fraction;
    i32 whole = static_cast<i32>(clocks);
    fraction = clocks - whole;
    if (whole > 0) {
        cpu_cycle_budget += whole;
        cpu_run_cycles();
    }
    emu_end_of_frame(0);
}

// The machines without a processor, until their own frame routines exist.
static void run_idle_frame() {
    in_frame = 1;
    emu_end_of_frame(0);
}

void emu_run_frame() {
    switch (machine) {
    case ARCADIA:    // arcadia_run_frame
    case INTERTON:   // pvi_run_frame
    case ELEKTOR:    // pvi_run_frame
    case PIPBUG:     // pipbug_run_frame
    case BINBUG:     // binbug_run_frame
    case INSTRUCTOR: // instructor_run_frame
    case TWIN:       // twin_run_frame
    case CD2650:     // cd2650_run_frame
    case ZACCARIA:   // coinop_run_frame
    case MALZAK:     // coinop_run_frame
    case PHUNSY:     // phunsy_run_frame
    case SELBST:     // selbst_run_frame
    case MIKIT:      // mikit_run_frame
        run_processor_frame();
        break;
    case PONG:      // pong_run_frame
    case TYPERIGHT: // typeright_run_frame
    default:
        run_idle_frame();
        break;
    }
}
