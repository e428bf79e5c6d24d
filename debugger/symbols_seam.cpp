// Stand-ins for the address comment and note tables, until the machine data
// provides them: the real tables hold the comments and notes of the machines
// and games; these are empty.
#include "debugger/symbols_seam.h"
#include "core/seams_services.h"

const MemNote* mem_notes = nullptr;
int mem_note_rows = 0;
const MemComment* mem_comments = nullptr;
int mem_comment_rows = 0;
i32 dos_comment_first = -1;
i32 dos_comment_last = -1;
i32 dos_note_first = -1;
i32 dos_note_last = -1;

int addr_comment_address(int row) {
    if (!mem_comments || row < 0 || row >= mem_comment_rows) return -1;
    return mem_comments[row].address;
}
