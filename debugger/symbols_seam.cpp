// Stand-ins for the user label table, the built-in label rows and the comment
// and note tables, until the debugger and the machine data provide them: the
// real tables hold the labels, comments and notes of the machines and games;
// these are empty. sym_add here checks the name and the free space and stores
// the label, as the debugger's own will.
#include "debugger/symbols_seam.h"

#include "core/message.h"

#include <cctype>
#include <cstdio>
#include <cstring>

LabelRow user_labels[USER_LABEL_ROWS];
u32 user_label_count = 0;
LabelRow label_table[LABEL_TABLE_ROWS];
i32 dos_label_first = -1;
i32 dos_label_last = -1;

const MemNote* mem_notes = nullptr;
int mem_note_rows = 0;
const MemComment* mem_comments = nullptr;
int mem_comment_rows = 0;
i32 dos_comment_first = -1;
i32 dos_comment_last = -1;
i32 dos_note_first = -1;
i32 dos_note_last = -1;

void sym_add(const char* name, u32 address, u8 kind) {
    char upper[41];
    size_t length = std::strlen(name);
    if (length == 0) {
        con_printf("Error: %s\n", "symbol has zero-length name");
        return;
    }
    if (length > 40) {
        con_printf("Error: %s\n", "symbol name is too long");
        return;
    }
    for (size_t i = 0; i <= length; i++)
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    for (size_t i = 0; i < length; i++) {
        char c = upper[i];
        if (!((c >= 'A' && c <= 'Z') || c == '_' || (i > 0 && c >= '0' && c <= '9'))) {
            con_printf("Error: illegal symbol name \"%s\"\n", upper);
            return;
        }
    }
    for (u32 i = 0; i < user_label_count && i < USER_LABEL_ROWS; i++) {
        LabelRow& row = user_labels[i];
        if (std::strcmp(row.name, upper) != 0) continue;
        if (row.address == address && row.kind == kind) return;
        con_printf("Redefining user-defined label %s (was $%X (%c), now $%X (%c)).\n", upper,
                   row.address, row.kind, address, kind);
        row.address = static_cast<u16>(address);
        row.kind = kind;
        return;
    }
    if (user_label_count >= USER_LABEL_ROWS) {
        con_printf("Error: %s\n", "too many user-defined symbols");
        return;
    }
    LabelRow& row = user_labels[user_label_count++];
    std::memset(&row, 0, sizeof row);
    row.address = static_cast<u16>(address);
    std::snprintf(row.name, sizeof row.name, "%s", upper);
    row.kind = kind;
}
