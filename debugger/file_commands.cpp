// The debugger's file commands that move guest memory to and from host files
// in the projects drawer: LOADBIN, SAVEBIN, SAVEHEX, SAVEBPNF, SAVESMS and
// SAVETVC; ASM runs the assembler on a source, DL the "Open..." requester.
// Every save is written whole through a temporary file or not at all, and a
// refused command writes nothing.
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/literals.h"
#include "debugger/watch.h"
#include "assembler/asm.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/own_outputs.h"
#include "core/objfile.h"
#include "core/session.h"
#include "cpu/memory.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr u32 TOP = GUEST_MEMORY_SIZE - 1;
const u32 NONE = static_cast<u32>(REG_NONE);

u32 address(const char* text) {
    return dbg_parse_register_operand(text, TOP, 0);
}

// Reads start and end: false after the range message when either is no
// address, or after the order message when the range runs backwards.
bool read_range(const char* first, const char* last, u32& start, u32& end) {
    start = address(first);
    end = address(last);
    return dbg_check_range(start, end) != 0;
}

// The commands with exactly `count` arguments. (A machine without a processor:
// their Debug menu rows refused the line.)
bool arguments(int count) {
    if (dbg_lone_question() || dbg_arg_count() != count) {
        dbg_usage();
        return false;
    }
    return true;
}

// SAVEBIN, SAVEHEX, SAVEBPNF: <start> <end> <filename>.
template <int (*Save)(const char*, u32, u32)> void save_range(const char* suffix) {
    if (!arguments(3)) return;
    u32 start, end;
    if (!read_range(dbg_arg1, dbg_arg2, start, end)) return;
    dbg_save_in_projects(dbg_arg3, suffix,
                         [&](const char* name) { return Save(name, start, end); });
}

} // namespace

bool dbg_name_free(const std::string& name, const OwnWriter& writer, bool made,
                   const char* remedy) {
    const std::string shown = path_absolute(name);
    const std::string whose =
        own_output_not_own(name, "is not an earlier output of " + writer.who);
    const std::string tail =
        ", and it " + whose + ".\nReplace loses that file; Keep leaves it as it is.";
    if (made ? own_output_may_go(name, writer,
                                 shown + " is in the place of the file " + writer.who +
                                     " names for itself" + tail)
             : own_output_typed_may_go(name, writer, shown + " exists" + tail))
        return true;
    dbg_refuse("Kept %s: %s writes its file there, and that file %s. %s\n\n", shown.c_str(),
               writer.who.c_str(), whose.c_str(),
               remedy ? remedy
               : made ? "Name the file to write with its suffix, or move that file."
                      : "Name another file to write, or move that file.");
    return false;
}

bool dbg_name_names_a_file(const char* given) {
    const std::string why = own_output_name_refusal(given);
    if (why.empty()) return true;
    dbg_refuse("%s\n\n", why.c_str());
    return false;
}

std::string dbg_saved_name(const char* given, const char* suffix) {
    return own_output_name(given[0] ? given : (game_file_name[0] ? game_file_name : "Untitled"),
                           suffix);
}

void dbg_save_in_projects(const char* given, const char* suffix,
                          const std::function<int(const char*)>& save, bool answer) {
    if (!dbg_name_names_a_file(given)) return;
    const std::string made = dbg_saved_name(given, suffix);
    const char* name = made.c_str();
    if (!dbg_enter_projects(name)) return;
    const OwnWriter writer{dbg_command_name(), ""};
    if (!dbg_name_free(made, writer, own_output_name_made(given, made))) {
        dir_restore();
        return;
    }
    objfile_take_write_failure(); // only this save's
    const int written = save(name);
    if (written) own_output_note_file(name, writer);
    dir_restore();
    if (!written)
        dbg_save_failed();
    else if (answer)
        dbg_ok();
}

void dbg_save_failed() {
    const std::string why = objfile_take_write_failure();
    dbg_refuse("%s%sFailed!\n\n", why.c_str(), why.empty() ? "" : "\n");
}

void dbg_cmd_savebin() {
    save_range<file_save_bin>(".bin");
}

void dbg_cmd_savehex() {
    save_range<objfile_save_hex>(".hex");
}

void dbg_cmd_savebpnf() {
    save_range<file_save_bpnf>(".bpnf");
}

void dbg_cmd_savesms() {
    if (!arguments(2)) return;
    u32 start, end;
    if (!read_range("0", dbg_arg1, start, end)) return;
    dbg_save_in_projects(dbg_arg2, ".sms", [&](const char* name) {
        return file_save_sms(name, static_cast<i32>(end));
    });
}

void dbg_cmd_savetvc() {
    const int n = dbg_arg_count();
    if (dbg_lone_question() || n < 2 || n > 4) {
        dbg_usage();
        return;
    }
    // Machines without .tvc files: the Debug menu's row refuses the line first.
    u32 start, end;
    if (!read_range(dbg_arg1, dbg_arg2, start, end)) return;
    const u32 game_start = n >= 4 ? address(dbg_arg4) : game_start_address;
    if (game_start == NONE) {
        dbg_range_message(0, TOP);
        return;
    }
    dbg_save_in_projects(n >= 3 ? dbg_arg3 : "", ".tvc", [&](const char* name) {
        return objfile_save_tvc(name, start, end, game_start);
    });
}

// LOADBIN: the file as named, else with ".bin" (in either letter case), read
// into guest memory from the start address. What would reach past $7FFF is
// left out and counted; what would reach the ROM is left out as every load does.
void dbg_cmd_loadbin() {
    if (!arguments(2)) return;
    const u32 start = address(dbg_arg1);
    if (start == NONE) {
        dbg_range_message(0, TOP);
        return;
    }
    char name[1024];
    std::snprintf(name, sizeof name, "%s", dbg_arg2);
    if (!dbg_enter_projects(name)) return;
    struct stat st;
    if (stat(name, &st) != 0) file_set_extension_found(".bin", name, sizeof name, 0);
    // Only a regular file is read: a folder, a FIFO or a device is refused
    // without waiting on it.
    unsigned long long size = 0;
    const int fd = path_open_regular(name, &size);
    std::FILE* f = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
    if (fd >= 0 && !f) ::close(fd);
    dir_restore();
    if (!f) {
        dbg_refuse("Failed!\n\n");
        return;
    }
    const u32 room = GUEST_MEMORY_SIZE - start;
    const u32 wanted = size < room ? static_cast<u32>(size) : room;
    // Read into a copy first: a short read changes nothing in the guest.
    u8 bytes[GUEST_MEMORY_SIZE];
    const size_t got = std::fread(bytes, 1, wanted, f);
    std::fclose(f);
    if (got != wanted) {
        dbg_refuse("Failed!\n\n");
        return;
    }
    load_put_bytes(start, bytes, wanted);
    load_tell_rom_kept();
    ui_mark(UI_REFRESH_WINDOWS);
    if (size > room)
        con_printf("File is too large: loaded $%X..$%X, dropped %llu byte(s) past $%X.\n", start,
                   TOP, static_cast<unsigned long long>(size - room), TOP);
    dbg_ok();
}

// ASM: the assembler's own run, whose result stays in the guest only when it
// assembled without errors.
void dbg_cmd_asm() {
    if (!arguments(1)) return;
    // The assembler has told why; the line only answers as refused.
    if (asm_assemble_checked(dbg_arg1) == 10) dbg_refuse("%s", "");
    load_tell_rom_kept();
    ui_mark(UI_REFRESH_WINDOWS);
}

// DL: the "Open..." requester (the table runs it between frames only).
void dbg_cmd_dl() {
    if (!dbg_machine_has_cpu(true)) return;
    file_open_with_requester();
}
