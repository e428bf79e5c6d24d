// The Tools menu's netplay items and the Help menu's update check.
#include "commands/command_actions.h"

#include "commands/menu_state.h"
#include "core/machine.h"
#include "gui/update_check.h"
#include "input/netplay.h"

void act_netplay(const CmdRow& row, const CmdCall&) {
    if (net_mode == NET_OFF) {
        net_command(row.value);
        // Both sides start the game together; that reset keeps the link.
        if (net_mode != NET_OFF) emu_reset_request(true);
    } else {
        net_command(0);
    }
    gui_update_menu_item(170);
    gui_update_menu_item(171);
}

void act_check_updates(const CmdRow&, const CmdCall&) {
    net_check_updates(0);
}
