// The MIDI file a playback generates in the program itself, driven over its
// scripting port: only notes that sound are written.
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace fs = std::filesystem;

namespace {

class MusicProgram : public ProgramTest {};

struct MidiNote {
    int status, channel, velocity;
};

// The note events of every track of a Standard MIDI File (every status byte
// written in full, as the program writes them), and the number of tracks.
std::vector<MidiNote> midi_notes(const std::vector<u8>& b, int* tracks) {
    std::vector<MidiNote> notes;
    *tracks = 0;
    for (std::size_t at = 14; at + 8 <= b.size() && b[at] == 'M' && b[at + 3] == 'k'; ++*tracks) {
        const std::size_t end =
            at + 8 + (std::size_t(b[at + 4]) << 24 | b[at + 5] << 16 | b[at + 6] << 8 | b[at + 7]);
        if (end > b.size()) break;
        for (at += 8; at < end;) {
            while (at < end && (b[at] & 0x80))
                at++; // a delta's leading bytes, then its last
            if (++at + 3 > end || b[at] == 0xFF) break; // the end of the track
            notes.push_back({b[at] & 0xF0, b[at] & 0x0F, b[at + 2]});
            at += 3;
        }
        at = end;
    }
    return notes;
}

} // namespace

// On the expanded Elektor the first sound chip's tone A has a pitch from the
// start but no volume; only tone B is turned up. A playback generating MIDI
// writes tone B's notes, and no track, Note On or Note Off for the silent tone.
TEST_F(MusicProgram, ASilentChannelGetsNoNotes) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string said;
    ASSERT_EQ(send("SETMACHINE ELEKTOR", &said), 5) << said; // its monitor image is missing
    ASSERT_EQ(send("DEBUGGER E 1D02 40", &said), 0) << said; // tone B's pitch
    ASSERT_EQ(send("DEBUGGER E 1D09 0F", &said), 0) << said; // tone B loudest
    const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
    ASSERT_EQ(send("SAVEAS " + state.string(), &said), 0) << said;
    std::vector<u8> recording = read_bytes(state);
    ASSERT_GT(recording.size(), 3u);
    recording[2] = 1;                    // a recording follows the state
    recording.resize(recording.size() + 6 * 50); // 50 frames of untouched controls
    write_bytes(take, recording);
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.MIDI"})
        ASSERT_EQ(send(std::string("MENU ") + item, &said), 0) << item;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_EQ(send("MENU MACRO.STOP", &said), 0) << said;

    int tracks = 0;
    const std::vector<MidiNote> notes = midi_notes(read_bytes(home.path() / "take.mid"), &tracks);
    EXPECT_EQ(tracks, 1) << "only tone B sounded";
    ASSERT_FALSE(notes.empty());
    for (const MidiNote& n : notes) {
        EXPECT_EQ(n.channel, 4) << "a note of another voice than tone B's";
        EXPECT_TRUE(n.status == 0x80 || n.status == 0x90) << n.status;
        if (n.status == 0x90) {
            EXPECT_GT(n.velocity, 0) << "a Note On that sounds nothing";
        }
    }
}
