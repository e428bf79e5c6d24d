// Operand formatters of the disassembler: the memory operand of the instruction
// at cpu_iar in the current notation and in pseudo-code, with the effective
// address worked out from the current memory and registers; and the number
// texts of the five notations.
#include "cpu/disasm.h"

#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/optables.h"

#include <cstdio>
#include <cstring>

char dis_operand_text[DIS_OPERAND_SIZE];
char dis_pseudo_operand[DIS_OPERAND_SIZE];
char dis_number_text[DIS_NUMBER_SIZE];
char dis_number_plain_text[DIS_NUMBER_SIZE];

// The byte n after the opcode, wrapping inside the instruction's page.
static u8 operand_byte(int n) {
    return guest_memory[page_add(cpu_iar, n)];
}

// Label or hexadecimal form of an address: notation style or pseudo-code style.
static void label_text(u32 address, char* out, int plain) {
    char text[CPU_ADDRESS_TEXT_SIZE];
    cpu_format_address(address, text, 0, 0, 15, plain);
    std::snprintf(out, CPU_ADDRESS_TEXT_SIZE, "%s", text);
}

// Appends printf-style text to a buffer of the given size, never past its end.
static void append(char* buffer, int size, const char* format, const char* text) {
    int used = static_cast<int>(std::strlen(buffer));
    if (used < size - 1) std::snprintf(buffer + used, size - used, format, text);
}

// Reads the two-byte pointer at p (the second byte wraps inside the page) into dis_ea.
static void read_pointer(u32 p) {
    cpu_pointer_addr = p;
    u8 hi = guest_memory[p & 0x7FFF];
    cpu_pointer_addr = ((p + 1) & 0x1FFF) == 0 ? p - 0x1FFF : p + 1;
    u8 lo = guest_memory[cpu_pointer_addr & 0x7FFF];
    dis_ea = ((hi << 8) + lo) & 0x7FFF;
}

// " [label]" of dis_ea after both texts. A source file keeps it out of the
// operand, which must assemble again: there it is left to the comment.
static void annotate_ea() {
    char label[CPU_ADDRESS_TEXT_SIZE];
    if (dis_mode != DIS_FILE) {
        label_text(dis_ea, label, 0);
        append(dis_operand_text, DIS_OPERAND_SIZE, " [%s]", label);
    }
    label_text(dis_ea, label, 1);
    append(dis_pseudo_operand, DIS_OPERAND_SIZE, " [%s]", label);
}

// The spelling of r0 in the current notation.
static const char* r0_name() {
    return dis_notation == NOTATION_OLD_CALM ? "A" : dis_notation == NOTATION_IEEE ? ".0" : "r0";
}

void dis_operand_absolute() {
    u8 b1 = operand_byte(1), b2 = operand_byte(2);
    u32 address = (cpu_iar & 0x6000) + ((b1 & 0x1F) << 8) + b2;
    bool indirect = b1 & 0x80;
    u8 index = (b1 >> 5) & 3; // 0 none, 1 auto-increment, 2 auto-decrement, 3 indexed
    cpu_pointer_addr = dis_ea = address;

    char label[CPU_ADDRESS_TEXT_SIZE], plain[CPU_ADDRESS_TEXT_SIZE];
    label_text(address, label, 0);
    label_text(address, plain, 1);
    const char* r = dis_reg_name;
    static const char* const pseudo_index[4] = {"", " + ++%s", " + --%s", " + %s"};
    char index_text[32];

    std::snprintf(dis_pseudo_operand, DIS_OPERAND_SIZE, "%s%s", indirect ? "*" : "", plain);
    std::snprintf(index_text, sizeof index_text, pseudo_index[index], r);
    append(dis_pseudo_operand, DIS_OPERAND_SIZE, "%s", index_text);

    switch (dis_notation_index()) {
    case NOTATION_OLD_CALM: {
        static const char* const pre[4] = {"", "(+%s)+", "(-%s)+", "(%s)+"};
        std::snprintf(index_text, sizeof index_text, pre[index], r);
        std::snprintf(dis_operand_text, DIS_OPERAND_SIZE, "%s%s%s", index_text, indirect ? "@" : "",
                      label);
        break;
    }
    case NOTATION_NEW_CALM: {
        static const char* const pre[4] = {"U^", "U^{+%s}+", "U^{-%s}+", "U^{%s}+"};
        std::snprintf(index_text, sizeof index_text, pre[index], r);
        std::snprintf(dis_operand_text, DIS_OPERAND_SIZE, "%s%s%s%s", index_text,
                      indirect ? "{" : "", label, indirect ? "}" : "");
        break;
    }
    case NOTATION_IEEE: {
        static const char* const post[4] = {"", "(+%s)", "(-%s)", "(%s)"};
        std::snprintf(index_text, sizeof index_text, post[index], r);
        std::snprintf(dis_operand_text, DIS_OPERAND_SIZE, "%s%s%s", indirect ? "/@" : "/", label,
                      index_text);
        break;
    }
    default: {
        static const char* const post[4] = {"", ",%s+", ",%s-", ",%s"};
        std::snprintf(index_text, sizeof index_text, post[index], r);
        std::snprintf(dis_operand_text, DIS_OPERAND_SIZE, "%s%s%s", indirect ? "*" : "", label,
                      index_text);
        break;
    }
    }

    if (indirect) read_pointer(address);
    if (index) {
        // The register counts modulo 256 before it is added, as the processor does.
        u8 v = cpu_regs[cpu_regsel];
        if (index == 1) v = static_cast<u8>(v + 1);
        if (index == 2) v = static_cast<u8>(v - 1);
        dis_ea = (dis_ea & 0x6000) + ((dis_ea + v) & 0x1FFF);
    }
    if (dis_mode == DIS_INTERACTIVE && (b1 & 0xE0)) annotate_ea();
    // An indexed instruction works on r0; its register field names the index.
    if (index) std::snprintf(dis_reg_name, sizeof dis_reg_name, "%s", r0_name());
}

// Operand text of a target: prefix, label and suffix by directness.
static void target_texts(u32 target, bool indirect, const char* direct_prefix,
                         const char* indirect_prefix, bool braces) {
    char label[CPU_ADDRESS_TEXT_SIZE], plain[CPU_ADDRESS_TEXT_SIZE];
    label_text(target, label, 0);
    label_text(target, plain, 1);
    std::snprintf(dis_operand_text, DIS_OPERAND_SIZE, "%s%s%s",
                  indirect ? indirect_prefix : direct_prefix, label, indirect && braces ? "}" : "");
    std::snprintf(dis_pseudo_operand, DIS_OPERAND_SIZE, "%s%s", indirect ? "*" : "", plain);
}

void dis_operand_relative() {
    u8 b1 = operand_byte(1);
    u32 target = (cpu_iar & 0x6000) + ((cpu_iar + 2 + rel_offset_table[b1]) & 0x1FFF);
    bool indirect = b1 & 0x80;
    dis_ea = target;
    static const char* const direct[NOTATIONS] = {"", "", ".+", "R^", "$"};
    static const char* const via[NOTATIONS] = {"*", "*", ".+@", "R^{", "$@"};
    target_texts(target, indirect, direct[dis_notation_index()], via[dis_notation_index()],
                 dis_notation == NOTATION_NEW_CALM);
    if (indirect) {
        read_pointer(target);
        annotate_ea(); // relative pointers are annotated in every mode
    }
}

void dis_operand_branch(int annotate) {
    u8 b1 = operand_byte(1), b2 = operand_byte(2);
    u32 address = ((b1 << 8) & 0x7F00) | b2;
    bool indirect = b1 & 0x80;
    dis_ea = address;
    static const char* const direct[NOTATIONS] = {"", "", "", "U^", "/"};
    static const char* const via[NOTATIONS] = {"*", "*", "@", "U^{", "/@"};
    target_texts(address, indirect, direct[dis_notation_index()], via[dis_notation_index()],
                 dis_notation == NOTATION_NEW_CALM);
    if (indirect) {
        read_pointer(address);
        if (annotate) annotate_ea();
    }
}

void dis_operand_zero_page(int annotate) {
    u8 b1 = operand_byte(1);
    u32 target = rel_offset_table[b1] & 0x1FFF;
    bool indirect = b1 & 0x80;
    dis_ea = target;
    static const char* const direct[NOTATIONS] = {"", "", "0+", "0+", "!"};
    static const char* const via[NOTATIONS] = {"*", "*", "0+@", "0+{", "!@"};
    target_texts(target, indirect, direct[dis_notation_index()], via[dis_notation_index()],
                 dis_notation == NOTATION_NEW_CALM);
    if (indirect) {
        read_pointer(target);
        if (annotate) annotate_ea();
    }
}

void dis_format_hex(u32 value) {
    if (value <= 9) {
        std::snprintf(dis_number_text, DIS_NUMBER_SIZE, "%u", value);
        std::snprintf(dis_number_plain_text, DIS_NUMBER_SIZE, "%u", value);
        return;
    }
    std::snprintf(dis_number_text, DIS_NUMBER_SIZE, "%s%X", dis_hex_prefix[dis_notation_index()],
                  value);
    std::snprintf(dis_number_plain_text, DIS_NUMBER_SIZE, "$%X", value);
}

void dis_format_binary(u32 value) {
    char bits[9];
    for (int i = 0; i < 8; i++)
        bits[i] = (value & (0x80 >> i)) ? '1' : '0';
    bits[8] = 0;
    std::snprintf(dis_number_text, DIS_NUMBER_SIZE, "%s%s", dis_binary_prefix[dis_notation_index()],
                  bits);
    std::snprintf(dis_number_plain_text, DIS_NUMBER_SIZE, "%%%s", bits);
}
