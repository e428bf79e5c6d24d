// The comments and notes that belong to a guest address: the machine's and
// the running game's comment and note rows, the disk system's rows, and the
// board's monitor notes. Listings reach them through cpu_host.address_comments.
#include "debugger/disasm_file.h"

#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/seams_games.h"
#include "cpu/dbg_hooks.h"
#include "debugger/symbols_seam.h"

#include <cstdio>
#include <cstring>
#include <functional>

static const KnownGame* current_game() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return nullptr;
    return &known_games_db[known_game_id];
}

static void comment_rows(i32 first, i32 last, u32 address, bool stop_at_first,
                         const std::function<void(const char*)>& each) {
    if (first < 0 || !mem_comments) return;
    for (i32 row = first; row <= last && row < mem_comment_rows; row++) {
        if (mem_comments[row].address != static_cast<i32>(address) || !mem_comments[row].text)
            continue;
        each(mem_comments[row].text);
        if (stop_at_first) return;
    }
}

void dis_address_comment_rows(u32 address, const std::function<void(const char*)>& each) {
    const MachineLive& m = machine_live_row();
    comment_rows(m.first_comment_row, m.last_comment_row, address, false, each);
    if (machine_traits().os_symbols) {
        comment_rows(dos_comment_first, dos_comment_last, address, false, each);
        comment_rows(COMMENT_BINBUG_FIRST, COMMENT_BINBUG_LAST, address, false, each);
    }
    if (const KnownGame* game = current_game())
        comment_rows(game->comment_first, game->comment_last, address, true, each);
}

static void print_table_comments(u32 address) {
    dis_address_comment_rows(address, [](const char* text) { con_printf(";%s\n", text); });
}

void dis_print_address_comments(u32 address) {
    address &= 0x7FFF;
    print_table_comments(address);
    // The monitor notes of the board, by the address or by what the machine
    // looks them up by.
    const auto note_key = machine_debug().listing_note_key;
    if (cpu_debug_hooks->bios_notes)
        cpu_debug_hooks->bios_notes(note_key ? note_key(address) : address);
    dis_address_notes(address, 0, nullptr, 0);
}

// Appends text to a buffer of the given size, never past its end.
static void buffer_append(char* buffer, int size, const char* text) {
    if (!buffer || size <= 0) return;
    size_t used = std::strlen(buffer);
    if (used + 1 >= static_cast<size_t>(size)) return;
    std::snprintf(buffer + used, size - used, "%s", text);
}

static int print_note(int row, u32 address, int mode, int first, char* buffer, int buffer_size) {
    if (!mem_notes || row < 0 || row >= mem_note_rows || !mem_notes[row].text) return first;
    const MemNote& note = mem_notes[row];
    i32 a = static_cast<i32>(address);
    bool covers = a >= note.first &&
                  ((note.last >= 0 && a <= note.last) || (note.last == -1 && a == note.first) ||
                   (note.last == -2 && a <= note.first + 1));
    if (mode == 0) {
        if (a != note.first) return first;
        const char* text = note.text;
        while (*text) {
            const char* end = std::strchr(text, '\n');
            int length = end ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
            con_printf(";%.*s\n", length, text);
            text += length;
            if (*text == '\n') text++;
        }
        return first;
    }
    if (!covers) return first;
    if (mode == 1) {
        char position[32] = "";
        if (first) {
            if (std::strcmp(note.text, "Upper display") == 0)
                std::snprintf(position, sizeof position, " (X=%d,Y=%d)", a & 15, (a - 0x1800) / 16);
            else if (std::strcmp(note.text, "Lower display") == 0)
                std::snprintf(position, sizeof position, " (X=%d,Y=%d)", a & 15,
                              (a - 0x1A00) / 16 + 13);
            first = 0;
        }
        con_printf("%s%s\n", note.text, position);
        return first;
    }
    buffer_append(buffer, buffer_size, "\n");
    buffer_append(buffer, buffer_size, note.text);
    return first;
}

static int note_range(i32 first_row, i32 last_row, u32 address, int mode, int first, char* buffer,
                      int buffer_size) {
    if (first_row < 0) return first;
    for (i32 row = first_row; row <= last_row && row < mem_note_rows; row++)
        first = print_note(row, address, mode, first, buffer, buffer_size);
    return first;
}

void dis_address_notes(u32 address, int mode, char* buffer, int buffer_size) {
    const MachineLive& m = machine_live_row();
    note_range(m.first_note_row, m.last_note_row, address, mode, 1, buffer, buffer_size);
    if (machine_traits().os_symbols) {
        note_range(dos_note_first, dos_note_last, address, mode, 0, buffer, buffer_size);
        note_range(NOTE_BINBUG_FIRST, NOTE_BINBUG_LAST, address, mode, 0, buffer, buffer_size);
    }
    if (const KnownGame* game = current_game())
        if (game->note_first >= 0)
            note_range(NOTE_GAME_BASE + game->note_first, NOTE_GAME_BASE + game->note_last, address,
                       mode, 0, buffer, buffer_size);
}
