// Disassembly of guest memory into an assembler source file: code discovery
// from the entry points, invented labels for branch targets, data and
// pointers, the equate sections of every label source, and the directives of
// the chosen notation. Everything goes out through con_printf, which also
// writes into the open asm_output_file.
#include "debugger/disasm_file.h"


#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/message_date.h"
#include "core/own_outputs.h"
#include "core/seams_games.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/labels.h"
#include "debugger/symbols_seam.h"
#include "core/machine_titles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <string>
#include <unistd.h>

u16 dis_addr_flags[GUEST_MEMORY_SIZE];
static u16 worklist[GUEST_MEMORY_SIZE];
static u32 worklist_size;

// ---- Label sources -------------------------------------------------------------

// Calls visit(row, address) for every used row of a run of built-in label rows.
template <typename Visit> static void each_row(i32 first, i32 last, u32 base, Visit visit) {
    if (first < 0) return;
    for (i32 row = first; row <= last && row < LABEL_TABLE_ROWS; row++)
        if (label_table[row].name[0])
            visit(label_table[row], (base + label_table[row].address) & 0xFFFF);
}

static const KnownGame* current_game() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return nullptr;
    return &known_games_db[known_game_id];
}

// The rows of the machine, DOS, ACOS and game sources (those that seed the
// code discovery).
template <typename Visit> static void each_program_label(Visit visit) {
    const MachineLive& m = machine_live_row();
    each_row(m.first_label_row, m.last_label_row, 0, visit);
    if (machine_traits().os_symbols) {
        each_row(dos_label_first, dos_label_last, 0, visit);
        each_row(LABEL_ACOS_FIRST, LABEL_ACOS_FIRST + LABEL_ACOS_ROWS - 1, 0, visit);
    }
    if (const KnownGame* game = current_game())
        if (game->label_first >= 0)
            each_row(LABEL_GAME_BASE + game->label_first, LABEL_GAME_BASE + game->label_last, 0,
                     visit);
}

template <typename Visit> static void each_pvi_label(Visit visit) {
    for (i32 pvi = 0; pvi < machine_live_row().pvi_count; pvi++)
        each_row(LABEL_PVI_FIRST + pvi * LABEL_PVI_ROWS,
                 LABEL_PVI_FIRST + pvi * LABEL_PVI_ROWS + LABEL_PVI_ROWS - 1,
                 static_cast<u32>(machine_desc().first_pvi_base), visit);
}

template <typename Visit> static void each_user_label(Visit visit) {
    for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++)
        visit(user_labels[i], user_labels[i].address);
}

void dis_write_equates(const char* equate_word, bool user_labels) {
    bool printed = false;
    const char* header = nullptr;
    bool with_notes = false;
    auto row_out = [&](LabelRow& row, u32 address) {
        if (row.hide) return;
        if (!printed) con_printf("%s", header);
        printed = true;
        // The colon marks the name as a label in every notation, also one
        // spelt like a directive or a mnemonic (DB, LD).
        const std::string name = std::string(row.name) + ":";
        con_printf("%-17s %s %s%04X ;%s\n", name.c_str(), equate_word,
                   dis_hex_prefix[dis_notation_index()], address, dis_memory_type_name(row.kind));
        if (with_notes) dis_address_notes(address, 0, nullptr, 0);
        app_check_break();
    };
    auto section = [&](const char* text, bool notes) {
        header = text;
        printed = false;
        with_notes = notes;
    };
    section(";CPU Equates--------------------------------------------------------------\n", false);
    each_row(LABEL_CPU_FIRST, LABEL_CPU_FIRST + LABEL_CPU_ROWS - 1, 0, row_out);
    section(";PVI Equates--------------------------------------------------------------\n", true);
    each_pvi_label(row_out);
    const MachineLive& m = machine_live_row();
    section(";Machine Equates----------------------------------------------------------\n", true);
    each_row(m.first_label_row, m.last_label_row, 0, row_out);
    if (machine_traits().os_symbols) {
        section(";DOS Equates--------------------------------------------------------------\n",
                true);
        each_row(dos_label_first, dos_label_last, 0, row_out);
        section(";ACOS Equates-------------------------------------------------------------\n",
                true);
        each_row(LABEL_ACOS_FIRST, LABEL_ACOS_FIRST + LABEL_ACOS_ROWS - 1, 0, row_out);
    }
    if (const KnownGame* game = current_game()) {
        section(";Game Equates-------------------------------------------------------------\n",
                true);
        if (game->label_first >= 0)
            each_row(LABEL_GAME_BASE + game->label_first, LABEL_GAME_BASE + game->label_last, 0,
                     row_out);
    }
    if (!user_labels) return;
    section(";User Equates-------------------------------------------------------------\n", false);
    each_user_label(row_out);
}

// ---- Code discovery -------------------------------------------------------------

// The machine's interrupt entry, or -1.
static i32 interrupt_address() {
    const MachineDebug& ops = machine_debug();
    return ops.interrupt_entry ? ops.interrupt_entry() : -1;
}

// Marks an entry point and queues it once.
static void push_entry(u32 address) {
    address &= 0x7FFF;
    if (dis_addr_flags[address] & DIS_CODE_LABEL) return; // queued before
    dis_addr_flags[address] |= DIS_CODE_LABEL;
    if (worklist_size < GUEST_MEMORY_SIZE) worklist[worklist_size++] = static_cast<u16>(address);
}

static void mark_reference(u32 target, u8 b1) {
    dis_addr_flags[target & 0x7FFF] |= (b1 & 0x80) ? DIS_POINTER_LABEL : DIS_DATA_LABEL;
}

// A branch whose operand the formatters have just resolved: a direct target is
// an entry; an indirect one only when its pointer lies in memory that cannot change.
static void follow_branch(u32 a, u8 b1, u32 pointer) {
    if (!(b1 & 0x80)) {
        push_entry(dis_ea);
        return;
    }
    dis_addr_flags[a] |= DIS_INDIRECT;
    u32 second = ((pointer + 1) & 0x1FFF) == 0 ? pointer - 0x1FFF : pointer + 1;
    if ((mem_attributes[pointer & 0x7FFF] & MEM_UNWRITABLE) &&
        (mem_attributes[second & 0x7FFF] & MEM_UNWRITABLE))
        push_entry(dis_ea);
}

// Traces one flow from a until it ends or meets code already decoded.
static void trace_from(u32 a) {
    while (a <= 0x7FFF && !(dis_addr_flags[a] & DIS_CODE)) {
        dis_addr_flags[a] |= DIS_CODE;
        u8 opcode = guest_memory[a];
        u8 b1 = guest_memory[page_add(static_cast<u16>(a), 1)];
        u8 b2 = guest_memory[page_add(static_cast<u16>(a), 2)];
        cpu_iar = static_cast<u16>(a);
        cpu_opcode = opcode;
        cpu_regsel = opcode & 3;
        bool even = !(opcode & 0x10);
        u8 slot = (opcode >> 2) & 3;
        u8 low = opcode & 0x0F;
        bool stop = false;

        if (opcode == 0x00) {
            dis_addr_flags[a] |= DIS_INDETERMINATE;
        } else if (opcode == 0x90 || opcode == 0x91 || opcode == 0xB6 || opcode == 0xB7 ||
                   (opcode >= 0xC4 && opcode <= 0xC7)) {
            dis_addr_flags[a] |= DIS_ILLEGAL;
            stop = true;
        } else if (even && slot == 2) {
            mark_reference((a & 0x6000) + ((a + 2 + rel_offset_table[b1]) & 0x1FFF), b1);
        } else if (even && slot == 3) {
            if (((b1 >> 5) & 3) == 0) mark_reference((a & 0x6000) + ((b1 & 0x1F) << 8) + b2, b1);
        } else if (opcode == 0x10 || opcode == 0x11) {
            if (cpu_type == CPU_2650) {
                dis_addr_flags[a] |= DIS_ILLEGAL;
                stop = true;
            } else {
                mark_reference(((b1 & 0x7F) << 8) + b2, b1);
            }
        } else if (opcode == 0x17 || opcode == 0x37 || opcode == 0x40) {
            dis_addr_flags[a] |= DIS_FLOW_END;
            stop = true;
        } else if (opcode == 0x9F || opcode == 0xBF) {
            if (b1 & 0x80) dis_addr_flags[a] |= DIS_INDIRECT;
            dis_addr_flags[a] |= DIS_CALCULATED;
            if (opcode == 0x9F) {
                dis_addr_flags[a] |= DIS_FLOW_END;
                stop = true;
            }
        } else if (opcode == 0x9B || opcode == 0xBB) {
            dis_operand_zero_page(1);
            follow_branch(a, b1, rel_offset_table[b1] & 0x1FFF);
            if (opcode == 0x9B) {
                dis_addr_flags[a] |= DIS_FLOW_END;
                stop = true;
            }
        } else if (!even && low >= 0x8) {
            // Branches and calls of the odd high nibbles: relative $x8-$xB, absolute $xC-$xF.
            if (low < 0xC) {
                dis_operand_relative();
                follow_branch(a, b1, (a & 0x6000) + ((a + 2 + rel_offset_table[b1]) & 0x1FFF));
            } else {
                dis_operand_branch(1);
                follow_branch(a, b1, ((b1 << 8) & 0x7F00) | b2);
            }
            if (opcode == 0x1B || opcode == 0x1F) {
                dis_addr_flags[a] |= DIS_FLOW_END;
                stop = true;
            }
        }
        if (stop) return;
        a += op_length[opcode];
    }
}

// The length of the body's line at address: an instruction, or one data byte
// (an undefined opcode is written as a data byte, the bytes after it as data
// of their own).
static u32 item_length(u32 address) {
    u16 flags = dis_addr_flags[address];
    if (!(flags & DIS_CODE) || (flags & DIS_ILLEGAL)) return 1;
    return op_length[guest_memory[address]];
}

// Marks the addresses from first to last at which the body starts a line:
// only there can it define a label.
static void mark_item_starts(u32 first, u32 last) {
    for (u32 address = first; address <= last && address <= 0x7FFF; address += item_length(address))
        dis_addr_flags[address] |= DIS_ITEM_START;
}

static bool inside_body_item(u32 address, u32 first, u32 last) {
    return address >= first && address <= last && !(dis_addr_flags[address] & DIS_ITEM_START);
}

// Names every marked address that has no label yet. An address inside the
// bytes of a line of the body gets no name, as nothing could define it: its
// operands are written as the address.
static void invent_labels(u32 first, u32 last) {
    i32 interrupt = interrupt_address();
    for (u32 address = 0; address < GUEST_MEMORY_SIZE; address++) {
        u16 flags = dis_addr_flags[address];
        if (!(flags & (DIS_CODE_LABEL | DIS_DATA_LABEL | DIS_POINTER_LABEL))) continue;
        if (inside_body_item(address, first, last)) continue;
        char text[DBG_ADDRESS_TEXT_SIZE];
        text[0] = 0;
        if (dbg_format_address(address, text, 0, 0, 15, 0)) continue;
        char name[16];
        u8 kind;
        if (flags & DIS_CODE_LABEL) {
            kind = 'C';
            if (address == 0 && machine_debug().boots_at_zero)
                std::snprintf(name, sizeof name, "BOOT");
            else if (static_cast<i32>(address) == interrupt)
                std::snprintf(name, sizeof name, "INTERRUPT");
            else if (game_start_address != 0 && address == game_start_address)
                std::snprintf(name, sizeof name, "GAME");
            else
                std::snprintf(name, sizeof name, "L%04X", address);
        } else if (flags & DIS_DATA_LABEL) {
            kind = 'D';
            std::snprintf(name, sizeof name, "X%04X", address);
        } else {
            kind = 'P';
            std::snprintf(name, sizeof name, "P%04X", address);
        }
        sym_add_quiet(name, address, kind);
    }
}

// Labels defined in the body are not repeated among the equates. The body
// defines the one name shown at the start of each of its lines; any other
// label, such as one inside an instruction's bytes, stays an equate.
static void hide_body_labels(u32 first, u32 last) {
    for (LabelRow& row : label_table)
        row.hide = 0;
    for (LabelRow& row : user_labels)
        row.hide = 0;
    auto hide = [&](LabelRow& row, u32 address) {
        if (address < first || address > last || address >= GUEST_MEMORY_SIZE ||
            !(dis_addr_flags[address] & DIS_ITEM_START))
            return;
        char shown[DBG_ADDRESS_TEXT_SIZE];
        shown[0] = 0;
        if (dbg_format_address(address, shown, 0, 0, 15, 1) && std::strcmp(shown, row.name) == 0)
            row.hide = 1;
    };
    each_row(LABEL_CPU_FIRST, LABEL_CPU_FIRST + LABEL_CPU_ROWS - 1, 0, hide);
    each_pvi_label(hide);
    each_program_label(hide);
    each_user_label(hide);
}

// ---- The source file --------------------------------------------------------------

std::string dis_file_name(const char* filename) {
    return own_output_name(filename, ".asm");
}

bool dis_file_exists(const char* filename) {
    struct stat st;
    if (!dir_enter_projects(nullptr, filename)) return false; // the writer then says why
    const bool found = ::lstat(dis_file_name(filename).c_str(), &st) == 0;
    dir_restore();
    return found;
}

static void print_data_byte(u32 address) {
    char label[DBG_ADDRESS_TEXT_SIZE];
    label[0] = 0;
    if (dbg_format_address(address, label, 0, 0, 15, 1)) con_printf("%s: ;$%X\n", label, address);
    u8 value = guest_memory[address];
    u32 nt = dis_notation_index();
    if (nt <= NOTATION_EXTENDED)
        con_printf("        DB      $%02X", value);
    else if (nt <= NOTATION_NEW_CALM)
        con_printf("        .DATA    16'%02X", value);
    else
        con_printf("        DATA   H'%02X", value);
    if (verbosity == 2) {
        if (nt == NOTATION_OLD_CALM || nt == NOTATION_NEW_CALM)
            con_printf("                                   ;  0,1 $%04X %02X\n", address, value);
        else
            con_printf("                                      ;  0,1 $%04X %02X\n", address, value);
        dis_print_address_comments(address);
    } else {
        con_printf("\n");
    }
}

bool dis_unnamed_temp_file = true;

namespace {

// The source file being written gets its name only once it is complete. It
// is made as every save's new file is, beside its place: unnamed where the
// file system allows it, else under a fresh name that no other file had, so
// that no file of the user's is ever taken for it.

// Opens the file that becomes `final_name`; null when it cannot be made
// (`*error` says why).
std::FILE* open_source_file(ReplaceFile& out, const std::string& final_name, std::string* error) {
    if (!file_replace_open(final_name, &out, error, !dis_unnamed_temp_file)) return nullptr;
    // A run broken off while writing (CTRL-C, SIGTERM) removes the named file
    // on its way out. The listing writes on its own descriptor.
    if (!out.temp.empty()) app_exit_remove_file(out.temp);
    const int fd = ::dup(out.fd);
    if (std::FILE* file = fd >= 0 ? ::fdopen(fd, "w") : nullptr) return file;
    *error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    if (!out.temp.empty()) app_exit_forget_file(out.temp);
    file_replace_abandon(&out);
    return nullptr;
}

// Completes the file under its final name (its mode and second names kept, as
// every save keeps them); on any failure nothing of it is left, and `*error`
// says why.
bool close_source_file(ReplaceFile& out, std::FILE* file, std::string* error) {
    errno = 0;
    const bool written = std::fflush(file) == 0 && !std::ferror(file);
    if (!written) *error = file_replace_reason(out, errno ? errno : EIO);
    const bool closed = std::fclose(file) == 0;
    if (written && !closed) *error = file_replace_reason(out, errno);
    const std::string temp = out.temp;
    const bool ok = written && closed && file_replace_commit(&out, error, false);
    if (!ok) file_replace_abandon(&out);
    if (!temp.empty()) app_exit_forget_file(temp);
    return ok;
}

} // namespace

bool dis_to_file(u32 first, u32 last, const char* filename, DisName name) {
    const OwnWriter writer{"DISGAME", ""};
    first &= 0x7FFF;
    last &= 0x7FFF;
    u16 saved_iar = cpu_iar;
    u8 saved_psl = cpu_psl;
    std::memset(dis_addr_flags, 0, sizeof dis_addr_flags);
    worklist_size = 0;

    // Entry points.
    i32 interrupt = interrupt_address();
    push_entry(0x0000);
    if (interrupt >= 0) push_entry(static_cast<u32>(interrupt));
    const i32 program_entry = machine_debug().program_entry;
    if (program_entry >= 0) push_entry(static_cast<u32>(program_entry));
    if (game_start_address != 0) push_entry(game_start_address);
    auto seed = [](LabelRow& row, u32 address) {
        if (row.kind == 'C') push_entry(address);
    };
    each_user_label(seed);
    each_program_label(seed);

    dis_mode = DIS_FILE;
    cpu_psl = 0;
    while (worklist_size > 0)
        trace_from(worklist[--worklist_size]);

    mark_item_starts(first, last);
    invent_labels(first, last);
    hide_body_labels(first, last);
    // The discovery leaves the last target it decoded pending; the body's first
    // line must not annotate it.
    dis_ea = DIS_EA_NONE;

    // The file gets its name only when it is complete.
    ReplaceFile out;
    std::string final_name;
    bool drawer_entered = false;
    std::FILE* previous_output = asm_output_file;
    asm_output_file = nullptr;
    bool written = true;
    if (filename && filename[0]) {
        final_name = dis_file_name(filename);
        drawer_entered = dbg_enter_projects(final_name.c_str());
        // A link's target is written (the link stays); what a save never
        // replaces stays as it is.
        std::string target, why;
        if (!drawer_entered) {
            why = "no drawer"; // refused, naming the drawer
        } else if (name != DisName::batch &&
                   !dbg_name_free(final_name, writer, name == DisName::made)) {
            why = "kept";
        } else if (file_save_target(final_name, &target, &why)) {
            asm_output_file = open_source_file(out, final_name, &why);
        }
        if (!asm_output_file && why.empty())
            dbg_refuse("Can't open %s for output!\n", final_name.c_str());
        else if (!asm_output_file && why != "kept")
            dbg_refuse("%s\n", file_failure_text("Can't open", final_name, why).c_str());
        written = asm_output_file != nullptr;
    }

    if (asm_output_file) con_printf(";%s\n", final_name.c_str());
    con_printf(";Disassembled by %s at %s\n", machine_title(machine), format_date_time_long());
    con_printf(";Platform: %s\n", memmap_desc().name);
    con_printf(";Size:     %d bytes ($%04X..$%04X)\n\n",
               static_cast<int>(last) - static_cast<int>(first) + 1, first, last);

    u32 nt = dis_notation_index();
    if (nt == NOTATION_OLD_CALM || nt == NOTATION_NEW_CALM) {
        dis_write_equates(".EQU");
        con_printf("\n        .LOC    %s%X\n\n", dis_hex_prefix[nt], first);
    } else {
        dis_write_equates("EQU");
        con_printf(nt == NOTATION_IEEE ? "\n        ORG    %s%X\n\n" : "\n        ORG   %s%X\n\n",
                   dis_hex_prefix[nt], first);
    }

    u32 address = first;
    for (;;) {
        u16 flags = dis_addr_flags[address];
        u32 length = 1;
        if (flags & DIS_CODE) {
            length = item_length(address);
            dis_list_range(address, address + length - 1, 0);
            if (flags & DIS_INDETERMINATE) con_printf(";Warning: indeterminate instruction!\n");
            if (flags & DIS_ILLEGAL) con_printf(";Warning: illegal instruction!\n");
            if (flags & DIS_INDIRECT) con_printf(";Warning: indirect branch!\n");
            if (flags & DIS_CALCULATED) con_printf(";Warning: calculated branch!\n");
            if (flags & DIS_FLOW_END) con_printf("\n");
        } else {
            print_data_byte(address);
        }
        address += length;
        app_check_break();
        // The body ends at the last address or at the top of the address space.
        if (address > last || address > 0x7FFF) break;
    }

    if (nt == NOTATION_OLD_CALM || nt == NOTATION_NEW_CALM)
        con_printf("\n        .END     %s%04X\n", dis_hex_prefix[nt], game_start_address);
    else if (nt == NOTATION_IEEE)
        con_printf("\n        END    %s%04X\n", dis_hex_prefix[nt], game_start_address);
    else
        con_printf("\n        END     $%04X\n", game_start_address);

    if (asm_output_file) {
        std::FILE* file = asm_output_file;
        asm_output_file = previous_output;
        std::string why;
        if (!close_source_file(out, file, &why)) {
            dbg_refuse("%s\n", file_failure_text("Can't write", final_name, why).c_str());
            written = false;
        } else {
            own_output_note_file(final_name, writer);
        }
    }
    asm_output_file = previous_output;
    if (drawer_entered) dir_restore();
    dis_mode = DIS_INTERACTIVE;
    cpu_iar = saved_iar;
    cpu_psl = saved_psl;
    con_printf("\n");
    return written;
}
