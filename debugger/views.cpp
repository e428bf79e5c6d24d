// The VIEW command and the processor view: registers, flags, the return
// address stack and the time, in the register names of the current notation.
#include "core/emu.h"
#include "core/frame.h"
#include "core/helpers.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"
#include "debugger/watch.h"

#include <cstdio>

const char* dbg_flag_word() {
    return dis_notation == 2 || dis_notation == 3 ? "IOFHBWVLC" : "SFIDRWOMC";
}

namespace {

char letter(char c, bool set) {
    return set ? c : static_cast<char>(c - 'A' + 'a');
}

} // namespace

// Sense, flag and interrupt-inhibit letters, then "1" and "2" for the user flags.
static void psu_text(u8 psu, char* out) {
    const char* word = dbg_flag_word();
    for (int i = 0; i < 3; i++)
        out[i] = letter(word[i], psu & (0x80 >> i));
    out[3] = psu & PSU_UF1 ? '1' : '.';
    out[4] = psu & PSU_UF2 ? '2' : '.';
    out[5] = '\0';
}

// Inter-digit carry, bank, with-carry, overflow, compare and carry letters.
static void psl_text(u8 psl, char* out) {
    const char* word = dbg_flag_word();
    for (int i = 0; i < 6; i++)
        out[i] = letter(word[3 + i], psl & (0x20 >> i));
    out[6] = '\0';
}

const char* dbg_condition_text(u8 psl) {
    static const char* const texts[3][4] = {
        {"eq", "gt", "lt", "un"}, {",EQ", ",GT", ",LT", "   "}, {"EQ", "GT", "LT", "  "}};
    const int row = dis_notation <= 1 ? 0 : dis_notation <= 3 ? 1 : 2;
    return texts[row][psl >> 6];
}

const char* dbg_unit_caption() {
    static const char* const captions[3] = {"CPU Cycle:", "Clock:", "Pixel:"};
    return dbg_time_unit < 3 ? captions[dbg_time_unit] : "";
}

void dbg_view_cpu(int blank_line) {
    if (!dbg_machine_has_cpu(false)) return;
    char psu[6], psl[7], time[GROUPED_WIDTH + 1];
    psu_text(cpu_psu, psu);
    psl_text(cpu_psl, psl);
    format_number_grouped(dbg_clocks_to_units(static_cast<u32>(cpu_cycles)), time);
    time[GROUPED_WIDTH] = '\0';
    const MachineTraits& traits = machine_traits();
    char x[12] = "-", y[12] = "-";
    if (traits.console_raster || traits.raster_timed)
        std::snprintf(x, sizeof x, "%d", raster_clock);
    if (dbg_machine_has_beam_line()) std::snprintf(y, sizeof y, "%d", raster_line);
    const u8* r = cpu_regs;
    const u32 sp = cpu_psu & PSU_SP;
    const u16* ras = cpu_ras;
    const char* cc = dbg_condition_text(cpu_psl);
    switch (dis_notation) {
    case 2:
        con_printf("%-11s %s  A: $%02X  B: $%02X  C: $%02X  D: $%02X   U: %s  SP: %d\n",
                   dbg_unit_caption(), time, r[0], r[1], r[2], r[3], psu, sp);
        con_printf("    X: %3s         Y: %3s         B': $%02X C': $%02X D': $%02X   L: %s CC: "
                   "%s\n",
                   x, y, r[4], r[5], r[6], psl, cc);
        con_printf("    RAS: $%04X $%04X $%04X $%04X $%04X $%04X $%04X $%04X   PC: $%04X\n", ras[0],
                   ras[1], ras[2], ras[3], ras[4], ras[5], ras[6], ras[7], cpu_iar);
        break;
    case 4:
        con_printf("%-11s %s .0: $%02X .1: $%02X .2: $%02X .3: $%02X  .U: %s  .SP: %d\n",
                   dbg_unit_caption(), time, r[0], r[1], r[2], r[3], psu, sp);
        con_printf("    X: %3s         Y: %3s         .4: $%02X .5: $%02X .6: $%02X  .L: %s "
                   ".CC: %s\n",
                   x, y, r[4], r[5], r[6], psl, cc);
        con_printf("   .RAS: $%04X $%04X $%04X $%04X $%04X $%04X $%04X $%04X  .PC: $%04X\n", ras[0],
                   ras[1], ras[2], ras[3], ras[4], ras[5], ras[6], ras[7], cpu_iar);
        break;
    default:
        con_printf("%-11s %s R0: $%02X R1: $%02X R2: $%02X R3: $%02X PSU: %s  SP: %d\n",
                   dbg_unit_caption(), time, r[0], r[1], r[2], r[3], psu, sp);
        con_printf("    X: %3s         Y: %3s         R4: $%02X R5: $%02X R6: $%02X PSL: %s CC: "
                   "%s\n",
                   x, y, r[4], r[5], r[6], psl, cc);
        con_printf(dis_notation == 3
                       ? "    RAS: $%04X $%04X $%04X $%04X $%04X $%04X $%04X $%04X  PC:  $%04X\n"
                       : "    RAS: $%04X $%04X $%04X $%04X $%04X $%04X $%04X $%04X  IAR: $%04X\n",
                   ras[0], ras[1], ras[2], ras[3], ras[4], ras[5], ras[6], ras[7], cpu_iar);
    }
    if (blank_line) con_printf("\n");
}

void dbg_cmd_view_cpu() {
    if (!dbg_machine_has_cpu(true)) return;
    dbg_view_cpu(1);
}

void dbg_view_ram() {
    if (!dbg_machine_has_cpu(true)) return;
    con_printf("Motherboard RAM:\n");
    if (const auto own_view = machine_debug().debug_view) own_view("RAM");
}

void dbg_view_bios() {
    const auto has_bios = machine_debug().bios_view;
    const auto own_view = machine_debug().debug_view;
    if (!has_bios || !has_bios()) {
        dbg_wrong_machine();
        return;
    }
    // A monitor whose variables are not listed yet.
    if (!own_view || own_view("BIOS") == ViewShown::NONE) dbg_refuse("Command is unavailable.\n\n");
}

void dbg_cmd_view() {
    static const char* const machine_views[] = {"BASIC", "PSG", "SCRN", "UDG", "XVI"};
    if (dbg_arg1[0] && !dbg_lone_question()) {
        if (dbg_nocase_equal(dbg_arg1, "CPU")) {
            dbg_cmd_view_cpu();
            return;
        }
        if (dbg_nocase_equal(dbg_arg1, "RAM")) {
            dbg_view_ram();
            return;
        }
        if (dbg_nocase_equal(dbg_arg1, "BIOS")) {
            dbg_view_bios();
            return;
        }
        for (const char* word : machine_views) {
            if (!dbg_nocase_equal(dbg_arg1, word)) continue;
            const auto own_view = machine_debug().debug_view;
            ViewShown shown = own_view ? own_view(word) : ViewShown::NONE;
            // A machine whose traits name a screen or BASIC view has one, if
            // no dump of it yet.
            const MachineTraits& traits = machine_traits();
            if (shown == ViewShown::NONE &&
                ((word == machine_views[2] && traits.screen_view) ||
                 (word == machine_views[0] && traits.basic_view)))
                shown = ViewShown::UNBUILT;
            switch (shown) {
            case ViewShown::SHOWN: return;
            case ViewShown::NONE: dbg_wrong_machine(); return;
            case ViewShown::UNBUILT:
                // The machine has what the view shows, but no dump of it yet.
                dbg_refuse("Command is unavailable.\n\n");
                return;
            }
        }
    }
    dbg_usage();
}

void dbg_view_usage() {
    dbg_usage_text("%s: V|VIEW BASIC|BIOS|CPU|PSG|RAM|SCRN|UDG|XVI\n\n", "Usage");
}
