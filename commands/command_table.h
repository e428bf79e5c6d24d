// The command table: one row per command of the menus, the toolbars, the
// hotkeys and the scripting port's MENU command. A row names its item in the
// strip (a plain or checkable id, whose packed menu number, label and script
// name are the strip's data in menu_table.cpp), whether the program has its
// action yet, whether it must wait for the end of a frame, when it can be used
// (a question over the machine's traits and the program's state), its tick,
// and its handler. Every road reaches the handler through cmd_run, which makes
// the shared refusals once.
//
//   cmd_run(Cmd::SETTINGS_SPEED_TURBO, {CmdFrom::HOTKEY});
//   if (const char* why = cmd_refusal(Cmd::PROJECT_SAVECOS)) ... // ghosted: why
#pragma once

#include "core/types.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class Cmd : u16 {
    PROJECT_RESETTOGAME,
    PROJECT_JUMPTOBIOS,
    PROJECT_REINITIALIZE,
    PROJECT_OPEN,
    PROJECT_REVERT,
    PROJECT_QUICKLOAD,
    PROJECT_SAVECOS,
    PROJECT_SAVESCRN_ACBM,
    PROJECT_SAVESCRN_ILBM,
    PROJECT_SAVESCRN_BMP,
    PROJECT_SAVESCRN_GIF,
    PROJECT_SAVESCRN_PCX,
    PROJECT_SAVESCRN_PNG,
    PROJECT_SAVESCRN_TIFF,
    PROJECT_SAVESCRN_ASCII,
    PROJECT_SAVESCRN_ASM,
    PROJECT_QUICKSAVE,
    PROJECT_AUDIT,
    PROJECT_RECENT1,
    PROJECT_RECENT2,
    PROJECT_RECENT3,
    PROJECT_RECENT4,
    PROJECT_RECENT5,
    PROJECT_RECENT6,
    PROJECT_RECENT7,
    PROJECT_RECENT8,
    PROJECT_ICONIFY,
    PROJECT_UNICONIFY,
    PROJECT_QUIT,
    EDIT_MEMORY,
    EDIT_PALETTE,
    EDIT_SCREEN,
    EDIT_SPRITES,
    EDIT_COPYSCREEN,
    EDIT_COPYTEXT,
    EDIT_PASTETEXT,
    EDIT_EMPTYCLIPBOARD,
    VIEW_HIGHSCORES,
    VIEW_DEBUGGER,
    VIEW_MENUBAR,
    VIEW_POINTER,
    VIEW_SIDEBAR,
    VIEW_STATUSBAR,
    VIEW_TITLEBAR,
    VIEW_TOOLBAR,
    VIEW_BUILTINGAMES,
    MACRO_STARTRECORDING,
    MACRO_RESTARTPLAYBACK,
    MACRO_STOP,
    MACRO_LOOP,
    MACRO_ANIMS_ANIM,
    MACRO_ANIMS_GIF,
    MACRO_ANIMS_MNG,
    MACRO_ANIMS_APNG,
    MACRO_SOUNDS_8SVX,
    MACRO_SOUNDS_AIFF,
    MACRO_SOUNDS_SMUS,
    MACRO_SOUNDS_MIDI,
    MACRO_SOUNDS_PSG,
    MACRO_SOUNDS_WAV,
    MACRO_SOUNDS_YM,
    MACRO_GENERATE,
    MACRO_RUNREXX,
    MACRO_REPEATREXX,
    DEBUG_MESSAGE,
    DEBUG_CLEARCOV,
    DEBUG_CLS,
    DEBUG_HELP,
    DEBUG_SPEAK,
    DEBUG_SYSTEM,
    DEBUG_SHELL,
    DEBUG_ASM,
    DEBUG_DISGAME,
    DEBUG_EDIT,
    DEBUG_LOADBIN,
    DEBUG_SAVEAOF,
    DEBUG_SAVEBIN,
    DEBUG_SAVEBPNF,
    DEBUG_SAVEIMAG,
    DEBUG_SAVEHEX,
    DEBUG_SAVESMS,
    DEBUG_SAVETVC,
    DEBUG_DELETE,
    DEBUG_LDIR,
    DEBUG_EXTRACT,
    DEBUG_INJECT,
    DEBUG_RENAME,
    DEBUG_DOKE,
    DEBUG_POKE,
    DEBUG_FPOKE,
    DEBUG_WRITEPORT,
    DEBUG_LABELS,
    DEBUG_COVER,
    DEBUG_PEEK,
    DEBUG_DIS,
    DEBUG_ERROR,
    DEBUG_FPEEK,
    DEBUG_HISTORY,
    DEBUG_IM,
    DEBUG_READPORT,
    DEBUG_VIEW_BASIC,
    DEBUG_VIEW_BIOS,
    DEBUG_VIEW_CPU,
    DEBUG_VIEW_PSG,
    DEBUG_VIEW_RAM,
    DEBUG_VIEW_SCRN,
    DEBUG_VIEW_UDG,
    DEBUG_VIEW_XVI,
    DEBUG_L_A,
    DEBUG_L_B,
    DEBUG_L_C,
    DEBUG_L_I,
    DEBUG_L_N,
    DEBUG_L_S,
    DEBUG_PL,
    DEBUG_T,
    DEBUG_G,
    DEBUG_GI,
    DEBUG_I,
    DEBUG_JUMP,
    DEBUG_O,
    DEBUG_S,
    DEBUG_R,
    DEBUG_R_F,
    DEBUG_R_I,
    DEBUG_R_L,
    DEBUG_R_R,
    DEBUG_R_S,
    DEBUG_BP,
    DEBUG_BC,
    DEBUG_BL,
    DEBUG_FP,
    DEBUG_FC,
    DEBUG_FL,
    DEBUG_IP,
    DEBUG_IC,
    DEBUG_IL,
    DEBUG_WP,
    DEBUG_WC,
    DEBUG_WL,
    DEBUG_PB,
    DEBUG_WR,
    DEBUG_CLEARSYM,
    DEBUG_DEFSYM,
    DEBUG_LOADSYM,
    DEBUG_SAVESYM,
    DEBUG_COMP,
    DEBUG_COPY,
    DEBUG_FILL,
    DEBUG_FIND,
    DEBUG_REL,
    DEBUG_SWAP,
    DEBUG_TRAIN,
    DEBUG_GR,
    DEBUG_WARN,
    DEBUG_DEBUGGER,
    TOOLS_CPU,
    TOOLS_PSG,
    TOOLS_XVI,
    TOOLS_MUSIC,
    TOOLS_SERVER,
    TOOLS_CLIENT,
    TOOLS_RETROACHIEVEMENTS,
    PERIPHERALS_CONTROLS,
    PERIPHERALS_DIPSWITCHES,
    PERIPHERALS_LEFT_AUTOFIRE,
    PERIPHERALS_LEFT_REQUIREBUTTON,
    PERIPHERALS_LEFT_FORCEFEEDBACK,
    PERIPHERALS_RIGHT_AUTOFIRE,
    PERIPHERALS_RIGHT_REQUIREBUTTON,
    PERIPHERALS_RIGHT_FORCEFEEDBACK,
    PERIPHERALS_TAPEDECK,
    PERIPHERALS_FLOPPYDRIVE,
    PERIPHERALS_INDUSTRIAL,
    PERIPHERALS_PAPERTAPE,
    PERIPHERALS_PRINTER,
    SETTINGS_COLOURS_ARTEFACTS,
    SETTINGS_COLOURS_DARKENBG,
    SETTINGS_COLOURS_FLAGLINE,
    SETTINGS_COLOURS_INVERSE,
    SETTINGS_EMULATOR_AUTOSAVE,
    SETTINGS_EMULATOR_UPDATES,
    SETTINGS_EMULATOR_CONFIRMQUIT,
    SETTINGS_EMULATOR_ICONS,
    SETTINGS_EMULATOR_CONSOLE,
    SETTINGS_EMULATOR_IDENTIFY,
    SETTINGS_EMULATOR_POST,
    SETTINGS_EMULATOR_RANDOMIZE,
    SETTINGS_EMULATOR_SENSEGAME,
    SETTINGS_EMULATOR_SHOWTIPS,
    SETTINGS_EMULATOR_STUBS,
    SETTINGS_EMULATOR_PATHS,
    SETTINGS_FILTERS_SCANLINES,
    SETTINGS_FILTERS_STRETCHWINDOWED,
    SETTINGS_GRAPHICS_BEZEL,
    SETTINGS_GRAPHICS_BLANKING,
    SETTINGS_GRAPHICS_BLINK,
    SETTINGS_GRAPHICS_DEJITTER,
    SETTINGS_GRAPHICS_SKIES,
    SETTINGS_GRAPHICS_INTERSECTIONS,
    SETTINGS_GRAPHICS_FULLSCREEN,
    SETTINGS_GRAPHICS_INVERTFLASHED,
    SETTINGS_GRAPHICS_NARROW,
    SETTINGS_GRAPHICS_ROTATE,
    SETTINGS_GRAPHICS_UNLIT,
    SETTINGS_GRAPHICS_SHOWLEDS,
    SETTINGS_INPUT_ANALOG,
    SETTINGS_INPUT_POSITIONS,
    SETTINGS_INPUT_SPRINGS,
    SETTINGS_INPUT_SWAPPED,
    SETTINGS_INPUT_CALIBRATE,
    SETTINGS_INPUT_REARRANGE,
    SETTINGS_INPUT_REDEFINE,
    SETTINGS_INPUT_SENSITIVITY,
    SETTINGS_INPUT_LOWERCASE,
    SETTINGS_INPUT_CONFINE,
    SETTINGS_INPUT_ERASEDELETED,
    SETTINGS_INPUT_AUTOCOIN,
    SETTINGS_INPUT_GUESTRMB,
    SETTINGS_INPUT_QUEUEKEYSTROKES,
    SETTINGS_SOUND_ENABLED,
    SETTINGS_SOUND_ADJUST,
    SETTINGS_SOUND_AMBIENT,
    SETTINGS_SOUND_FILTERED,
    SETTINGS_SOUND_RETUNE,
    SETTINGS_SOUND_OUTPUT,
    SETTINGS_SPEED_ADJUST,
    SETTINGS_SPEED_PAUSED,
    SETTINGS_SPEED_AUTOPAUSE,
    SETTINGS_SPEED_EXACT,
    SETTINGS_SPEED_LIMITREFRESHES,
    SETTINGS_SPEED_TURBO,
    SETTINGS_SPRITES_COLLISIONS,
    SETTINGS_TRAINERS_CHEATLIVES,
    SETTINGS_TRAINERS_CHEATTIME,
    SETTINGS_TRAINERS_INVINCIBILITY,
    SETTINGS_TRAINERS_SKIPLEVEL,
    HELP_GAMEINFO,
    HELP_HOSTPADS,
    HELP_HOSTKYBD,
    HELP_OPCODES,
    HELP_CODINGGUIDE,
    HELP_GAMINGGUIDE,
    HELP_MANUAL,
    HELP_UPDATE,
    HELP_REACTION,
    HELP_ABOUT,
    MENU_PROJECT,
    MENU_EDIT,
    MENU_VIEW,
    MENU_MACROS,
    MENU_DEBUG,
    MENU_TOOLS,
    MENU_PERIPHERALS,
    MENU_SETTINGS,
    MENU_HELP,
    SUBMENU_GENERATE_ANIMATIONS,
    SUBMENU_GENERATE_SOUND_FILES,
    SUBMENU_DEBUG_GENERAL,
    SUBMENU_DEBUG_PROJECT,
    SUBMENU_DEBUG_DISK,
    SUBMENU_DEBUG_EDIT,
    SUBMENU_DEBUG_VIEW,
    SUBMENU_DEBUG_LOG,
    SUBMENU_DEBUG_RUN,
    SUBMENU_DEBUG_BREAKPOINTS,
    SUBMENU_DEBUG_SYMBOLS,
    SUBMENU_DEBUG_TOOLS,
    SUBMENU_DEBUG_SETTINGS,
    SUBMENU_DEBUG_GRAPHICS,
    SUBMENU_LEFT_CONTROLLER,
    SUBMENU_RIGHT_CONTROLLER,
    SUBMENU_BIOS,
    SUBMENU_DOS,
    SUBMENU_FILTERS,
    SUBMENU_MACHINE,
    SUBMENU_SPRITES,
    SUBMENU_TRAINERS,
    SUBMENU_VDU,
    VIEW_SORTBY_NAME,
    VIEW_SORTBY_MACHINE,
    VIEW_INDICATOR_FPS,
    VIEW_INDICATOR_KHZ,
    VIEW_INDICATOR_PERCENTAGE,
    DEBUG_DRIVE_0,
    DEBUG_DRIVE_1,
    DEBUG_DRIVE_2,
    DEBUG_DRIVE_3,
    DEBUG_WW_NONE,
    DEBUG_WW_SOME,
    DEBUG_WW_ALL,
    DEBUG_BASE_2,
    DEBUG_BASE_8,
    DEBUG_BASE_10,
    DEBUG_BASE_16,
    DEBUG_CPU_0,
    DEBUG_CPU_1,
    DEBUG_N_0,
    DEBUG_N_1,
    DEBUG_N_2,
    DEBUG_N_3,
    DEBUG_N_4,
    DEBUG_TU_0,
    DEBUG_TU_1,
    DEBUG_TU_2,
    DEBUG_VERBOSE_0,
    DEBUG_VERBOSE_1,
    DEBUG_VERBOSE_2,
    DEBUG_DRAW_0,
    DEBUG_DRAW_1,
    DEBUG_DRAW_2,
    DEBUG_DRAW_3,
    DEBUG_DRAW_4,
    DEBUG_SPR_INVISIBLE,
    DEBUG_SPR_VISIBLE,
    DEBUG_SPR_NUMBERED,
    PERIPHERALS_LEFT_MOUSE,
    PERIPHERALS_LEFT_KEYBOARD,
    PERIPHERALS_LEFT_1STDJOY,
    PERIPHERALS_LEFT_2NDDJOY,
    PERIPHERALS_LEFT_2NDAJOY,
    PERIPHERALS_LEFT_1STDPAD,
    PERIPHERALS_LEFT_2NDDPAD,
    PERIPHERALS_LEFT_1STAPAD,
    PERIPHERALS_LEFT_2NDAPAD,
    PERIPHERALS_RIGHT_MOUSE,
    PERIPHERALS_RIGHT_KEYBOARD,
    PERIPHERALS_RIGHT_1STDJOY,
    PERIPHERALS_RIGHT_2NDDJOY,
    PERIPHERALS_RIGHT_2NDAJOY,
    PERIPHERALS_RIGHT_1STDPAD,
    PERIPHERALS_RIGHT_2NDDPAD,
    PERIPHERALS_RIGHT_1STAPAD,
    PERIPHERALS_RIGHT_2NDAPAD,
    SETTINGS_BIOS_PHILIPS,
    SETTINGS_BIOS_HOBBYMODULE,
    SETTINGS_BIOS_ARTEMIS,
    SETTINGS_BIOS_HYBUG,
    SETTINGS_BIOS_PIPBUG1,
    SETTINGS_BIOS_PIPBUG2,
    SETTINGS_BIOS_BINBUG35,
    SETTINGS_BIOS_BINBUG36,
    SETTINGS_BIOS_BINBUG61,
    SETTINGS_BIOS_GBUG,
    SETTINGS_BIOS_MIKEBUG,
    SETTINGS_BIOS_MYBUG,
    SETTINGS_BIOS_IPL,
    SETTINGS_BIOS_POPMON,
    SETTINGS_BIOS_SUPERVISOR,
    SETTINGS_BIOS_MINIMONITOR,
    SETTINGS_BIOS_PHUNSY,
    SETTINGS_BIOS_SELBSTNONE,
    SETTINGS_BIOS_SELBST09,
    SETTINGS_BIOS_SELBST10,
    SETTINGS_BIOS_SELBST20,
    SETTINGS_COLOURS_AMBER,
    SETTINGS_COLOURS_GREEN,
    SETTINGS_COLOURS_GREY,
    SETTINGS_COLOURS_PURE,
    SETTINGS_COLOURS_PVI,
    SETTINGS_COLOURS_UVI,
    SETTINGS_DOS_MICRODOS,
    SETTINGS_DOS_VHSDOS,
    SETTINGS_DOS_NOBINBUGDOS,
    SETTINGS_DOS_EXOS,
    SETTINGS_DOS_SDOS20,
    SETTINGS_DOS_SDOS40,
    SETTINGS_DOS_SDOS42,
    SETTINGS_DOS_TOS,
    SETTINGS_DOS_UDOS,
    SETTINGS_DOS_NOTWINDOS,
    SETTINGS_DOS_CDDOS,
    SETTINGS_DOS_P1DOS,
    SETTINGS_DOS_NOCD2650DOS,
    SETTINGS_EMULATOR_FRAMEBASED,
    SETTINGS_EMULATOR_PIXELBASED,
    SETTINGS_EMULATOR_APPENDLOG,
    SETTINGS_EMULATOR_IGNORELOG,
    SETTINGS_EMULATOR_REPLACELOG,
    SETTINGS_FILTERS_3D,
    SETTINGS_FILTERS_HQX,
    SETTINGS_FILTERS_SCALE2X,
    SETTINGS_FILTERS_NONE,
    SETTINGS_FILTERS_UNSTRETCHED,
    SETTINGS_FILTERS_STRETCH43,
    SETTINGS_FILTERS_STRETCHTOFIT,
    SETTINGS_GRAPHICS_1XSIZE,
    SETTINGS_GRAPHICS_2XSIZE,
    SETTINGS_GRAPHICS_3XSIZE,
    SETTINGS_GRAPHICS_4XSIZE,
    SETTINGS_GRAPHICS_5XSIZE,
    SETTINGS_GRAPHICS_6XSIZE,
    SETTINGS_INPUT_HOST,
    SETTINGS_INPUT_EA78UT4,
    SETTINGS_INPUT_TELETYPE,
    SETTINGS_LANGUAGE_ENG,
    SETTINGS_LANGUAGE_HOL,
    SETTINGS_LANGUAGE_FRA,
    SETTINGS_LANGUAGE_GER,
    SETTINGS_LANGUAGE_GRE,
    SETTINGS_LANGUAGE_ITA,
    SETTINGS_LANGUAGE_POL,
    SETTINGS_LANGUAGE_RUS,
    SETTINGS_LANGUAGE_SPA,
    SETTINGS_MACHINE_ARCADIA,
    SETTINGS_MACHINE_INTERTON,
    SETTINGS_MACHINE_ELEKTOR,
    SETTINGS_MACHINE_PIPBUG,
    SETTINGS_MACHINE_BINBUG,
    SETTINGS_MACHINE_INSTRUCTOR,
    SETTINGS_MACHINE_TWIN,
    SETTINGS_MACHINE_CD2650,
    SETTINGS_MACHINE_PHUNSY,
    SETTINGS_MACHINE_SELBST,
    SETTINGS_MACHINE_MIKIT,
    SETTINGS_MACHINE_ASTROWARS,
    SETTINGS_MACHINE_GALAXIA,
    SETTINGS_MACHINE_LASERBATTLE,
    SETTINGS_MACHINE_LAZARIAN,
    SETTINGS_MACHINE_MALZAK1,
    SETTINGS_MACHINE_MALZAK2,
    SETTINGS_MACHINE_8550,
    SETTINGS_MACHINE_8600,
    SETTINGS_MACHINE_TYPERIGHT,
    SETTINGS_SOUND_AHI,
    SETTINGS_SOUND_PAULA,
    SETTINGS_SPEED_NTSC,
    SETTINGS_SPEED_PAL,
    SETTINGS_SPEED_HIGH,
    SETTINGS_SPEED_NORMAL,
    SETTINGS_SPEED_LOW,
    SETTINGS_SPRITES_MULTIPLEX,
    SETTINGS_SPRITES_TRANSPARENT,
    SETTINGS_SPRITES_OPAQUE,
    SETTINGS_VDU_ELEKTERMINAL,
    SETTINGS_VDU_NARROW,
    SETTINGS_VDU_WIDE,
    SETTINGS_VDU_RADIOBULLETIN,
    SETTINGS_VDU_SVT100,
    SETTINGS_VDU_VT100,
    SETTINGS_VDU_ASCII,
    SETTINGS_VDU_CHESSMEN,
    SETTINGS_VDU_LOWERCASE,
    COUNT
};
constexpr std::size_t CMD_COUNT = static_cast<std::size_t>(Cmd::COUNT);

// The road a command came by: the refusals are given on it.
enum class CmdFrom : u8 { MENU, TOOLBAR, HOTKEY, SCRIPT };

struct CmdCall {
    CmdFrom from = CmdFrom::MENU;
    // A toggle's new value (a toolbar button's state after the press); -1 flips it.
    int set = -1;
};

struct CmdRow;
using CmdHandler = void (*)(const CmdRow& row, const CmdCall& call);

enum CmdFlags : u8 {
    CF_FRAME = 1,   // only between frames
    CF_UNBUILT = 2, // the program does not have its action yet: ghosted
    CF_STATE = 4,   // its question is about the program's state, not the machine
    CF_WINDOW = 8,  // acts on the main window: refused while iconified
    CF_LINK = 16,   // with CF_FRAME: while netplay is connected it only disconnects,
                    // which a frame held part-way allows
};

struct CmdRow {
    Cmd cmd;
    std::int16_t plain;         // plain menu id (0..316), -1 none
    std::int16_t check;         // checkable menu id (0..163), -1 none
    u8 flags;          // CmdFlags
    bool (*usable)();  // when it can be used; nullptr always
    int (*tick)(const CmdRow& row); // -1 no tick, else 0 or 1; nullptr none
    CmdHandler run;    // nullptr: a menu or sub-menu, which has no action
    const void* arg;   // the option a toggle flips, the debugger line an item runs
    i32 value;         // a radio item's value, a tool window's number
};

extern const CmdRow cmd_rows[CMD_COUNT];

const CmdRow& cmd_row(Cmd cmd);
// The row of plain id, or of checkable id; nullptr for an id without a row.
const CmdRow* cmd_of_plain(int id);
const CmdRow* cmd_of_check(int id);
// The row of a strip item id (checkable ids from MENU_CHECK_BASE).
const CmdRow* cmd_of_item(int item_id);
// The row whose script name is `name` (any letter case); nullptr none.
const CmdRow* cmd_named(const char* name);
// The row's script name, as the menu table spells it; "" for none.
const char* cmd_script_name(const CmdRow& row);

// Why the row cannot be used now (its action missing, a frame under way, the
// machine or the program's state), the text the refusal gives; nullptr when it
// can be used. Whether its item is shown ghosted (its tool window open too)
// is menu_item_enabled's (commands/menu_state.h).
const char* cmd_refusal(const CmdRow& row);
inline const char* cmd_refusal(Cmd cmd) {
    return cmd_refusal(cmd_row(cmd));
}
// How the debugger words a refusal of cmd_refusal's: "Wrong guest machine!"
// for the machine, "No disk is inserted!" for an empty debugger drive,
// "Invalid drive number!" for a drive past the machine's last, "Allowable
// range is 0..N!" for a drawing mode past the machine's last,
// "Command is unavailable." for the rest (each with its blank line); nullptr for none.
const char* cmd_debugger_wording(const char* why);
// Whether the program has the row's action at all (independent of the moment).
bool cmd_built(const CmdRow& row);
// The texts of the between-frames refusal and of a row that needs the main
// window while the program is iconified.
extern const char* const cmd_between_frames_text;
extern const char* const cmd_iconified_text;
// Whether the row opens a tool window, and that window is open and not
// minimised (its item is ghosted then); the window a row opens, TW_NONE none.
bool cmd_window_shown(const CmdRow& row);
int cmd_tool_window(const CmdRow& row);

// Why running the row now would be refused (the shared refusals and, for a
// row that needs the main window, iconified); nullptr when it would run.
const char* cmd_run_refusal(const CmdRow& row);
// Runs a row from `call.from` after the shared refusals: a refused command
// does nothing, and the between-frames refusal is told on the console. Returns
// the refusal (nullptr when it ran).
const char* cmd_run(const CmdRow& row, const CmdCall& call = {});
inline const char* cmd_run(Cmd cmd, const CmdCall& call = {}) {
    return cmd_run(cmd_row(cmd), call);
}

// What the action of the last row run could not do: `what` did not happen
// ("the state was not saved") for `why`, which names the file and the reason.
// An action that fails says so (its writer has shown the failure in the
// window); the port's MENU answers 10 with it. cmd_run forgets it before
// each action; taking it forgets it too (`what` is "" when none failed).
struct CmdFailure {
    std::string what, why;
};
void cmd_action_failed(const char* what, const std::string& why);
CmdFailure cmd_take_failure();

// The toolbars: the row behind each button (bar 1 buttons 1..8, bar 2 buttons
// 1..10), nullptr none.
const CmdRow* cmd_toolbar_row(int bar, int index);

// A hotkey: raw key code with the qualifiers held (HK_* bits).
enum HotkeyQualifier : u8 { HK_NONE = 0, HK_CTRL = 1, HK_SHIFT = 2, HK_ALT = 4 };
struct CmdHotkey {
    u8 code;
    u8 qualifiers;
    Cmd cmd;
};
extern const CmdHotkey cmd_hotkeys[];
extern const std::size_t cmd_hotkey_count;
// The command of a key pressed with `qualifiers` held; nullptr none.
const CmdRow* cmd_of_hotkey(u32 code, u8 qualifiers);
