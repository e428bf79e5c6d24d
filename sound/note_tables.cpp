// The musical tables: equal-tempered notes from A0 (27.5 Hz), and for every
// divider value of a PVI/UVI tone the note it sounds.
#include "sound/voice_update.h"

#include <cctype>
#include <cmath>
#include <cstdio>

NoteInfo note_table[NOTES + 1];
RetuneRow retune_table_60[256];
RetuneRow retune_table_50[256];

SoundLevel snd_levels_8[8];
SoundLevel snd_levels_16[16];

const float tone_unit_dividers[14] = {0,   478, 451, 426, 402, 379, 358,
                                      338, 319, 301, 284, 268, 253, 239};

namespace {
// First divider value of each note's run of rows, with the note's index.
struct RunStart {
    u8 row, note;
};
constexpr RunStart RUNS_60[] = {
    {1, 86},   {2, 79},   {3, 74},   {4, 70},   {5, 67},   {6, 64},   {7, 62},   {8, 60},
    {9, 58},   {10, 56},  {11, 55},  {12, 54},  {13, 52},  {14, 51},  {15, 50},  {16, 49},
    {17, 48},  {18, 47},  {19, 46},  {20, 45},  {21, 44},  {23, 43},  {24, 42},  {25, 41},
    {27, 40},  {29, 39},  {30, 38},  {32, 37},  {34, 36},  {36, 35},  {39, 34},  {41, 33},
    {43, 32},  {46, 31},  {48, 30},  {51, 29},  {55, 28},  {59, 27},  {62, 26},  {64, 25},
    {69, 24},  {73, 23},  {78, 22},  {83, 21},  {87, 20},  {92, 19},  {98, 18},  {103, 17},
    {110, 16}, {116, 15}, {123, 14}, {129, 13}, {138, 12}, {147, 11}, {155, 10}, {164, 9},
    {174, 8},  {185, 7},  {196, 6},  {208, 5},  {221, 4},  {234, 3},  {248, 2}};
constexpr RunStart RUNS_50[] = {
    {1, 86},   {2, 79},   {3, 74},   {4, 70},   {5, 67},   {6, 64},   {7, 62},   {8, 60},
    {9, 58},   {10, 56},  {11, 55},  {12, 54},  {13, 52},  {14, 51},  {15, 50},  {16, 49},
    {17, 48},  {18, 47},  {19, 46},  {20, 45},  {21, 44},  {22, 43},  {24, 42},  {25, 41},
    {27, 40},  {29, 39},  {30, 38},  {32, 37},  {34, 36},  {36, 35},  {39, 34},  {41, 33},
    {43, 32},  {46, 31},  {48, 30},  {51, 29},  {54, 28},  {58, 27},  {62, 26},  {65, 25},
    {69, 24},  {73, 23},  {77, 22},  {83, 21},  {86, 20},  {92, 19},  {98, 18},  {103, 17},
    {109, 16}, {115, 15}, {123, 14}, {130, 13}, {137, 12}, {145, 11}, {154, 10}, {164, 9},
    {173, 8},  {184, 7},  {195, 6},  {206, 5},  {218, 4},  {232, 3},  {245, 2}};

constexpr const char* SEMITONES[12] = {"A",  "A#", "B", "C",  "C#", "D",
                                       "D#", "E",  "F", "F#", "G",  "G#"};
// Staff steps of the white notes from C: C D E F G A B.
constexpr int WHITE_STEP[12] = {5, 5, 6, 0, 0, 1, 1, 2, 3, 3, 4, 4}; // by semitone from A


// The key of note n on the musical keyboard's picture, in outline units: the
// upper band (where black keys lie between the white ones) and, for white
// keys, the lower band. Octaves start at C with a base 35 units apart.
constexpr u16 UPPER[12][2] = {{0, 2},   {3, 5},   {6, 7},   {8, 10},  {11, 13}, {15, 17},
                              {18, 20}, {21, 22}, {23, 25}, {26, 27}, {28, 30}, {31, 33}};
constexpr u16 LOWER[12][2] = {{0, 3},  {0, 0}, {5, 8},   {0, 0},   {10, 13}, {15, 18},
                              {0, 0},  {20, 23}, {0, 0}, {25, 28}, {0, 0},   {30, 33}};

void key_outline(int n, u16 outline[4]) {
    const int from_c = (n + 9) % 12, base = n < 3 ? -17 : 18 + 35 * ((n - 3) / 12);
    outline[0] = static_cast<u16>(base + UPPER[from_c][0]);
    outline[1] = static_cast<u16>(base + UPPER[from_c][1]);
    const bool white = LOWER[from_c][1] != 0;
    outline[2] = white ? static_cast<u16>(base + LOWER[from_c][0]) : 0;
    outline[3] = white ? static_cast<u16>(base + LOWER[from_c][1]) : 0;
    // The two end keys have no neighbour on their outer side.
    if (n == 0) outline[0] = 8;
    if (n == NOTES - 1) outline[1] = 301;
}

template <std::size_t N>
void build_retune(RetuneRow (&table)[256], const RunStart (&runs)[N], float clock, bool fifty) {
    table[0] = RetuneRow{0.0f, "rest", NOTE_REST};
    std::size_t r = 0;
    for (int p = 1; p < 256; p++) {
        while (r + 1 < N && runs[r + 1].row <= p)
            r++;
        const u8 note = runs[r].note;
        RetuneRow& row = table[p];
        row.frequency = note_table[note].frequency;
        row.note = note;
        const bool first = runs[r].row == p;
        std::snprintf(row.name, sizeof row.name, "%s", note_table[note].name);
        if (!first)
            for (char& c : row.name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    // The pitch code of a note: the divider of its run that sounds closest to it.
    for (int n = 0; n < NOTES; n++) {
        int best = 0;
        double best_error = 0.0;
        for (int p = 1; p < 256; p++) {
            if (table[p].note != n) continue;
            const double error = std::fabs(clock / (p + 1) - note_table[n].frequency);
            if (!best || error < best_error) {
                best = p;
                best_error = error;
            }
        }
        (fifty ? note_table[n].code_50 : note_table[n].code_60) = static_cast<u8>(best);
    }
}
} // namespace

namespace {
SoundLevel level(int amplitude) {
    const int step = amplitude >> 8;
    return SoundLevel{static_cast<std::int16_t>(amplitude), static_cast<u8>(128 + step),
                      static_cast<u8>(128 - step)};
}

void build_levels() {
    // Full scale (32767) at the top volume of each table.
    for (int v = 0; v < 8; v++)
        snd_levels_8[v] = level(4681 * v);
    for (int v = 0; v < 16; v++)
        snd_levels_16[v] = level(4369 * v / 2);
}
} // namespace

void snd_build_note_tables() {
    build_levels();
    for (int n = 0; n < NOTES; n++) {
        NoteInfo& note = note_table[n];
        note = NoteInfo{};
        const int semitone = n % 12;
        const int octave = (n + 9) / 12; // C starts each octave
        std::snprintf(note.name, sizeof note.name, "%s%d", SEMITONES[semitone], octave);
        note.frequency = static_cast<float>(440.0 * std::pow(2.0, (n - 48) / 12.0));
        note.sharp = SEMITONES[semitone][1] == '#';
        note.kind = note.sharp ? 9 : 8;
        // White notes step by 5 on the staff; G3 is 40 and F5 105. Below G3 and
        // above F5 each octave from G to F repeats 5-35 and 75-105.
        const int from_c = WHITE_STEP[semitone];              // 0 C .. 6 B
        const int step = (octave * 7 + from_c) - (3 * 7 + 4); // white steps above G3
        int staff = 40 + 5 * step;
        if (staff < 40) staff = 5 + 5 * (((from_c - 4) % 7 + 7) % 7);
        if (staff > 105) staff = 75 + 5 * (((from_c - 4) % 7 + 7) % 7);
        note.staff = static_cast<u8>(staff);
        key_outline(n, note.outline);
    }
    note_table[NOTE_REST] = NoteInfo{};
    std::snprintf(note_table[NOTE_REST].name, sizeof note_table[NOTE_REST].name, "rest");
    build_retune(retune_table_60, RUNS_60, 7884.5f, false);
    build_retune(retune_table_50, RUNS_50, 7812.5f, true);
}
