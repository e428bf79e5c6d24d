// Files opened in the running program through its port and its command line:
// sources are assembled into the guest, and the loader's answers for start
// addresses, state rows, disk images and empty tapes, and a state refused
// for what its file holds wherever it is opened.
#include "tests/core/loading_support.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

namespace {

namespace fs = std::filesystem;

class LoadsProgram : public ProgramTest {
  protected:
    // The program on the Arcadia, `files` opened one after the other. Check
    // with ASSERT_NO_FATAL_FAILURE.
    void start_opening(std::initializer_list<std::string> files) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        std::string result;
        ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
        for (const std::string& file : files)
            ASSERT_EQ(send("OPEN " + file, &result), 0) << file << ": " << result;
    }
    // The PEEK of `address` as the port answers it.
    std::string peek(int address) {
        std::string result;
        EXPECT_EQ(send("PEEK " + std::to_string(address), &result), 0);
        return result;
    }
    // Bytes `at` and `at + 1` of a saved state, as one big-endian value.
    int state_word(const std::string& path, size_t at) {
        const std::string state = test_read_file(path);
        if (state.size() < at + 2) return -1;
        return static_cast<unsigned char>(state[at]) << 8 | static_cast<unsigned char>(state[at + 1]);
    }
};

// A Type-right state, a COR file whose recording's four bytes follow the
// state, with the 8 characters `lcd` on the display (cursor bytes as found
// in a file that was once loaded though its display held NULs).
std::string typeright_state(const std::string& lcd) {
    std::string s("\xBF\x21\x01\x1E", 4); // version, COR, memory map 30
    s.append(4, '\0');                       // the paddles
    s.append("\x00\x00\x01\x01\x01\x03\x00\x00", 8); // target ... accuracy
    s.append(19, '\0');                      // timer, score, errors, text position,
    s.push_back(' ');                         // words a minute
    const char cursors[] = {0x20, 0x20, 0x31, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; i++) {
        s.push_back(lcd[i]);
        s.push_back(cursors[i]);
    }
    s.append("\x00\x00\x01\x00", 4); // indicators, game, word length
    return s + std::string("\x11\x22\x00\x80", 4);
}

const char* const good_source = "        ORG $0000\n"
                                "START:  LODI,R0 $42\n"
                                "        HALT\n"
                                "        END START\n";
const char* const bad_source = "        ORG $0000\n"
                               "        LODI,R0 $55\n"
                               "        LODA,R1 NOWHERE\n"
                               "        END\n";

// Folder entries and empty members ahead of the program are passed over; a
// program in a folder whose name holds a dot is found by its own name.
TEST_F(LoadsProgram, AZipLoadsItsFirstMemberThatHoldsSomething) {
    const std::string zip = (home.path() / "game.zip").string();
    loading_test::write_zip(zip, {{"folder.bin/", {}}, {"empty.bin", {}}, {"x.bin", {1, 2, 3}}});
    const std::string in_folder = (home.path() / "folder.zip").string();
    loading_test::write_zip(in_folder, {{"Games v1.2/", {}}, {"Games v1.2/read.me", {9}},
                                        {"Games v1.2/shoot.bin", {4, 5, 6}}});
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE ARCADIA", &result);
    EXPECT_EQ(send("OPEN " + zip, &result), 0) << result;
    EXPECT_EQ(peek(1), "2");
    EXPECT_EQ(send("OPEN " + in_folder, &result), 0) << result;
    EXPECT_EQ(peek(1), "5");
}

TEST_F(LoadsProgram, ASourceIsAssembledIntoTheGuestOrRefusedWithTheReason) {
    const std::string good = put("prog.asm", good_source);
    const std::string bad = put("bad.asm", bad_source);
    ASSERT_TRUE(start({good, "PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(peek(1), "66") << log(); // assembled from the command line
    EXPECT_NE(log().find("Assembling " + good), std::string::npos) << log();
    // With nothing opened before, the source is what runs: Revert assembles it again.
    ASSERT_EQ(send("DEBUGGER \"FILL $0000 $0003 0\"", &result), 0) << result;
    EXPECT_EQ(send("REVERT", &result), 0) << result;
    EXPECT_EQ(peek(1), "66");

    ASSERT_EQ(send("DEBUGGER \"FILL $0000 $0003 0\"", &result), 0) << result;
    EXPECT_EQ(peek(1), "0");
    EXPECT_EQ(send("OPEN " + good, &result), 0) << result;
    EXPECT_EQ(peek(1), "66");
    // A source with an error is refused, and the guest keeps the good program.
    EXPECT_EQ(send("OPEN " + bad, &result), 10);
    EXPECT_NE(result.find("assembly failed"), std::string::npos) << result;
    // The reason comes first: the first error and where the listing is.
    EXPECT_EQ(result.rfind("bad.asm did not assemble (1 error(s)).\nError at line 3: ", 0), 0u)
        << result;
    EXPECT_NE(result.find("\nThe listing has every error: " + (home.path() / "bad.lst").string() +
                          "\n"),
              std::string::npos)
        << result;
    EXPECT_EQ(peek(1), "66");
    EXPECT_EQ(peek(2), "64"); // HALT, not the bad source's LODA
    EXPECT_EQ(log().find("Can't open .asm"), std::string::npos) << log();
    // A relative name is the program home's.
    put("rel.asm", "        ORG $0000\n        LODI,R0 $17\n        END\n");
    EXPECT_EQ(send("OPEN rel.asm", &result), 0) << result;
    EXPECT_EQ(peek(1), "23");
    EXPECT_EQ(send("QUIT", &result), 0);
}

// An opened source runs even when its files are not all written: a file the
// assembler did not write at the object's name is kept, a listing that cannot
// be written is named (rc 5). ASM itself fails on both (rc 10).
TEST_F(LoadsProgram, ASourceRunsWhenItsFilesAreNotAllWritten) {
    const std::string source = put("prog.asm", good_source);
    const fs::path dir = home.path();
    test_write_file(dir / "prog.lst", "the user's own notes");
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send("OPEN " + source, &result), 5) << result;
    EXPECT_NE(result.find("Kept " + (dir / "prog.lst").string() + ": the listing of prog.asm"),
              std::string::npos) << result;
    EXPECT_EQ(peek(1), "66");
    EXPECT_EQ(send("DEBUGGER \"ASM " + source + "\"", &result), 10) << result;
    EXPECT_EQ(test_read_file(dir / "prog.lst"), "the user's own notes");

    fs::remove(dir / "prog.lst");
    fs::create_directory(dir / "prog.lst");
    ASSERT_EQ(send("DEBUGGER \"FILL $0000 $0003 0\"", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + source, &result), 5) << result;
    EXPECT_NE(result.find("Can't write " + (dir / "prog.lst").string()), std::string::npos)
        << result;
    EXPECT_EQ(peek(1), "66");
    EXPECT_EQ(send("DEBUGGER \"ASM " + source + "\"", &result), 10) << result;
}

TEST_F(LoadsProgram, LoadsTakeTheirStartRowsAndWarnings) {
    // An Elektor program starting at $0900, then a plain image on the Arcadia.
    const std::string tvc = put("p.tvc", std::string("\x02\x09\x00\x09\x00", 5) + std::string(16, '\xC0'));
    const std::string bin = put("g.bin", std::string("\x3F\x00\x00", 3) + std::string(100, '\xC0'));
    const std::string raw = put("d.raw", std::string(1000, '\0'));
    const std::string eof = put("e.eof", "");
    const std::string state = (home.path() / "s.cos").string();
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_NE(send("OPEN " + tvc, &result), 10) << result;
    EXPECT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + bin, &result), 0) << result;
    ASSERT_EQ(send("SAVEAS " + state, &result), 0) << result;
    EXPECT_EQ(state_word(state, 40), 0x0000); // the image's start, not the program's before it

    // A games-database row past the table is no known game: the state loads.
    std::string bytes = test_read_file(state);
    ASSERT_GT(bytes.size(), 38u);
    bytes[36] = '\x04';
    bytes[37] = '\x00';
    const std::string row = put("row.cos", bytes);
    EXPECT_EQ(send("SETMACHINE INTERTON", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + row, &result), 0) << result;
    EXPECT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "ARCADIA");
    ASSERT_EQ(send("SAVEAS " + state, &result), 0) << result;
    EXPECT_EQ(state_word(state, 36), 0xFFFF);

    // A disk image on a machine without disks is not for this guest.
    EXPECT_EQ(send("OPEN " + raw, &result), 10);
    EXPECT_NE(result.find("This file format is not supported for this guest!"), std::string::npos)
        << result;
    // An empty Elektor tape file reaches its reader, which says why.
    EXPECT_EQ(send("OPEN " + eof, &result), 10);
    EXPECT_NE(log().find("Failed to load EOF file!"), std::string::npos) << log();
    EXPECT_NE(result.find("Corrupt EOF file!"), std::string::npos) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
}

TEST_F(LoadsProgram, AStateIsCheckedForWhatItsFileHolds) {
    const std::string good = put("good.cor", typeright_state("  TYPE  "));
    const std::string bad = put("bad.cor", typeright_state(std::string("\0\0\0     ", 8)));
    ASSERT_EQ(test_read_file(bad).size(), 60u);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    // Right after the start, on the Type-right, and after another machine ran.
    for (const char* before : {"GETMACHINE", "SETMACHINE TYPERIGHT", "SETMACHINE ARCADIA"}) {
        EXPECT_EQ(send(before, &result), 0) << result;
        EXPECT_EQ(send("OPEN " + bad, &result), 10) << before;
        EXPECT_NE(result.find("Corrupt COS/COR file!"), std::string::npos) << result;
    }
    // The same state with printable characters loads.
    EXPECT_EQ(send("OPEN " + good, &result), 0) << result;
    EXPECT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "TYPERIGHT");
    EXPECT_EQ(send("DEBUGGER VIEW SCRN", &result), 0);
    EXPECT_EQ(result.substr(1, 8), "  TYPE  ") << result;
    EXPECT_EQ(send("OPEN " + bad, &result), 10);
    EXPECT_EQ(send("QUIT", &result), 0);
}

// A program saved with SAVETVC and opened again on the Elektor runs from its
// start address: the reset lays the branch to it at $08BD and starts there.
TEST_F(LoadsProgram, ASavedElektorProgramRunsFromItsStart) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_LT(send("SETMACHINE ELEKTOR", &result), 10) << result; // its ROMs are not here
    ASSERT_EQ(send("PAUSE", &result), 0) << result;
    // BCTR,UN to itself at $0900.
    ASSERT_EQ(send("DEBUGGER \"E $900 $1B\"", &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"E $901 $7E\"", &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"SAVETVC $900 $901 q $900\"", &result), 0) << result;
    const std::string q = (home.path() / "Projects" / "q.tvc").string();
    EXPECT_EQ(test_read_file(q), std::string("\x02\x09\x00\x09\x00\x1B\x7E", 7));
    for (const char* from : {"ELEKTOR", "ARCADIA"}) {
        SCOPED_TRACE(from);
        ASSERT_LT(send(std::string("SETMACHINE ") + from, &result), 10) << result;
        ASSERT_EQ(send("OPEN " + q, &result), 0) << result;
        EXPECT_EQ(peek(0x08B9), "9");
        EXPECT_EQ(peek(0x08BA), "3");
        EXPECT_EQ(peek(0x08BD), "31");
        EXPECT_EQ(peek(0x08BE), "9");
        EXPECT_EQ(peek(0x08BF), "0");
        ASSERT_EQ(send("DEBUGGER \"V CPU\"", &result), 0) << result;
        EXPECT_NE(result.find("IAR: $08BD"), std::string::npos) << result;
    }
    EXPECT_EQ(send("QUIT", &result), 0);
}

// A source that runs names what runs: DISGAME, naming its file after it,
// does not write over the source, which it did not write.
TEST_F(LoadsProgram, DisgameAfterASourceLeavesTheSource) {
    const std::string source = put("Projects/prog.asm", good_source);
    ASSERT_NO_FATAL_FAILURE(start_opening({source}));
    std::string result;
    EXPECT_EQ(send("DEBUGGER DISGAME", &result), 10);
    EXPECT_EQ(result.rfind("Kept " + source + ": DISGAME writes its file there", 0), 0u)
        << result.substr(0, 200);
    EXPECT_EQ(test_read_file(source), good_source);
    EXPECT_EQ(send("QUIT", &result), 0);
}

// A quick load or Revert from the port that did not happen answers 10 with
// the file and the reason, as OPEN of that file does; one that loads, 0.
TEST_F(LoadsProgram, AQuickLoadOrRevertThatFailsAnswersTen) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    // Nothing was loaded at the start (the autosave tried is not there), and
    // the quick save does not become what Revert loads: nothing to revert to.
    EXPECT_EQ(send("MENU PROJECT.QUICKSAVE", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 10);
    EXPECT_EQ(result, "MENU PROJECT.REVERT: nothing to revert to\n");
    EXPECT_EQ(send("REVERT", &result), 10);
    EXPECT_EQ(result, "REVERT: nothing to revert to\n");
    // The quick save is named by the path it has on the host.
    const std::string quick = (home.path() / "Games" / "QUICKSAV.COS").lexically_normal().string();
    std::filesystem::remove(quick);
    EXPECT_EQ(send("MENU PROJECT.QUICKLOAD", &result), 10);
    EXPECT_EQ(result, "MENU: there was a problem opening the file \"" + quick + "\" (not found)\n");
    EXPECT_EQ(send("MENU PROJECT.QUICKSAVE", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.QUICKLOAD", &result), 0) << result;
    put("Games/QUICKSAV.COS", std::string("\xBF\x21\x07\x1E", 4) + std::string(60, '\0'));
    EXPECT_EQ(send("MENU PROJECT.QUICKLOAD", &result), 10);
    EXPECT_EQ(result,
              "Corrupt COS/COR file!\nMENU: there was a problem opening the file \"" + quick + "\"\n");
    // A state loaded and then deleted.
    const std::string state = (home.path() / "s.cos").string();
    EXPECT_EQ(send("SAVEAS " + state, &result), 0) << result;
    EXPECT_EQ(send("OPEN " + state, &result), 0) << result;
    std::filesystem::remove(state);
    EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 10);
    EXPECT_EQ(result,
              "MENU: there was a problem opening the file \"" + state + "\" (not found)\n");
    EXPECT_EQ(send("QUIT", &result), 0);
}

// A load that did not happen leaves Revert on what runs, whichever way it was
// asked for and whatever refused it; a machine set up afresh has nothing to
// revert to.
TEST_F(LoadsProgram, RevertLoadsWhatRunsAfterALoadThatFailed) {
    const std::string runs = put("a1.bin", std::string("\x04\x12\xCC\x18\x00\x1B\x7E", 7));
    const std::string gone = put("a3.bin", std::string("\x04\x13\xCC\x18\x00\x1B\x7E", 7));
    const std::string bad =
        put("bad.cos", std::string("\xBF\x21\x07\x1E", 4) + std::string(60, '\0'));
    ASSERT_NO_FATAL_FAILURE(start_opening({gone, runs}));
    std::string result;
    std::filesystem::remove(gone);
    const struct {
        std::string line, file;
    } failing[] = {{"MENU PROJECT.RECENT2", gone},
                   {"OPEN " + gone, gone},
                   {"OPEN " + bad, bad},
                   {"MENU PROJECT.QUICKLOAD",
                    (home.path() / "Games" / "QUICKSAV.COS").lexically_normal().string()}};
    for (const auto& load : failing) {
        EXPECT_EQ(send(load.line, &result), 10) << load.line;
        EXPECT_NE(result.find(": there was a problem opening the file \"" + load.file + "\""),
                  std::string::npos)
            << result;
        ASSERT_EQ(send("DEBUGGER \"E 1 0\"", &result), 0) << result;
        EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 0) << load.line << ": " << result;
        EXPECT_EQ(peek(1), "18") << load.line;
    }
    // Nor does a state save that wrote nothing.
    EXPECT_EQ(send("SAVEAS " + (home.path() / "none" / "x.cos").string(), &result), 10);
    ASSERT_EQ(send("DEBUGGER \"E 1 0\"", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 0) << "after SAVEAS: " << result;
    EXPECT_EQ(peek(1), "18") << "after SAVEAS";
    ASSERT_EQ(send("SETMACHINE INTERTON", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 10);
    EXPECT_EQ(result, "MENU PROJECT.REVERT: nothing to revert to\n");
    EXPECT_EQ(send("REVERT", &result), 10);
    EXPECT_EQ(result, "REVERT: nothing to revert to\n");
    EXPECT_EQ(send("QUIT", &result), 0);
}

// Revert loads again what runs, the state or game the title names: a disk, a
// papertape or a symbol file opened since went beside it, and Revert neither
// loads it again nor leaves what runs as it is. A machine whose own state
// file is not there has nothing to revert to, as the consoles have not.
TEST_F(LoadsProgram, RevertLoadsWhatRunsNotAFileTakenBesideIt) {
    const std::string disk = put("blank.raw", std::string(80640, '\0'));
    const std::string tape = put("k.pap", "HELLO");
    const std::string labels = put("a1.sym", "code 0x0 START\n");
    const std::string game = put("a1.bin", std::string("\x04\x12\xCC\x18\x00\x1B\x7E", 7));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    send("SETMACHINE CD2650", &result); // its missing ROMs: 5
    ASSERT_EQ(send("SAVEAS " + (home.path() / "Games" / "cd1.cos").string(), &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"E 1811 44\"", &result), 0) << result;
    for (int again = 0; again < 2; again++) {
        ASSERT_EQ(send("OPEN " + disk, &result), 0) << result;
        EXPECT_EQ(send("REVERT", &result), 0) << result;
        EXPECT_EQ(peek(0x1811), "0");
        for (const char* drive : {"0", "1"}) {
            ASSERT_EQ(send(std::string("DEBUGGER \"DRIVE ") + drive + "\"", &result), 0);
            EXPECT_EQ(send("DEBUGGER DIR", &result), 10) << "drive " << drive;
        }
        ASSERT_EQ(send("DEBUGGER \"E 1811 44\"", &result), 0) << result;
    }

    ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    ASSERT_EQ(send("OPEN " + game, &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"E 1 0\"", &result), 0) << result;
    ASSERT_EQ(send("OPEN " + labels, &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 0) << result;
    EXPECT_EQ(peek(1), "18");

    send("SETMACHINE PIPBUG", &result);
    ASSERT_EQ(send("SAVEAS " + (home.path() / "p.cos").string(), &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"E 440 44\"", &result), 0) << result;
    ASSERT_EQ(send("OPEN " + tape, &result), 0) << result;
    EXPECT_EQ(send("REVERT", &result), 0) << result;
    EXPECT_EQ(peek(0x440), "0");

    for (const char* own : {"ZACCARIA", "PONG"}) {
        send(std::string("SETMACHINE ") + own, &result);
        EXPECT_EQ(send("MENU PROJECT.REVERT", &result), 10) << own;
        EXPECT_EQ(result, "MENU PROJECT.REVERT: nothing to revert to\n") << own;
        EXPECT_EQ(send("REVERT", &result), 10) << own;
        EXPECT_EQ(result, "REVERT: nothing to revert to\n") << own;
    }
    EXPECT_EQ(send("QUIT", &result), 0);
}

// A recent file loads only between frames, as Open does.
TEST_F(LoadsProgram, ARecentFileWaitsForTheFrameToEnd) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_NO_FATAL_FAILURE(stop_mid_frame());
    std::string result;
    EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 10);
    EXPECT_EQ(result, "MENU PROJECT.RECENT1: command is unavailable during the frame\n");
    EXPECT_EQ(peek(1), "0");
    EXPECT_EQ(send("QUIT", &result), 5) << "no autosave in the middle of a frame";
}

} // namespace

namespace {

// Two files whose names differ only in letter case are two entries of the
// recent files, each loading its own file.
TEST_F(LoadsProgram, RecentFilesTellNamesInOtherLetterCaseApart) {
    const std::string upper = put("Game.bin", std::string("\x04\x11\xCC\x18\x00\x1B\x7E", 7));
    const std::string lower = put("game.bin", std::string("\x04\x22\xCC\x18\x00\x1B\x7E", 7));
    ASSERT_NO_FATAL_FAILURE(start_opening({upper, lower}));
    std::string result;
    EXPECT_EQ(peek(1), "34");
    EXPECT_EQ(send("MENU PROJECT.RECENT2", &result), 0) << result;
    EXPECT_EQ(peek(1), "17");
    EXPECT_EQ(send("QUIT", &result), 0);
}

} // namespace
