// The files the program has in use, and the user's files beside them, in the
// running program driven through its port: no writer replaces a file another
// one holds (the tape in the deck, by any name), and a playback that
// generates asks nobody, refusing while one of its outputs is there.
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class FilesInUseProgram : public ProgramTest {
  protected:
    // The Elektor generating WAV and GIF, the WAV tape Games/song.wav in its
    // deck, and a recording (its state, then 100 idle frames) as `take`.
    void start_elektor(const std::string& take) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ask("SETMACHINE ELEKTOR"); // rc 5: its monitor image is missing
        fs::create_directories(games);
        tape = {'R', 'I', 'F', 'F', 236, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a', 200, 0, 0, 0};
        tape.resize(244, 0xD0);
        write_bytes(games / "song.wav", tape);
        ASSERT_EQ(ask("OPEN " + (games / "song.wav").string()), 0);
        ASSERT_EQ(ask("SAVEAS " + (games / "song.cos").string()), 0);
        ASSERT_TRUE(write_recording(games / "song.cos", games / take, 100, std::vector<u8>(6, 0)));
        for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.WAV", "MACRO.ANIMS.GIF"})
            ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;
    }
    const fs::path games = home.path() / "Games";
    std::vector<u8> tape;
};

} // namespace

// The tape in the deck is no writer's output by any name: a generating
// playback named after it, a state or a picture saved through a link to it,
// are refused with the reason. The state just loaded is saved over as before.
TEST_F(FilesInUseProgram, NoWriterReplacesTheTapeInTheDeck) {
    start_elektor("song.cor");
    ASSERT_FALSE(HasFatalFailure());
    fs::create_symlink("song.wav", games / "link.cos");
    fs::create_symlink("song.wav", games / "link.png");
    std::string said;
    EXPECT_EQ(ask("OPEN " + (games / "song.cor").string(), &said), 10);
    EXPECT_NE(said.find("song.wav is the tape in the deck"), std::string::npos) << said;
    EXPECT_EQ(ask("MENU MACRO.STOP"), 10) << "nothing plays: the item is ghosted";
    for (const char* line : {"SAVEAS ", "SAVEPNG "}) {
        const std::string name = line[4] == 'A' ? "link.cos" : "link.png";
        EXPECT_EQ(ask(line + (games / name).string(), &said), 10);
        EXPECT_NE(said.find("it is the tape in the deck"), std::string::npos) << said;
    }
    EXPECT_TRUE(read_bytes(games / "song.wav") == tape) << "the tape's file was replaced";
    ASSERT_EQ(ask("OPEN " + (games / "song.cos").string()), 0);
    EXPECT_EQ(ask("SAVEAS " + (games / "song.cos").string(), &said), 0) << said;
}

// On the port a generating playback over the user's files named after the
// recording is refused with rc 10 while any of them is there, naming every
// one at once.
TEST_F(FilesInUseProgram, AGeneratingPlaybackKeepsTheUsersFilesUnasked) {
    start_elektor("rec2.cor");
    ASSERT_FALSE(HasFatalFailure());
    const fs::path take = games / "rec2.cor", sound = games / "rec2.wav", picture = games / "rec2.gif";
    test_write_file(sound, "the user's sound");
    test_write_file(picture, "the user's picture");
    std::string said;
    for (const fs::path& kept : {sound, picture}) {
        EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
        const std::string named = kept == sound
                                      ? sound.string() + " and " + picture.string() + " exist"
                                      : picture.string() + " exists";
        EXPECT_NE(said.find(named + " and nobody can be asked to replace"), std::string::npos)
            << said;
        EXPECT_TRUE(test_read_file(picture) == "the user's picture");
        fs::remove(kept);
    }
    ASSERT_EQ(ask("OPEN " + take.string()), 0);
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);
    EXPECT_TRUE(test_read_file(picture).rfind("GIF89a", 0) == 0);
    EXPECT_TRUE(test_read_file(sound).rfind("RIFF", 0) == 0);
}

// The recording under way is no state's file by any name: SAVEAS at its
// name, through a linked folder, and a quick save whose name links to it are
// refused with the reason, and the recording goes on to be written whole.
TEST_F(FilesInUseProgram, NoStateIsSavedOverTheRecordingUnderWay) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    fs::create_directories(games);
    fs::create_directory_symlink(games, home.path() / "linked");
    ASSERT_EQ(ask("SAVEAS " + (games / "s.cos").string()), 0);
    ASSERT_TRUE(write_recording(games / "s.cos", games / "take.cor", 2000, std::vector<u8>(6, 0)));
    ASSERT_EQ(ask("OPEN " + (games / "take.cor").string()), 0);
    ASSERT_EQ(ask("MENU MACRO.STARTRECORDING"), 0);
    fs::create_symlink("take.cor", games / "QUICKSAV.COS");
    std::string said;
    for (const fs::path& name : {games / "take.cor", home.path() / "linked" / "take.cor"}) {
        EXPECT_EQ(ask("SAVEAS " + name.string(), &said), 10);
        EXPECT_NE(said.find("it is the recording under way"), std::string::npos) << said;
    }
    EXPECT_EQ(ask("MENU PROJECT.QUICKSAVE", &said), 10);
    EXPECT_NE(said.find("it is the recording under way"), std::string::npos) << said;
    EXPECT_EQ(ask("MENU MACRO.STOP", &said), 0) << "the recording was stopped: " << said;
    EXPECT_EQ(read_bytes(games / "take.cor").at(2), 1) << "the recording became a plain state";
}

// The state just loaded is held only while its file is there: once the user
// removed it, a new file that the system gives the same inode is not it, and
// a picture saved there is written.
TEST_F(FilesInUseProgram, AFileAfterTheLoadedStateWasRemovedIsNotHeld) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    fs::create_directories(games);
    const fs::path state = games / "gone.cos", picture = games / "new.png";
    ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
    ASSERT_EQ(ask("OPEN " + state.string()), 0);
    const auto inode = [](const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_ino : ino_t{0};
    };
    const ino_t held = inode(state);
    fs::remove(state);
    // The user's new files, until one gets the removed state's inode (the
    // first as a rule; another process may take it first).
    for (int i = 0; i < 64 && inode(picture) != held; i++) {
        if (fs::exists(picture)) fs::rename(picture, games / ("other" + std::to_string(i)));
        test_write_file(picture, "the user's file");
    }
    if (inode(picture) != held)
        GTEST_SKIP() << "this file system gave no new file the removed file's inode";
    std::string said;
    EXPECT_EQ(ask("SAVEPNG " + picture.string(), &said), 0) << said;
    EXPECT_TRUE(test_read_file(picture).rfind("\x89PNG", 0) == 0);
}
