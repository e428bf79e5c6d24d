#include "core/version.h"
#include "commands/arexx.h"

#include "commands/command_actions.h"
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/menu_state.h"
#include "commands/menu_table.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "core/questions.h"
#include "core/recording.h"
#include "app/rexx_host.h"
#include "core/savestate.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "app/startup.h"
#include "core/ui_host.h"
#include "debugger/commands.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "input/netplay.h"
#include "peripherals/changed_media.h"
#include "peripherals/floppy.h"
#include "peripherals/mdcr.h"
#include "platform/paths.h"
#include "platform/gui.h"
#include "record/recorder.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

bool same(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

void reply(ArexxCall& call, int rc, const char* text) {
    call.rc = rc;
    call.result = text;
}

// Answers 10 with `text` and, when known, the reason in brackets.
void failed_with(ArexxCall& call, const char* text, const std::string& why) {
    call.rc = 10;
    call.result = text;
    if (!why.empty()) call.result += " (" + why + ")";
    call.result += "\n";
}

// A load the command made did not happen: 10, naming the file (its host
// path, whole) and, when known, why.
void failed_load(ArexxCall& call, const char* command, const std::string& why) {
    failed_with(call,
                (std::string(command) + ": there was a problem opening the file \"" +
                 path_absolute(path_to_host(file_load_tried())) + "\"").c_str(),
                why);
}

// A machine switch the command made was refused: a changed disk or tape that
// nobody could be asked about keeps the machine as it was.
void refused_switch(ArexxCall& call) {
    const std::string why = machine_take_switch_refusal();
    if (!why.empty())
        failed_with(call, (std::string(call.row->name) + ": the machine was kept as it was").c_str(),
                    why);
}

// What a command answers while the part of the program it drives is missing.
void not_yet(ArexxCall& call) {
    call.rc = 20;
    call.result = std::string(call.row->name) + ": function is not available yet\n";
}

// ---- commands that are menu items ------------------------------------------------------
// A port command that does what a menu item does answers as that item. It is
// refused exactly when the item refuses to run (menu_item_refusal), or when
// the item needs the main window while the program is iconified: 10 and the
// item's reason. An item whose tool window is open refuses nothing: it brings
// the window to the front and answers 0. When it runs, it runs the item's own
// handler through cmd_run and fails as the item does. Every such command asks
// refused_as_item: the rows of g_arexx_commands that name their item (before
// their handler runs), MENU with the item it names, and the commands whose
// item depends on their argument (SETMACHINE, OPENMONITOR, CMDSHELL, HIDE).
const char* item_refusal(const CmdRow& row) {
    if (const char* why = menu_item_refusal(row)) return why;
    return cmd_run_refusal(row);
}
// What a refusal names: the command, and for MENU the item.
std::string refusing(const ArexxCall& call, const CmdRow& row) {
    if (strcasecmp(call.row->name, "MENU") != 0) return call.row->name;
    return std::string("MENU ") + cmd_script_name(row);
}
bool refused_as_item(ArexxCall& call, const CmdRow& row) {
    const char* why = item_refusal(row);
    if (!why) return false;
    if (why == cmd_between_frames_text) {
        con_printf("%s\n", why); // as on every road
        why = "command is unavailable during the frame";
    }
    call.rc = 10;
    call.result = refusing(call, row) + ": " + why + "\n";
    return true;
}

// Runs the item as the menu does (`how.set` for a toggle's new value) and
// answers as it went: a machine switch that was kept, a load that did not
// happen or that a kept disk or tape refused (as OPEN answers), a save, a
// recording or a picture it could not write: 10 and why.
void run_as_item(ArexxCall& call, const CmdRow& row, CmdCall how = {CmdFrom::SCRIPT}) {
    if (refused_as_item(call, row)) return;
    machine_take_switch_refusal(); // only this item's switch counts
    media_take_refusal();          // and only its load
    file_load_take_result();
    how.from = CmdFrom::SCRIPT;
    cmd_run(row, how);
    refused_switch(call);
    const std::string name = call.row->name;
    const std::string kept = media_take_refusal();
    const bool failed = file_load_take_result() == LOAD_FAILED;
    if (call.rc == 0 && (failed || !kept.empty()))
        failed_load(call, name.c_str(), kept.empty() ? file_load_refusal() : kept);
    if (const CmdFailure failure = cmd_take_failure(); call.rc == 0 && !failure.what.empty())
        failed_with(call, (name + ": " + failure.what).c_str(), failure.why);
}
void run_as_item(ArexxCall& call, Cmd cmd, CmdCall how = {CmdFrom::SCRIPT}) {
    run_as_item(call, cmd_row(cmd), how);
}

// The guards of the commands that are no menu item: true (with the reply set)
// when the command must not run.
bool refused_in_frame(ArexxCall& call, const char* text) {
    if (!emu_paused_mid_frame) return false;
    reply(call, 10, text);
    return true;
}
// Iconified: the main window is closed, or minimised inside the iconified wait.
bool iconified() {
    return !main_window || gui_iconified;
}
bool refused_iconified(ArexxCall& call, const char* text) {
    if (!iconified()) return false;
    reply(call, 20, text);
    return true;
}

std::string arg_text(const ArexxCall& call, std::size_t i) {
    return i < call.args.size() && call.args[i].given ? call.args[i].text : std::string();
}
bool arg_given(const ArexxCall& call, std::size_t i) {
    return i < call.args.size() && call.args[i].given;
}

// ---- windows and the program ----------------------------------------------------------
void cmd_activate(ArexxCall& call) {
    if (!iconified()) {
        reply(call, 20, "ACTIVATE/SHOW: command is only available while iconified\n");
        return;
    }
    pending_actions |= PA_UNICONIFY;
}
void cmd_activatewindow(ArexxCall&) {
    if (!iconified()) gui_activate_window();
}
void cmd_deactivate(ArexxCall& call) {
    if (refused_iconified(call, "DEACTIVATE/HIDE: command is unavailable while iconified\n"))
        return;
    // On the program's own screen there is nothing to iconify (the item is
    // ghosted there, and the frame boundary would drop the request).
    if (refused_as_item(call, cmd_row(Cmd::PROJECT_ICONIFY))) return;
    // Nothing would minimise it: the window stays, running, and says why.
    if (const char* why = gui_iconify_refusal()) {
        gui_iconify();
        failed_with(call, "DEACTIVATE/HIDE: the window was not iconified", why);
        return;
    }
    pending_actions |= PA_ICONIFY; // at the next frame boundary
}
void cmd_lockgui(ArexxCall& call) {
    if (refused_iconified(call, "LOCKGUI: command is unavailable while iconified\n")) return;
    gui_lock_menus();
}
void cmd_unlockgui(ArexxCall& call) {
    if (refused_iconified(call, "UNLOCKGUI: command is unavailable while iconified\n")) return;
    gui_unlock_menus();
}
void cmd_movewindow(ArexxCall& call) {
    if (refused_iconified(call, "MOVEWINDOW: command is unavailable while iconified\n")) return;
    const auto coordinate = [](long n) {
        return n < 0 ? -1 : n > 32767 ? 32767 : static_cast<int>(n);
    };
    gui_window_move(main_window, coordinate(call.args[0].number), coordinate(call.args[1].number));
}
void cmd_windowtoback(ArexxCall& call) {
    if (refused_iconified(call, "WINDOWTOBACK: command is unavailable while iconified\n")) return;
    gui_window_to_back(main_window);
}
void cmd_windowtofront(ArexxCall& call) {
    if (refused_iconified(call, "WINDOWTOFRONT: command is unavailable while iconified\n")) return;
    gui_window_activate(main_window);
}
void cmd_quit(ArexxCall& call) {
    call.result = rexx_quit_after_reply();
}
void cmd_status(ArexxCall& call) {
    gui_set_status_message(arg_text(call, 0).c_str());
}
void cmd_cmdshell(ArexxCall& call) {
    const std::string word = arg_text(call, 0);
    const bool open = same(word, "OPEN");
    if (!open && !same(word, "CLOSE")) return;
    if (refused_as_item(call, cmd_row(Cmd::VIEW_DEBUGGER))) return;
    view_debugger[display_mode] = open ? 1 : 0;
    after_view_debugger();
}

// ---- tool windows ------------------------------------------------------------------------
void close_windows(std::initializer_list<ToolWindow> windows) {
    for (ToolWindow w : windows)
        gui_close_subwindow(w);
}
// Opens each window that the program has; false when it has none of them.
bool open_windows(std::initializer_list<ToolWindow> windows) {
    bool any = false;
    for (ToolWindow w : windows)
        if (gui_subwin_ops[w].open) {
            gui_open_tool_window(w);
            any = true;
        }
    return any;
}
template <ToolWindow W> void cmd_close(ArexxCall&) {
    close_windows({W});
}
// OPEN<window>: its item's refusal came first (the table names the item); an
// open window comes to the front.
template <ToolWindow W> void cmd_open(ArexxCall& call) {
    if (!open_windows({W})) not_yet(call);
}
void cmd_closemonitor(ArexxCall&) {
    close_windows({TW_CPU, TW_VIDEO_CHIP, TW_PSG});
}
// The monitors whose items are enabled open; refused as the first item when
// none of the three may open.
void cmd_openmonitor(ArexxCall& call) {
    bool opened = false;
    const CmdRow* refused = nullptr;
    for (Cmd item : {Cmd::TOOLS_CPU, Cmd::TOOLS_XVI, Cmd::TOOLS_PSG}) {
        const CmdRow& row = cmd_row(item);
        if (item_refusal(row)) {
            if (!refused) refused = &row;
        } else if (open_windows({static_cast<ToolWindow>(cmd_tool_window(row))})) {
            opened = true;
        }
    }
    if (!opened && refused) refused_as_item(call, *refused);
    else if (!opened) not_yet(call);
}

// ---- the emulation -----------------------------------------------------------------------
void cmd_clear(ArexxCall& call) {
    run_as_item(call, Cmd::PROJECT_RESETTOGAME);
}
void cmd_new(ArexxCall& call) {
    run_as_item(call, Cmd::PROJECT_RESETTOGAME);
    if (call.rc == 0) call.result = rexx_host_name;
}
void cmd_pause(ArexxCall&) {
    emu_pause(PauseCause::user);
}
void cmd_unpause(ArexxCall&) {
    emu_unpause();
}
// Every machine with a monitor jumps into it, the TWIN too, whose menu has
// no "Jump to BIOS" item: kept apart from its item on purpose (scripts jump
// into the TWIN's monitor), with its own machine and frame guards.
void cmd_jumptomonitor(ArexxCall& call) {
    if (!machine_debug().bios_entry) {
        reply(call, 10, "JUMPTOMONITOR: wrong guest machine\n");
        return;
    }
    if (refused_in_frame(call, "JUMPTOMONITOR: command is unavailable during the frame\n")) return;
    const CmdRow& row = cmd_row(Cmd::PROJECT_JUMPTOBIOS);
    row.run(row, {CmdFrom::SCRIPT});
}
// The machine's item is the Machine menu's item of its first memory map.
const CmdRow* machine_item(int m) {
    for (const CmdRow& row : cmd_rows)
        if (row.run == act_machine && row.value == machine_table[m].default_memmap) return &row;
    return nullptr;
}
void cmd_setmachine(ArexxCall& call) {
    const std::string word = arg_text(call, 0);
    for (int m = 0; m < static_cast<int>(MACHINES); ++m)
        if (same(word, machine_table[m].keyword)) {
            if (const CmdRow* item = machine_item(m)) return run_as_item(call, *item);
            break;
        }
    reply(call, 10, "SETMACHINE: invalid guest machine\n");
}
void cmd_setspeed(ArexxCall& call) {
    static const long percents[] = {25, 50, 75, 100, 125, 150, 200, 400, 800};
    for (int step = 0; step < 9; ++step)
        if (call.args[0].number == percents[step]) {
            emu_speed = step;
            gui_status_bar_update();
            return;
        }
    reply(call, 10, "SETSPEED: invalid speed\n");
}
void cmd_turbo(ArexxCall& call) {
    const std::string word = arg_text(call, 0);
    if (!same(word, "ON") && !same(word, "OFF")) {
        reply(call, 10, "Usage: TURBO ON|OFF\n");
        return;
    }
    run_as_item(call, Cmd::SETTINGS_SPEED_TURBO, {CmdFrom::SCRIPT, same(word, "ON") ? 1 : 0});
}
void cmd_peek(ArexxCall& call) {
    const long address = call.args[0].number;
    if (address < 0 || address > 0x7FFF) {
        reply(call, 10, "PEEK: address must be 0..32767\n");
        return;
    }
    call.result = std::to_string(guest_memory[address]);
}

// The text that con_printf prints while a scripted debugger command runs.
std::string* captured = nullptr;
void capture_sink(const char* text) {
    if (captured) *captured += text;
}
void cmd_debugger(ArexxCall& call) {
    std::string line = arg_text(call, 1);
    for (std::size_t i = 2; i <= 7; ++i)
        if (arg_given(call, i)) line += " " + arg_text(call, i);
    if (line.size() >= sizeof g_dbg_line) {
        reply(call, 10, "DEBUGGER: command line too long\n");
        return;
    }
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line.c_str());
    rexx_quiet = arg_given(call, 0) ? 1 : 0;
    std::string text;
    captured = &text;
    const bool pushed = con_push_sink(capture_sink);
    struct Restore {
        bool pushed;
        ~Restore() {
            if (pushed) con_pop_sink();
            captured = nullptr;
            rexx_quiet = 0;
        }
    } restore{pushed};
    // A refused line answers 10 with the refusal, which QUIET does not print.
    call.rc = dbg_execute() ? 10 : 0;
    call.result = call.rc && rexx_quiet ? dbg_refusal_text() : text;
}

// ---- files -----------------------------------------------------------------------------------
// The REQUEST commands, and OPEN or CLIENT without a name, ask the user on purpose: their requesters are shown
// even though a command of the port is running.
struct AskingTheUser {
    const bool was = ui_unattended;
    AskingTheUser() { ui_unattended = false; }
    ~AskingTheUser() { ui_unattended = was; }
};

void cmd_open_file(ArexxCall& call) {
    const std::string name = arg_text(call, 0);
    if (name.empty()) {
        const AskingTheUser asking; // without a name: the load requester asks for one
        const int result = file_open_with_requester();
        if (result < 0)
            reply(call, 5, "OPEN: cancelled\n");
        else if (result == LOAD_FAILED)
            failed_with(call, "OPEN: there was a problem opening the file", file_load_refusal());
        return;
    }
    if (name.size() >= FILE_NAME_SIZE) {
        failed_with(call, "OPEN: there was a problem opening the file", "name too long");
        return;
    }
    rec_stop_all();
    if (!file_load_request(load_request_chosen(name.c_str())))
        failed_load(call, "OPEN", file_load_refusal());
}
// ---- the disks in the drives -----------------------------------------------------------
// UPDATEDISK and EJECTDISK do what the floppy window's Update disk... and
// Eject disk do, where nobody is asked: the way a script saves or drops a
// changed disk that keeps a switch, a load or the autosave waiting.

// The drive the command names, holding a disk; -1 after the reply says why not.
int disk_drive(ArexxCall& call) {
    const std::string command = call.row->name;
    const int drives = floppy_drive_count();
    const long drive = call.args[0].number;
    if (drives == 0)
        reply(call, 10, (command + ": wrong guest machine\n").c_str());
    else if (drive < 0 || drive >= drives)
        reply(call, 10,
              (command + ": drive must be 0.." + std::to_string(drives - 1) + "\n").c_str());
    else if (!drive_has_disk(static_cast<int>(drive)))
        reply(call, 10, (command + ": no disk in drive " + std::to_string(drive) + "\n").c_str());
    else
        return static_cast<int>(drive);
    return -1;
}
void cmd_updatedisk(ArexxCall& call) {
    const int drive = disk_drive(call);
    if (drive < 0) return;
    const std::string name = arg_text(call, 1), d = std::to_string(drive);
    if (name.size() >= FLOPPY_NAME_SIZE) {
        reply(call, 10, "UPDATEDISK: file name too long\n");
        return;
    }
    if (name.empty() && !drives[drive].file_name[0]) {
        reply(call, 10,
              ("UPDATEDISK: the disk in drive " + d +
               " is a new disk: name the file it goes to (UPDATEDISK " + d + " <file>)\n")
                  .c_str());
        return;
    }
    if (!disk_save_image(drive, name.c_str())) {
        reply(call, 10,
              ("UPDATEDISK: the disk in drive " + d + " was not saved: UPDATEDISK " + d +
               " <file> saves it under another name; EJECTDISK " + d + " drops its changes\n")
                  .c_str());
        return;
    }
    // Where a name given went (a relative one, or one given the suffix).
    if (const std::string written = path_absolute(path_to_host(drives[drive].file_name));
        !name.empty() && written != name)
        call.result = written;
}
void cmd_ejectdisk(ArexxCall& call) {
    const int drive = disk_drive(call);
    if (drive < 0) return;
    const std::string dropped = drives[drive].changed
                                    ? "EJECTDISK: the disk in drive " + std::to_string(drive) +
                                          " (" + floppy_disk_name(drive) +
                                          ") was changed and not saved: its changes are dropped\n"
                                    : "";
    floppy_eject(drive);
    if (!dropped.empty()) reply(call, 5, dropped.c_str());
}
// UPDATEMDCR and EJECTMDCR do the same for the PHUNSY's MDCR tape: what the
// tape deck window's Update MDCR tape does, and the tape taken off the deck.

// Whether the machine has an MDCR deck with a tape on it; else the reply says why not.
bool mdcr_tape(ArexxCall& call) {
    const std::string command = call.row->name;
    if (!machine_traits().mdcr)
        reply(call, 10, (command + ": wrong guest machine\n").c_str());
    else if (!mdcr_blocks)
        reply(call, 10, (command + ": no tape on the MDCR deck\n").c_str());
    else
        return true;
    return false;
}
void cmd_updatemdcr(ArexxCall& call) {
    if (mdcr_tape(call) && !mdcr_save_image())
        reply(call, 10, "UPDATEMDCR: the MDCR tape was not saved: EJECTMDCR drops its changes\n");
}
void cmd_ejectmdcr(ArexxCall& call) {
    if (!mdcr_tape(call)) return;
    const std::string dropped = mdcr_changed
                                    ? "EJECTMDCR: the MDCR tape (\"" +
                                          std::string(path_file_part(mdcr_file_name)) +
                                          "\") was changed and not saved: its changes are dropped\n"
                                    : "";
    mdcr_eject();
    if (!dropped.empty()) reply(call, 5, dropped.c_str());
}

void cmd_reload(ArexxCall& call) {
    run_as_item(call, Cmd::PROJECT_REVERT);
}
void cmd_saveas(ArexxCall& call) {
    const std::string name = arg_text(call, 0);
    if (name.empty()) return run_as_item(call, Cmd::PROJECT_SAVECOS); // the requester
    if (name.size() >= FILE_NAME_SIZE) {
        reply(call, 10, "SAVEAS: file name too long\n");
        return;
    }
    // Recordings stop once the name is known to be none of their files.
    if (!state_save_as(name.c_str(), 8, 1, true))
        failed_with(call, "SAVEAS: can't save the state", state_save_error());
    else if (const std::string written = path_absolute(path_to_host(state_saved_name()));
             written != name)
        call.result = written; // where a relative name, or one given a suffix, went
}
// SAVEILBM ... SAVETIFF: the current picture, named or through the requester.
template <int KIND>
void cmd_save_picture(ArexxCall& call) {
    const std::string name = arg_text(call, 0);
    if (name.empty()) return run_as_item(call, call.row->item); // the requester
    if (name.size() >= FILE_NAME_SIZE) {
        reply(call, 10, (std::string(call.row->name) + ": file name too long\n").c_str());
        return;
    }
    std::snprintf(rec_picture_name, sizeof rec_picture_name, "%s", name.c_str());
    const bool saved = rec_save_picture(KIND, 0, 0, 0);
    rec_picture_name[0] = '\0';
    if (!saved)
        reply(call, 10, (std::string(call.row->name) + ": can't save the picture\n").c_str());
}
void cmd_copy(ArexxCall& call) {
    run_as_item(call, Cmd::EDIT_COPYSCREEN);
}
void cmd_copytext(ArexxCall& call) {
    run_as_item(call, Cmd::EDIT_COPYTEXT);
}
void cmd_help(ArexxCall& call) {
    call.result = arexx_help_text();
    const std::string name = arg_text(call, 0);
    if (name.empty()) return;
    // Never a half-written file, nor one written over what a save keeps.
    std::string why;
    if (!file_write_replace(name, call.result.data(), call.result.size(), &why))
        failed_with(call, "HELP: can't open specified output file", why);
}

// ---- requesters --------------------------------------------------------------------------
// The program's windows stand for its screen: there are no public screens to
// move between on this host.
void cmd_jumpscreen(ArexxCall& call) {
    reply(call, 10, "JUMPSCREEN: Can't find specified public screen\n");
}
void program_windows_to(ArexxCall& call, bool front, const char* failure) {
    if (iconified()) {
        reply(call, 20, failure);
        return;
    }
    for (int w : gui_subwin_window)
        if (w) front ? gui_window_activate(w) : gui_window_to_back(w);
    front ? gui_window_activate(main_window) : gui_window_to_back(main_window);
}
void cmd_screentoback(ArexxCall& call) {
    program_windows_to(call, false, "SCREENTOBACK: can't lock screen\n");
}
void cmd_screentofront(ArexxCall& call) {
    program_windows_to(call, true, "SCREENTOFRONT: can't lock screen\n");
}
void cmd_paste(ArexxCall& call) {
    run_as_item(call, Cmd::EDIT_PASTETEXT);
}
void cmd_viewhighscores(ArexxCall& call) {
    run_as_item(call, Cmd::VIEW_HIGHSCORES);
}

void cmd_requestfile(ArexxCall& call) {
    const AskingTheUser asking;
    const std::string title = arg_given(call, 0) ? arg_text(call, 0) : "Brindlemox: File Requester";
    const std::string pattern = arg_given(call, 3) ? arg_text(call, 3) : "~(#?.info)";
    const std::string drawer = arg_given(call, 1) ? arg_text(call, 1) : games_path;
    char path[FILE_NAME_SIZE] = "";
    const int answer = gui_file_request(title.c_str(), pattern.c_str(), 0, drawer.c_str(),
                                        arg_text(call, 2).c_str(), path);
    if (answer == 0)
        call.result = path;
    else if (answer == 5)
        reply(call, 5, "REQUESTFILE: warning!\n");
    else
        reply(call, 5, "REQUESTFILE: cancelled\n");
}
void cmd_requestnotify(ArexxCall& call) {
    const AskingTheUser asking;
    const std::string title = arg_given(call, 0) ? arg_text(call, 0) : "Brindlemox: Message";
    gui_requester(title.c_str(), arg_text(call, 1).c_str(), "OK", 1);
}
void cmd_requestresponse(ArexxCall& call) {
    const AskingTheUser asking;
    const std::string title = arg_given(call, 0) ? arg_text(call, 0) : "Brindlemox: Verification";
    // The question kind is not one of the requester's images: information.
    if (ui_ask(Question::script_question, arg_text(call, 1), nullptr, nullptr, title.c_str()) != 1)
        call.rc = 5;
}

// ---- questions -----------------------------------------------------------------------------
void cmd_getattr(ArexxCall& call) {
    const std::string name = arg_text(call, 0);
    if (same(name, "APPLICATION.PORT"))
        call.result = std::to_string(net_port);
    else if (same(name, "APPLICATION.SCREEN"))
        call.result = pubscreen_name[display_mode ? 1 : 0];
    else if (same(name, "APPLICATION.VERSION"))
        call.result = program_version;
}
const KnownGame* loaded_game() {
    return known_game_id >= 0 && known_game_id < KNOWN_GAMES ? &known_games_db[known_game_id]
                                                             : nullptr;
}
void cmd_getcredits(ArexxCall& call) {
    const KnownGame* g = loaded_game();
    call.result = g && g->credits ? g->credits : "?";
}
void cmd_getname(ArexxCall& call) {
    const KnownGame* g = loaded_game();
    call.result = g && g->name ? g->name : "?";
}
void cmd_getreference(ArexxCall& call) {
    const KnownGame* g = loaded_game();
    call.result = g && g->reference ? g->reference : "?";
}
void cmd_getmachine(ArexxCall& call) {
    call.result = machine_desc().keyword;
}
void cmd_getmemmap(ArexxCall& call) {
    call.result = std::string(1, static_cast<char>(65 + memmap));
}
void cmd_getport(ArexxCall& call) {
    call.result = std::to_string(net_port);
}
void cmd_getscreen(ArexxCall& call) {
    call.result = pubscreen_name[display_mode ? 1 : 0];
}
void cmd_getversion(ArexxCall& call) {
    const std::string word = arg_text(call, 0);
    if (word.empty() || same(word, "DECIMAL"))
        call.result = program_version;
    else if (same(word, "INTEGER"))
        call.result = "36.40";
    else
        reply(call, 10, "Usage: GETVERSION [DECIMAL|INTEGER]\n");
}
void cmd_menu(ArexxCall& call) {
    const CmdRow* row = cmd_named(arg_text(call, 0).c_str());
    if (!row) {
        reply(call, 10, "Unknown menu item\n");
        return;
    }
    run_as_item(call, *row);
}

// ---- netplay ---------------------------------------------------------------------------------
// Their items' refusals came first (a connected link may be ended while its
// frame waits for the peer).

// A link the command made answers once it has settled (net_link_settled): 0
// when it held for its first second of play, 5 when it ended before (a peer
// that left at once, or that runs another machine). A link that has not
// settled within LINK_SETTLE_MS (a guest paused on either side, a requester
// open) answers 0: it stands. The program ending before (another client's
// QUIT) answers 5.
constexpr int LINK_SETTLE_MS = 5000;
std::string link_command; // the command whose reply waits
void link_settled(bool held) {
    net_link_settled = nullptr;
    if (held)
        rexx_reply_release(0, "");
    else
        rexx_reply_release(5, link_command + ": not connected (the link ended at once)\n");
}
void answer_when_linked(ArexxCall& call, u32 mode) {
    if (net_mode != mode) {
        reply(call, 5, (std::string(call.row->name) + ": not connected\n").c_str());
        return;
    }
    link_command = call.row->name;
    // The program ending first ends the link: the command says it was broken off.
    const RexxLateReply ended{5, link_command +
                                     ": not connected (broken off: Brindlemox is quitting)\n"};
    if (rexx_reply_hold(LINK_SETTLE_MS, {}, ended)) net_link_settled = link_settled;
}
void cmd_client(ArexxCall& call) {
    if (arg_given(call, 0) && !arg_text(call, 0).empty()) {
        net_set_host(arg_text(call, 0).c_str());
        net_host_preset = true;
        cmd_run(cmd_row(Cmd::TOOLS_CLIENT), {CmdFrom::SCRIPT});
        net_host_preset = false;
    } else {
        const AskingTheUser asking; // the host-name prompt is this command's question
        cmd_run(cmd_row(Cmd::TOOLS_CLIENT), {CmdFrom::SCRIPT});
    }
    answer_when_linked(call, NET_CLIENT);
}
void cmd_server(ArexxCall& call) {
    cmd_run(cmd_row(Cmd::TOOLS_SERVER), {CmdFrom::SCRIPT});
    answer_when_linked(call, NET_SERVER);
}
void cmd_gethostname(ArexxCall& call) {
    call.result = net_host;
}
void cmd_setport(ArexxCall& call) {
    const long port = call.args[0].number;
    if (port < 0 || port > 65535) {
        reply(call, 10, "SETPORT: port number must be 0..65535\n");
        return;
    }
    net_port = static_cast<u16>(port);
}

} // namespace

// The commands whose part of the program is missing answer not_yet.
const ArexxCmd g_arexx_commands[AREXX_COMMANDS + 1] = {
    {"ACTIVATE", 1, cmd_activate, nullptr},
    {"SHOW", 1, cmd_activate, nullptr},
    {"ACTIVATEWINDOW", 2, cmd_activatewindow, nullptr},
    {"CLEAR", 3, cmd_clear, nullptr, Cmd::PROJECT_RESETTOGAME},
    {"CLIENT", 4, cmd_client, "FOO", Cmd::TOOLS_CLIENT},
    {"CLOSECONTROLS", 5, cmd_close<TW_CONTROLS>, nullptr},
    {"CLOSEDIPS", 6, cmd_close<TW_DIPS>, nullptr},
    {"CLOSEDISKDRIVE", 7, cmd_close<TW_FLOPPY>, nullptr},
    {"CLOSEGAMEINFO", 8, cmd_close<TW_GAMEINFO>, nullptr},
    {"CLOSEGAMEPADS", 9, cmd_close<TW_HOST_PADS>, nullptr},
    {"CLOSEKEYBOARD", 10, cmd_close<TW_HOST_KEYBOARD>, nullptr},
    {"CLOSEMEMORY", 11, cmd_close<TW_MEMORY>, nullptr},
    {"CLOSEMONITOR", 12, cmd_closemonitor, nullptr},
    {"CLOSEMUSIC", 13, cmd_close<TW_MUSIC>, nullptr},
    {"CLOSEOPCODES", 14, cmd_close<TW_OPCODES>, nullptr},
    {"CLOSEPALETTE", 15, cmd_close<TW_PALETTE>, nullptr},
    {"CLOSESPRITES", 16, cmd_close<TW_SPRITES>, nullptr},
    {"CLOSETAPEDECK", 17, cmd_close<TW_TAPE>, nullptr},
    {"CMDSHELL", 18, cmd_cmdshell, "FOO/A/F"},
    {"COPY", 19, cmd_copy, nullptr, Cmd::EDIT_COPYSCREEN},
    {"COPYTEXT", 20, cmd_copytext, nullptr, Cmd::EDIT_COPYTEXT},
    {"DEACTIVATE", 21, cmd_deactivate, nullptr},
    {"HIDE", 21, cmd_deactivate, nullptr},
    {"DEBUGGER", 22, cmd_debugger, "QUIET/S,COMMAND/A,ARG1,ARG2,ARG3,ARG4,ARG5,ARG6"},
    {"EJECTDISK", 83, cmd_ejectdisk, "DRIVE/A/N"},
    {"EJECTMDCR", 86, cmd_ejectmdcr, nullptr},
    {"GETATTR", 23, cmd_getattr, "FOO/A"},
    {"GETCREDITS", 24, cmd_getcredits, nullptr},
    {"GETHOSTNAME", 25, cmd_gethostname, nullptr},
    {"GETMACHINE", 26, cmd_getmachine, nullptr},
    {"GETMEMMAP", 27, cmd_getmemmap, nullptr},
    {"GETNAME", 28, cmd_getname, nullptr},
    {"GETPORT", 29, cmd_getport, nullptr},
    {"GETREFERENCE", 30, cmd_getreference, nullptr},
    {"GETSCREEN", 31, cmd_getscreen, nullptr},
    {"GETVERSION", 32, cmd_getversion, "FOO"},
    {"HELP", 33, cmd_help, "FOO"},
    {"JUMPSCREEN", 34, cmd_jumpscreen, "FOO/A"},
    {"JUMPTOMONITOR", 35, cmd_jumptomonitor, nullptr},
    {"LOCKGUI", 36, cmd_lockgui, nullptr},
    {"MENU", 37, cmd_menu, "FOO/A"},
    {"MOVEWINDOW", 38, cmd_movewindow, "LEFTEDGE/N/A,TOPEDGE/N/A"},
    {"NEW", 39, cmd_new, nullptr, Cmd::PROJECT_RESETTOGAME},
    {"OPEN", 40, cmd_open_file, "FOO", Cmd::PROJECT_OPEN},
    {"OPENCONTROLS", 41, cmd_open<TW_CONTROLS>, nullptr, Cmd::PERIPHERALS_CONTROLS},
    {"OPENDIPS", 42, cmd_open<TW_DIPS>, nullptr, Cmd::PERIPHERALS_DIPSWITCHES},
    {"OPENDISKDRIVE", 43, cmd_open<TW_FLOPPY>, nullptr, Cmd::PERIPHERALS_FLOPPYDRIVE},
    {"OPENGAMEINFO", 44, cmd_open<TW_GAMEINFO>, nullptr, Cmd::HELP_GAMEINFO},
    {"OPENGAMEPADS", 45, cmd_open<TW_HOST_PADS>, nullptr, Cmd::HELP_HOSTPADS},
    {"OPENKEYBOARD", 46, cmd_open<TW_HOST_KEYBOARD>, nullptr, Cmd::HELP_HOSTKYBD},
    {"OPENMEMORY", 47, cmd_open<TW_MEMORY>, nullptr, Cmd::EDIT_MEMORY},
    {"OPENMONITOR", 48, cmd_openmonitor, nullptr},
    {"OPENMUSIC", 49, cmd_open<TW_MUSIC>, nullptr, Cmd::TOOLS_MUSIC},
    {"OPENOPCODES", 50, cmd_open<TW_OPCODES>, nullptr, Cmd::HELP_OPCODES},
    {"OPENPALETTE", 51, cmd_open<TW_PALETTE>, nullptr, Cmd::EDIT_PALETTE},
    {"OPENSPRITES", 52, cmd_open<TW_SPRITES>, nullptr, Cmd::EDIT_SPRITES},
    {"OPENTAPEDECK", 53, cmd_open<TW_TAPE>, nullptr, Cmd::PERIPHERALS_TAPEDECK},
    {"PASTE", 54, cmd_paste, nullptr, Cmd::EDIT_PASTETEXT},
    {"PAUSE", 55, cmd_pause, nullptr, Cmd::SETTINGS_SPEED_PAUSED},
    {"PEEK", 56, cmd_peek, "FOO/A/N"},
    {"RELOAD", 57, cmd_reload, nullptr, Cmd::PROJECT_REVERT},
    {"REVERT", 57, cmd_reload, nullptr, Cmd::PROJECT_REVERT},
    {"REQUESTFILE", 58, cmd_requestfile, "TITLE/K,PATH/K,FILE/K,PATTERN/K"},
    {"REQUESTNOTIFY", 59, cmd_requestnotify, "TITLE/K,PROMPT/A"},
    {"REQUESTRESPONSE", 60, cmd_requestresponse, "TITLE/K,PROMPT/A"},
    {"QUIT", 61, cmd_quit, nullptr, Cmd::PROJECT_QUIT},
    {"SAVEACBM", 62, cmd_save_picture<KIND_ACBM>, "FOO", Cmd::PROJECT_SAVESCRN_ACBM},
    {"SAVEAS", 63, cmd_saveas, "FOO", Cmd::PROJECT_SAVECOS},
    {"SAVEBMP", 64, cmd_save_picture<KIND_BMP>, "FOO", Cmd::PROJECT_SAVESCRN_BMP},
    {"SAVEGIF", 65, cmd_save_picture<KIND_GIF>, "FOO", Cmd::PROJECT_SAVESCRN_GIF},
    {"SAVEILBM", 66, cmd_save_picture<KIND_ILBM>, "FOO", Cmd::PROJECT_SAVESCRN_ILBM},
    {"SAVEPCX", 67, cmd_save_picture<KIND_PCX>, "FOO", Cmd::PROJECT_SAVESCRN_PCX},
    {"SAVEPNG", 68, cmd_save_picture<KIND_PNG>, "FOO", Cmd::PROJECT_SAVESCRN_PNG},
    {"SAVETIFF", 69, cmd_save_picture<KIND_TIFF>, "FOO", Cmd::PROJECT_SAVESCRN_TIFF},
    {"SCREENTOBACK", 70, cmd_screentoback, nullptr},
    {"SCREENTOFRONT", 71, cmd_screentofront, nullptr},
    {"SERVER", 72, cmd_server, nullptr, Cmd::TOOLS_SERVER},
    {"SETMACHINE", 73, cmd_setmachine, "FOO/A"},
    {"SETPORT", 74, cmd_setport, "FOO/A/N"},
    {"SETSPEED", 75, cmd_setspeed, "FOO/A/N"},
    {"STATUS", 76, cmd_status, "FOO/F"},
    {"TURBO", 77, cmd_turbo, "FOO/A", Cmd::SETTINGS_SPEED_TURBO},
    {"UNLOCKGUI", 78, cmd_unlockgui, nullptr},
    {"UNPAUSE", 79, cmd_unpause, nullptr, Cmd::SETTINGS_SPEED_PAUSED},
    {"UPDATEDISK", 84, cmd_updatedisk, "DRIVE/A/N,FILE"},
    {"UPDATEMDCR", 85, cmd_updatemdcr, nullptr},
    {"VIEWHIGHSCORES", 80, cmd_viewhighscores, nullptr, Cmd::VIEW_HIGHSCORES},
    {"WINDOWTOBACK", 81, cmd_windowtoback, nullptr},
    {"WINDOWTOFRONT", 82, cmd_windowtofront, nullptr},
    {nullptr, 0, nullptr, nullptr},
};

std::string arexx_help_text() {
    // The words the port takes, in the table's order; the spellings of one
    // command share a line.
    std::string text;
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row) {
        const bool same = row != g_arexx_commands && row[-1].id == row->id;
        if (same) text.back() = '|';
        text += row->name;
        text += '\n';
    }
    return text;
}

const ArexxCmd* arexx_find(const char* word) {
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row)
        if (strcasecmp(row->name, word) == 0) return row;
    return nullptr;
}

bool arexx_parse(const char* line, ArexxCall* call, std::string* why) {
    std::vector<std::string> words, rests;
    std::string split_why;
    if (!cmdline_split_line(line, words, rests, &split_why)) {
        *why = "Malformed command line (" + split_why + ")\n";
        return false;
    }
    if (words.empty()) {
        *why = "Empty command line\n";
        return false;
    }
    const ArexxCmd* row = arexx_find(words[0].c_str());
    if (!row) {
        *why = "Unknown command\n";
        return false;
    }
    call->row = row;
    call->args.clear();
    const std::string rest = rests.size() > 1 ? rests[1] : std::string();
    if (!row->tmpl) {
        if (words.size() > 1) {
            *why = std::string(row->name) + ": wrong number of arguments\n";
            return false;
        }
        return true;
    }
    std::string parse_why;
    if (!cmdline_parse_line(row->tmpl, rest.c_str(), call->args, &parse_why)) {
        *why = std::string(row->name) + ": " + parse_why + "\n";
        return false;
    }
    return true;
}

int arexx_execute(const char* line, std::string* result) {
    ArexxCall call;
    std::string why;
    if (!arexx_parse(line, &call, &why)) {
        *result = why;
        return 10;
    }
    // A command that is a menu item is refused as the item is.
    if (call.row->item == Cmd::COUNT || !refused_as_item(call, cmd_row(call.row->item)))
        call.row->handler(call);
    *result = call.result;
    return call.rc;
}
