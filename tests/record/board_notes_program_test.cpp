// The notes a music recording writes, through the real program: the PVI tone
// of a board that also has tone units (Laser Battle) at the note its pitch
// register names, as on every other PVI machine, and a computer's beep as
// loud as it sounds.
#include "core/machine_table.h"
#include "tests/record/tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using BoardNotes = RecordingProgram;

// The keys of the Note On events of MIDI channel `channel`.
std::vector<int> note_on_keys(const std::vector<u8>& b, int channel) {
    std::vector<int> keys;
    for (std::size_t i = 14; i + 2 < b.size(); i++)
        if (b[i] == 0x90 + channel && b[i + 2] != 0) keys.push_back(b[i + 1]);
    return keys;
}

// The note sIDs (below 128) of an SMUS file's tracks: every other byte of a
// TRAK, the dynamics events (132) skipped with their data.
std::vector<int> smus_notes(const std::vector<u8>& b) {
    std::vector<int> notes;
    for (std::size_t at = 24; at + 8 <= b.size() && b[at] == 'T';) {
        const std::size_t end = at + 8 + (std::size_t(b[at + 4]) << 24 | b[at + 5] << 16 |
                                          b[at + 6] << 8 | b[at + 7]);
        for (std::size_t i = at + 8; i + 1 < end && i + 1 < b.size(); i += 2)
            if (b[i] < 128) notes.push_back(b[i]);
        at = end;
    }
    return notes;
}

// Laser Battle's first PVI at pitch $11 sounds A4: its MIDI notes and SMUS
// notes are key 69, as the pitch table gives, not a note of the tone units.
TEST_F(BoardNotes, APviToneOfALaserBattleIsWrittenAtItsPitch) {
    ASSERT_NO_FATAL_FAILURE(start_paused("MENU SETTINGS.MACHINE.LASERBATTLE"));
    request("DEBUGGER \"E 15C7 11\"");
    // Untouched controls, the default switches.
    ASSERT_NO_FATAL_FAILURE(save_take(50, {0, 0, 0xBF}));
    for (const char* item : {"MACRO.LOOP", "MACRO.GENERATE", "MACRO.SOUNDS.MIDI", "MACRO.SOUNDS.SMUS"})
        request(std::string("MENU ") + item);
    request("UNPAUSE");
    const fs::path midi = home.path() / "take.mid", smus = home.path() / "take.smus";
    ASSERT_NO_FATAL_FAILURE(generate({midi, smus}));

    const std::vector<int> keys = note_on_keys(read_bytes(midi), 0);
    ASSERT_FALSE(keys.empty()) << "the PVI's tone is in the MIDI file";
    for (int key : keys)
        EXPECT_EQ(key, 69);
    const std::vector<int> notes = smus_notes(read_bytes(smus));
    ASSERT_FALSE(notes.empty()) << "the PVI's tone is in the SMUS file";
    for (int note : notes)
        EXPECT_EQ(note, 69);
}

// The TWIN's terminal beep (BEL on its console port) while a recording plays:
// the MIDI and SMUS files have it at full velocity, not as a Note On of
// velocity 0 (which ends a note) and a silent dynamics mark.
TEST_F(BoardNotes, ATerminalBeepIsWrittenAsLoudAsItSounds) {
    ASSERT_NO_FATAL_FAILURE(start_paused("SETMACHINE TWIN"));
    // Untouched keys for longer than the test.
    ASSERT_NO_FATAL_FAILURE(save_take(20000, {0}));
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.MIDI", "MACRO.SOUNDS.SMUS"})
        request(std::string("MENU ") + item);
    request("UNPAUSE");
    std::string said;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    ASSERT_EQ(send("DEBUGGER \"WRITEPORT E8 07\"", &said), 0) << said;
    // The beep sounds for a quarter second of the guest's time, however busy the host.
    ASSERT_TRUE(guest_ran(frame_clocks(TWIN, 15))) << log();
    ASSERT_EQ(send("MENU MACRO.STOP", &said), 0) << said;
    request("QUIT");
    ASSERT_EQ(wait_exit(), 0) << log();

    const std::vector<u8> midi = read_bytes(home.path() / "take.mid");
    ASSERT_GT(midi.size(), 14u);
    bool note_on = false;
    for (std::size_t i = 14; i + 2 < midi.size(); i++)
        if (midi[i] == 0x91) { // the short beep's voice
            EXPECT_EQ(midi[i + 2], 127) << "the Note On's velocity";
            note_on = true;
        }
    EXPECT_TRUE(note_on) << "the beep is in the MIDI file";
    const std::vector<u8> smus = read_bytes(home.path() / "take.smus");
    EXPECT_FALSE(smus_notes(smus).empty()) << "the beep is in the SMUS file";
    for (std::size_t i = 24; i + 1 < smus.size(); i++)
        if (smus[i] == 132) {
            EXPECT_NE(smus[i + 1], 0) << "a dynamics mark that silences the beep";
        }
}

} // namespace
