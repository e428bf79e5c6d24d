#include "machines/screen_source.h"

#include "core/message.h"
#include "cpu/cpu.h"

#include <cstdio>
#include <initializer_list>

namespace {

void line(const char* mnemonic, const char* operand = "") {
    con_printf("        %s%s%s\n", mnemonic, operand[0] ? " " : "", operand);
}

// A loop that copies `count` bytes from each label to its address, last
// byte first (R1 counts down to 1).
struct Copy {
    const char* label;
    const char* address;
};
void copy_loop(const char* loop, int count, std::initializer_list<Copy> copies) {
    char text[40];
    std::snprintf(text, sizeof text, "%d", count);
    line("LODI,r1", text);
    con_printf("%s:\n", loop);
    for (const Copy& c : copies) {
        std::snprintf(text, sizeof text, "%s-1,r1", c.label);
        line("LODA,r0", text);
        std::snprintf(text, sizeof text, "%s-1,r1", c.address);
        line("STRA,r0", text);
    }
    line("BDRR,r1", loop);
    con_printf("\n");
}

// A labelled data block: `rows` lines of `per_row` bytes from `address`.
void data_block(const char* label, u32 address, int rows, int per_row) {
    con_printf("%s:\n", label);
    for (int r = 0; r < rows; r++) {
        con_printf("        DB      ");
        for (int i = 0; i < per_row; i++)
            con_printf("%s$%02X", i ? "," : "", guest_memory[address + r * per_row + i]);
        con_printf("\n");
    }
}

// The reset and interrupt vectors of a program at 0.
void vectors() {
    line("BCTA,un", "BOOT");
    con_printf("\n");
    line("RETE,un");
    con_printf("\n");
}

// The PVI's sprites, grid and registers (and the noise latch of $1E80).
void pvi_boot_block() {
    con_printf("BOOT:\n");
    line("LODA,r0", "NOISEDATA");
    line("STRA,r0", "$1E80");
    copy_loop("FIRST", 14,
              {{"SPR0DATA", "$1F00"}, {"SPR1DATA", "$1F10"}, {"SPR2DATA", "$1F20"},
               {"SPR3DATA", "$1F40"}});
    copy_loop("SECOND", 45, {{"GRID", "$1F80"}});
    copy_loop("THIRD", 4, {{"MISC1", "$1FC0"}, {"MISC2", "$1FC6"}});
    line("HALT");
}

void pvi_data_blocks() {
    data_block("NOISEDATA", 0x1E80, 1, 1);
    data_block("SPR0DATA", 0x1F00, 1, 14);
    data_block("SPR1DATA", 0x1F10, 1, 14);
    data_block("SPR2DATA", 0x1F20, 1, 14);
    data_block("SPR3DATA", 0x1F40, 1, 14);
    data_block("GRID", 0x1F80, 1, 45);
    data_block("MISC1", 0x1FC0, 1, 4);
    data_block("MISC2", 0x1FC6, 1, 4);
}

} // namespace

void arcadia_screen_source() {
    con_printf("        ORG     0\n\n");
    vectors();
    con_printf("BOOT:\n");
    copy_loop("FIRST", 208, {{"UPPERSCRN", "$1800"}, {"LOWERSCRN", "$1A00"}});
    copy_loop("SECOND", 8, {{"POSITIONS", "$18F0"}});
    // Each loop copies its whole block: 4 bytes of MISC, 3 of WRITEONLY.
    copy_loop("THIRD", 4, {{"MISC", "$18FC"}});
    copy_loop("FOURTH", 64, {{"IMAGERY", "$1980"}});
    copy_loop("FIFTH", 3, {{"WRITEONLY", "$19F8"}});
    line("HALT");
    data_block("UPPERSCRN", 0x1800, 13, 16);
    data_block("POSITIONS", 0x18F0, 1, 8);
    data_block("MISC", 0x18FC, 1, 4);
    data_block("IMAGERY", 0x1980, 8, 8);
    data_block("WRITEONLY", 0x19F8, 1, 3);
    data_block("LOWERSCRN", 0x1A00, 13, 16);
}

void interton_screen_source() {
    con_printf("        ORG     0\n\n");
    vectors();
    pvi_boot_block();
    pvi_data_blocks();
}

// A program of the Elektor starts at $0900 (or after its first three bytes,
// at $0903, where BOOT lies): no vectors of its own.
void elektor_screen_source() {
    con_printf("        ORG     $900\n\n");
    line("BCTA,un", "BOOT");
    con_printf("\n");
    pvi_boot_block();
    pvi_data_blocks();
}
