// The Tools menu's netplay items and the Help menu's update check.
#include "commands/command_actions.h"

#include "commands/menu_state.h"
#include "core/frame.h"
#include "core/machine.h"
#include "gui/update_check.h"
#include "input/netplay.h"

void act_netplay(const CmdRow& row, const CmdCall&) {
    if (net_mode == NET_OFF) {
        net_command(row.value);
        // Both sides start the game together; that reset keeps the link. The
        // processor starts at the same beam clock on both, wherever each
        // side's last frame left it: else the guests drift apart by a few
        // clocks, and on the expanded Elektor read different numbers of the
        // server's random bytes in a frame.
        if (net_mode != NET_OFF) {
            emu_reset_request(true);
            cpu_beam_clock = 0;
        }
    } else {
        net_command(0);
    }
    gui_update_menu_item(170);
    gui_update_menu_item(171);
}

void act_check_updates(const CmdRow&, const CmdCall&) {
    net_check_updates(0);
}
