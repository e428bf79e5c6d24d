// Test support: disk images as the guest disk systems' formats leave them,
// made without the program, for tests that insert them.
#pragma once

#include <string>

// A BINBUG disk: every block chained to the next, the directory chain ending
// at block 9 and the free chain at block 399, the header naming them.
inline std::string test_blank_binbug_disk() {
    std::string disk(102400, '\xE5');
    for (int b = 0; b < 400; b++) {
        disk[b * 256] = static_cast<char>((b + 1) / 10);
        disk[b * 256 + 1] = static_cast<char>((b + 1) % 10 + 1);
    }
    disk[9 * 256] = disk[399 * 256] = '\xFF';
    const char header[] = {1, 1, 39, 10, 1, '\x86', 40, 10, 'B', 'Q', '!', 0, 0, 0};
    disk.replace(2, sizeof header, header, sizeof header);
    return disk;
}
