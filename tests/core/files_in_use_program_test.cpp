// The files the program has in use, and the user's files beside them, in the
// running program driven through its port: no writer replaces a file
// another one holds (the tape in the deck, reached by any name), and a
// playback that generates its outputs asks nobody, refusing, when one of
// them is there already.
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class FilesInUseProgram : public ProgramTest {
  protected:
    int ask(const std::string& line, std::string* said = nullptr) {
        std::string result;
        const int rc = send(line, &result);
        if (said) *said = result;
        return rc;
    }
    // The Elektor on its port with the WAV tape <Games>/song.wav in the deck,
    // its state saved beside it as song.cos and a recording of it as
    // song.cor (the state, then 100 frames of untouched controls).
    void start_elektor_with_a_tape() {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ask("SETMACHINE ELEKTOR"); // rc 5: its monitor image is missing
        games = home.path() / "Games";
        fs::create_directories(games);
        std::vector<u8> tape = {'R', 'I', 'F', 'F', 36 + 200, 0, 0, 0, 'W', 'A', 'V', 'E',
                                'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                                0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0,
                                'd', 'a', 't', 'a', 200, 0, 0, 0};
        for (int i = 0; i < 200; i++)
            tape.push_back(i % 20 < 10 ? 0x30 : 0xD0);
        write_bytes(games / "song.wav", tape);
        ASSERT_EQ(ask("OPEN " + (games / "song.wav").string()), 0);
        ASSERT_EQ(ask("SAVEAS " + (games / "song.cos").string()), 0);
        std::vector<u8> take = read_bytes(games / "song.cos");
        ASSERT_GT(take.size(), 3u);
        take[2] = 1; // a recording follows the state
        take.resize(take.size() + 6 * 100);
        write_bytes(games / "song.cor", take);
        tape_bytes = tape;
    }
    fs::path games;
    std::vector<u8> tape_bytes;
};

} // namespace

// The tape in the deck is no writer's output, whatever name reaches it: a
// generating playback named after it, a state or a picture saved through a
// link to it, are refused with the reason; the state just loaded is saved
// over again as before.
TEST_F(FilesInUseProgram, NoWriterReplacesTheTapeInTheDeck) {
    start_elektor_with_a_tape();
    ASSERT_FALSE(HasFatalFailure());
    fs::create_symlink("song.wav", games / "link.cos");
    fs::create_symlink("song.wav", games / "link.png");
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.WAV", "MACRO.ANIMS.GIF"})
        ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;

    std::string said;
    EXPECT_EQ(ask("OPEN " + (games / "song.cor").string(), &said), 10);
    EXPECT_NE(said.find("song.wav is the tape in the deck"), std::string::npos) << said;
    EXPECT_EQ(ask("MENU MACRO.STOP", &said), 5) << "nothing plays: " << said;
    EXPECT_FALSE(fs::exists(games / "song.gif")) << "an output was written";

    EXPECT_EQ(ask("SAVEAS " + (games / "link.cos").string(), &said), 10);
    EXPECT_NE(said.find("it is the tape in the deck"), std::string::npos) << said;
    EXPECT_EQ(ask("SAVEPNG " + (games / "link.png").string(), &said), 10);
    EXPECT_NE(said.find("it is the tape in the deck"), std::string::npos) << said;
    EXPECT_TRUE(read_bytes(games / "song.wav") == tape_bytes) << "the tape's file was replaced";

    ASSERT_EQ(ask("OPEN " + (games / "song.cos").string()), 0);
    EXPECT_EQ(ask("SAVEAS " + (games / "song.cos").string(), &said), 0) << said;
}

// A playback that generates over the user's own files (the ones named after
// the recording) asks nobody from the port: it is refused with rc 10 while
// any of them is there, naming it, and keeps each one.
TEST_F(FilesInUseProgram, AGeneratingPlaybackKeepsTheUsersFilesUnasked) {
    start_elektor_with_a_tape();
    ASSERT_FALSE(HasFatalFailure());
    const fs::path take = games / "rec2.cor", sound = games / "rec2.wav", picture = games / "rec2.gif";
    fs::rename(games / "song.cor", take);
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.WAV", "MACRO.ANIMS.GIF"})
        ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;
    test_write_file(sound, "the user's sound");
    test_write_file(picture, "the user's picture");
    std::string said;
    EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
    EXPECT_NE(said.find(sound.string() + " exists"), std::string::npos) << said;
    fs::remove(sound);
    EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
    EXPECT_NE(said.find(picture.string() + " exists"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(sound)) << "the refused playback generated its sound";
    EXPECT_TRUE(test_read_file(picture) == "the user's picture");
    fs::remove(picture);
    ASSERT_EQ(ask("OPEN " + take.string()), 0);
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);
    EXPECT_TRUE(test_read_file(picture).rfind("GIF89a", 0) == 0);
    EXPECT_TRUE(test_read_file(sound).rfind("RIFF", 0) == 0);
}
