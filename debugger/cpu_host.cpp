// What the processor's reports and tracer reach above cpu/: the debugger's
// address texts and comments, the pause of the frame pacing, and the redraws.
#include "debugger/debugger.h"

#include "core/frame.h"
#include "core/session.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/notify.h"
#include "debugger/disasm_file.h"
#include "display/frame.h"
#include "display/host.h"

static bool emulation_paused() {
    return emu_paused;
}

void dbg_install_cpu_host(void (*event_pass)()) {
    cpu_host = CpuHost{};
    cpu_host.format_address = dbg_format_address;
    cpu_host.address_comments = dis_print_address_comments;
    cpu_host.pause = [] { emu_pause(PauseCause::debugger); };
    cpu_host.paused = emulation_paused;
    cpu_host.event_pass = event_pass;
    cpu_host.wait_events = app_wait_events;
    cpu_host.quit_requested = [] { return (pending_actions & PA_QUIT) != 0; };
    cpu_host.refresh = [] { ui_mark(UI_REFRESH_WINDOWS); };
    cpu_host.view_cpu = [] { dbg_view_cpu(0); };
    cpu_host.blit = display_blit;
    cpu_host.beam_marker = display_update_beam_marker;
}
