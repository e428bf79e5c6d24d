// The processor's debugger hooks and run-time reports.
//
// Owns the pause request and the pause loop, the per-instruction breakpoint and
// step-out check, the register accessors with register watchpoints, the
// completion of taken absolute branches with the BIOS-call report, the DOS
// vector report, the loop and wrap reports, and the processor's diagnostic
// switches (bound to the settings file by their key names).
//
// Pauses are requested, never taken on the spot: dbg_request_pause marks one,
// and it is served before the next instruction (cpu_check_breakpoint) or after
// the current one (the interpreter calls dbg_pause_loop when pause_pending).
//
// What the reports need from above the processor (label texts, the pause and
// the interface's event pass, the tracer's redraws) is reached through
// cpu_host, which the debugger fills once; what they and the disassembler need
// from the board (character set, value descriptions, monitor notes) comes from
// cpu_debug_hooks, which each machine points at its own constant set.
#pragma once

#include "cpu/cpu.h"
#include "cpu/memory.h"

#include <cstddef>

// Pause reasons
constexpr int PAUSE_LOG = 0;    // a logged warning: honoured only with "pauselog"
constexpr int PAUSE_BREAK = 1;  // a breakpoint or watchpoint: only with "pausebreak"
constexpr int PAUSE_ALWAYS = 2; // run targets, step-out: always

extern u8 pause_pending;

// Diagnostic switches, named after their settings keys.
extern u32 logbios;        // report calls into BIOS code
extern u32 logillegal;     // illegal instructions, uninitialised bytes, IAR wrap
extern u32 loginefficient; // advice on inefficient instructions
extern u32 loginterrupts;  // accepted interrupts
extern u32 logreadwrites;  // mirrored, unreadable, unwritable and mid-redraw accesses
extern u32 logsubroutines; // subroutine calls and returns
extern u32 pausebreak;     // pause at breakpoints and watchpoints (initially on)
extern u32 pauselog;       // pause at logged warnings
extern u32 watchreads;     // read watches on (initially on)
extern u32 watchwrites;    // 0 off, 1 writes that change the value, 2 every write (initially 2)
extern i32 verbosity;      // trace detail: 0 instruction, 1 compact line, 2 full (initially 2)
extern u32 guidepixel;     // tracing marks the beam position on the display (initially on)

// How a board's bytes read as characters.
enum CpuCharStyle : u8 {
    CHARS_GUEST, // through the board's own character set (guest_char)
    CHARS_ASCII, // ASCII, control codes by name
    CHARS_NONE,  // no character annotation at all
};

// What the debugger side of the processor and the disassembler ask the board.
// Every hook may be nullptr (nothing special), every flag false.
struct CpuDebugHooks {
    // How guest bytes read as characters in annotations and listings (nullptr: CHARS_GUEST).
    CpuCharStyle (*char_style)() = nullptr;
    // Printable host character for a guest character code, 0 for none (CHARS_GUEST).
    u8 (*guest_char)(u8 code) = nullptr;
    // Annotation of a watched value for reports (" [bit fields]"); `address` is a
    // guest address or MEM_REG_BASE + n. nullptr: the value as a character.
    void (*describe_value)(u8 value, u32 address, char* out, std::size_t size) = nullptr;
    // Calls into MEM_BIOS code count as game code calling the BIOS when the
    // caller lies outside MEM_BIOS; this adds callers inside it that count as
    // game code as well (nullptr: none).
    bool (*bios_caller)(u16 caller) = nullptr;
    // True when this board's monitor is called through vectors in RAM instead;
    // such calls are reported as vector calls, never as BIOS calls.
    bool (*calls_through_vectors)() = nullptr;
    // Notes on the monitor routine at `address`, printed after a call report.
    void (*bios_notes)(u32 address) = nullptr;
    // Notes on the vector at `pointer`, printed after a vector-call report.
    void (*vector_notes)(u32 pointer) = nullptr;
    // Checks an access made while the video chip draws ("logreadwrites"); reports it itself.
    void (*redraw_access)(u32 address, u8 value, bool write) = nullptr;
    // Describes what a trapped port access means on this board, after the
    // trap's report (`is_write` 0 for a read). nullptr: nothing.
    void (*describe_port)(u32 port, u8 value, int is_write) = nullptr;
    // The disassembler's clock column needs three digits.
    bool wide_clock_column = false;
    // "logillegal" reports reads of bytes never written on this board.
    bool report_uninitialised = false;
    // The opcode $10 (undefined on the 2650) takes three bytes on this board.
    bool opcode_10_three_bytes = false;
};

// A board's character set as runs of printable characters: the codes from
// `first` on show the characters of `text` in turn.
struct CpuCharRun {
    u16 first;
    const char* text;
};
// The character of `code` among `count` runs, 0 (none) where no run covers it;
// for a board's guest_char hook.
u8 cpu_char_from_runs(const CpuCharRun* runs, std::size_t count, u32 code);
template <std::size_t N> u8 cpu_char_from_runs(const CpuCharRun (&runs)[N], u32 code) {
    return cpu_char_from_runs(runs, N, code);
}

// The current board's hooks; never nullptr (cpu_bus_reset() points it at a set
// with every hook empty).
extern const CpuDebugHooks* cpu_debug_hooks;

// How the current board's bytes read as characters.
inline CpuCharStyle cpu_char_style() {
    return cpu_debug_hooks->char_style ? cpu_debug_hooks->char_style() : CHARS_GUEST;
}

// Services of the layers above the processor. Every member may be nullptr:
// addresses then read as hexadecimal, nothing pauses and nothing is redrawn.
struct CpuHost {
    // Text of a guest address or MEM_REG_BASE + n into out (CPU_ADDRESS_TEXT_SIZE
    // bytes): a label, else hexadecimal ("$%X" when plain); with_suffix appends
    // the value after a label. Returns the label's kind byte, 0 when none.
    char (*format_address)(u32 address, char* out, int with_suffix, int collect, int kind,
                           int plain);
    // Prints the comments and notes of an address after a listed instruction.
    void (*address_comments)(u32 address);
    void (*pause)();          // stops the emulation (ends the run targets)
    bool (*paused)();         // whether the emulation is stopped
    void (*event_pass)();     // one pass over the interface's events
    void (*wait_events)();    // sleeps until a host event or a short time-out
    bool (*quit_requested)(); // the user asked to quit (close gadget)
    void (*refresh)();        // redraws the open tool windows
    void (*view_cpu)();       // prints the processor view (trace verbosity 2)
    void (*blit)();           // shows the display as drawn so far
    void (*beam_marker)(
        int erase); // moves the beam position marker to the beam (0), removes it (1)
};
extern CpuHost cpu_host;
// cpu_host.pause and cpu_host.blit, each after the board has handed over the
// picture it holds back (cpu_bus.picture_due), so that what a stop shows is
// the frame as drawn up to the beam.
void cpu_host_pause();
void cpu_host_blit();

constexpr int CPU_ADDRESS_TEXT_SIZE = 96;
// Address text through cpu_host.format_address, or hexadecimal without a host.
char cpu_format_address(u32 address, char* out, int with_suffix, int collect, int kind, int plain);
// Address text without labels: a register name, "$%X" when plain, else with the
// notation's hexadecimal prefix.
void cpu_format_address_plain(u32 address, char* out, int plain);
// Printable host character (Latin-1) of a guest character code on this board
// (its guest_char hook, else printable ASCII); a middle dot for codes it
// cannot show. The tracer, the disassembler and the debugger's views all read
// guest text through it.
u8 cpu_guest_char(u8 code);
// The same character as UTF-8 text in `out` (room for three bytes); returns out.
const char* cpu_guest_char_text(u8 code, char* out);
// The name of byte `value` in texts about it (room for 8 in `out`): "NUL" ..
// "US", "DEL", "NC", "Brk", "HI", "MW", "CQ", "ELL", else the character
// between single quotes ("'A'", Latin-1 as UTF-8).
const char* cpu_byte_name(u8 value, char* out);

// Watch annotation of the last reported value (" ['A']", " [CR]", chip bit fields...).
constexpr int WATCH_ANNOTATION_SIZE = 128;
extern char watch_annotation[WATCH_ANNOTATION_SIZE];

// Resets pause_pending and the switches to their initial values (cpu_host stays).
void dbg_hooks_reset();

void dbg_request_pause(int reason);
// Runs the GUI until the user continues; the interrupted run loop then goes on.
void dbg_pause_loop();
// One event pass, then, while the emulation stays paused, a wait for host
// events and another pass, and so on: the loop sleeps between passes and ends
// when the user continues or asks to quit. Without an event pass it returns.
void dbg_serve_events_while_paused();

bool cpu_check_breakpoint_slow();
// Before every instruction: step-out marker, code breakpoint and address trap at
// cpu_iar. True when a trap has executed the instruction itself: the caller
// then does not execute it.
inline bool cpu_check_breakpoint() {
    if (mem_attributes[cpu_iar & (GUEST_MEMORY_SIZE - 1)] &
        (MEM_STEP_OUT | MEM_BREAKPOINT | MEM_TRAP)) [[unlikely]]
        return cpu_check_breakpoint_slow();
    return false;
}

u8 cpu_read_register_watched(u32 n);
void cpu_write_register_watched(u32 n, u8 value);

// Register operand n (0..6) of an instruction, seen by register read watches.
inline u8 cpu_read_register(u32 n) {
    if (mem_attributes[MEM_REG_BASE + n] & MEM_WATCH) return cpu_read_register_watched(n);
    return cpu_regs[n];
}

// Register write of an instruction, seen by register write watches.
inline void cpu_write_register(u32 n, u8 value) {
    if (mem_attributes[MEM_REG_BASE + n] & MEM_WATCH) {
        cpu_write_register_watched(n, value);
        return;
    }
    cpu_regs[n] = value;
}

// The name of a byte as reports show it: an ASCII control name, a quoted
// character, or a name of the upper codes ("NC", "Brk", ...). out holds at
// least 8 bytes.
const char* cpu_char_name(u8 value, char* out);
// The name followed by the code, "'A' ($41)", "NC ($80)"; out holds at least
// 16 bytes.
const char* cpu_char_name_hex(u8 value, char* out);

// Fills watch_annotation for a watched value at a guest address (memory watches).
void cpu_annotate_value(u8 value, u32 address);
// The same for register watches.
void cpu_annotate_register_value(u8 value);

// Completes a taken absolute branch or call to cpu_ea, reporting calls from game
// code into BIOS code; indirect is nonzero for an indirect instruction.
void cpu_report_bios_call(u32 indirect);
// Before an indirect pointer at cpu_ea is read: reports calls through DOS vectors.
void cpu_report_dos_vector_call();
// A loop branch fell through while running to the end of a loop.
void cpu_log_end_of_loop();
// The IAR wrapped inside its page after the instruction at cpu_prev_iar.
void cpu_log_iar_wrapped();
