#include "core/loader.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/files_in_use.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/helpers.h"
#include "core/hooks.h"
#include "core/message.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/held_things.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "core/trainers.h"
#include "core/ui_host.h"
#include "core/user_prefs.h"
#include "core/zipfile.h"
#include "cpu/memory.h"
#include "peripherals/changed_media.h"
#include "peripherals/device_link.h"
#include "peripherals/mdcr.h"
#include "peripherals/floppy.h"
#include "peripherals/papertape.h"
#include "peripherals/printer.h"
#include "peripherals/tape.h"
#include "platform/catalog.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

u8 file_loaded;
char game_file_name[513];
u16 game_start_address;
u8 program_loaded;
u8 tvc_copy[TVC_COPY_BYTES];
u32 tvc_copy_length;

char load_address_text[LOAD_ADDRESS_SIZE] = "$0";

namespace {

std::string load_refusal; // why the last load by name failed, when it can say
std::string load_tried;   // the file the last load by name was for

// The file of the last state or recording loaded, while the program uses it,
// and where it was loaded from.
FileIdentity loaded_file;
std::string loaded_host;
int loaded_kind = -1;

const char* const kind_names[FILE_KINDS] = {
    "ILBM", "ACBM", "BMP",  "PCX",  "GIF",  "TIFF", "PNG",  "BIN", "COS", "COR",
    "ANIM", "ZIP",  "AOF",  "EOF",  "HEX",  "WAV",  "PSG",  "YM",  "ASM", "8SVX",
    "AIFF", "MNG",  "MIDI", "SMUS", "TXT",  "TVC",  "MDCR", "RAW", "CMD", "IMG",
    "TWIN", "MOD",  "SYM",  "IMAG", "INFO", "16SV", "BPNF", "SMS", "PAP"};

void warn_corrupt(const char* name) {
    char text[96];
    std::snprintf(text, sizeof text, cat_str(895, "Corrupt %s file!"), name);
    ui_warning(text);
}

void warn_wrong_guest() {
    ui_warning(cat_str(712, "This file format is not supported for this guest!"));
}

u16 be16(const LoadRequest& r, u32 offset) {
    return static_cast<u16>(r.data[offset] << 8 | r.data[offset + 1]);
}

// Step 3 of a game image: identification and the acceptance of an unknown
// game by the current machine. The request's row gets the games-database row
// the file is (-1 none; on a restart the current one). Changes nothing; false
// (after the warning) when refused.
bool identify_and_accept(LoadRequest& r) {
    r.game_row = known_game_id;
    if (r.restart) return true;
    // The request's bytes are the file buffer's by now.
    r.game_row = -1;
    if (sensegame && game_identify(&r.game_row)) return true;
    bool accepted = true;
    if (r.kind == KIND_BIN) accepted = machine_traits().takes_bin;
    if (r.kind == KIND_AOF) accepted = machine_traits().takes_aof;
    if (!accepted) warn_wrong_guest();
    return accepted;
}

// Step 5 of a game image, object program or state.
int finish_game(int result) {
    game_info_text();
    ui_mark(UI_MENUS | UI_TOOLBAR);
    trainer_apply();
    return result;
}

// False when the medium chosen to make room for a new one (a drive's disk,
// the MDCR tape) was changed and is kept (the user's choice, or nobody to
// ask): the load is refused.
bool may_replace(int medium) {
    if (media_release(medium, "Replace")) return true;
    load_refusal = media_refusal(1u << medium);
    return false;
}

// The same for a load that sets up `target`: a switch to another machine
// (or a state) empties every drive of the machine that runs and takes the
// tape off its MDCR deck; a program loaded into the machine that runs keeps
// them all (media_leave_with).
bool may_set_up(u32 target) {
    if (!media_leave_with(target)) return true;
    load_refusal = media_release_all();
    return load_refusal.empty();
}

// ---- Game images, object programs, Elektor programs ----------------------------------------

int load_bin(LoadRequest& r) {
    if (r.length > BIN_MAX_SIZE) {
        ui_warning(cat_str(313, "File is too large or corrupt!"));
        return LOAD_FAILED;
    }
    if (!identify_and_accept(r)) return LOAD_FAILED;
    const bool known = r.game_row >= 0 && r.game_row < KNOWN_GAMES;
    if (known) {
        const KnownGame& g = known_games_db[r.game_row];
        const auto refused = machine_ops(g.machine).image_refused;
        if (const char* why = refused ? refused(g, r.length) : nullptr) {
            ui_warning(why);
            return LOAD_FAILED;
        }
    }
    if (!r.restart && !may_set_up(game_settings_machine(r.game_row))) return LOAD_FAILED;
    known_game_id = r.game_row;
    tvc_copy_length = r.length;
    game_start_address = 0; // a known PHUNSY game or its image placement says otherwise
    if (!r.restart) game_apply_settings();
    file_loaded = 1;
    if (machine_row().map_image)
        machine_row().map_image(known && known_games_db[known_game_id].machine == machine);
    machine_reset();
    if (known && machine_row().run_loaded)
        machine_row().run_loaded(KIND_BIN, known_games_db[known_game_id].language);
    return finish_game(LOAD_GAME);
}

} // namespace

void aof_auto_run() {
    if (known_game_id == 520 || known_game_id == 525) {
        const u8 enter = '\r';
        core_type_keys(&enter, 1);
        return;
    }
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return;
    if (machine_row().run_loaded)
        machine_row().run_loaded(KIND_AOF, known_games_db[known_game_id].language);
}

namespace {

int load_aof(LoadRequest& r) {
    if (r.length == 0 || r.data[0] != ':') {
        warn_corrupt("AOF");
        return LOAD_FAILED;
    }
    // The records are read and checked before the machine is touched.
    if (objfile_parse(r.length, OBJ_AOF) == 0) {
        warn_corrupt("AOF");
        return LOAD_FAILED;
    }
    if (!identify_and_accept(r) || (!r.restart && !may_set_up(game_settings_machine(r.game_row))))
        return LOAD_FAILED;
    known_game_id = r.game_row;
    if (!r.restart) game_apply_settings();
    file_loaded = 1;
    objfile_commit();
    machine_reset();
    aof_auto_run();
    return finish_game(LOAD_GAME);
}

int load_tvc(LoadRequest& r) {
    if (r.length < TVC_HEADER_SIZE || r.data[0] != 2 ||
        be16(r, 1) + (r.length - TVC_HEADER_SIZE) > GUEST_MEMORY_SIZE) {
        warn_corrupt("TVC");
        return LOAD_FAILED;
    }
    identify_and_accept(r); // every machine takes it
    if (!r.restart && !may_set_up(ELEKTOR)) return LOAD_FAILED;
    if (!machine_switch(ELEKTOR, MAP_ELEKTOR_EXPANDED, false, false, r.restart))
        return LOAD_FAILED;
    known_game_id = r.game_row;
    std::memcpy(tvc_copy, r.data, r.length);
    tvc_copy_length = r.length;
    if (!r.restart) game_apply_settings();
    // The settings' machine set-up forgets any start address: the program's
    // is known from here on, and the reset below branches to it.
    game_start_address = be16(r, 3);
    program_loaded = 1;
    file_loaded = 1;
    u32 address = be16(r, 1);
    // Unwritable bytes other than the ROM's are skipped without a word.
    for (u32 i = TVC_HEADER_SIZE; i < r.length; i++, address++)
        if (!(mem_attributes[address & 0x7FFF] & MEM_UNWRITABLE) || load_is_rom(address))
            load_put(address, r.data[i]);
    machine_reset();
    const u32 from = elektor_biosversion == 1 ? 0x057E : 0x0177;
    std::memmove(guest_memory + 0x1FC0, guest_memory + from, 10);
    for (u16 a : {0x1F0B, 0x1F0D, 0x1F1B, 0x1F1D, 0x1F2B, 0x1F2D, 0x1F4B, 0x1F4D})
        guest_memory[a] = 0xFE;
    return finish_game(LOAD_GAME);
}

// ---- Save states ------------------------------------------------------------------------

int load_state(LoadRequest& r) {
    const int kind = r.kind;
    // A state brings its own media: the ones in now go, whatever machine it is of.
    const MediaFromState from_state;
    // Everything the state can be refused for is checked here, before the
    // machine is switched; what follows cannot fail.
    std::string error;
    if (!state_check(r.data, r.length, &error)) {
        ui_warning(error.empty() ? "Corrupt COS/COR file!" : error.c_str());
        return LOAD_FAILED;
    }
    const u32 map = r.data[3];
    const u32 m = static_cast<u32>(memmap_table[map].machine);
    // A playback that generates writes its outputs beside the recording: one
    // that may not be replaced refuses the load before anything changes.
    if (kind == KIND_COR && generate && !r.restart) {
        load_refusal = rec_outputs_refusal(file_name_buffer, memmap_table[map].traits.psg);
        if (!load_refusal.empty()) return LOAD_FAILED;
    }
    // The switch to the state's machine empties the drives: a changed disk
    // is offered for saving first, and kept, the load refused, when the user
    // cancels or nobody can be asked. A replayed recording's own disks go
    // without a word.
    if (r.restart)
        for (FloppyDrive& d : drives)
            d.changed = 0;
    else if (!may_set_up(m))
        return LOAD_FAILED;
    if (!r.restart) {
        r.game_row = -1;
        const bool has_row = machine_table[m].traits.game_rows;
        if (has_row && r.length >= 38 && be16(r, 36) < KNOWN_GAMES) r.game_row = be16(r, 36);
        known_game_id = r.game_row;
    }
    if (!machine_switch(static_cast<int>(m), static_cast<int>(map), false, false, r.restart))
        return LOAD_FAILED;
    if (!r.restart) game_apply_settings();
    file_loaded = 1;
    // The walk reads the checked file again and accepts what the check did;
    // should it refuse all the same, the state is not taken for loaded.
    if (!state_commit(r.data, r.length)) {
        ui_warning("Corrupt COS/COR file!");
        return LOAD_FAILED;
    }
    state_settle();
    if (kind == KIND_COR) {
        rec_length = r.length;
        rec_state = REC_PLAYBACK;
        ui_mark(UI_REFRESH_WINDOWS);
        if (generate) {
            // The animations begin with the recording's first picture, which
            // no frame has drawn yet (a replay goes on with the frames it has).
            if (!r.restart) emu_draw_standing_picture();
            rec_start_generating();
        }
    }
    return finish_game(kind == KIND_COR ? LOAD_PLAYBACK : LOAD_GAME);
}

// ---- Program files of other subsystems --------------------------------------------------------

// The machine a program file is for: an Elektor program loads into the
// Elektor that runs, in its memory map.
struct ProgramTarget {
    u32 machine, memmap;
    bool keeps_map;
};

const ProgramTarget& program_target(int kind) {
    static constexpr ProgramTarget eof{ELEKTOR, MAP_ELEKTOR_EXPANDED, true};
    static constexpr ProgramTarget cmd{BINBUG, MAP_BINBUG, false};
    static constexpr ProgramTarget mod{TWIN, MAP_TWIN, false};
    static constexpr ProgramTarget imag{CD2650, MAP_CD2650, false};
    switch (kind) {
    case KIND_EOF:
        return eof;
    case KIND_CMD:
        return cmd;
    case KIND_MOD:
        return mod;
    default:
        return imag;
    }
}

// Parses first, so that a refused file leaves the running machine alone;
// only an accepted one switches to the machine it is for.
int load_program_file(const LoadRequest& r) {
    const int kind = r.kind;
    const ProgramReader* reader = loader_program_reader(kind);
    if (!reader || !reader->parse(r.length)) {
        warn_corrupt(kind_names[kind]);
        return LOAD_FAILED;
    }
    const ProgramTarget& target = program_target(kind);
    const bool stays = target.keeps_map && machine == target.machine;
    if (!stays && !may_set_up(target.machine)) return LOAD_FAILED;
    if (!stays && !machine_switch(static_cast<int>(target.machine), static_cast<int>(target.memmap),
                                  false, false, false))
        return LOAD_FAILED;
    reader->commit();
    machine_reset();
    return LOAD_MEDIUM;
}

// A HEX file's records are text, read as every text file read line by line
// is (text_lf_lines): a byte-order mark dropped, each line end one LF. The
// file buffer holds the records so from here on. (An AOF file is left as it
// is: the games database knows programs by their bytes.)
void take_text_lines(LoadRequest& r) {
    if (r.data != filebuf) return; // the loader lent every read file to the buffer
    const std::string text =
        text_lf_lines(std::string(reinterpret_cast<const char*>(r.data), r.length));
    std::memcpy(filebuf, text.data(), text.size()); // never longer than the file
    r.length = filebuf_length = static_cast<u32>(text.size());
}

// Object files load into the machine that runs.
int load_hex(LoadRequest& r) {
    take_text_lines(r);
    if (r.length == 0 || r.data[0] != ':' || objfile_parse(r.length, OBJ_HEX) == 0) {
        warn_corrupt("HEX");
        return LOAD_FAILED;
    }
    objfile_commit();
    machine_reset();
    return LOAD_MEDIUM;
}

int load_bpnf(const LoadRequest& r) {
    if (r.length == 0 || r.data[0] != 'B') {
        warn_corrupt("BPNF");
        return LOAD_FAILED;
    }
    if (!ui_host.choose_load_address()) return LOAD_FAILED;
    const u32 address = dbg_parse_register_operand(load_address_text, 0x7FFF, 0);
    if (address == 0x10014) return LOAD_FAILED;
    if (!file_parse_bpnf(r.length, address)) {
        warn_corrupt("BPNF");
        return LOAD_FAILED;
    }
    file_commit_bpnf();
    machine_reset();
    return LOAD_MEDIUM;
}

int load_sms(const LoadRequest& r) {
    if (r.length == 0 || r.data[0] != 18 || !file_parse_sms(r.length)) {
        warn_corrupt("SMS");
        return LOAD_FAILED;
    }
    file_commit_sms();
    machine_reset();
    return LOAD_MEDIUM;
}

// Input playback stops; a recording being written is closed as it stands.
void stop_input_recording() {
    rec_file_close();
    rec_state = REC_IDLE;
}

// A source is assembled into the guest, from wherever the name points (the
// assembler works in the projects drawer); one with errors leaves the guest
// as it was. A listing or object file that could not be written does not
// stop the program the user opened: it runs, and the warning names the file.
int load_source(const LoadRequest& r) {
    std::error_code error;
    const std::filesystem::path host = std::filesystem::absolute(path_to_host(r.path), error);
    if (asm_assemble_checked(error ? r.path.c_str() : host.c_str(), true) == 10) {
        // The messages went to the console, which may be closed: say it here.
        ui_warning(asm_failure_text().c_str());
        load_refusal = "assembly failed";
        return LOAD_FAILED;
    }
    if (const std::string unwritten = asm_unwritten_text(); !unwritten.empty())
        ui_warning(unwritten.c_str());
    return LOAD_MEDIUM;
}

// A disk image a drive holds already, or the tape on the MDCR deck, stays
// where it is, as it is, and the user is told so: no second drive takes a
// copy whose update would write over the first one's, and a changed one is
// not read again. True when the file was found there.
bool held_already(const LoadRequest& r, FileUse use) {
    const std::string host = path_to_host(r.path.c_str());
    const int unit = medium_unit_holding(host, use);
    if (unit < 0) return false;
    if (use == FileUse::disk) {
        floppy_shown_drive = static_cast<u32>(unit);
        floppy_refresh(3, unit);
    }
    const std::string where =
        use == FileUse::disk ? "in drive " + std::to_string(unit) : "on the MDCR deck";
    ui_warning((host + " is already " + where + "; it stays there as it is.").c_str());
    ui_request_tool_window(use == FileUse::disk ? TW_FLOPPY : TW_TAPE);
    return true;
}

// Whether a file of `kind` is a medium put into a drive, deck or unit.
bool kind_is_medium(int kind) {
    switch (kind) {
    case KIND_WAV:
    case KIND_8SVX:
    case KIND_AIFF:
    case KIND_MDCR:
    case KIND_RAW:
    case KIND_IMG:
    case KIND_TWIN:
    case KIND_PAP:
        return true;
    default:
        return false;
    }
}

int load_medium(const LoadRequest& r) {
    const int kind = r.kind;
    switch (kind) {
    case KIND_WAV:
    case KIND_8SVX:
    case KIND_AIFF:
        if (!machine_traits().cassette) break;
        rec_stop_all();
        // A refused tape leaves the deck and its file name as they were.
        if (!tape_insert_file(r.path.c_str())) return LOAD_FAILED;
        ui_request_tool_window(TW_TAPE);
        return LOAD_MEDIUM;
    case KIND_MDCR:
        if (!machine_traits().mdcr) break;
        rec_stop_all();
        if (held_already(r, FileUse::mdcr)) return LOAD_MEDIUM;
        if (!may_replace(MEDIUM_MDCR) || !mdcr_insert_file(r.path.c_str())) return LOAD_FAILED;
        ui_request_tool_window(TW_TAPE);
        return LOAD_MEDIUM;
    case KIND_RAW: {
        if (machine_traits().disk_images != DiskImages::RAW) break;
        rec_stop_all();
        if (held_already(r, FileUse::disk)) return LOAD_MEDIUM;
        int drive = 0;
        for (int d = 0; d < machine_desc().drives && d < 4; d++) {
            if (!drive_has_disk(d)) {
                drive = d;
                break;
            }
        }
        // Every drive full: drive 0's disk goes, unless its changes are to be kept.
        // A refused image (its warning given) leaves the drive as it was.
        if (!may_replace(drive) || !disk_insert_dispatch(0, drive, r.path.c_str()))
            return LOAD_FAILED;
        return LOAD_MEDIUM;
    }
    case KIND_IMG:
    case KIND_TWIN: {
        if (machine_traits().disk_images != DiskImages::TWIN) break;
        rec_stop_all();
        if (held_already(r, FileUse::disk)) return LOAD_MEDIUM;
        const int drive = drive_has_disk(0) && !drive_has_disk(1) ? 1 : 0;
        // A refused image (its warning given) leaves the drive as it was.
        if (!may_replace(drive) || !disk_insert_dispatch(0, drive, r.path.c_str()))
            return LOAD_FAILED;
        return LOAD_MEDIUM;
    }
    case KIND_PAP: {
        const u8 units = device_link.papertape_units;
        if (units == 0) break;
        rec_stop_all();
        int unit = 0;
        if (units == 2 && papertape_state[0] != 0 && papertape_state[1] == 0) unit = 1;
        // A refused tape leaves the unit and its file name as they were.
        if (!papertape_insert(unit, r.path.c_str())) return LOAD_FAILED;
        // A single unit shows its window; two are shown where the machine shows them.
        if (units == 1) ui_request_tool_window(TW_PAPERTAPE);
        return LOAD_MEDIUM;
    }
    default:
        break;
    }
    warn_wrong_guest();
    return LOAD_FAILED;
}

} // namespace

ProgramReader* loader_program_reader(int kind) {
    static ProgramReader eof{elektor_parse_eof, elektor_commit_eof};
    static ProgramReader cmd{binbug_parse_cmd, binbug_commit_cmd};
    static ProgramReader mod{twin_parse_mod, twin_commit_mod};
    static ProgramReader imag{cd2650_parse_imag, cd2650_commit_imag};
    switch (kind) {
    case KIND_EOF:
        return &eof;
    case KIND_CMD:
        return &cmd;
    case KIND_MOD:
        return &mod;
    case KIND_IMAG:
        return &imag;
    default:
        return nullptr;
    }
}

namespace {

// The bytes, read whole, are copied into a new shared file buffer, replacing
// what it held (a recording that played from it stops), unless they are that
// buffer's. False when there was no memory for them.
bool lend_bytes(LoadRequest& r) {
    if (!r.bytes && r.data && r.data == filebuf) return true;
    filebuf_free();
    filebuf_length = 0;
    if (!r.bytes) return true;
    if (!filebuf_alloc(r.length)) return false;
    std::memcpy(filebuf, r.bytes.get(), r.length);
    r.bytes.reset();
    filebuf_length = r.length;
    r.data = filebuf;
    return true;
}

// The load of the request's bytes by its kind. Returns a LoadResult.
int load_kind(LoadRequest& r) {
    const bool lent = lend_bytes(r);
    stop_input_recording();
    if (!lent) {
        if (!r.quiet)
            con_printf("%s \"%s\" (out of memory)!\n\n", cat_str(428, "Can't load"),
                       r.path.c_str());
        return LOAD_FAILED;
    }
    serial_dir = 0;
    filebuf_cursor = 0;
    const int kind = r.kind;
    if (kind < FILE_KINDS && loader_reader_missing(kind)) {
        char text[128];
        std::snprintf(text, sizeof text, "%s files cannot be loaded yet!", kind_names[kind]);
        ui_warning(text);
        return LOAD_FAILED;
    }
    if (kind_is_medium(kind)) return load_medium(r);
    switch (kind) {
    case KIND_BIN:
        return load_bin(r);
    case KIND_COS:
    case KIND_COR:
        return load_state(r);
    case KIND_AOF:
        return load_aof(r);
    case KIND_TVC:
        return load_tvc(r);
    case KIND_EOF:
    case KIND_CMD:
    case KIND_MOD:
    case KIND_IMAG:
        return load_program_file(r);
    case KIND_HEX:
        return load_hex(r);
    case KIND_BPNF:
        return load_bpnf(r);
    case KIND_SMS:
        return load_sms(r);
    case KIND_ASM:
        return load_source(r);
    case KIND_SYM: {
        const std::string text(reinterpret_cast<const char*>(r.data), r.length);
        sym_text_length = static_cast<u32>(text.size());
        sym_parse_file(text.c_str(), r.path);
        return LOAD_MEDIUM;
    }
    default:
        ui_warning(cat_str(1219, "This file format is not supported for loading!"));
        // Named on the console, as every file that cannot be loaded is.
        if (!r.quiet)
            con_printf("%s \"%s\" (no loader takes a file of this kind)!\n\n",
                       cat_str(428, "Can't load"), r.path.c_str());
        return LOAD_FAILED;
    }
}

} // namespace

u32 load_kind_max_size(int kind) {
    switch (kind) {
    case KIND_BIN:
        return BIN_MAX_SIZE;
    case KIND_TVC:
        return TVC_COPY_BYTES;
    case KIND_COS:
        return STATE_BUFFER_SIZE;
    case KIND_COR:
        return LOAD_MAX_SIZE; // a recording grows with the time played
    case KIND_AOF:
    case KIND_HEX:
    case KIND_EOF:
    case KIND_CMD:
    case KIND_MOD:
    case KIND_IMAG:
    case KIND_BPNF:
    case KIND_SMS:
        return PROGRAM_FILE_MAX_SIZE;
    case KIND_SYM:
        return SYMBOL_FILE_MAX_SIZE;
    default:
        return 0; // read by its own subsystem, or not loadable at all
    }
}

namespace {

// The bytes being read: the request takes them only once the whole file is
// in, so a failed read leaves the file buffer (a playing recording) alone.
struct PendingBuffer {
    u8* bytes = nullptr;
    u32 size = 0;
    u32 limit = 0;
    PendingBuffer() = default;
    PendingBuffer(const PendingBuffer&) = delete;
    PendingBuffer& operator=(const PendingBuffer&) = delete;
    ~PendingBuffer() { std::free(bytes); }
    u8* place(std::size_t n) {
        if (n == 0 || n > limit) return nullptr;
        bytes = static_cast<u8*>(std::malloc(n));
        size = bytes ? static_cast<u32>(n) : 0;
        return bytes;
    }
    void hand_to(LoadRequest& r) {
        r.bytes.reset(bytes);
        r.data = bytes;
        r.length = size;
        bytes = nullptr;
    }
};

enum Fetch { FETCH_OK, FETCH_MISSING, FETCH_REFUSED, FETCH_REPORTED };

// Why a file that could not be opened as a regular file was refused.
const char* open_refusal(int error) {
    switch (error) {
    case EISDIR:
        return "a directory";
    case EINVAL:
        return "not a regular file";
    case EACCES:
    case EPERM:
        return "not readable";
    default:
        return "not found";
    }
}

// A file whose name says no kind is taken as a state when it begins with a
// state's header (earlier versions saved states under any name given).
int kind_by_contents(const std::string& host) {
    const int fd = path_open_regular(host, nullptr);
    if (fd < 0) return KIND_NONE;
    u8 header[STATE_HEADER_SIZE];
    const bool whole = ::read(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
    ::close(fd);
    if (!whole || header[0] != STATE_MAGIC || header[2] > 1) return KIND_NONE;
    return header[2] ? KIND_COR : KIND_COS;
}

// The kinds whose empty file is still one to load: an Elektor program the
// tape reader takes as nothing, and a papertape with no frames yet (as
// Create papertape... leaves it).
bool loads_empty(int kind) {
    return kind == KIND_EOF || kind == KIND_PAP;
}

// Reads the request's file (or its first loadable ZIP member) into the
// request, refusing by the kind's size before reading anything. `why` is set
// to the reason of a refusal, in the words of "Can't load".
Fetch fetch_file(LoadRequest& r, const char** why) {
    PendingBuffer pending;
    const char* const name = r.path.c_str();
    if (zip_is_archive(name)) {
        ZipMember member;
        const int ok = zip_extract_first(name, false, r.quiet != 0, member,
                                         [&pending](int kind, std::size_t size) {
                                             pending.limit = load_kind_max_size(kind);
                                             return pending.place(size);
                                         });
        if (!ok) {
            *why = member.refusal;
            return member.refusal ? FETCH_REFUSED : FETCH_REPORTED;
        }
        pending.hand_to(r);
        r.kind = r.zip_member_kind = member.kind;
        return FETCH_OK;
    }
    const std::string host = path_to_host(name);
    int kind = file_type_from_name(name);
    if (kind == KIND_NONE) kind = kind_by_contents(host);
    pending.limit = load_kind_max_size(kind);
    if (pending.limit == 0) {
        // The loader needs none of its bytes; the file must still be one.
        unsigned long long size = 0;
        const int fd = path_open_regular(host, &size);
        if (fd < 0) {
            *why = open_refusal(errno);
            return FETCH_MISSING;
        }
        ::close(fd);
        *why = size == 0 ? "empty" : "too large";
        if ((size == 0 && !loads_empty(kind)) || size > LOAD_MAX_SIZE) return FETCH_REFUSED;
        r.kind = kind;
        return FETCH_OK;
    }
    errno = 0;
    const int read = file_read_regular(host, pending.limit,
                                       [&pending](std::size_t n) { return pending.place(n); });
    if (read == READ_UNAVAILABLE) {
        *why = open_refusal(errno);
        return FETCH_MISSING;
    }
    if (read == READ_OK && pending.size == 0 && loads_empty(kind)) {
        r.kind = kind;
        return FETCH_OK;
    }
    *why = read == READ_TOO_LARGE ? "too large" : read == READ_FAILED ? "read error" : "empty";
    if (read != READ_OK || pending.size == 0) return FETCH_REFUSED;
    pending.hand_to(r);
    r.kind = kind;
    return FETCH_OK;
}

// Whether a file of `kind` is taken beside what runs (a tape, a disk, a
// papertape, labels, a source on a machine with no processor to run it), not
// loaded as it.
bool taken_beside(int kind) {
    return kind_is_medium(kind) || kind == KIND_SYM ||
           (kind == KIND_ASM && machine_traits().no_processor);
}

// Whether the last load made its file what runs: a game, state or program,
// which the title names, Revert loads again and the recent files list.
bool load_runs_file = false;

// The file what runs was loaded from, or saved as (file_name_running).
char running_file[FILE_NAME_SIZE];

// A file loaded again into the machine it was loaded into before (a recent
// file's) sets that machine up first, as a switch by the user does: a changed
// disk or tape it would drop is asked about, and kept, the load refused, when
// the user cancels or nobody can be asked. A map that cannot be set up
// refuses the load too: the file never goes silently into another machine.
bool set_up_machine_first(const LoadRequest& r) {
    if (r.memmap < 0 || kind_names_its_machine(r.kind) || static_cast<u32>(r.memmap) == memmap)
        return true;
    if (r.memmap >= static_cast<i32>(MEMMAPS) || memmap_is_empty(static_cast<u32>(r.memmap))) {
        load_refusal = "memory map " + std::to_string(r.memmap) +
                       ", which it was opened on, cannot be set up";
        if (!r.quiet) ui_warning(("Not loaded: " + r.path + ": " + load_refusal + ".").c_str());
        return false;
    }
    if (!emu_set_memory_map(memmap_table[r.memmap].machine, r.memmap)) {
        // The switch's own reason (a changed disk kept) when it gave one.
        load_refusal = machine_take_switch_refusal();
        if (load_refusal.empty()) load_refusal = "the machine it was opened on was not set up";
        return false;
    }
    // The machine set up afresh named its own state file in the shared name.
    std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s", r.path.c_str());
    return true;
}

// `report_missing` false keeps quiet about a file that is not there (the
// caller tries another name). The file is named in file_name_buffer while it
// loads; a load that fails gives back the name of what runs, which Revert
// loads again. `*finished`: what ran was replaced, its outputs finished.
int load_file(LoadRequest r, bool report_missing, bool* finished) {
    load_runs_file = false;
    load_refusal.clear();
    load_tried = r.path;
    if (r.path.size() >= FILE_NAME_SIZE) return LOAD_FAILED;
    char running[FILE_NAME_SIZE];
    std::memcpy(running, file_name_buffer, sizeof running);
    const auto failed = [&running]() {
        std::memcpy(file_name_buffer, running, sizeof running);
        return LOAD_FAILED;
    };
    std::memcpy(file_name_buffer, r.path.c_str(), r.path.size() + 1);
    const char* why = nullptr;
    const Fetch fetched = fetch_file(r, &why);
    if (fetched != FETCH_OK) {
        if (why) load_refusal = why;
        if (!r.quiet && fetched != FETCH_REPORTED && (report_missing || fetched != FETCH_MISSING))
            con_printf("%s \"%s\" (%s)!\n\n", cat_str(428, "Can't load"), r.path.c_str(), why);
        return failed();
    }
    if (!taken_beside(r.kind)) {
        // What runs is replaced: its outputs in progress (a recording, a
        // page half printed) are finished first, under its own name.
        std::memcpy(file_name_buffer, running, sizeof running);
        held_finish(HeldScope::machine);
        *finished = true;
        std::memcpy(file_name_buffer, r.path.c_str(), r.path.size() + 1);
    }
    if (!set_up_machine_first(r)) return failed();
    const u32 old_region = emu_region;
    const FileIdentity file = file_identity_at(path_to_host(r.path.c_str()));
    const int kind = r.kind;

    // What the file, its games-database row and its machine set hold for its run.
    const PrefsForRun for_run;
    load_take_rom_kept();
    const int result = load_kind(r);
    load_tell_rom_kept();
    if (result == LOAD_GAME || result == LOAD_PLAYBACK) {
        loaded_file = file;
        loaded_host = path_to_host(r.path.c_str());
        loaded_kind = kind;
    }
    if (result != LOAD_PLAYBACK) filebuf_free();
    if (result == LOAD_FAILED) return failed();
    if (result == LOAD_MEDIUM && taken_beside(kind)) {
        // A medium or a symbol file taken is not what runs: the name stays
        // that of the state or program Revert loads again.
        std::memcpy(file_name_buffer, running, sizeof running);
        return result;
    }
    load_runs_file = true;
    file_loaded = 1;
    file_name_running(r.path.c_str(), r.heads_recent); // selects its row in the game list
    ui_mark(UI_TITLE | UI_MENUS);
    // A program put into the machine goes on with its picture and sound.
    if (result == LOAD_MEDIUM) return result;
    ui_mark(UI_TOOLBAR | UI_DIP_GADGETS);
    if (machine_traits().keeps_region && emu_region != old_region && ui_host.main_window_open() &&
        ui_host.region_changed)
        ui_host.region_changed();
    else
        core_hooks_run(CoreHook::geometry);
    core_hooks_run(CoreHook::picture_redraw);
    core_hooks_run(CoreHook::sound_stop);
    core_hooks_run(CoreHook::sound_start);
    ui_mark(UI_REOPEN_WINDOWS);
    return LOAD_GAME;
}

// Every load that finished the printer's pages and went ahead, by any way it
// came (OPEN, the requester, a drop, the command line, a recent file,
// Revert), begins a new printout, named after the file loaded. A load that
// failed or was refused leaves what runs printing on in its own printout.
int load(LoadRequest r, bool report_missing) {
    bool finished = false;
    const int result = load_file(std::move(r), report_missing, &finished);
    if (finished && result != LOAD_FAILED) printer_begin_printout();
    return result;
}

} // namespace

bool file_taken_beside(const char* path) {
    return !zip_is_archive(path) && taken_beside(file_type_from_name(path));
}

LoadRequest load_request(const char* path, int quiet) {
    LoadRequest r;
    r.path = path ? path : "";
    r.quiet = quiet;
    return r;
}

LoadRequest load_request_chosen(const char* path) {
    LoadRequest r = load_request(path);
    r.heads_recent = true;
    return r;
}

void state_settle() {
    tape_restart_clock();
    if (const auto after = machine_row().after_state_load) after();
    core_hooks_run(CoreHook::state_loaded);
    dbg_clear_coverage();
    mem_restored_from_state = 1; // every byte holds the state's value
    machine_notice_all(&MachineOps::any_state_loaded);
    emu_restart_timing();
}

static int last_load_result = -1;

int file_load_request(LoadRequest request) {
    const int result = load(std::move(request), true);
    last_load_result = result;
    return result;
}

bool kind_names_its_machine(int kind) {
    return kind == KIND_COS || kind == KIND_COR;
}

// The one place that names what runs: the title (file_running_name), Revert
// (file_revert_path), the game list's selection and, for a file the user chose
// afresh, the head of the recent files all follow this name, so that they
// never name different files.
void file_name_running(const char* path, bool heads_recent) {
    std::snprintf(running_file, sizeof running_file, "%s", path ? path : "");
    if (running_file[0])
        std::snprintf(game_file_name, sizeof game_file_name, "%s", path_file_part(running_file));
    if (heads_recent && running_file[0]) ui_note_recent(running_file);
    ui_mark(UI_TITLE);
    games_find_loaded();
}

const char* file_running_name() {
    const char* path = file_revert_path();
    return path ? path_file_part(path) : nullptr;
}

int file_load_kept_recording() {
    LoadRequest r = load_request(file_name_buffer);
    r.restart = true;
    r.kind = KIND_COR;
    r.data = filebuf;
    r.length = filebuf_length;
    if (!r.data) return LOAD_FAILED;
    const PrefsForRun for_run;
    return load_kind(r);
}

int file_load_by_name(const char* path, int quiet) {
    if (!path) return LOAD_FAILED;
    return file_load_request(load_request(path, quiet));
}

const std::string& file_load_refusal() {
    return load_refusal;
}

const std::string& file_load_tried() {
    return load_tried;
}

const char* file_revert_path() {
    if (!file_loaded || !running_file[0]) return nullptr;
    // A machine set up afresh names its own state file, which is something
    // to revert to only once it is there.
    const char* own = memmap_state_file_name(memmap);
    if (own[0] && strcasecmp(path_file_part(running_file), own) == 0 &&
        !file_identity_at(path_to_host(running_file)).known)
        return nullptr;
    return running_file;
}

int file_load_take_result() {
    const int result = last_load_result;
    last_load_result = -1;
    return result;
}

// The file loaded is held only while it is still there: once it was removed
// its inode may go to a new file (of the user's, or another writer's output),
// which is not it.
static bool loaded_file_still_there() {
    return file_identity_same(file_identity_at(loaded_host), loaded_file);
}

void file_loaded_playback(std::vector<FileInUse>* out) {
    if (rec_state == REC_PLAYBACK && loaded_kind == KIND_COR && loaded_file_still_there())
        out->push_back({"the recording being played", loaded_file});
}

void file_loaded_state(std::vector<FileInUse>* out) {
    if (loaded_kind == KIND_COS && loaded_file_still_there())
        out->push_back({"the state just loaded", loaded_file});
}

int file_open_chosen(int quiet) {
    // A file chosen heads the recent files once it runs.
    const auto chosen = [quiet]() {
        LoadRequest r = load_request_chosen(file_name_buffer);
        r.quiet = quiet;
        return r;
    };
    const char* file = path_file_part(file_name_buffer);
    if (std::strchr(file, '.')) return file_load_request(chosen());
    const char* suffix = file_default_suffix(machine);
    if (!file_set_extension_found(suffix, file_name_buffer, FILE_NAME_SIZE, 0)) return LOAD_FAILED;
    const int result = load(chosen(), false);
    if (result != LOAD_FAILED) return result;
    if (!file_set_extension_found(".zip", file_name_buffer, FILE_NAME_SIZE, 1)) return LOAD_FAILED;
    return file_load_request(chosen());
}

int file_open_answer(int answer, const char* previous_games_path) {
    if (answer == 5) {
        games_audit_drawer(0);
        return LOAD_FAILED;
    }
    if (answer != 0) return LOAD_FAILED;
    const int result = file_open_chosen(0);
    if (result == LOAD_FAILED) {
        ui_beep();
        return result;
    }
    if (load_runs_file) games_split_path(file_name_buffer);
    // The load selected the row of what it loaded; a new drawer is listed
    // and selected anew.
    if (strcasecmp(games_path, previous_games_path) != 0) games_audit_drawer(0);
    core_hooks_run(CoreHook::sound_stop);
    core_hooks_run(CoreHook::sound_start);
    return result;
}

int file_open_with_requester() {
    if (emu_paused_mid_frame) return -1;
    char previous[sizeof games_path];
    std::memcpy(previous, games_path, sizeof previous);
    // The requester answers into the shared name: a file not loaded leaves
    // the name of what runs.
    char running[FILE_NAME_SIZE];
    std::memcpy(running, file_name_buffer, sizeof running);
    const int answer = ui_host.file_request(cat_str(181, "Open Game/State/Recording/Tape/Disk"),
                                            OPEN_REQUESTER_PATTERN, FILE_REQUEST_LOOKUP, games_path,
                                            game_file_name, file_name_buffer);
    // Only a file chosen ends what records or plays (and the title says so):
    // a requester put away leaves it running.
    if (answer == 0) {
        rec_stop_all();
        stop_input_recording();
    }
    const int result = file_open_answer(answer, previous);
    if (answer != 0 || result == LOAD_FAILED)
        std::memcpy(file_name_buffer, running, sizeof running);
    return answer == 0 ? result : -1;
}
