// The cassette rules of the monitor computers and the messages of their
// monitors' tape routines ("verbosetape").
//
// PIPBUG, BINBUG, PHUNSY and the Selbstbaucomputer write FLAG as a square
// wave (832 clock periods a cycle with F clear, 416 with F set) and read the
// tape on SENSE, one decision per cycle on the falling crossing; the CD2650
// does the same with its own periods. The messages follow the monitor's
// routines by their addresses: one table per monitor.
#pragma once

#include "core/types.h"
#include "peripherals/tape.h"

// Where a monitor's tape routines stand, and the register that holds the
// byte (0 PIPBUG, 3 CD2650).
struct MonitorTapeTrace {
    u16 start_bit, bit_read, char_read, start_char, file_loaded, byte_read;
    u16 byte_written, start_written, file_saved;
    u8 reg;
};
extern const MonitorTapeTrace pipbug_tape_trace;

void monitor_trace_load(const MonitorTapeTrace& t);
void monitor_trace_save(const MonitorTapeTrace& t);

// The square-wave rule with `period` and the decision limit `edge_limit`
// (a cycle longer than it reads 0).
constexpr TapeRule monitor_tape_rule(u32 period, u32 edge_limit) {
    return TapeRule{.input = TapeInput::SENSE_EDGES,
                    .output = TapeOutput::SQUARE_WAVE,
                    .in_address = 0,
                    .out_address = 0,
                    .port = 0,
                    .edge_limit = edge_limit,
                    .period = period,
                    .trace_load = nullptr,
                    .trace_save = nullptr,
                    .traced = nullptr,
                    .interface_choice = false};
}
