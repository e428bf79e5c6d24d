// The 2650 interpreter's hot path: fetch, decode by one switch on the opcode
// byte, effective addresses, semantics, branches and the return-address stack,
// and the run loops. Diagnostics and advice sit behind plain tests of their
// switches and live in the cold files (exec_diag.cpp, advice.cpp, interrupt.cpp).
//
// Timing is in processor cycles per instruction (three clock periods each):
//   register forms                                  2 (2650B: 1)
//   immediate, RRR, RRL, SPSU, SPSL, LPSU, LPSL,
//   REDC, REDD, WRTC, WRTD, undefined opcodes       2
//   relative memory forms                           3, indirect 5
//   absolute memory forms, LDPL, STPL               4, indirect 6
//   REDE, WRTE, DAR, TMI, CPSU, CPSL, PPSU, PPSL,
//   TPSU, TPSL, RETC, RETE, branches not taken      3
//   branches and calls taken                        3, indirect 5
// Indirection costs the 2650 two extra cycles for the pointer fetch, on
// relative memory forms as everywhere else. Indexing adds nothing.
#include "cpu/exec.h"

#include <array>
#include <cstring>
#include <utility>

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "cpu/optables.h"

u32 cpu_pointer_addr;
u8 cpu_halt_reported;
u32 cpu_slice_start;

void cpu_reset() {
    std::memset(cpu_regs, 0, sizeof cpu_regs);
    cpu_reset_state();
    cpu_irq_pending = 0;
    cpu_halt_reported = 0;
    cpu_cycle_budget = 0;
    cpu_slice_start = 0;
    cpu_cycles = 0;
    cpu_redirect_pending = CPU_NO_REDIRECT;
}

// ---- small helpers -----------------------------------------------------------

// The helpers of the hot path are forced inline: each opcode gets its own
// handler (see the dispatch), and inlining lets the opcode's fields fold into
// constants there.
#define CPU_HOT [[gnu::always_inline]] inline
#define CPU_COLD [[gnu::noinline, gnu::cold]]

// The condition code of each byte value, looked up: one load where the tests
// would be a chain of compares on the path of every flag-setting instruction.
static constexpr std::array<u8, 256> cc_table = [] {
    std::array<u8, 256> t{};
    for (unsigned v = 0; v < 256; ++v)
        t[v] = v == 0 ? CC_ZERO : (v & 0x80) ? CC_NEGATIVE : CC_POSITIVE;
    return t;
}();

CPU_HOT static u8 cc_of(u8 v) {
    return cc_table[v];
}

// IN_PAGE: the instruction and the address after it lie in its 8 KB page
// (a handler of cpu_in_page_handlers): its bytes and the next instruction's
// address follow without the wrap inside the page, which cannot occur.
template <bool IN_PAGE = false> CPU_HOT static u8 operand1() {
    if constexpr (IN_PAGE) return guest_memory[cpu_iar + 1];
    return guest_memory[page_add(cpu_iar, 1)];
}
template <bool IN_PAGE = false> CPU_HOT static u8 operand2() {
    if constexpr (IN_PAGE) return guest_memory[cpu_iar + 2];
    return guest_memory[page_add(cpu_iar, 2)];
}

// Register-form time: 2 cycles on the 2650, 1 on the 2650B.
CPU_HOT static u32 z_cycles() {
    return cpu_type == CPU_2650B ? 1 : 2;
}

CPU_HOT static void charge(u32 cycles) {
    cpu_op_cycles = cycles;
    cpu_cycles += 3 * cycles;
}

// Sequential advance inside the page; the wrap report looks at cpu_prev_iar.
template <bool IN_PAGE> CPU_HOT static void advance(int length) {
    const u16 old = cpu_iar;
    cpu_prev_iar = old;
    if constexpr (IN_PAGE) {
        cpu_iar = static_cast<u16>(old + length);
        return;
    }
    cpu_iar = page_add(old, length);
    if (cpu_iar < old && logillegal) [[unlikely]]
        cpu_log_iar_wrapped();
}

// The cycles of a memory form whose first operand byte is b1: its plain
// count, two more when indirect (bit 7). Worked out without a branch: the
// clock and the cycle count then follow from one value.
CPU_HOT static u8 with_indirection(u8 cycles, u8 b1) {
    return static_cast<u8>(cycles + ((b1 >> 6) & 2));
}

template <bool IN_PAGE = false> CPU_HOT static void finish(int length, u32 cycles) {
    advance<IN_PAGE>(length);
    charge(cycles);
}

CPU_HOT static bool condition_true(u8 opcode) {
    const u8 field = opcode & 3;
    return field == 3 || field == (cpu_psl >> 6);
}

CPU_HOT static bool condition_false(u8 opcode) {
    return (opcode & 3) != (cpu_psl >> 6);
}

// ---- flags and ALU -----------------------------------------------------------

CPU_HOT static void set_cc(u8 value) {
    cpu_psl = static_cast<u8>((cpu_psl & ~PSL_CC) | cc_of(value));
}

// C, IDC and OVF of an addition, looked up by the carries into its bits 4 to
// 8 (bits 4-8 of a ^ b ^ sum, shifted down): IDC is the carry into bit 4, C
// the carry out of bit 7, and OVF (a signed overflow) is set when the carries
// into and out of bit 7 differ.
static constexpr std::array<u8, 32> carry_flags = [] {
    std::array<u8, 32> t{};
    for (unsigned c = 0; c < 32; ++c) {
        const unsigned into4 = c & 1, into7 = (c >> 3) & 1, out7 = c >> 4;
        t[c] = static_cast<u8>((into4 ? PSL_IDC : 0) | (into7 != out7 ? PSL_OVF : 0) |
                               (out7 ? PSL_C : 0));
    }
    return t;
}();

// a + b + carry_in with the flags of the 2650's adder: C the carry out of bit
// 7, IDC the carry into bit 4, OVF a signed overflow, CC from the result.
// Subtraction is the same adder on the complement of b with the borrow
// inverted (C set means no borrow), so both share it.
CPU_HOT static u8 adder(u8 a, u8 b, u32 carry_in) {
    const u32 sum = a + b + carry_in;
    const u8 result = static_cast<u8>(sum);
    const u8 flags = carry_flags[(a ^ b ^ sum) >> 4] | cc_of(result);
    cpu_psl = static_cast<u8>((cpu_psl & ~(PSL_CC | PSL_IDC | PSL_OVF | PSL_C)) | flags);
    return result;
}

CPU_HOT static u8 add8(u8 a, u8 b) {
    const u32 carry = (cpu_psl & (PSL_WC | PSL_C)) == (PSL_WC | PSL_C) ? 1 : 0;
    return adder(a, b, carry);
}

CPU_HOT static u8 subtract8(u8 a, u8 b) {
    const u32 borrow = (cpu_psl & (PSL_WC | PSL_C)) == PSL_WC ? 1 : 0;
    return adder(a, static_cast<u8>(~b), 1 - borrow);
}

// The condition code of a compare of a with b: signed, or logical under COM.
CPU_HOT static u8 compare_cc(u8 a, u8 b) {
    const int x = (cpu_psl & PSL_COM) ? a : static_cast<int8_t>(a);
    const int y = (cpu_psl & PSL_COM) ? b : static_cast<int8_t>(b);
    return x < y ? CC_NEGATIVE : x > y ? CC_POSITIVE : CC_ZERO;
}

CPU_HOT static void compare8(u8 a, u8 b) {
    cpu_psl = static_cast<u8>((cpu_psl & ~PSL_CC) | compare_cc(a, b));
}

// The condition code of a test under mask (TMI): zero when the value holds
// every bit of the mask.
CPU_HOT static u8 mask_test_cc(u8 value, u8 mask) {
    return (value & mask) == mask ? CC_ZERO : CC_NEGATIVE;
}

void cpu_set_cc(u8 value) {
    set_cc(value);
}

void cpu_compare(u8 a, u8 b) {
    compare8(a, b);
}

// Rotates. With WC the carry takes part and C, IDC, OVF follow the result.
CPU_HOT static u8 rotate(u8 old, bool left) {
    u8 out;
    u8 shifted_out;
    if (left) {
        shifted_out = old >> 7;
        const u8 in = (cpu_psl & PSL_WC) ? (cpu_psl & PSL_C) : shifted_out;
        out = static_cast<u8>((old << 1) | in);
    } else {
        shifted_out = old & 1;
        const u8 in = (cpu_psl & PSL_WC) ? (cpu_psl & PSL_C) : shifted_out;
        out = static_cast<u8>((old >> 1) | (in << 7));
    }
    u8 psl = cpu_psl & static_cast<u8>(~PSL_CC);
    if (cpu_psl & PSL_WC) {
        psl &= static_cast<u8>(~(PSL_IDC | PSL_OVF | PSL_C));
        psl |= shifted_out;
        if (out & 0x20) psl |= PSL_IDC;
        if (!(old & 0x80) && (out & 0x80)) psl |= PSL_OVF;
    }
    cpu_psl = psl | cc_of(out);
    return out;
}

// ---- effective addresses -------------------------------------------------------

// Bits 0-6 of a relative operand, sign-extended from bit 6 (bit 7 is the
// indirect flag); worked out in place rather than looked up, as it sits on the
// path from one instruction's address to the next.
CPU_HOT static constexpr i32 displacement(u8 b1) {
    return static_cast<i32>(static_cast<int8_t>(static_cast<u8>(b1 << 1))) >> 1;
}
static_assert(displacement(0x00) == 0 && displacement(0x3F) == 63 && displacement(0x40) == -64 &&
              displacement(0x7F) == -1 && displacement(0x80) == 0 && displacement(0xBF) == 63 &&
              displacement(0xC0) == -64 && displacement(0xFF) == -1);

// Reads the two-byte pointer at cpu_ea (second byte inside the page) into cpu_ea;
// the DOS vector report runs first, with cpu_ea the pointer's address.
// Indirection stays out of line: it is the rarer form, and inline its
// registers and calls would weigh on the plain forms of every handler.
[[gnu::noinline]] static void indirect_reported() {
    cpu_pointer_addr = cpu_ea;
    mem_access[cpu_ea] |= ACC_INDIRECT;
    cpu_report_dos_vector_call();
    const u16 first = static_cast<u16>(cpu_pointer_addr);
    const u8 hi = guest_memory[first];
    const u16 second = page_add(first, 1);
    cpu_pointer_addr = second;
    mem_access[second] |= ACC_INDIRECT;
    cpu_ea = ((hi << 8) | guest_memory[second]) & 0x7FFF;
}

// The EA helpers take the first operand byte from their caller, which has
// read it already: a byte store in between (cpu_regsel) would make the
// compiler read it again.
CPU_HOT static u32 ea_relative(u8 b1) {
    const u32 ea = page_add(cpu_iar, 2 + displacement(b1));
    cpu_ea = ea;
    if (!(b1 & 0x80)) [[likely]]
        return ea;
    indirect_reported();
    return cpu_ea;
}

CPU_HOT static void ea_zero_page(u8 b1) {
    cpu_ea = static_cast<u32>(displacement(b1)) & 0x1FFF;
    if (b1 & 0x80) indirect_reported();
}

// The pointer of an indirect absolute operand at cpu_ea, through the read mirror.
[[gnu::noinline]] static void indirect_absolute() {
    const u16 first = mem_read_mirror[cpu_ea];
    const u16 second = page_add(first, 1);
    cpu_pointer_addr = second;
    mem_access[first] |= ACC_INDIRECT;
    mem_access[second] |= ACC_INDIRECT;
    cpu_ea = ((guest_memory[first] << 8) | guest_memory[second]) & 0x7FFF;
}

// The address an absolute operand names before indirection and indexing,
// into cpu_ea.
template <bool IN_PAGE = false> CPU_HOT static u32 absolute_address(u8 b1) {
    const u32 ea = (cpu_iar & 0x6000) | ((b1 & 0x1F) << 8) | operand2<IN_PAGE>();
    cpu_ea = ea;
    return ea;
}

// An absolute operand is plain: that address as it stands (neither indirect
// nor indexed), with no advice to give.
CPU_HOT static bool absolute_plain(u8 b1) {
    return !(b1 & 0xE0) && !loginefficient;
}

// Register n has no watch, so an instruction reads and writes it as it stands.
CPU_HOT static bool register_unwatched(u8 n) {
    return !(mem_attributes[MEM_REG_BASE + n] & MEM_WATCH);
}

// Register operand n of an instruction; UNWATCHED: the handler has found it
// register_unwatched.
template <bool UNWATCHED> CPU_HOT static u8 read_operand_register(u8 n) {
    if constexpr (UNWATCHED) return cpu_regs[n];
    return cpu_read_register(n);
}
template <bool UNWATCHED> CPU_HOT static void write_operand_register(u8 n, u8 value) {
    if constexpr (UNWATCHED)
        cpu_regs[n] = value;
    else
        cpu_write_register(n, value);
}

// The advice, indirection and indexing of an absolute operand whose fetched
// address `ea` is in cpu_ea: the rarer forms, out of line so that the plain
// form keeps no registers across their calls. Returns cpu_ea; indexing sets
// cpu_regsel to 0. `report`: "logillegal" reports r0 as operand and index.
[[gnu::noinline]] static u32 ea_absolute_modes(u32 ea, u8 b1, u8 field_reg, bool report) {
    const u8 mode = b1 & 0x60;
    if (report && logillegal && field_reg == 0 && mode) cpu_report_operand_and_index();
    if (loginefficient && !mode) cpu_advise_absolute(static_cast<u16>(ea));
    if (b1 & 0x80) {
        indirect_absolute();
        ea = cpu_ea;
    }
    if (!mode) return ea;
    if (mode == 0x20)
        ++cpu_regs[field_reg];
    else if (mode == 0x40)
        --cpu_regs[field_reg];
    ea = (ea & 0x6000) | ((ea + cpu_regs[field_reg]) & 0x1FFF);
    cpu_ea = ea;
    cpu_regsel = 0;
    return ea;
}

// Returns cpu_ea, and the register the instruction works on (0 when indexed)
// in `reg`; the caller has set cpu_regsel to the opcode's register, which
// indexing sets to 0. The callers go on with the locals, which the compiler
// would otherwise read back after every byte store.
template <bool IN_PAGE = false>
CPU_HOT static u32 ea_absolute(u8 opcode, u8 b1, u8& reg, bool report = true) {
    const u8 field_reg = cpu_reg_index(opcode);
    const u32 ea = absolute_address<IN_PAGE>(b1);
    reg = field_reg;
    if (absolute_plain(b1)) [[likely]]
        return ea;
    if (b1 & 0x60) reg = 0;
    return ea_absolute_modes(ea, b1, field_reg, report);
}

// Absolute branch target. An index (BXA, BSXA) is added to the fetched address,
// or to the pointer's target when indirect, and the sum goes through the mirror.
template <bool IN_PAGE = false> CPU_HOT static void ea_branch(u8 b1, u8 index = 0) {
    const u16 target = static_cast<u16>(((b1 << 8) | operand2<IN_PAGE>()) & 0x7FFF);
    cpu_ea = mem_read_mirror[target];
    if (loginefficient) cpu_advise_absolute_branch(target);
    if (b1 & 0x80) {
        indirect_reported();
        cpu_ea = mem_read_mirror[(cpu_ea + index) & 0x7FFF];
    } else if (index) {
        cpu_ea = mem_read_mirror[(target + index) & 0x7FFF];
    }
}

void cpu_ea_relative() {
    ea_relative(operand1());
}

void cpu_ea_zero_page() {
    ea_zero_page(operand1());
}

void cpu_ea_absolute() {
    u8 reg;
    cpu_regsel = cpu_reg_index(cpu_opcode);
    ea_absolute(cpu_opcode, operand1(), reg, false);
}

void cpu_ea_branch() {
    ea_branch(operand1());
}

// ---- branches, calls, returns ------------------------------------------------------

CPU_COLD static void report_call(u8 sp) {
    for (u8 i = 0; i < sp; ++i)
        con_printf(" ");
    con_printf("Calling subroutine %s from $%X...\n\n", cpu_address_text(cpu_ea, 0), cpu_iar);
    dbg_request_pause(PAUSE_LOG);
}

CPU_COLD static void report_stack(const char* format) {
    con_printf(format, cpu_address_text(cpu_iar, 0));
    dbg_request_pause(PAUSE_LOG);
}

CPU_COLD static void report_return(u8 sp) {
    for (u8 i = 0; i < sp; ++i)
        con_printf(" ");
    con_printf("Returning to %s from subroutine or interrupt at %s.\n\n",
               cpu_address_text(cpu_ras[sp], 0), cpu_address_text(cpu_iar, 1));
    dbg_request_pause(PAUSE_LOG);
}

template <bool IN_PAGE> CPU_HOT static void push_return(int length) {
    const u8 sp = cpu_psu & PSU_SP;
    cpu_ras[sp] = IN_PAGE ? static_cast<u16>(cpu_iar + length) : page_add(cpu_iar, length);
    if (logsubroutines) report_call(sp);
    const bool overflow = cpu_ras_count_push();
    cpu_psu = static_cast<u8>((cpu_psu & ~PSU_SP) | ((sp + 1) & PSU_SP));
    if (overflow && (logillegal || logsubroutines)) report_stack("Stack overflow at %s!\n\n");
}

CPU_HOT static void return_from() {
    const bool underflow = cpu_ras_count_pop();
    const u8 sp = static_cast<u8>((cpu_psu - 1) & PSU_SP);
    if (underflow && (logillegal || logsubroutines)) report_stack("Stack underflow at %s!\n\n");
    cpu_psu = static_cast<u8>((cpu_psu & ~PSU_SP) | sp);
    if (logsubroutines) report_return(sp);
    cpu_prev_iar = cpu_iar;
    cpu_iar = cpu_ras[sp];
    if (sp == cpu_irq_level) cpu_irq_level = CPU_NO_IRQ_LEVEL;
}

void cpu_return() {
    return_from();
}

enum Transfer { BRANCH, CALL, LOOP };

// A taken transfer to cpu_ea: push for calls, jump and charge (with the BIOS-call
// report when "logbios" is on), then mark the target in the access history.
template <Transfer KIND, bool IN_PAGE> CPU_HOT static void take(int length, bool indirect) {
    u32 ea = cpu_ea;
    if (KIND == CALL) push_return<IN_PAGE>(length);
    cpu_prev_iar = cpu_iar;
    if (logbios) {
        cpu_report_bios_call(indirect);
        ea = cpu_ea;
    } else {
        cpu_iar = static_cast<u16>(ea);
        charge(3 + 2 * static_cast<u32>(indirect));
    }
    const u32 target = ea & 0x7FFF;
    if (cpu_irq_level <= 7) {
        mem_mark(target, KIND == CALL ? ACC_CALL_IRQ : ACC_BRANCH_IRQ);
    } else if (KIND == CALL) {
        const u32 old = mem_access[target];
        const u32 bits = (old & ~ACC_DEPTH_MASK) | ACC_CALL |
                         (static_cast<u32>(cpu_psu & PSU_SP) << ACC_DEPTH_SHIFT);
        if (bits != old) mem_access[target] = bits;
    } else {
        mem_mark(target, ACC_BRANCH);
    }
    if (KIND == LOOP) {
        mem_mark(target, ACC_LOOP_TARGET);
        mem_mark(cpu_prev_iar, ACC_LOOP_SOURCE);
    }
}

template <bool IN_PAGE> CPU_HOT static void not_taken(int length) {
    finish<IN_PAGE>(length, 3);
}

template <bool IN_PAGE> CPU_HOT static void loop_not_taken(int length) {
    finish<IN_PAGE>(length, 3);
    if (dbg_run_to_loop_end) cpu_log_end_of_loop();
}

// Relative target, resolved through the read mirror; true when indirect.
// DIRECT: the handler has found the operand not indirect.
template <bool IN_PAGE, bool DIRECT> CPU_HOT static bool relative_target() {
    const u8 b1 = operand1<IN_PAGE>();
    if constexpr (DIRECT) {
        cpu_ea = mem_read_mirror[page_add(cpu_iar, 2 + displacement(b1))];
        return false;
    }
    ea_relative(b1);
    cpu_ea = mem_read_mirror[cpu_ea];
    return b1 & 0x80;
}

template <bool IN_PAGE> CPU_HOT static bool branch_target(u8 index = 0) {
    const u8 b1 = operand1<IN_PAGE>();
    ea_branch<IN_PAGE>(b1, index);
    return b1 & 0x80;
}

CPU_HOT static u8 index_register() {
    return cpu_regs[(cpu_psl & PSL_RS) ? 6 : 3];
}

// ---- instruction families ----------------------------------------------------

// Memory operand of an I, R or A form (opcode bits 2-3: 01, 10, 11), and the
// register the instruction works on (cpu_regsel).
struct Operand {
    u8 value;
    u8 length;
    u8 cycles;
    bool plain; // not indirect, not indexed
    u8 reg;
};

// PLAIN: the handler has found the form plain (an immediate, or an absolute
// operand absolute_plain) with its register unwatched and no advice to give,
// so an absolute operand's address is the fetched one and its cycles are known.
template <bool PLAIN, bool IN_PAGE> CPU_HOT static Operand fetch_operand(u8 opcode) {
    const u8 b1 = operand1<IN_PAGE>();
    const u8 reg = cpu_reg_index(opcode);
    cpu_regsel = reg;
    switch (opcode & 0x0C) {
    case 0x04:
        return {b1, 2, 2, true, reg};
    case 0x08: {
        const u32 ea = ea_relative(b1);
        return {cpu_read_checked(ea), 2, with_indirection(3, b1), !(b1 & 0x80), reg};
    }
    default: {
        if constexpr (PLAIN)
            return {cpu_read_checked(absolute_address<IN_PAGE>(b1)), 3, 4, true, reg};
        u8 work_reg;
        const u32 ea = ea_absolute<IN_PAGE>(opcode, b1, work_reg);
        return {cpu_read_checked(ea), 3, with_indirection(4, b1), !(b1 & 0xE0),
                work_reg};
    }
    }
}

// Effective address of STRR / STRA; the operand's value is not read.
template <bool PLAIN, bool IN_PAGE>
CPU_HOT static Operand store_address(u8 opcode, u32& ea) {
    const u8 b1 = operand1<IN_PAGE>();
    const u8 reg = cpu_reg_index(opcode);
    cpu_regsel = reg;
    if (!(opcode & 0x04)) {
        ea = ea_relative(b1);
        return {0, 2, with_indirection(3, b1), false, reg};
    }
    if constexpr (PLAIN) {
        ea = absolute_address<IN_PAGE>(b1);
        return {0, 3, 4, false, reg};
    }
    u8 work_reg;
    ea = ea_absolute<IN_PAGE>(opcode, b1, work_reg);
    return {0, 3, with_indirection(4, b1), false, work_reg};
}

// LOD, EOR, AND, IOR, ADD, SUB in their I, R and A forms: the result goes to
// r<regsel>; op sets the flags of ADD and SUB, the others take CC from the result.
template <bool SET_CC, bool PLAIN, bool IN_PAGE, typename F>
CPU_HOT static void memory_op(u8 opcode, F op) {
    const Operand o = fetch_operand<PLAIN, IN_PAGE>(opcode);
    const u8 result = op(cpu_regs[o.reg], o.value);
    write_operand_register<PLAIN>(o.reg, result);
    if (SET_CC) set_cc(result);
    if (!PLAIN && loginefficient)
        cpu_advise_immediate_or_load(o.length, o.plain, o.value);
    finish<IN_PAGE>(o.length, o.cycles);
}

CPU_HOT static void psu_write(u8 new_psu) {
    const u8 old = cpu_psu;
    if (logillegal || loginterrupts) cpu_report_psu_change(old, new_psu);
    if ((new_psu & PSU_II) && !(old & PSU_II)) cpu_irq_pending = 0;
    cpu_psu = new_psu;
}

// CPSU and LPSU, once charged: the board sees the FLAG output.
CPU_HOT static void flag_written(u8 old_psu) {
    if (cpu_bus.flag_written) cpu_bus.flag_written(old_psu);
}

// A redirection a hook asked for, once the instruction is complete.
CPU_HOT static void apply_redirect() {
    if (cpu_redirect_pending != CPU_NO_REDIRECT) {
        cpu_iar = static_cast<u16>(cpu_redirect_pending);
        cpu_redirect_pending = CPU_NO_REDIRECT;
    }
}

CPU_HOT static u8 psu_mask() {
    return cpu_type == CPU_2650B ? 0x7F : 0x67;
}

template <bool IN_PAGE> CPU_HOT static void port_in(u8 opcode, u32 port, int length, u32 cycles) {
    if (logillegal && cpu_bus.strange_ports) cpu_report_strange_opcode();
    cpu_regsel = cpu_reg_index(opcode);
    const u8 v = cpu_bus.port_read(port);
    cpu_write_register(cpu_regsel, v);
    set_cc(v);
    finish<IN_PAGE>(length, cycles);
    apply_redirect();
}

template <bool IN_PAGE> CPU_HOT static void port_out(u8 opcode, u32 port, int length, u32 cycles) {
    if (logillegal && cpu_bus.strange_ports) cpu_report_strange_opcode();
    cpu_regsel = cpu_reg_index(opcode);
    cpu_bus.port_write(port, cpu_read_register(cpu_regsel));
    finish<IN_PAGE>(length, cycles);
    apply_redirect();
}

// ---- the dispatch ----------------------------------------------------------------

template <unsigned OPCODE, bool IN_PAGE, bool ANY_FORM = false> static void execute_opcode();

// The immediate and absolute forms of the memory instructions (opcode bits
// 2-4: 001 and 011) and the relative branches and calls (110, but for ZBRR
// and ZBSR) come in two handlers: the tables' take the plain form (no advice
// and the register unwatched, the absolute operand absolute_plain; a
// relative operand not indirect) with its address and cycles known, and hand
// every other form to this one, out of line, which interprets the
// instruction from its start.
template <unsigned OPCODE> [[gnu::noinline]] static void execute_any_form() {
    execute_opcode<OPCODE, false, true>();
}

template <unsigned OPCODE, bool IN_PAGE, bool ANY_FORM> static void execute_opcode() {
    constexpr u8 op = OPCODE;
    constexpr bool absolute = (op & 0x1C) == 0x0C;
    constexpr bool immediate = (op & 0x1C) == 0x04 && (op & 0xE0) != 0xC0;
    constexpr bool plain = (absolute || immediate) && !ANY_FORM;
    constexpr bool direct = (op & 0x1C) == 0x18 && op != 0x9B && op != 0xBB && !ANY_FORM;
    if constexpr (plain) {
        const bool operand_plain = absolute ? absolute_plain(operand1<IN_PAGE>()) : !loginefficient;
        if (!operand_plain || !register_unwatched(cpu_reg_index(op))) [[unlikely]]
            return execute_any_form<OPCODE>();
    }
    if constexpr (direct) {
        if (operand1<IN_PAGE>() & 0x80) [[unlikely]]
            return execute_any_form<OPCODE>();
    }
    switch (op) {
    // ---- register forms: r0 with rn ----
    case 0x00: {
        cpu_regsel = 0;
        set_cc(cpu_read_register(0));
        if (logillegal || loginefficient) cpu_report_lodz_r0();
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0x01 ... 0x03: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = cpu_regs[cpu_regsel];
        cpu_write_register(0, v);
        set_cc(v);
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0x20:
        cpu_regsel = 0;
        cpu_write_register(0, 0);
        set_cc(0);
        finish<IN_PAGE>(1, z_cycles());
        return;
    case 0x21 ... 0x23: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = cpu_regs[0] ^ cpu_read_register(cpu_regsel);
        cpu_write_register(0, v);
        set_cc(v);
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0x40:
        cpu_regsel = 0;
        if (logillegal && !cpu_halt_reported) cpu_report_halt();
        cpu_prev_iar = cpu_iar;
        charge(z_cycles());
        if (cpu_bus.halt) cpu_bus.halt();
        return;
    case 0x41 ... 0x43: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = cpu_regs[0] & cpu_read_register(cpu_regsel);
        cpu_write_register(0, v);
        set_cc(v);
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0x60:
        cpu_regsel = 0;
        set_cc(cpu_read_register(0));
        finish<IN_PAGE>(1, z_cycles());
        return;
    case 0x61 ... 0x63: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = cpu_regs[0] | cpu_read_register(cpu_regsel);
        cpu_write_register(0, v);
        set_cc(v);
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0x80 ... 0x83: {
        cpu_regsel = cpu_reg_index(op);
        cpu_write_register(0, add8(cpu_regs[0], cpu_read_register(cpu_regsel)));
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0xA0 ... 0xA3: {
        cpu_regsel = cpu_reg_index(op);
        cpu_write_register(0, subtract8(cpu_regs[0], cpu_regs[cpu_regsel]));
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0xC0:
        cpu_regsel = 0;
        if (loginefficient) cpu_report_lodz_r0();
        finish<IN_PAGE>(1, z_cycles());
        return;
    case 0xC1 ... 0xC3: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = cpu_read_register(0);
        cpu_write_register(cpu_regsel, v);
        set_cc(v);
        finish<IN_PAGE>(1, z_cycles());
        return;
    }
    case 0xE0:
        cpu_regsel = 0;
        cpu_psl &= static_cast<u8>(~PSL_CC);
        finish<IN_PAGE>(1, z_cycles());
        return;
    case 0xE1 ... 0xE3:
        cpu_regsel = cpu_reg_index(op);
        compare8(cpu_read_register(0), cpu_read_register(cpu_regsel));
        finish<IN_PAGE>(1, z_cycles());
        return;

    // ---- immediate, relative and absolute memory forms ----
    case 0x04 ... 0x0F: {
        memory_op<true, plain, IN_PAGE>(op, [](u8, u8 v) { return v; });
        return;
    }
    case 0x24 ... 0x2F: {
        memory_op<true, plain, IN_PAGE>(op, [](u8 r, u8 v) { return static_cast<u8>(r ^ v); });
        return;
    }
    case 0x44 ... 0x4F: {
        memory_op<true, plain, IN_PAGE>(op, [](u8 r, u8 v) { return static_cast<u8>(r & v); });
        return;
    }
    case 0x64 ... 0x6F: {
        memory_op<true, plain, IN_PAGE>(op, [](u8 r, u8 v) { return static_cast<u8>(r | v); });
        return;
    }
    case 0x84 ... 0x8F: {
        memory_op<false, plain, IN_PAGE>(op, [](u8 r, u8 v) { return add8(r, v); });
        return;
    }
    case 0xA4 ... 0xAF: {
        memory_op<false, plain, IN_PAGE>(op, [](u8 r, u8 v) { return subtract8(r, v); });
        return;
    }
    case 0xE4 ... 0xEF: {
        const Operand o = fetch_operand<plain, IN_PAGE>(op);
        compare8(read_operand_register<plain>(o.reg), o.value);
        finish<IN_PAGE>(o.length, o.cycles);
        return;
    }
    case 0xC8 ... 0xCF: {
        u32 ea;
        const Operand o = store_address<plain, IN_PAGE>(op, ea);
        cpu_write_checked(ea, read_operand_register<plain>(o.reg));
        finish<IN_PAGE>(o.length, o.cycles);
        return;
    }

    // ---- rotates, decimal adjust, test under mask ----
    case 0x50 ... 0x53: {
        cpu_regsel = cpu_reg_index(op);
        cpu_write_register(cpu_regsel, rotate(cpu_regs[cpu_regsel], false));
        finish<IN_PAGE>(1, 2);
        return;
    }
    case 0xD0 ... 0xD3: {
        cpu_regsel = cpu_reg_index(op);
        cpu_write_register(cpu_regsel, rotate(cpu_regs[cpu_regsel], true));
        finish<IN_PAGE>(1, 2);
        return;
    }
    case 0x94 ... 0x97: {
        cpu_regsel = cpu_reg_index(op);
        const u8 r = cpu_regsel;
        if (!(cpu_psl & PSL_C)) {
            cpu_write_register(r, static_cast<u8>(cpu_regs[r] + 0xA0));
            set_cc(cpu_regs[r]);
        }
        if (!(cpu_psl & PSL_IDC)) {
            const u8 v = cpu_regs[r];
            cpu_write_register(r, static_cast<u8>((v & 0xF0) | ((v + 0x0A) & 0x0F)));
            set_cc(cpu_regs[r]);
        }
        finish<IN_PAGE>(1, 3);
        return;
    }
    case 0xF4 ... 0xF7: {
        cpu_regsel = cpu_reg_index(op);
        const u8 mask = operand1<IN_PAGE>();
        cpu_psl = static_cast<u8>((cpu_psl & ~PSL_CC) | mask_test_cc(cpu_regs[cpu_regsel], mask));
        finish<IN_PAGE>(2, 3);
        return;
    }

    // ---- program status ----
    case 0x10:
    case 0x11:
        cpu_regsel = 0;
        if (cpu_type == CPU_2650B) {
            const bool indirect = branch_target<IN_PAGE>();
            if (op == 0x10) {
                cpu_psl = cpu_read_checked(cpu_ea);
                if (logillegal && (cpu_psl & PSL_CC) == PSL_CC) cpu_report_cc_un();
            } else {
                cpu_write_checked(cpu_ea, cpu_psl);
            }
            finish<IN_PAGE>(3, indirect ? 6 : 4);
            return;
        }
        if (logillegal) cpu_report_undefined(false);
        finish<IN_PAGE>(op == 0x10 && cpu_debug_hooks->opcode_10_three_bytes ? 3 : 1, 2);
        return;
    case 0x12:
        cpu_regsel = 0;
        cpu_write_register(0, cpu_psu);
        set_cc(cpu_regs[0]);
        finish<IN_PAGE>(1, 2);
        return;
    case 0x13:
        cpu_regsel = 0;
        cpu_write_register(0, cpu_psl);
        set_cc(cpu_regs[0]);
        finish<IN_PAGE>(1, 2);
        return;
    case 0x92: {
        cpu_regsel = 0;
        const u8 old_psu = cpu_psu;
        psu_write(static_cast<u8>((cpu_psu & PSU_S) | (cpu_regs[0] & psu_mask())));
        finish<IN_PAGE>(1, 2);
        flag_written(old_psu);
        cpu_interrupt();
        return;
    }
    case 0x93:
        cpu_regsel = 0;
        cpu_psl = cpu_regs[0];
        if (logillegal && (cpu_psl & PSL_CC) == PSL_CC) cpu_report_cc_un();
        finish<IN_PAGE>(1, 2);
        return;
    case 0x74: {
        cpu_regsel = 0;
        const u8 old_psu = cpu_psu;
        const u8 m = operand1<IN_PAGE>();
        if (loginefficient) cpu_advise_mask(m);
        psu_write(cpu_psu & static_cast<u8>(~(m & psu_mask())));
        finish<IN_PAGE>(2, 3);
        flag_written(old_psu);
        cpu_interrupt();
        return;
    }
    case 0x76: {
        cpu_regsel = 0;
        const u8 m = operand1<IN_PAGE>();
        if (loginefficient) cpu_advise_mask(m);
        psu_write(cpu_psu | (m & psu_mask()));
        finish<IN_PAGE>(2, 3);
        return;
    }
    case 0x75: {
        cpu_regsel = 0;
        const u8 m = operand1<IN_PAGE>();
        if (loginefficient) cpu_advise_mask(m);
        cpu_psl &= static_cast<u8>(~m);
        finish<IN_PAGE>(2, 3);
        return;
    }
    case 0x77: {
        cpu_regsel = 0;
        const u8 m = operand1<IN_PAGE>();
        if (loginefficient) cpu_advise_mask(m);
        cpu_psl |= m;
        if (logillegal && (cpu_psl & PSL_CC) == PSL_CC) cpu_report_cc_un();
        finish<IN_PAGE>(2, 3);
        return;
    }
    case 0xB4: {
        cpu_regsel = 0;
        const u8 m = operand1<IN_PAGE>();
        cpu_psl &= static_cast<u8>(~PSL_CC);
        if ((cpu_psu & m) != m) cpu_psl |= CC_NEGATIVE;
        finish<IN_PAGE>(2, 3);
        return;
    }
    case 0xB5: {
        cpu_regsel = 0;
        const u8 m = operand1<IN_PAGE>();
        cpu_psl &= static_cast<u8>(~PSL_CC);
        if ((cpu_psl & m) != m) cpu_psl |= CC_NEGATIVE;
        finish<IN_PAGE>(2, 3);
        return;
    }

    // ---- input and output ----
    case 0x30 ... 0x33:
        port_in<IN_PAGE>(op, 256, 1, 2);
        return;
    case 0x70 ... 0x73:
        port_in<IN_PAGE>(op, 257, 1, 2);
        return;
    case 0x54 ... 0x57:
        port_in<IN_PAGE>(op, operand1<IN_PAGE>(), 2, 3);
        return;
    case 0xB0 ... 0xB3:
        port_out<IN_PAGE>(op, 256, 1, 2);
        return;
    case 0xF0 ... 0xF3:
        port_out<IN_PAGE>(op, 257, 1, 2);
        return;
    case 0xD4 ... 0xD7:
        port_out<IN_PAGE>(op, operand1<IN_PAGE>(), 2, 3);
        return;

    // ---- undefined ----
    case 0x90:
    case 0x91:
        cpu_regsel = 0;
        if (logillegal) cpu_report_undefined(true);
        finish<IN_PAGE>(1, 2);
        return;
    case 0xB6:
    case 0xB7:
    case 0xC4 ... 0xC7:
        cpu_regsel = 0;
        if (logillegal) cpu_report_undefined(true);
        finish<IN_PAGE>(2, 2);
        return;

    // ---- returns ----
    case 0x14 ... 0x17: {
        cpu_regsel = 0;
        if (condition_true(op)) {
            return_from();
            charge(3);
        } else {
            not_taken<IN_PAGE>(1);
        }
        return;
    }
    case 0x34 ... 0x37: {
        cpu_regsel = 0;
        if (!condition_true(op)) {
            not_taken<IN_PAGE>(1);
            return;
        }
        if (logillegal && cpu_bus.strange_ports) cpu_report_strange_opcode();
        if (loginterrupts && (cpu_psu & PSU_II)) cpu_report_ii_enabled();
        cpu_psu &= static_cast<u8>(~PSU_II);
        return_from();
        if (loginterrupts) cpu_check_restored_context();
        charge(3);
        cpu_interrupt();
        return;
    }

    // ---- branches on condition ----
    case 0x18 ... 0x1B: {
        cpu_regsel = 0;
        if (!condition_true(op)) return not_taken<IN_PAGE>(2);
        const bool indirect = relative_target<IN_PAGE, direct>();
        if (loginefficient) cpu_advise_branch_rel();
        take<BRANCH, IN_PAGE>(2, indirect);
        return;
    }
    case 0x1C ... 0x1F: {
        cpu_regsel = 0;
        if (!condition_true(op)) return not_taken<IN_PAGE>(3);
        const bool indirect = branch_target<IN_PAGE>();
        if (loginefficient) cpu_advise_branch_abs();
        take<BRANCH, IN_PAGE>(3, indirect);
        return;
    }
    case 0x98 ... 0x9A: {
        cpu_regsel = 0;
        if (!condition_false(op)) return not_taken<IN_PAGE>(2);
        const bool indirect = relative_target<IN_PAGE, direct>();
        if (loginefficient && cpu_ea == page_add(cpu_iar, 2)) cpu_advise_omit_here();
        take<BRANCH, IN_PAGE>(2, indirect);
        return;
    }
    case 0x9C ... 0x9E: {
        cpu_regsel = 0;
        if (!condition_false(op)) return not_taken<IN_PAGE>(3);
        const bool indirect = branch_target<IN_PAGE>();
        if (loginefficient && cpu_ea == page_add(cpu_iar, 3)) cpu_advise_omit_here();
        take<BRANCH, IN_PAGE>(3, indirect);
        return;
    }
    case 0x9B: {
        cpu_regsel = 0;
        const u8 b1 = operand1<IN_PAGE>();
        const bool indirect = b1 & 0x80;
        ea_zero_page(b1);
        if (loginefficient) cpu_advise_branch_rel();
        take<BRANCH, IN_PAGE>(2, indirect);
        return;
    }
    case 0x9F: {
        cpu_regsel = 0;
        const bool indirect = branch_target<IN_PAGE>(index_register());
        take<BRANCH, IN_PAGE>(3, indirect);
        return;
    }

    // ---- calls ----
    case 0x38 ... 0x3B: {
        cpu_regsel = 0;
        if (!condition_true(op)) return not_taken<IN_PAGE>(2);
        const bool indirect = relative_target<IN_PAGE, direct>();
        if (loginefficient && op == 0x3B) cpu_advise_call_return(2);
        take<CALL, IN_PAGE>(2, indirect);
        return;
    }
    case 0x3C ... 0x3F: {
        cpu_regsel = 0;
        if (!condition_true(op)) return not_taken<IN_PAGE>(3);
        const bool indirect = branch_target<IN_PAGE>();
        if (loginefficient && op == 0x3F) cpu_advise_call_return(3);
        take<CALL, IN_PAGE>(3, indirect);
        return;
    }
    case 0xB8 ... 0xBA: {
        cpu_regsel = 0;
        if (!condition_false(op)) return not_taken<IN_PAGE>(2);
        take<CALL, IN_PAGE>(2, relative_target<IN_PAGE, direct>());
        return;
    }
    case 0xBC ... 0xBE: {
        cpu_regsel = 0;
        if (!condition_false(op)) return not_taken<IN_PAGE>(3);
        take<CALL, IN_PAGE>(3, branch_target<IN_PAGE>());
        return;
    }
    case 0xBB: {
        cpu_regsel = 0;
        const u8 b1 = operand1<IN_PAGE>();
        const bool indirect = b1 & 0x80;
        ea_zero_page(b1);
        take<CALL, IN_PAGE>(2, indirect);
        return;
    }
    case 0xBF: {
        cpu_regsel = 0;
        const bool indirect = branch_target<IN_PAGE>(index_register());
        take<CALL, IN_PAGE>(3, indirect);
        return;
    }

    // ---- register-testing and counting branches ----
    case 0x58 ... 0x5B: {
        cpu_regsel = cpu_reg_index(op);
        if (!cpu_read_register(cpu_regsel)) return loop_not_taken<IN_PAGE>(2);
        take<LOOP, IN_PAGE>(2, relative_target<IN_PAGE, direct>());
        return;
    }
    case 0x5C ... 0x5F: {
        cpu_regsel = cpu_reg_index(op);
        if (!cpu_read_register(cpu_regsel)) return loop_not_taken<IN_PAGE>(3);
        take<LOOP, IN_PAGE>(3, branch_target<IN_PAGE>());
        return;
    }
    case 0x78 ... 0x7B: {
        cpu_regsel = cpu_reg_index(op);
        if (!cpu_read_register(cpu_regsel)) return not_taken<IN_PAGE>(2);
        take<CALL, IN_PAGE>(2, relative_target<IN_PAGE, direct>());
        return;
    }
    case 0x7C ... 0x7F: {
        cpu_regsel = cpu_reg_index(op);
        if (!cpu_read_register(cpu_regsel)) return not_taken<IN_PAGE>(3);
        take<CALL, IN_PAGE>(3, branch_target<IN_PAGE>());
        return;
    }
    case 0xD8 ... 0xDB: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = static_cast<u8>(cpu_regs[cpu_regsel] + 1);
        cpu_write_register(cpu_regsel, v);
        if (!v) return loop_not_taken<IN_PAGE>(2);
        take<LOOP, IN_PAGE>(2, relative_target<IN_PAGE, direct>());
        return;
    }
    case 0xDC ... 0xDF: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = static_cast<u8>(cpu_regs[cpu_regsel] + 1);
        cpu_write_register(cpu_regsel, v);
        if (!v) return loop_not_taken<IN_PAGE>(3);
        take<LOOP, IN_PAGE>(3, branch_target<IN_PAGE>());
        return;
    }
    case 0xF8 ... 0xFB: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = static_cast<u8>(cpu_regs[cpu_regsel] - 1);
        cpu_write_register(cpu_regsel, v);
        if (!v) return loop_not_taken<IN_PAGE>(2);
        take<LOOP, IN_PAGE>(2, relative_target<IN_PAGE, direct>());
        return;
    }
    case 0xFC ... 0xFF: {
        cpu_regsel = cpu_reg_index(op);
        const u8 v = static_cast<u8>(cpu_regs[cpu_regsel] - 1);
        cpu_write_register(cpu_regsel, v);
        if (!v) return loop_not_taken<IN_PAGE>(3);
        take<LOOP, IN_PAGE>(3, branch_target<IN_PAGE>());
        return;
    }
    }
}

// One handler per opcode: each is the dispatch specialised for its opcode byte,
// so register fields, addressing modes and conditions are constants in it.
using OpcodeHandler = void (*)();

template <bool IN_PAGE, std::size_t... N>
static constexpr std::array<OpcodeHandler, 256> opcode_handlers(std::index_sequence<N...>) {
    return {&execute_opcode<N, IN_PAGE>...};
}

constinit const std::array<OpcodeHandler, 256> cpu_opcode_handlers =
    opcode_handlers<false>(std::make_index_sequence<256>{});
constinit const std::array<OpcodeHandler, 256> cpu_in_page_handlers =
    opcode_handlers<true>(std::make_index_sequence<256>{});

void cpu_execute_instruction() {
    cpu_opcode_handlers[cpu_opcode]();
}

// ---- one instruction -------------------------------------------------------------

void cpu_mark_fetch(u16 iar) {
    mem_mark(iar, ACC_OPCODE);
    const u32 length = op_length[cpu_opcode];
    if (length > 1) {
        mem_mark(page_add(iar, 1), ACC_OPERAND);
        if (length > 2) mem_mark(page_add(iar, 2), ACC_OPERAND);
    }
    // An instruction in the last three bytes of its page is never noted:
    // each run of it comes back here and to the handler for any address, so
    // an in-page handler can never run past the page, whatever length the
    // tables give it.
    if ((iar & 0x1FFF) + 3 <= 0x1FFF) mem_fetch_marked[iar] = static_cast<u8>(length);
}

void cpu_execute_marking(u16 iar) {
    cpu_mark_fetch(iar);
    cpu_opcode_handlers[cpu_opcode]();
}

void cpu_execute_one_checked() {
    const u16 iar = cpu_iar & 0x7FFF;
    if (iar != cpu_iar) [[unlikely]]
        cpu_iar = iar;
    cpu_opcode = guest_memory[iar];
    if (logillegal) {
        const u32 old_bits = mem_access[iar];
        if (!(old_bits & ACC_OPCODE)) mem_access[iar] = old_bits | ACC_OPCODE;
        cpu_fetch_logged(old_bits);
    } else {
        cpu_mark_fetch(iar);
    }
    if (cpu_tracing | dbg_single_step)
        cpu_trace_execute();
    else
        cpu_opcode_handlers[cpu_opcode]();
    if (pause_pending) dbg_pause_loop();
}

// ---- run loops ---------------------------------------------------------------------

bool cpu_step_checked() {
    if (cpu_check_breakpoint()) return true;
    cpu_execute_one();
    return false;
}

u8 cpu_idle_skipping = 1;

// The branch test behind cpu_idles (exec.h), once the opcode is a BCTR or BCTA.
// Idle scenes ask it a few times a line and it holds each time, so every test
// below runs: the branch's own bytes first (where a busy program is told no),
// the debugger's switches last.
bool cpu_idles_at_branch() {
    const u16 iar = cpu_iar;
    if (iar > 0x7FFF || !cpu_idle_skipping) return false;
    const u8 opcode = guest_memory[iar];
    if ((opcode & 0xF8) != 0x18 || !condition_true(opcode)) return false;
    const u8 b1 = guest_memory[page_add(iar, 1)];
    if (b1 & 0x80) return false;
    // $7E is the displacement -2 of a BCTR to itself, as assemblers write it.
    const u16 at = opcode >= 0x1C ? ((b1 << 8) | guest_memory[page_add(iar, 2)]) & 0x7FFF
                   : b1 == 0x7E   ? iar
                                  : page_add(iar, 2 + displacement(b1));
    if (mem_read_mirror[at] != iar) return false;
    if (cpu_tracing | dbg_single_step | dbg_run_to_interrupt | dbg_run_to_loop_end |
        dbg_run_to_frame | logbios | logillegal | loginefficient | loginterrupts | pause_pending)
        return false;
    if (raster_break_line != RASTER_NO_BREAK) return false;
    return !(mem_attributes[iar] & (MEM_STEP_OUT | MEM_BREAKPOINT | MEM_TRAP));
}

void cpu_idle_runs(u32 n) {
    if (n == 0) return;
    const u16 iar = cpu_iar;
    cpu_cycles += 9 * n;
    cpu_op_cycles = 3;
    cpu_regsel = 0;
    cpu_ea = iar;
    cpu_prev_iar = iar;
    const u8 opcode = guest_memory[iar];
    cpu_opcode = opcode;
    mem_mark(iar, cpu_irq_level <= 7 ? ACC_BRANCH_IRQ : ACC_BRANCH);
    // Marked already after the first run: the call is left for the last.
    if (mem_fetch_marked[iar] != op_length[opcode]) cpu_mark_fetch(iar);
}

u8 cpu_poll_skipping = 1;

// Whether branch `opcode` (BCTR, BCTA, BCFR or BCFA) is taken under
// condition code `cc`.
static bool branch_taken_under(u8 opcode, u8 cc) {
    const u8 field = opcode & 3;
    return opcode & 0x80 ? field != cc >> 6 : field == 3 || field == cc >> 6;
}

// The rest of the poll test, for a LODA rN,abs at `load` whose byte at
// `address` holds rN's `value`.
[[gnu::noinline]] static bool poll_loop_found(CpuPoll& p, u16 load, u32 address, u8 reg,
                                              u8 value) {
    // A read-once byte holds what a read leaves: told first, as a poll that
    // has just read its byte change sees it reset here.
    const u32 attrs = mem_attributes[address];
    if ((attrs & MEM_READ_ONCE) && mem_read_once_value() != value) return false;
    const u16 test = load + 3, branch = load + 5;
    const u8 test_op = guest_memory[test], branch_op = guest_memory[branch],
             c1 = guest_memory[branch + 1];
    const u8 field = guest_memory[load] & 3;
    // TMI or COMI rN,imm; a direct BCTR, BCFR, BCTA or BCFA (not ZBRR or
    // BXA) back to the LODA.
    if (test_op != (0xF4 | field) && test_op != (0xE4 | field)) return false;
    if ((branch_op & 0x78) != 0x18 || (branch_op & 0x83) == 0x83 || (c1 & 0x80)) return false;
    const bool relative = !(branch_op & 0x04);
    const u16 target = relative ? page_add(branch, 2 + displacement(c1))
                                : static_cast<u16>(((c1 << 8) | guest_memory[branch + 2]) & 0x7FFF);
    if (mem_read_mirror[target] != load) return false;
    if (mem_fetch_marked[load] != 3 || mem_fetch_marked[test] != 2 ||
        mem_fetch_marked[branch] != op_length[branch_op])
        return false;

    const u8 imm = guest_memory[test + 1];
    const u8 test_cc = (test_op & 0xF0) == 0xF0 ? mask_test_cc(value, imm) : compare_cc(value, imm);
    if ((cpu_psl & PSL_CC) != test_cc || !branch_taken_under(branch_op, test_cc)) return false;
    // What the branch leaves.
    if (cpu_opcode != branch_op || cpu_regsel != 0 || cpu_ea != load ||
        3 * cpu_op_cycles != op_cycles[branch_op])
        return false;

    if (cpu_tracing | dbg_single_step | dbg_run_to_interrupt | dbg_run_to_loop_end |
        dbg_run_to_frame | logbios | logillegal | loginefficient | loginterrupts | logreadwrites |
        logsubroutines | pause_pending)
        return false;
    if (raster_break_line != RASTER_NO_BREAK) return false;
    if ((mem_attributes[load] | mem_attributes[test] | mem_attributes[branch]) &
        (MEM_STEP_OUT | MEM_BREAKPOINT | MEM_TRAP))
        return false;
    if (!register_unwatched(reg)) return false;

    // The byte reads as it stands, with nothing to report: no mirror, watch,
    // board routing or unreadable byte (and, above, a read-once byte already
    // holds what a read leaves). Its read mark, the chip's coverage bit and
    // the branch's mark on its target are set.
    if (mem_read_mirror[address] != address || (attrs & (MEM_WATCH | MEM_UNREADABLE | MEM_ROUTED)))
        return false;
    if (!(mem_access[address] & ACC_READ)) return false;
    if (attrs & MEM_HW_REGISTER) {
        const u32 bit = cpu_bus.coverage_bit(address);
        if ((coverage_read_flags[load] & bit) != bit) return false;
    }
    if (!(mem_access[load] & (cpu_irq_level <= 7 ? ACC_BRANCH_IRQ : ACC_BRANCH))) return false;

    u64 bytes;
    std::memcpy(&bytes, guest_memory + load, 8);
    const u64 mask = relative ? 0x00FFFFFFFFFFFFFFull : ~0ull;
    const u8 load_op = guest_memory[load];
    p = {
        .bytes = bytes & mask,
        .bytes_mask = mask,
        .at = {load, test, branch},
        .address = static_cast<u16>(address),
        .value = value,
        .phase = 0,
        .opcode = {load_op, test_op, branch_op},
        .periods = {static_cast<u8>(op_cycles[load_op]), static_cast<u8>(op_cycles[test_op]),
                    static_cast<u8>(op_cycles[branch_op])},
        .cc = {cc_of(value), test_cc, test_cc},
        .regsel = {reg, reg, 0},
        .ea = {static_cast<u16>(address), static_cast<u16>(address), load},
    };
    return true;
}

// The poll test behind cpu_polls (exec.h), once the processor is found at a
// LODA five bytes before its last instruction. Each instruction the loop
// runs from here leaves what it left on its last run: the test makes sure
// that the processor's state and the marks are what that run leaves (so a
// round counted out has nothing more to mark), and that no debugger
// feature looks at single instructions, at the byte or at rN. The usual no
// (a poll that has just seen its byte change: rN and the byte differ) is
// told first, before the rest of the loop is looked at.
bool cpu_polls_at_load(CpuPoll& p) {
    const u16 load = cpu_iar;
    // The loop's eight bytes lie in the page (the fetch marks below say so
    // for the instructions; this keeps every read here inside memory).
    if (load > 0x7FFF || (load & 0x1FFF) > 0x1FF8 || !cpu_poll_skipping) return false;
    const u8 b1 = guest_memory[load + 1];
    // LODA rN,abs, plain, with rN holding the byte.
    if ((guest_memory[load] & 0xFC) != 0x0C || (b1 & 0xE0)) return false;
    const u8 reg = cpu_reg_index(guest_memory[load] & 3);
    const u8 value = cpu_regs[reg];
    const u32 address = (load & 0x6000) | ((b1 & 0x1F) << 8) | guest_memory[load + 2];
    if (guest_memory[address] != value) return false;
    return poll_loop_found(p, load, address, reg, value);
}

// Every instruction runs to completion, so the budget ends at zero or below and
// its magnitude is the overshoot of the last instruction. The loop measures the
// clock periods run since the slice began, so the counter passing $FFFFFFFF
// (even inside the last instruction of a slice) never stalls or skips it.
template <bool POLLED> static inline void run_budget(void (*tick)() = nullptr) {
    if (cpu_cycle_budget <= 0) return;
    const u32 length = static_cast<u32>(cpu_cycle_budget);
    cpu_slice_start = cpu_cycles;
    while (cpu_cycles - cpu_slice_start < length) {
        bool trapped;
        if constexpr (POLLED) {
            trapped = cpu_check_breakpoint();
            tick();
            if (!trapped) cpu_execute_one();
        } else {
            trapped = cpu_step();
        }
        if constexpr (!POLLED) {
            // A branch to itself runs unchanged to the end of the slice: the
            // clock moves on by as many of its runs as the slice still holds.
            if (!trapped && cpu_idles()) [[unlikely]] {
                const u32 left = length - (cpu_cycles - cpu_slice_start);
                if (left < length) cpu_idle_runs((left + 8) / 9);
            }
        }
    }
    cpu_cycle_budget -= static_cast<i32>(cpu_cycles - cpu_slice_start);
}

void cpu_run_cycles() {
    run_budget<false>();
}

void cpu_run_cycles_polled(void (*tick)()) {
    run_budget<true>(tick);
}
