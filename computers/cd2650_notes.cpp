// The CD2650's debugger texts: the video-RAM dump, the monitor's RAM, the
// BASIC interpreter's variables, and the notes of the Supervisor's routines
// and of the P1 DOS entry points.
#include "computers/cd2650.h"

#include "core/emu.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

u8 at(u32 a) {
    return guest_memory[a & (GUEST_MEMORY_SIZE - 1)];
}
u32 word(u32 a) {
    return static_cast<u32>(at(a) << 8 | at(a + 1));
}

} // namespace

void cd2650_view_video_ram() {
    for (u32 block = 0; block < 5; block++) {
        for (u32 row = 0; row < 16; row++) {
            const u32 first = 0x1000 + block * 256 + row;
            u8 c[16];
            char text[17];
            for (u32 i = 0; i < 16; i++) {
                c[i] = at(first + 16 * i);
                text[i] = static_cast<char>(cd2650_display_char(c[i]));
            }
            text[16] = 0;
            con_printf("$%04X: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
                       "%02X %02X %02X %s\n",
                       first, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10],
                       c[11], c[12], c[13], c[14], c[15], text);
        }
        con_printf("\n");
    }
}

// The monitor's variables in the page below $1800: the breakpoint's address
// and saved byte, the address of the memory commands, the length and
// checksum of a tape record, and the cursor.
void cd2650_view_bios() {
    con_printf("BIOS RAM: \n");
    con_printf("ADD:  $%04X BKP:  $%04X BPD:  $%04X CUR:  $%04X\n", word(0x17FA), word(0x17F6),
               word(0x17F8), word(0x17FE));
    con_printf("LENT:   $%02X SUMC:   $%02X\n\n", at(0x17FC), at(0x17FD));
}

// ---- the BASIC variables ------------------------------------------------------------------------

namespace {

// The number at `address`, on a line that shows `shown` (its record's
// address, an array element's own).
void number_line(u32 shown, u32 address, const std::string& name) {
    const u8 b0 = at(address), b1 = at(address + 1), b2 = at(address + 2), b3 = at(address + 3);
    con_printf("$%04X %-21s %02X%02X%02X%02X = ", shown, name.c_str(), b0, b1, b2, b3);
    const int e = static_cast<std::int8_t>(b0);
    const bool negative = (b1 & 0x80) != 0;
    const u32 m = static_cast<u32>((b1 & 0x7F) << 16 | b2 << 8 | b3);
    if (e > 31) {
        con_printf(negative ? "        ~-2^%d\n" : "         ~2^%d\n", e);
        return;
    }
    if (b0 == 0x80 && m == 0) {
        con_printf(negative ? "         -0.000000\n" : "          0.000000\n");
        return;
    }
    const double v = std::ldexp(static_cast<double>(m), e - 23);
    if (v < 0.000001)
        con_printf(negative ? "       > -0.000001\n" : "        < 0.000001\n");
    else
        con_printf("%18f\n", negative ? -v : v);
}

std::string guest_text(u32 address, u32 length) {
    std::string s;
    for (u32 i = 0; i < length; i++)
        s += static_cast<char>(cd2650_display_char(at(address + i)));
    return s;
}

} // namespace

void cd2650_view_basic_vars() {
    con_printf("Addr. Name                  Contents = Value\n----- --------------------- "
               "-------- = -----\n");
    const u32 stack = word(0x32CF);
    u32 a = static_cast<u32>(at(0x2004)) << 8;
    std::vector<bool> seen(GUEST_MEMORY_SIZE, false);
    for (;;) {
        a &= GUEST_MEMORY_SIZE - 1;
        if (seen[a]) {
            // Records that lead back to one already listed would list for ever.
            con_printf("Variable table loops at $%04X!\n", a);
            break;
        }
        seen[a] = true;
        const u8 kind = at(a);
        const u32 length = kind & 15u;
        if (length == 0) break;
        if ((kind & 0xC0) == 0xC0 || (kind & 0x30)) {
            con_printf("!?\n");
            break;
        }
        const u32 next = word(a + 1);
        const std::string name = guest_text(a + 3, length);
        const u32 data = a + 3 + length;
        if (kind & 0x80) {
            const u32 n = at(data);
            con_printf("$%04X %-21s '%s'\n", a, (name + "$(" + std::to_string(n) + ")").c_str(),
                       guest_text(data + 1, n).c_str());
        } else if (kind & 0x40) {
            const u32 count = next > data ? (next - data) / 4 : 0;
            con_printf("$%04X %s(%u):\n", a, name.c_str(), count);
            for (u32 i = 1; i <= count; i++)
                number_line(data + 4 * (i - 1), data + 4 * (i - 1),
                            name + "(" + std::to_string(i) + ")");
        } else {
            number_line(a, data, name);
        }
        a = next;
    }
    con_printf("$%04X Top of stack\n\n", stack);
}

// ---- the Supervisor's routines ------------------------------------------------------------------

void cd2650_bios_notes(u32 address) {
    if (cd2650_biosversion != 2) return;
    static const struct {
        u16 address;
        const char* text;
    } notes[] = {
        {0x0000, ";Comments: R0, R1, R2 destroyed"},
        {0x0024, ";Comments: R0, R1, R3 destroyed"},
        {0x0083, ";Comments: Have your program branch here if you want to return to the supervisor"},
        {0x00AC, ";Function: Breakpoint service routine"},
        {0x00BB, ";Function: Entry point for clear"},
        {0x00DB, ";Comments: All regs destroyed"},
        {0x0122, ";Function: Save all reg values in memory"},
        {0x0185, ";Comments: Address placed in $17FA..$17FB. R0, R1, R3 destroyed"},
        {0x019A, ";Comments: Byte starts and ends in R3. R0 destroyed"},
        {0x01B6, ";Comments: Assembled byte in R3. R0, R1 destroyed"},
        {0x024F, ";Comments: R0, R2 destroyed"},
        {0x037C, ";Function: Write \"ERROR\""},
        {0x03C0, ";Comments: R3 destroyed"},
    };
    for (const auto& n : notes)
        if (n.address == address) con_printf("%s\n", n.text);
}

// ---- the P1 DOS entry points ----------------------------------------------------------------------

namespace {

struct DosCall {
    const char* function;
    const char* category;
    bool code_section; // reached by a branch, never returns
    const char* input;
    const char* result;
    const char* preserves;
};

// The vectors at $6004, $6006, ... $604A.
const DosCall DOS_CALLS[36] = {
    {"Terminate the program and return to DOS", "Program control", true, "None", "Does not return", "n/a"},
    {"Terminate with \"Invalid command\"", "Program control", true, "None", "Does not return", "n/a"},
    {"Read a filename", "Command line", false, "R1 = command line offset", "Filename in ParsedFilename", "None"},
    {"Read a (hexa)decimal number", "Command line", false, "R1 = command line offset", "Number in R2 (high), R3 (low)", "None"},
    {"Read any single letter", "Command line", false, "R1 = command line offset", "Letter in R0", "R2, R3"},
    {"Copy file information into the Open Files Block", "Files", false, "ParsedFilename, R3 = drive", "CC = EQ when found", "None"},
    {"Remove file information from the Open Files Block", "Files", false, "R3 = open file", "None", "R1, R2"},
    {"Test change permission", "Protection", false, "R3 = open file", "CC = EQ when allowed", "R1, R2"},
    {"Test inspect permission", "Protection", false, "R3 = open file", "CC = EQ when allowed", "R1, R2"},
    {"Test change permission, asking for the codeword", "Protection", false, "R3 = open file", "CC = EQ when allowed", "None"},
    {"Test inspect permission, asking for the codeword", "Protection", false, "R3 = open file", "CC = EQ when allowed", "None"},
    {"Create a new file and allocate space to it", "Files", false, "ParsedFilename, R2 = blocks", "CC = EQ when created", "None"},
    {"Reduce the size of a file", "Files", false, "R3 = open file, R2 = blocks", "CC = EQ when done", "None"},
    {"Read or write from a file", "Files", false, "R3 = open file, TargetAddr", "CC = EQ when done", "None"},
    {"Rename a file", "Files", false, "ParsedFilename, PFName2", "CC = EQ when renamed", "None"},
    {"Remove a file and free its space", "Files", false, "ParsedFilename", "CC = EQ when removed", "None"},
    {"Load and/or execute a memory image", "Files", false, "ParsedFilename", "CC = EQ when loaded", "None"},
    {"Compute the size of a file", "Files", false, "R3 = open file", "Size in R1 (high), R2 (low)", "R3"},
    {"Set the change or inspect code", "Protection", false, "R3 = open file, Codeword", "CC = EQ when set", "None"},
    {"Set the change or inspect code, asking for it", "Protection", false, "R3 = open file", "CC = EQ when set", "None"},
    {"Display a character", "Screen", false, "R0 = character", "None", "R1, R2, R3"},
    {"Move the cursor left", "Screen", false, "None", "None", "R0, R1, R2, R3"},
    {"Display a byte as two hex digits", "Screen", false, "R0 = byte", "None", "R1, R2, R3"},
    {"Display a decimal value", "Screen", false, "R2 (high), R3 (low) = value", "None", "R1"},
    {"Move the cursor position", "Screen", false, "R2 (high), R3 (low) = address", "None", "R0, R1"},
    {"Move to the next line", "Screen", false, "None", "None", "R1, R2, R3"},
    {"Read a character without displaying it", "Keyboard", false, "None", "Character in R0", "R1, R2, R3"},
    {"Read a character from the keyboard", "Keyboard", false, "None", "Character in R0", "R1, R2, R3"},
    {"Read a string", "Keyboard", false, "R1 = length", "String in CmdLine", "None"},
    {"Read a string without revealing it", "Keyboard", false, "R1 = length", "String in CmdLine", "None"},
    {"Write a DOS error message and return to DOS", "Program control", true, "R0 = error number", "Does not return", "n/a"},
    {"Write a DOS error message", "Program control", false, "R0 = error number", "None", "R1, R2, R3"},
    {"Read a drive number", "Command line", false, "R1 = command line offset", "Drive in R3", "None"},
    {"Write a character to the printer", "Printer", false, "R0 = character", "None", "R1, R2, R3"},
    {"Blank the entire screen", "Screen", false, "None", "None", "R1, R2, R3"},
    {"Replace the contents of a file", "Files", false, "ParsedFilename", "CC = EQ when replaced", "None"},
};

bool subroutine_branch(u8 opcode) {
    const u8 high = opcode >> 4;
    return high == 0x3 || high == 0x7 || high == 0xB;
}

} // namespace

void cd2650_dos_call_notes(u32 address) {
    if (cd2650_dosversion != 1 || address < 0x6004 || address > 0x604A || (address & 1)) return;
    const DosCall& c = DOS_CALLS[(address - 0x6004) / 2];
    con_printf(";Function:  %s\n;Category:  %s\n;Type:      %s\n;Input:     %s\n", c.function,
               c.category, c.code_section ? "Code section" : "Subroutine", c.input);
    con_printf(";%s %s\n;Preserves: %s\n", c.code_section ? "Result:   " : "Returns:  ", c.result,
               c.preserves);
    con_printf(";Registers: R0 = $%02X, R1 = $%02X, R2 = $%02X, R3 = $%02X\n", cpu_regs[0],
               cpu_regs[1], cpu_regs[2], cpu_regs[3]);
    const bool by_subroutine = subroutine_branch(cpu_opcode);
    if (c.code_section && by_subroutine)
        con_printf("Code section vectored at $%X has been branched to as a subroutine!\n", address);
    else if (!c.code_section && !by_subroutine)
        con_printf("Subroutine vectored at $%X has been jumped to!\n", address);
}
