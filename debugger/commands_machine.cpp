// Commands about the guest machine and the host: GI, CPU, GR, SPR and ED.
#include "assembler/asm.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/watch.h"
#include "display/frame.h"
#include "display/host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>


static bool has_pvi() {
    return machine_live_row().pvi_count > 0;
}

// GI: raise the processor's interrupt request and let it be accepted at once
// unless interrupts are inhibited.
void dbg_cmd_interrupt() {
    if (!has_pvi() && !machine_traits().raise_interrupt) {
        dbg_wrong_machine();
        return;
    }
    cpu_irq_pending = 1;
    if (cpu_psu & PSU_II)
        con_printf("Queued user-requested interrupt.\n\n");
    else
        con_printf("Generated user-requested interrupt.\n\n");
    cpu_interrupt();
}

void dbg_cpu_type_usage() {
    dbg_usage_text("CPU 0: %s\nCPU 1: %s\n", "Set CPU to 2650/2650A", "Set CPU to 2650B");
    dbg_usage_text("%s: CPU 0|1\n\n", "Usage");
}

void dbg_cmd_cpu_type() {
    const bool known = std::strcmp(dbg_arg1, "0") == 0 || std::strcmp(dbg_arg1, "1") == 0;
    if (dbg_lone_question() || !known) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    cpu_type = dbg_arg1[0] == '1' ? CPU_2650B : CPU_2650;
    cpu_apply_type_tables();
    ui_mark(UI_MENUS | UI_OPCODES);
    con_printf("CPU is now %s.\n\n", cpu_type == CPU_2650B ? "2650B" : "2650/2650A");
}

void dbg_cmd_guide_pixel() {
    if (!dbg_machine_has_beam_line()) {
        dbg_wrong_machine();
        return;
    }
    guidepixel = guidepixel ? 0 : 1;
    con_printf("Use guide pixel %s.\n\n", guidepixel ? "on" : "off");
    if (guidepixel && cpu_host.beam_marker) cpu_host.beam_marker(emu_paused ? 0 : 1);
    cpu_host_blit();
}

void dbg_sprite_mode_usage() {
    dbg_usage_text("SPR 0: %s\nSPR 1: %s\nSPR 2: %s\n", "Set sprite mode to invisible",
                   "Set sprite mode to numbered", "Set sprite mode to visible");
    dbg_usage_text("%s: SPR 0|1|2\n\n", "Usage");
}

void dbg_cmd_sprite_mode() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    if (!has_pvi() && !machine_traits().sprites) {
        dbg_wrong_machine();
        return;
    }
    for (i32 mode = 0; mode < 3; mode++) {
        const char word[2] = {static_cast<char>('0' + mode), '\0'};
        if (std::strcmp(dbg_arg1, word) == 0) {
            sprite_mode = mode;
            dbg_ok();
            return;
        }
    }
    dbg_usage();
}

// ---- DRAW ----------------------------------------------------------------------------

void dbg_draw_usage() {
    con_printf("DRAW 0: %s\nDRAW 1: %s\nDRAW 2: %s\nDRAW 3: %s\nDRAW 4: %s\n", "Draw normally",
               "Show grid (most machines) or Teletext grid (Malzak)",
               "Show collision table (Arcadia/Interton/Elektor) or playfield grid (Malzak)",
               "Show CHARLINE table (Arcadia) or DMA read table (Interton/Elektor) or both grids",
               "Show DMA write table (Interton/Elektor)");
    dbg_usage_text("Usage: DRAW 0|1|2|3|4\n\n");
}

void dbg_cmd_draw() {
    if (dbg_lone_question()) {
        dbg_usage();
        return;
    }
    if (!dbg_machine_has_cpu(true)) return;
    const bool digit = dbg_arg1[0] >= '0' && dbg_arg1[0] <= '4' && !dbg_arg1[1];
    if (!digit) {
        dbg_usage();
        return;
    }
    // The grid everywhere; the tables where the video chip keeps them; the
    // DMA write table on the PVI consoles: the Debug menu's DRAW rows refused
    // a mode the machine has not.
    const int mode = dbg_arg1[0] - '0';
    draw_mode = mode;
    if (const auto changed = machine_debug().draw_mode_changed) changed();
    display_reset_frame();
    display_redraw_all();
    ui_mark(UI_MENUS);
    dbg_ok();
}

// ---- ED ------------------------------------------------------------------------------

// The host editor runs with the file as its own argument: no shell sees the name.
bool (*dbg_editor_start)(char* const* argv) = dbg_spawn;
void dbg_editor_reset() {
    dbg_editor_start = dbg_spawn;
}

constexpr size_t ED_PATH_MAX = 512;

// The editor command's words: $VISUAL, else $EDITOR, else the desktop's opener,
// split at blanks (an editor may be given with its own options). A variable of
// blanks only names no editor: the file itself is never started.
static std::vector<std::string> editor_words() {
    const auto named = [](const char* v) { return v && v[std::strspn(v, " \t")]; };
    const char* editor = std::getenv("VISUAL");
    if (!named(editor)) editor = std::getenv("EDITOR");
    if (!named(editor)) editor = "xdg-open";
    std::vector<std::string> words;
    std::string word;
    for (const char* p = editor;; p++) {
        if (*p == ' ' || *p == '\t' || *p == '\0') {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (!*p) break;
        } else {
            word += *p;
        }
    }
    return words;
}

void dbg_cmd_edit() {
    if (dbg_lone_question() || !dbg_arg1[0]) {
        dbg_usage();
        return;
    }
    if (std::strlen(dbg_arg1) > ED_PATH_MAX) {
        dbg_refuse("Pathname is too long!\n\n");
        return;
    }
    // The name stands for the file ASM assembles, found where ASM finds it,
    // in the projects drawer; the editor, which starts elsewhere, gets it as
    // a full path.
    if (!dbg_enter_projects(dbg_arg1)) return;
    const std::string name = asm_find_source(dbg_arg1);
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    dir_restore();
    std::vector<std::string> words = editor_words();
    words.push_back(error ? name : path.string());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    if (dbg_editor_start && !dbg_editor_start(argv.data()))
        dbg_refuse(
            "Can't start the editor \"%s\"! Set $VISUAL or $EDITOR to the editor to use.\n\n",
            words[0].c_str());
}
