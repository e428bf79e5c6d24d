// Save states: the header, the common part, saving and the checked load.
#include "core/savestate.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/savestate_fields.h"
#include "core/savestate_internal.h"
#include "core/savestate_seams.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/serial_seams.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "input/paddles.h"
#include "cpu/exec.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

u8 state_guest_version = 0;
bool state_committed_recording = false;
u32 state_length = 0;

static constexpr u8 HEADER_COS = 0;
static constexpr u8 HEADER_COR = 1;
static constexpr u8 HEADER_FOREIGN = 2;
static constexpr i32 LAST_GAME_ROW = 859;

// The file of the input recording being made, so that a state saved during the
// recording gives the title its name back.
static char recording_file_name[FILE_NAME_SIZE];

u8 state_version_of(u32 machine_number) {
    return machine_number < MACHINES ? machine_table[machine_number].state_version : 0;
}

bool state_version_accepted(u32 map, u8 version) {
    if (map >= MEMMAPS || memmap_is_empty(map)) return false;
    u32 m = static_cast<u32>(memmap_table[map].machine);
    if (version == state_version_of(m)) return true;
    const MachineOps& ops = machine_ops(m);
    return ops.old_states_first && version >= ops.old_states_first &&
           version <= ops.old_states_last;
}

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}

// What machine m is and has; a number out of range gets the defaults.
static const MachineTraits& traits_of(u32 m) {
    static const MachineTraits none{};
    return m < MACHINES ? machine_table[m].traits : none;
}

// The clock periods of machine m's longest frame: its row's, which some set-ups
// write only when the machine is set up and some modes shorten, and never less
// than the longest frame the machine runs in any mode (the raster consoles' 50 Hz
// frame, the coin-op boards' frame, SELBST's fast mode).
i32 state_frame_limit(u32 m) {
    double clocks = m < MACHINES ? machine_live[m].clocks_per_frame : 0.0;
    const double longest = traits_of(m).longest_frame;
    if (!(clocks > longest)) clocks = longest;
    if (clocks >= 2147483647.0) return 2147483647;
    return static_cast<i32>(std::ceil(clocks));
}

// ---- The walk -----------------------------------------------------------------------------

// The paddle positions: the only common fields of the machines without a 2650.
static void paddles() {
    state_field_u32(&paddle_x[0]);
    state_field_u32(&paddle_y[0]);
    state_field_u32(&paddle_x[1]);
    state_field_u32(&paddle_y[1]);
}

// The processor, frame timing and machine latches of the machines with a 2650.
static void processor_part(u32 m) {
    CpuState cpu{};
    cpu_state_save(cpu);
    u16 iar = state_field_u16(&cpu.iar);
    if (reading() && iar >= GUEST_MEMORY_SIZE) serial_mark_bad("instruction address");
    state_field_u8(&cpu.psu);
    state_field_u8(&cpu.psl);
    for (u16& entry : cpu.ras) {
        u16 address = state_field_u16(&entry);
        if (reading() && address >= GUEST_MEMORY_SIZE) serial_mark_bad("return address");
    }
    for (u8& r : cpu.regs)
        state_field_u8(&r);
    state_field_u32(&cpu.irq_pending);
    // A row past the games database is no known game.
    i32 game = known_game_id;
    state_field_word_or_none(&game);
    if (reading() && !serial_dry() && !serial_overrun())
        known_game_id = game > LAST_GAME_ROW ? -1 : game;
    const int held = state_ras_held_field(cpu);

    const i32 idle_start = traits_of(m).idle_start_address;
    if (!reading() && !file_loaded && idle_start >= 0)
        game_start_address = static_cast<u16>(idle_start);
    u8 high = static_cast<u8>(game_start_address >> 8), low = static_cast<u8>(game_start_address);
    state_field_u8(&high);
    state_field_u8(&low);
    if (reading() && !serial_dry() && !serial_overrun())
        game_start_address = static_cast<u16>(high << 8 | low);

    state_field_u32_full(&frame_counter);
    state_field_u32_full(&cpu.cycles);
    state_field_u32_full(&cpu.slice_start);
    i32 beam = state_field_word_or_none(&cpu_beam_clock);
    if (reading() && beam > state_frame_limit(m)) serial_mark_bad("beam position");
    state_field_u8(&cpu.halt_reported);
    u8 level = state_field_u8(&cpu.irq_level);
    if (reading() && level > CPU_NO_IRQ_LEVEL) serial_mark_bad("interrupt level");
    // What a frame leaves is at most one step overdrawn; what it was given is
    // at most one frame.
    i32 budget = state_field_u32_full(&cpu.cycle_budget);
    if (reading() && (budget < -CPU_LONGEST_STEP || budget > state_frame_limit(m)))
        serial_mark_bad("cycle budget");
    state_field_u32(&vdu_cursor_col);
    state_field_u32(&vdu_cursor_row);
    state_field_u8(&lamp_latch);
    state_field_bytes(led_digits, static_cast<u32>(traits_of(m).state_led_bytes));
    if (reading()) {
        if (state_applying()) state_ras_held_apply(cpu, held);
        cpu_state_load(cpu);
    }
}

// The walk for machine `m` and memory map `map`, from the cursor at 4.
static void walk(u32 m, u32 map) {
    serial_seek(STATE_HEADER_SIZE);
    if (!reading()) state_guest_version = state_version_of(m);
    paddles();
    if (!traits_of(m).no_processor) processor_part(m);
    state_machine_tail(m, map);
    state_length = serial_cursor();
}

void state_serialise() {
    walk(machine, memmap);
}

// ---- Saving ---------------------------------------------------------------------------------

bool state_write_buffer(u8 kind, std::vector<u8>* out) {
    out->assign(STATE_BUFFER_SIZE, 0);
    const u32 saved_dir = serial_dir;
    serial_dir = SERIAL_WRITE;
    serial_attach(out->data(), STATE_BUFFER_SIZE, 0);
    state_put_u8(STATE_MAGIC);
    state_put_u8(state_version_of(machine));
    state_put_u8(kind);
    state_put_u8(memmap);
    if (const auto before = machine_row().before_state_save) before();
    state_serialise();
    const bool overrun = serial_overrun();
    out->resize(serial_cursor());
    serial_detach();
    serial_dir = saved_dir;
    return !overrun;
}

static std::string save_error; // why the last save wrote nothing
static std::string saved_name; // the name the last save wrote

const std::string& state_save_error() {
    return save_error;
}

const std::string& state_saved_name() {
    return saved_name;
}

// The loader knows a state by its suffix: a name without a state's suffix
// gets the kind's, so that what is written opens again. False when the name
// would not fit the buffer.
static bool give_state_suffix(int kind, char* name, std::size_t size) {
    const int named = file_type_from_name(name);
    if (named == KIND_COS || named == KIND_COR || !path_file_part(name)[0]) return true;
    const char* suffix = file_kinds[kind == FILE_KIND_COR ? KIND_COR : KIND_COS].extension;
    if (std::strlen(name) + std::strlen(suffix) >= size) return false;
    std::strcat(name, suffix);
    return true;
}

// state_save_file of `name`; the name of what runs is given back after a
// failed save, or, `aside`, after any.
static bool save_named(const char* name, int kind, int refresh_title, bool stop_recorders,
                       bool aside) {
    char kept[FILE_NAME_SIZE];
    std::memcpy(kept, file_name_buffer, sizeof kept);
    std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s", name);
    const bool saved = state_save_file(kind, refresh_title, stop_recorders);
    if (saved && !aside) {
        // The state saved is what runs now: the title names it, Revert loads
        // it and it heads the recent files. A recording started leaves what
        // runs, which the recording follows.
        if (kind != FILE_KIND_COR) file_name_running(saved_name.c_str(), true);
        return true;
    }
    std::memcpy(file_name_buffer, kept, sizeof kept);
    if (refresh_title) ui_mark(UI_TITLE);
    // The list that took the file in selects what runs, not the file beside it.
    if (saved) games_find_loaded();
    return saved;
}

bool state_save_as(const char* name, int kind, int refresh_title, bool stop_recorders) {
    return save_named(name, kind, refresh_title, stop_recorders, false);
}

bool state_save_aside(const char* name, int kind, int refresh_title) {
    return save_named(name, kind, refresh_title, false, true);
}

bool state_save_file(int kind, int refresh_title, bool stop_recorders) {
    save_error.clear();
    saved_name.clear();
    const std::string asked = file_name_buffer;
    std::string path;
    // Said on the console, and in a warning when someone is there to read it
    // (the port's command answers with it).
    const auto not_saved = [&path](const std::string& why) {
        save_error = why;
        con_printf("State not saved: %s!\n", why.c_str());
        ui_beep();
        if (!ui_nobody_to_ask())
            ui_warning(file_failure_text("Can't write to", path.empty() ? file_name_buffer : path,
                                         why)
                           .c_str());
        return false;
    };
    if (!give_state_suffix(kind, file_name_buffer, sizeof file_name_buffer))
        return not_saved("name too long");
    path = path_to_host(file_name_buffer);
    std::string error;
    {
        // A file in use (the recording under way and its outputs too, by
        // any name) is refused before anything is stopped; the recording
        // being played, which the save ends, is saved over as any file is,
        // and so is the state just loaded.
        const FileUseOwnWrite played(FileUse::playback), own(FileUse::state);
        std::string target;
        if (!file_save_target(path, &target, &error)) return not_saved(error);
    }
    // A saved state ends a playback; on the way out the playback's recorders
    // finish after the autosave, in the exit path's own step.
    if ((stop_recorders || rec_state == REC_PLAYBACK) && !app_exiting) rec_stop_all();
    std::vector<u8> buffer;
    const bool overrun =
        !state_write_buffer(kind == FILE_KIND_COS ? HEADER_COS : HEADER_COR, &buffer);
    const u32 length = static_cast<u32>(buffer.size());
    if (overrun) return not_saved("it does not fit the state buffer");
    const FileUseOwnWrite own(FileUse::state); // a save over the state just loaded
    if (!file_write_replace(path, buffer.data(), length, &error)) return not_saved(error);
    saved_name = file_name_buffer;
    // The suffix it was given is said once the file is there.
    if (asked != saved_name) con_printf("State saved as \"%s\".\n", file_name_buffer);
    file_write_icon(kind, file_name_buffer);
    file_loaded = 1;
    ui_mark(UI_MENUS); // Revert has a file now
    // A state saved into the games drawer joins the game list at once.
    std::error_code ec;
    if (std::filesystem::equivalent(std::filesystem::path(path).parent_path(),
                                    path_to_host(games_path), ec))
        games_audit_drawer(0);

    if (kind == FILE_KIND_COR) {
        if (rec_file_open(path)) {
            rec_state = REC_RECORDING;
            std::memcpy(recording_file_name, file_name_buffer, FILE_NAME_SIZE);
            ui_mark(UI_TITLE | UI_TOOLBAR);
        }
    } else {
        if (rec_state == REC_RECORDING)
            std::memcpy(file_name_buffer, recording_file_name, FILE_NAME_SIZE);
        if (refresh_title) ui_mark(UI_TITLE);
    }
    return true;
}

bool state_take_copy(MachineCopy* copy) {
    copy->version = state_guest_version;
    copy->length = state_length;
    copy->loaded = file_loaded;
    copy->start = game_start_address;
    copy->game = known_game_id;
    return state_write_buffer(HEADER_COS, &copy->bytes);
}

// ---- Loading ----------------------------------------------------------------------------------

static std::string message_with(int number, const char* english, const char* format_name) {
    char text[200];
    std::snprintf(text, sizeof text, cat_str(number, english), format_name);
    return text;
}

static std::string corrupt() {
    return message_with(895, "Corrupt %s file!", "COS/COR");
}

static u32 machine_of(u32 map) {
    return static_cast<u32>(memmap_table[map].machine);
}

static std::string newer_version() {
    return "This COS/COR file was made by a newer version of Brindlemox, which this one "
           "cannot read!";
}

// A machine or a version this one does not know in a header with the magic
// byte: a later version of the program wrote it.
static bool header_is_newer(const u8* data) {
    const u32 map = data[3];
    return map >= MEMMAPS || (!memmap_is_empty(map) && data[1] > state_version_of(machine_of(map)));
}

bool state_file_is_newer(const std::string& path) {
    u8 header[STATE_HEADER_SIZE];
    std::FILE* f = std::fopen(path_to_host(path).c_str(), "rb");
    if (!f) return false;
    const bool whole = std::fread(header, 1, sizeof header, f) == sizeof header;
    std::fclose(f);
    return whole && header[0] == STATE_MAGIC && header_is_newer(header);
}

bool state_file_reads(const std::string& path) {
    std::string data, why;
    if (!file_read_whole(path_to_host(path), &data, load_kind_max_size(KIND_COS))) return false;
    return state_check(reinterpret_cast<const u8*>(data.data()), static_cast<u32>(data.size()),
                       &why);
}

// Header rules; on success *m and *map are the state's machine and memory map.
static bool check_header(const u8* data, u32 size, u32* m, u32* map, std::string* error) {
    if (size < STATE_HEADER_SIZE || data[0] != STATE_MAGIC) {
        *error = corrupt();
        return false;
    }
    *map = data[3];
    // Refused for what it is, not called corrupt.
    if (header_is_newer(data)) {
        *error = newer_version();
        return false;
    }
    if (memmap_is_empty(*map)) {
        *error = corrupt();
        return false;
    }
    if (!state_version_accepted(*map, data[1])) {
        *error = message_with(893, "Unsupported %s version (obsolete/future version)!", "COS/COR");
        return false;
    }
    if (data[2] == HEADER_FOREIGN) {
        *error = "Quillfrondex COS files are not supported!";
        return false;
    }
    if (data[2] != HEADER_COS && data[2] != HEADER_COR) {
        *error = corrupt();
        return false;
    }
    *m = static_cast<u32>(memmap_table[*map].machine);
    return true;
}

// Runs the walk of machine m / map over the data in the reading direction;
// `dry` stores nothing. Returns false with the corrupt-file message when a field
// is missing or a value cannot be accepted.
static bool read_walk(const u8* data, u32 size, u32 m, u32 map, bool dry, std::string* error) {
    u32 saved_dir = serial_dir;
    serial_dir = SERIAL_READ;
    serial_attach(const_cast<u8*>(data), size, STATE_HEADER_SIZE);
    serial_set_dry(dry);
    walk(m, map);
    bool overrun = serial_overrun();
    const char* bad = serial_bad_reason();
    serial_set_dry(false);
    serial_detach();
    serial_dir = saved_dir;
    if (overrun || bad) {
        *error = corrupt();
        return false;
    }
    return true;
}

void state_put_back(const MachineCopy& copy) {
    if (copy.bytes.size() < STATE_HEADER_SIZE) return;
    std::string error;
    state_guest_version = copy.bytes[1];
    // The walk reads back what it wrote.
    read_walk(copy.bytes.data(), static_cast<u32>(copy.bytes.size()), machine, memmap, false, &error);
    state_guest_version = copy.version;
    state_length = copy.length;
    file_loaded = copy.loaded;
    game_start_address = copy.start;
    known_game_id = copy.game;
}

bool state_check(const u8* data, u32 size, std::string* error) {
    error->clear();
    u32 m, map;
    if (!data || !check_header(data, size, &m, &map, error)) return false;
    u32 saved_length = state_length;
    u8 saved_version = state_guest_version;
    state_guest_version = data[1]; // fields that depend on the version follow the file's
    bool ok = read_walk(data, size, m, map, true, error);
    u32 length = state_length;
    state_length = saved_length;
    state_guest_version = saved_version;
    if (!ok) return false;
    // A plain state is exactly its walk; a recording follows a COR state.
    if (data[2] == HEADER_COS && length != size) {
        *error = corrupt();
        return false;
    }
    return true;
}

bool state_commit(const u8* data, u32 size) {
    u32 m, map;
    std::string error;
    if (!data || !check_header(data, size, &m, &map, &error)) return false;
    // The caller has switched to the state's machine; new-game settings may have
    // chosen another memory map of it, and the state's own one wins. The map
    // was checked, so the switch cannot be refused.
    if (machine != m || memmap != map)
        machine_switch(static_cast<int>(m), static_cast<int>(map), false, false, false);
    state_guest_version = data[1];
    state_committed_recording = data[2] == HEADER_COR;
    file_loaded = 1;
    // The checked walk reads the same fields the same way, so this one fits.
    const bool ok = read_walk(data, size, m, map, false, &error);
    if (data == filebuf) filebuf_cursor = state_length;
    return ok;
}
