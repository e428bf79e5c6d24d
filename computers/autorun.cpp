#include "computers/autorun.h"

#include "computers/pipbug.h"
#include "core/filekinds.h"
#include "cpu/cpu.h"
#include "input/key_events.h"

namespace {

void paste(u8 byte, int count = 1) {
    for (int i = 0; i < count; i++)
        guest_key_queue_append(&byte, 1);
}

// The teletype machines wait `pause` idle characters for BASIC to load.
void teletype_run(u8 language, int pause) {
    switch (language) {
    case 3:
        paste(128, 13);
        paste('O');
        paste('\r');
        paste(128, pause);
        guest_key_queue_append_text("RUN");
        break;
    case 7:
        paste(255, 2);
        guest_key_queue_append_text("G1");
        teletype_holdoff = cpu_cycles + 1000000;
        break;
    case 10:
        guest_key_queue_append_text("RUN");
        teletype_holdoff = cpu_cycles + 1000000;
        break;
    default:
        break;
    }
}

} // namespace

void pipbug_run_loaded(int kind, u8 language) {
    if (kind == KIND_AOF) teletype_run(language, 13);
}

void binbug_run_loaded(int kind, u8 language) {
    if (kind == KIND_AOF) teletype_run(language, 30);
}

void cd2650_run_loaded(int kind, u8 language) {
    if (kind != KIND_AOF || language != 9) return;
    guest_key_queue_append_text("!R");
    paste(255);
    paste('\r');
    paste('\n');
    paste(255);
    paste('R');
}
