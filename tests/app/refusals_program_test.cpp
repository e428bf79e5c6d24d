// A refusal from the port names everything that stands in the way, why, and
// the port's own commands that end it, in one answer: two changed disks
// before a switch, a playback's outputs that are the user's files, a changed
// MDCR tape before a switch and a load; and a disk the program saved on a day
// whose autosave was not written is its file's disk again the next day, while
// a file someone else put there is still refused, with the way on.
#include "tests/record/tools.h"
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RefusalsProgram : public ProgramTest {
  protected:
    void restart() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up()) << log();
    }
    void quit() {
        std::string said;
        EXPECT_LE(send("QUIT", &said), 5) << said;
        EXPECT_EQ(wait_exit(), 0);
    }
    void fine(const std::string& line) {
        std::string said;
        EXPECT_LE(send(line, &said), 5) << line << ": " << said;
    }
    std::string at(const char* name) const { return (home.path() / name).string(); }
    // Two BINBUG disks, each with a file injected: both changed.
    void two_changed_disks() {
        test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
        for (const char* disk : {"a.raw", "b.raw"}) {
            test_write_file(home.path() / disk, test_blank_binbug_disk());
        }
        fine("SETMACHINE BINBUG");
        for (const char* d : {"0", "1"}) {
            fine(std::string("OPEN ") + at(d[0] == '0' ? "a.raw" : "b.raw"));
            fine(std::string("DEBUGGER \"DRIVE ") + d + "\"");
            fine("DEBUGGER \"INJECT note.txt\"");
        }
    }
    // The PHUNSY looping at $0900, t.mdcr on its deck, written on by the
    // guest: the tape runs forward with writing on until the guest has run
    // past its end.
    void changed_tape() {
        test_write_file(home.path() / "t.mdcr", std::string(1024, '\1'));
        test_write_file(home.path() / "u.mdcr", std::string(512, '\2'));
        fine("SETMACHINE PHUNSY");
        for (const char* line :
             {"DEBUGGER \"POKE 900 1B\"", "DEBUGGER \"POKE 901 7E\"", "DEBUGGER \"JUMP 900\""})
            fine(line);
        fine("OPEN " + at("t.mdcr"));
        fine("DEBUGGER \"WRITEPORT DATA $60\"");
        EXPECT_TRUE(guest_ran(1500000)) << log();
        fine("DEBUGGER \"WRITEPORT DATA 0\"");
    }
    // The user's own files where a playback of take.cor generates its music
    // and sound.
    void playback_over_users_files() {
        fine("DEBUGGER E 18FD 40");
        fine("DEBUGGER E 18FE 0F");
        fine("SAVEAS " + at("take.cos"));
        ASSERT_TRUE(write_recording(home.path() / "take.cos", home.path() / "take.cor", 50,
                                    std::vector<u8>(6, 0)));
        for (const char* item :
             {"MACRO.GENERATE", "MACRO.SOUNDS.MIDI", "MACRO.SOUNDS.SMUS", "MACRO.SOUNDS.WAV"})
            fine(std::string("MENU ") + item);
        for (const char* file : {"take.mid", "take.smus", "take.wav"})
            test_write_file(home.path() / file, "mine\n");
    }
    // A changed disk the autosave kept; the next day, the autosave switched
    // off, the disk saved to its file; then `befall` happens to the file, and
    // the next day starts with the autosave on again.
    void a_day_without_the_autosave(const std::function<void()>& befall) {
        test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
        test_write_file(home.path() / "a.raw", test_blank_binbug_disk());
        fine("SETMACHINE BINBUG");
        fine("OPEN " + at("a.raw"));
        fine("DEBUGGER \"DRIVE 0\"");
        fine("DEBUGGER \"INJECT note.txt\"");
        quit();
        ASSERT_NO_FATAL_FAILURE(restart());
        fine("MENU SETTINGS.EMULATOR.AUTOSAVE");
        std::string said;
        ASSERT_EQ(send("UPDATEDISK 0", &said), 0) << said;
        quit();
        befall();
        const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
        std::string lines = test_read_file(ini);
        ASSERT_NE(lines.find("autosave=false"), std::string::npos);
        lines.replace(lines.find("autosave=false"), 14, "autosave=true");
        test_write_file(ini, lines);
        ASSERT_NO_FATAL_FAILURE(restart());
    }
};

// The cases, in the order of the table below; each is a test of its own, from
// a fresh home, so that each stays well within a test's time on a busy host.
const char* const REFUSAL_CASES[] = {
    "two changed disks, a switch",
    "two changed disks, a state opened",
    "a playback over files the user made",
    "a changed MDCR tape, a switch",
    "the next day, the disk saved without the autosave",
    "the next day, the file replaced by someone else",
};

class RefusalCase : public RefusalsProgram, public ::testing::WithParamInterface<std::size_t> {};

std::string refusal_case_name(const ::testing::TestParamInfo<std::size_t>& info) {
    return row_name_of(REFUSAL_CASES[info.param], info.param);
}

} // namespace

TEST_P(RefusalCase, ARefusalNamesEverythingInTheWayWhyAndThePortsWayOn) {
    const std::string h = home.path().string();
    const std::string two_disks =
        "The disk in drive 0 (\"a.raw\") was changed since it was inserted or updated.\n"
        "UPDATEDISK 0 saves it first; EJECTDISK 0 drops its changes.\n"
        "The disk in drive 1 (\"b.raw\") was changed since it was inserted or updated.\n"
        "UPDATEDISK 1 saves it first; EJECTDISK 1 drops its changes.\n"
        "Answered \"Cancel\" without asking: a script command is running.\n";
    const std::string tape =
        "The MDCR tape (\"t.mdcr\") was changed since it was inserted or updated.\n"
        "UPDATEMDCR saves it first; EJECTMDCR drops its changes.\n"
        "Answered \"Cancel\" without asking: a script command is running.\n";
    const struct {
        std::function<void()> set_up;
        std::string line;
        int rc;
        std::string answer;
        std::function<void()> then; // checks after the answer (none: nothing)
    } rows[] = {
        {[&] { two_changed_disks(); }, "SETMACHINE PIPBUG", 10,
         two_disks + "SETMACHINE: the machine was kept as it was (the disks in drives 0 and 1 "
                     "were changed and not saved)\n",
         [&] {
             fine("UPDATEDISK 0");
             std::string said;
             EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 10);
             EXPECT_EQ(said,
                       "The disk in drive 1 (\"b.raw\") was changed since it was inserted or "
                       "updated.\nUPDATEDISK 1 saves it first; EJECTDISK 1 drops its changes.\n"
                       "Answered \"Cancel\" without asking: a script command is running.\n"
                       "SETMACHINE: the machine was kept as it was (the disk in drive 1 was "
                       "changed and not saved)\n");
         }},
        {[&] {
             fine("SAVEAS " + at("pip.cos"));
             two_changed_disks();
         },
         "OPEN " + h + "/pip.cos", 10,
         two_disks + "OPEN: there was a problem opening the file \"" + h +
             "/pip.cos\" (the disks in drives 0 and 1 were changed and not saved)\n",
         nullptr},
        {[&] { playback_over_users_files(); }, "OPEN " + h + "/take.cor", 10,
         "OPEN: there was a problem opening the file \"" + h + "/take.cor\" (" + h + "/take.mid, " +
             h + "/take.smus and " + h +
             "/take.wav exist and nobody can be asked to replace them: the playback of "
             "take.cor generates its files there, and those files are not ones it wrote. Move "
             "or rename them (or the recording) and play it again)\n",
         [&] {
             for (const char* file : {"take.mid", "take.smus", "take.wav"})
                 EXPECT_EQ(test_read_file(home.path() / file), "mine\n") << file;
         }},
        {[&] { changed_tape(); }, "SETMACHINE PIPBUG", 10,
         tape + "SETMACHINE: the machine was kept as it was (the MDCR tape was changed and not "
                "saved)\n",
         [&] {
             std::string said;
             EXPECT_EQ(send("OPEN " + at("u.mdcr"), &said), 10);
             EXPECT_EQ(said, tape + "OPEN: there was a problem opening the file \"" + h +
                                 "/u.mdcr\" (the MDCR tape was changed and not saved)\n");
             // The way on it names is there: saved, nothing stands in the way.
             EXPECT_EQ(send("UPDATEMDCR", &said), 0) << said;
             EXPECT_NE(test_read_file(home.path() / "t.mdcr"), std::string(1024, '\1'));
             EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 0) << said;
         }},
        {[&] { a_day_without_the_autosave([] {}); }, "UPDATEDISK 0", 0, "",
         [&] {
             std::string said;
             EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 0) << said; // nothing changed
         }},
        {[&] {
             a_day_without_the_autosave([&] {
                 test_write_file(home.path() / "new.raw", test_blank_binbug_disk());
                 fs::rename(home.path() / "new.raw", home.path() / "a.raw");
             });
         },
         "UPDATEDISK 0", 10,
         "Can't write the disk in drive 0 back: its file " + h +
             "/a.raw was replaced by another file since it went in.\nUPDATEDISK: the disk in "
             "drive 0 was not saved: UPDATEDISK 0 <file> saves it under another name; EJECTDISK "
             "0 drops its changes\n",
         [&] { EXPECT_EQ(test_read_file(home.path() / "a.raw"), test_blank_binbug_disk()); }},
    };
    ASSERT_EQ(std::size(rows), std::size(REFUSAL_CASES));
    const auto& row = rows[GetParam()];
    SCOPED_TRACE(REFUSAL_CASES[GetParam()]);
    ASSERT_NO_FATAL_FAILURE(restart());
    ASSERT_NO_FATAL_FAILURE(row.set_up());
    std::string said;
    EXPECT_EQ(send(row.line, &said), row.rc) << said;
    EXPECT_EQ(said, row.answer);
    if (row.then) row.then();
    send("QUIT", &said);
    EXPECT_EQ(wait_exit(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryCase, RefusalCase,
                         ::testing::Range(std::size_t{0}, std::size(REFUSAL_CASES)),
                         refusal_case_name);
