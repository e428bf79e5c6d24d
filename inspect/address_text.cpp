#include "inspect/address_text.h"

#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "debugger/debugger.h"
#include "debugger/disasm_file.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends to a bounded buffer; what does not fit is cut off.
void append(char* buffer, std::size_t size, const char* text) {
    const std::size_t used = std::strlen(buffer);
    if (used + 1 >= size) return;
    std::snprintf(buffer + used, size - used, "%s", text);
}

void address_text(u32 address, char* out) {
    dbg_format_address(address, out, 1, 0, 15, 1);
}

void append_notes(u32 address, char* buffer, std::size_t size) {
    const std::size_t used = std::strlen(buffer);
    if (used + 1 >= size) return;
    dis_address_notes(address, 2, buffer, static_cast<int>(size));
}

} // namespace

void inspect_disassemble(u32 address, int level, char* out, std::size_t size) {
    CpuState state;
    cpu_state_save(state);
    const u8 opcode = cpu_opcode, regsel = cpu_regsel;
    const u32 ea = cpu_ea, pointer = cpu_pointer_addr;
    const i32 saved_verbosity = verbosity;
    const u32 context = dis_cc_context, dis_target = dis_ea, mode = dis_mode;
    cpu_iar = static_cast<u16>(address & (GUEST_MEMORY_SIZE - 1));
    verbosity = level;
    dis_mode = DIS_INTERACTIVE;
    dis_instruction(0, 1);
    std::snprintf(out, size, "%s", dis_line);
    cpu_state_load(state);
    cpu_opcode = opcode;
    cpu_regsel = regsel;
    cpu_ea = ea;
    cpu_pointer_addr = pointer;
    verbosity = saved_verbosity;
    dis_cc_context = context;
    dis_ea = dis_target;
    dis_mode = mode;
}

void mem_info_text(u32 address, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    address &= GUEST_MEMORY_SIZE - 1;
    char where[DBG_ADDRESS_TEXT_SIZE];
    char line[DBG_ADDRESS_TEXT_SIZE + 64];
    address_text(address, where);
    std::snprintf(line, sizeof line, "%s %s\n", cat_str(995, "Address:"), where);
    append(buffer, size, line);
    if (mem_read_mirror[address] != address) {
        address_text(mem_read_mirror[address], where);
        std::snprintf(line, sizeof line, cat_str(422, "Read mirror of %s."), where);
        append(buffer, size, line);
        append(buffer, size, "\n");
    }
    if (mem_write_mirror[address] != address) {
        address_text(mem_write_mirror[address], where);
        std::snprintf(line, sizeof line, cat_str(423, "Write mirror of %s."), where);
        append(buffer, size, line);
        append(buffer, size, "\n");
    }
    std::snprintf(line, sizeof line, "%s: $%02X\n", cat_str(718, "Contents"), guest_memory[address]);
    append(buffer, size, line);
    char code[DIS_LINE_SIZE];
    inspect_disassemble(address, 2, code, sizeof code);
    append(buffer, size, code);
    dis_address_comment_rows(address, [&](const char* text) {
        append(buffer, size, "\n");
        append(buffer, size, text);
    });
    append_notes(address, buffer, size);
}

void addr_info_text(u32 address, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return;
    buffer[0] = 0;
    char where[DBG_ADDRESS_TEXT_SIZE];
    address_text(address & (GUEST_MEMORY_SIZE - 1), where);
    append(buffer, size, where);
    append_notes(address & (GUEST_MEMORY_SIZE - 1), buffer, size);
}
