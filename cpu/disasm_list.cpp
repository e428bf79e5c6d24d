// Listings around the one-instruction disassembler: the debugger's range
// listing, the "Next instruction" message, the end of each listed line with the
// memory kind of the address it touches, the trace line's register columns,
// and the comments and notes that belong to an address.
#include "cpu/disasm.h"

#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/seams_games.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "cpu/seams.h"
#include "debugger/debugger.h"
#include "debugger/symbols_seam.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

u32 dis_next_address;

void dis_reset() {
    dis_ea = DIS_EA_NONE;
    dis_cc_context = DIS_CTX_UNKNOWN;
    dis_mode = DIS_INTERACTIVE;
    dis_next_address = 0;
    dis_line[0] = dis_pseudo_line[0] = dis_flag_comments[0] = dis_trace_line[0] = 0;
}

void dis_log_next_instruction() {
    char address[DBG_ADDRESS_TEXT_SIZE];
    address[0] = 0;
    dbg_format_address(cpu_iar, address, 1, 0, 15, 1);
    const char* mnemonic = op_text[dis_notation_index()][guest_memory[cpu_iar & 0x7FFF]].mnemonic;
    con_printf(cat_str(687, "Next instruction is %s at %s.\n\n"), mnemonic ? mnemonic : "",
               address);
}

void dis_list_range(u32 first, u32 last, int quiet) {
    u16 saved_iar = cpu_iar;
    u8 saved_psl = cpu_psl;
    u32 saved_cycles = cpu_cycles;
    u32 saved_mode = dis_mode;
    if (dis_mode == DIS_INTERACTIVE) dis_mode = DIS_LISTING;
    if (verbosity == 1 && !quiet)
        con_printf("Loca InOpAd Mnemoni XRU  IAdd IV EAdd\n"
                   "---- ------ ------- --- ----- -- ----\n");
    u32 address = first & 0x7FFF;
    cpu_psl = 0;
    cpu_cycles = 0;
    for (;;) {
        cpu_iar = static_cast<u16>(address);
        cpu_opcode = guest_memory[address];
        cpu_regsel = cpu_opcode & 3; // PSL is 0: bank 0
        dis_instruction(1, quiet);
        if (!quiet) dis_region_comment();
        address += op_length[cpu_opcode];
        cpu_cycles += dis_cycles;
        // The listing ends at the top of the address space.
        if (address > last || address > 0x7FFF) break;
    }
    if (!quiet) dis_next_address = address;
    cpu_iar = saved_iar;
    cpu_psl = saved_psl;
    cpu_cycles = saved_cycles;
    dis_mode = saved_mode;
}

// What kind of memory an address is, for the end-of-line comment.
static const char* memory_kind(u32 address) {
    if (mem_read_mirror[address] != address || mem_write_mirror[address] != address)
        return "mirror";
    u16 attributes = mem_attributes[address];
    if (attributes & MEM_HW_REGISTER) return "hardware register";
    if (attributes & MEM_UNWRITABLE) return (attributes & MEM_BIOS) ? "BIOS ROM" : "game ROM";
    if (attributes & MEM_UNREADABLE) return "write-only";
    if (attributes & MEM_BIOS) return "BIOS RAM";
    return "user RAM";
}

void dis_region_comment() {
    if (verbosity == 1) {
        con_printf("%s%s", dis_trace_line, dis_mode != DIS_INTERACTIVE ? "\n" : "");
    } else if (verbosity == 0) {
        con_printf("        %s\n", dis_line);
    } else {
        con_printf("        %s%s", dis_line, asm_output_file ? " " : "\n;");
        if (dis_ea > 0x7FFF)
            con_printf("%s\n", dis_pseudo_line);
        else
            con_printf("%s // $%X is %s\n", dis_pseudo_line, dis_ea, memory_kind(dis_ea));
        if (dis_flag_comments[0]) con_printf("%s", dis_flag_comments);
        if (mem_attributes[cpu_iar & 0x7FFF] & MEM_COMMENT) dis_print_address_comments(cpu_iar);
    }
    dis_ea = DIS_EA_NONE;
}

void trace_log_registers() {
    con_printf("    %02X %02X %02X %02X %02X %02X %02X %02X %02X %04X\n", cpu_regs[0], cpu_regs[1],
               cpu_regs[2], cpu_regs[3], cpu_regs[4], cpu_regs[5], cpu_regs[6], cpu_psu, cpu_psl,
               cpu_iar);
}

const char* dis_memory_type_name(int kind) {
    switch (kind) {
    case 'C':
        return cat_str(1005, "code");
    case 'D':
        return cat_str(1006, "data");
    case 'P':
        return cat_str(1007, "pointer");
    default:
        return cat_str(1008, "unknown");
    }
}

// ---- Comments and notes of an address ----------------------------------------

static const KnownGame* current_game() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return nullptr;
    return &known_games_db[known_game_id];
}

static void print_comment_rows(i32 first, i32 last, u32 address, bool stop_at_first) {
    if (first < 0 || !mem_comments) return;
    for (i32 row = first; row <= last && row < mem_comment_rows; row++) {
        if (mem_comments[row].address != static_cast<i32>(address) || !mem_comments[row].text)
            continue;
        con_printf(";%s\n", mem_comments[row].text);
        if (stop_at_first) return;
    }
}

void dis_print_table_comments(u32 address) {
    if (machine >= MACHINES) return;
    const MachineDesc& m = machine_table[machine];
    print_comment_rows(m.first_comment_row, m.last_comment_row, address, false);
    if (machine == BINBUG) {
        print_comment_rows(dos_comment_first, dos_comment_last, address, false);
        print_comment_rows(COMMENT_BINBUG_FIRST, COMMENT_BINBUG_LAST, address, false);
    }
    if (const KnownGame* game = current_game())
        print_comment_rows(game->comment_first, game->comment_last, address, true);
}

void dis_print_address_comments(u32 address) {
    address &= 0x7FFF;
    dis_print_table_comments(address);
    switch (machine) {
    case ELEKTOR:
        elektor_bios_notes(address);
        break;
    case PIPBUG:
    case BINBUG:
        pipbug_bios_notes(address);
        break;
    case TWIN:
        twin_api_notes(address);
        break;
    case CD2650:
        cd2650_bios_notes(address);
        break;
    case PHUNSY:
        phunsy_rom_comment(address);
        break;
    case SELBST:
        selbst_rom_comment((guest_memory[address] << 8) | guest_memory[page_add(address, 1)]);
        break;
    default:
        break;
    }
    dis_address_notes(address, 0, nullptr, 0);
}

// Appends text to a buffer of the given size, never past its end.
static void buffer_append(char* buffer, int size, const char* text) {
    if (!buffer || size <= 0) return;
    size_t used = std::strlen(buffer);
    if (used + 1 >= static_cast<size_t>(size)) return;
    std::snprintf(buffer + used, size - used, "%s", text);
}

int dis_print_note(int row, u32 address, int mode, int first, char* buffer, int buffer_size) {
    if (!mem_notes || row < 0 || row >= mem_note_rows || !mem_notes[row].text) return first;
    const MemNote& note = mem_notes[row];
    i32 a = static_cast<i32>(address);
    bool covers = a >= note.first &&
                  ((note.last >= 0 && a <= note.last) || (note.last == -1 && a == note.first) ||
                   (note.last == -2 && a <= note.first + 1));
    if (mode == 0) {
        if (a != note.first) return first;
        const char* text = note.text;
        while (*text) {
            const char* end = std::strchr(text, '\n');
            int length = end ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
            con_printf(";%.*s\n", length, text);
            text += length;
            if (*text == '\n') text++;
        }
        return first;
    }
    if (!covers) return first;
    if (mode == 1) {
        char position[32] = "";
        if (first) {
            if (std::strcmp(note.text, "Upper display") == 0)
                std::snprintf(position, sizeof position, " (X=%d,Y=%d)", a & 15, (a - 0x1800) / 16);
            else if (std::strcmp(note.text, "Lower display") == 0)
                std::snprintf(position, sizeof position, " (X=%d,Y=%d)", a & 15,
                              (a - 0x1A00) / 16 + 13);
            first = 0;
        }
        con_printf("%s%s\n", note.text, position);
        return first;
    }
    buffer_append(buffer, buffer_size, "\n");
    buffer_append(buffer, buffer_size, note.text);
    return first;
}

static int note_range(i32 first_row, i32 last_row, u32 address, int mode, int first, char* buffer,
                      int buffer_size) {
    if (first_row < 0) return first;
    for (i32 row = first_row; row <= last_row && row < mem_note_rows; row++)
        first = dis_print_note(row, address, mode, first, buffer, buffer_size);
    return first;
}

void dis_address_notes(u32 address, int mode, char* buffer, int buffer_size) {
    if (machine >= MACHINES) return;
    const MachineDesc& m = machine_table[machine];
    note_range(m.first_note_row, m.last_note_row, address, mode, 1, buffer, buffer_size);
    if (machine == BINBUG) {
        note_range(dos_note_first, dos_note_last, address, mode, 0, buffer, buffer_size);
        note_range(NOTE_BINBUG_FIRST, NOTE_BINBUG_LAST, address, mode, 0, buffer, buffer_size);
    }
    if (const KnownGame* game = current_game())
        if (game->note_first >= 0)
            note_range(NOTE_GAME_BASE + game->note_first, NOTE_GAME_BASE + game->note_last, address,
                       mode, 0, buffer, buffer_size);
}
