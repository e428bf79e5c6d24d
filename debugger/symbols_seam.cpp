// Weak stand-ins for the user label table, the built-in label rows and the
// comment and note tables. sym_add here checks the name and the free space
// and stores the label; the debugger's own definitions replace all of this.
#include "debugger/symbols_seam.h"

#include "core/message.h"

#include <cctype>
#include <cstdio>
#include <cstring>

__attribute__((weak)) LabelRow user_labels[USER_LABEL_ROWS];
__attribute__((weak)) u32 user_label_count = 0;
__attribute__((weak)) LabelRow label_table[LABEL_TABLE_ROWS];
__attribute__((weak)) i32 dos_label_first = -1;
__attribute__((weak)) i32 dos_label_last = -1;

__attribute__((weak)) const MemNote* mem_notes = nullptr;
__attribute__((weak)) int mem_note_rows = 0;
__attribute__((weak)) const MemComment* mem_comments = nullptr;
__attribute__((weak)) int mem_comment_rows = 0;
__attribute__((weak)) i32 dos_comment_first = -1;
__attribute__((weak)) i32 dos_comment_last = -1;
__attribute__((weak)) i32 dos_note_first = -1;
__attribute__((weak)) i32 dos_note_last = -1;

__attribute__((weak)) void sym_add(const char* name, u32 address, u8 kind) {
    char upper[41];
    size_t length = std::strlen(name);
    if (length == 0) {
        con_printf(0, "Error: %s\n", "symbol has zero-length name");
        return;
    }
    if (length > 40) {
        con_printf(0, "Error: %s\n", "symbol name is too long");
        return;
    }
    for (size_t i = 0; i <= length; i++)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    for (size_t i = 0; i < length; i++) {
        char c = upper[i];
        if (!((c >= 'A' && c <= 'Z') || c == '_' || (i > 0 && c >= '0' && c <= '9'))) {
            con_printf(0, "Error: illegal symbol name \"%s\"\n", upper);
            return;
        }
    }
    for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++) {
        LabelRow& row = user_labels[i];
        if (std::strcmp(row.name, upper) != 0) continue;
        if (row.address == address && row.kind == kind) return;
        con_printf(0, "Redefining user-defined label %s (was $%X (%c), now $%X (%c)).\n", upper,
                   row.address, row.kind, address, kind);
        row.address = static_cast<u16>(address);
        row.kind = kind;
        return;
    }
    if (user_label_count >= USER_LABEL_ROWS) {
        con_printf(0, "Error: %s\n", "too many user-defined symbols");
        return;
    }
    LabelRow& row = user_labels[user_label_count++];
    std::memset(&row, 0, sizeof row);
    row.address = static_cast<u16>(address);
    std::snprintf(row.name, sizeof row.name, "%s", upper);
    row.kind = kind;
}
