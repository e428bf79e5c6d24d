// A disk that comes back from a state holding what its file lacks is a
// changed disk, named as it was before: on every machine with drives, a disk
// changed and not saved goes into a state; brought back by the autosave of a
// new start, a Quickload, OPEN of the state or the start of a recording, it
// still belongs to its file, keeps a switch to another machine away (nobody
// to ask under the port) and is named by QUIT, while its file stays as the
// user left it.
#include "tests/record/tools.h"
#include "tests/support/checkout_paths.h"
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"
#include "core/machine_table.h"
#include "peripherals/floppy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The machines with drives, as the machine table gives them, and the drive
// the test's disk goes into (on the TWIN drive 1, beside its system disk).
struct DiskMachine {
    std::string name;
    DiskLayout layout;
    int drive;
    std::string suffix;
};

std::vector<DiskMachine> disk_machines() {
    std::vector<DiskMachine> found;
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineTraits& t = machine_table[m].traits;
        if (t.disk_images == DiskImages::NONE) continue;
        const bool twin = t.disk_images == DiskImages::TWIN;
        found.push_back(
            {machine_table[m].keyword, t.disk_layout, twin ? 1 : 0, twin ? ".img" : ".raw"});
    }
    return found;
}

// The ways a state comes back: `bring` is sent after a start of the program
// (none: the autosave of that start).
struct Return {
    const char* name;
    std::string bring;
};

class MediaStates : public ProgramTest {
  protected:
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
        return result;
    }
    void restart(std::vector<std::string> args = {}) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        args.insert(args.end(), {"PORTNAME", "E2E"});
        ASSERT_TRUE(start(args));
        ASSERT_TRUE(port_up()) << log();
    }
    void quit(std::string* said, int rc = 5) {
        EXPECT_EQ(send("QUIT", said), rc) << *said;
        EXPECT_EQ(wait_exit(), 0);
    }
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What QUIT says when the autosave keeps the changed disks `named`.
std::string kept(const std::string& named) {
    return "Changed disks not saved: " + named + "; the autosave keeps them for the next start.\n";
}

// Each machine with drives is a test of its own (or a few), from a fresh home,
// so that each stays well within a test's time on a busy host. The rows are
// exactly the machines with drives: one more (or fewer) needs the count below
// changed.
class MediaStatesOnADiskMachine : public MediaStates,
                                  public ::testing::WithParamInterface<std::size_t> {
  public:
    static constexpr std::size_t DISK_MACHINES = 3; // BINBUG, CD2650, TWIN

  protected:
    void SetUp() override {
        MediaStates::SetUp();
        ASSERT_EQ(disk_machines().size(), DISK_MACHINES);
    }
    // The test's machine, its parameter counting `tests` to a machine.
    static DiskMachine machine(std::size_t tests = 1) {
        return disk_machines()[GetParam() / tests];
    }
};

// The machine's keyword, as a test's name takes it, then `part` of the
// machine's tests ("" when a machine has one).
std::string disk_machine_part_name(std::size_t machine, std::size_t row, const std::string& part) {
    const std::vector<DiskMachine> machines = disk_machines();
    return row_name_of(machine < machines.size() ? machines[machine].name : "", row) + part;
}

std::string disk_machine_test_name(const ::testing::TestParamInfo<std::size_t>& info) {
    return disk_machine_part_name(info.param, info.param, "");
}

} // namespace

TEST_P(MediaStatesOnADiskMachine, AChangedDiskComesBackFromEveryStateChangedAndNamed) {
    const DiskMachine row = machine();
    const fs::path games = home.path() / "Games";
    const fs::path autosave = games / "AUTOSAVE.COS", state = home.path() / "s.cos",
                   take = home.path() / "take.cor";
    const Return returns[] = {{"the autosave", ""},
                              {"Quickload", "MENU PROJECT.QUICKLOAD"},
                              {"OPEN of the state", "OPEN " + state.string()},
                              {"a recording's start", "OPEN " + take.string()}};
    test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
    const fs::path disk = home.path() / ("work" + row.suffix);
    test_write_file(disk, row.layout == DiskLayout::BINBUG
                              ? test_blank_binbug_disk()
                              : std::string(disk_geometry(row.layout).image_bytes, '\0'));
    const std::string blank = test_read_file(disk);
    const std::string named =
        "drive " + std::to_string(row.drive) + " (\"" + disk.filename().string() + "\")";
    fs::remove(autosave);
    restart();
    fine("SETMACHINE " + row.name);
    fine("OPEN " + disk.string());
    fine("DEBUGGER \"DRIVE " + std::to_string(row.drive) + "\"");
    fine("DEBUGGER \"INJECT note.txt\"");
    fine("SAVEAS " + state.string());
    fine("MENU PROJECT.QUICKSAVE");
    ASSERT_TRUE(write_recording(state, take, 3000, std::vector<u8>(8, 0)));
    std::string said;
    quit(&said);
    EXPECT_EQ(said, kept(named));

    for (const Return& way : returns) {
        SCOPED_TRACE(way.name);
        if (!way.bring.empty()) fs::remove(autosave);
        restart();
        if (!way.bring.empty()) fine(way.bring);
        EXPECT_EQ(fine("GETMACHINE"), row.name);
        fine("DEBUGGER \"DRIVE " + std::to_string(row.drive) + "\"");
        EXPECT_NE(fine("DEBUGGER DIR").find("NOTE"), std::string::npos);
        // Still the file's disk: that file goes into no other drive.
        EXPECT_EQ(send("OPEN " + disk.string(), &said), 5) << said;
        EXPECT_NE(said.find(" is already in drive " + std::to_string(row.drive)), std::string::npos)
            << said;
        // Changed: a switch to another machine is refused, naming it.
        EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 10) << said;
        EXPECT_NE(said.find("The disk in drive " + std::to_string(row.drive) + " (\"" +
                            disk.filename().string() + "\") was changed"),
                  std::string::npos)
            << said;
        EXPECT_EQ(fine("GETMACHINE"), row.name);
        quit(&said);
        EXPECT_EQ(said.rfind("Changed disks not saved: " + named, 0), 0u) << said;
        EXPECT_TRUE(test_read_file(disk) == blank) << "the file was written";
    }
}

// A state written before states kept what a disk knows of its file still
// loads on every machine with drives, its disk in place; that disk belongs to
// no file the program knows, so it comes back as a changed new disk, which
// only the state holds: a switch asks about it.
TEST_F(MediaStates, AnEarlierStateBringsItsDisksBackAsChangedNewDisks) {
    const fs::path old = fs::path(test_data()) / "old_states";
    const struct {
        const char* file;
        const char* machine;
        int drive; // where the disk was, with $5A at $400
    } states[] = {{"binbug_disk_v44.cos", "BINBUG", 0},
                  {"cd2650_disk_v44.cos", "CD2650", 0},
                  {"twin_disk_v40.cos", "TWIN", 1}};
    ASSERT_EQ(std::size(states), disk_machines().size());
    for (const auto& state : states) {
        SCOPED_TRACE(state.file);
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
        restart();
        fine("OPEN " + (old / state.file).string());
        EXPECT_EQ(fine("GETMACHINE"), state.machine);
        const std::string drive = std::to_string(state.drive);
        fine("DEBUGGER \"DRIVE " + drive + "\"");
        EXPECT_EQ(fine("DEBUGGER \"FPEEK 400\"").substr(0, 10), "$00400: 5A");
        std::string said;
        EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 10) << said;
        EXPECT_NE(said.find(" (a new disk) was changed"), std::string::npos) << said;
        quit(&said);
        EXPECT_NE(said.find("drive " + drive + " (a new disk)"), std::string::npos) << said;
    }
}

// An unchanged disk in a state comes back unchanged while its file still
// holds it, and changed once its file lost it: for each thing that can befall
// the file between the state and its return, what a switch to another machine
// then does (asks, refused under the port, or goes ahead).
TEST_F(MediaStates, AnUnchangedDiskComesBackChangedOnlyWhenItsFileLostIt) {
    const fs::path disk = home.path() / "work.raw";
    const std::string blank = test_blank_binbug_disk();
    std::string other = blank;
    other[0x400] = 0x5A;
    const struct {
        const char* befalls;
        std::function<void()> befall;
        bool changed;
    } fates[] = {
        {"nothing", [] {}, false},
        {"written again as it was", [&] { test_write_file(disk, blank); }, false},
        {"written with other bytes", [&] { test_write_file(disk, other); }, true},
        {"replaced by another file",
         [&] {
             test_write_file(home.path() / "new.raw", other);
             fs::rename(home.path() / "new.raw", disk);
         },
         true},
        {"removed", [&] { fs::remove(disk); }, true},
    };
    for (const auto& fate : fates) {
        SCOPED_TRACE(fate.befalls);
        test_write_file(disk, blank);
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
        restart();
        fine("SETMACHINE BINBUG");
        fine("OPEN " + disk.string());
        std::string said;
        EXPECT_EQ(send("QUIT", &said), 0) << said;
        EXPECT_EQ(wait_exit(), 0);
        fate.befall();
        restart();
        EXPECT_EQ(fine("GETMACHINE"), "BINBUG");
        EXPECT_EQ(send("SETMACHINE PIPBUG", &said) == 10, fate.changed) << said;
        EXPECT_EQ(said.find("The disk in drive 0 (\"work.raw\") was changed") != std::string::npos,
                  fate.changed)
            << said;
        send("QUIT", &said);
        EXPECT_EQ(wait_exit(), 0);
    }
}

// A disk a state of the previous version brings, not knowing its file, is
// changed only when it holds more than a new disk: on every machine with
// drives, a new disk (the TWIN's system disk as its set-up makes it, a blank
// one never written) comes back unchanged, opened or as the autosave, and so
// does the autosave of that start; a byte written on it keeps it changed.
TEST_F(MediaStates, AnEarlierStateBringsADiskChangedOnlyWhenItHoldsMoreThanANewOne) {
    const fs::path old = fs::path(test_data()) / "old_states";
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    // The TWIN state's system image: the start puts a blank one in the
    // drawer, so it goes in once the program runs (that state is only opened).
    std::string system(75136, '\0');
    system.replace(3, 9, "SDOS TWO\r");
    const struct {
        const char* file;
        const char* machine;
        int drive;
        bool changed;
        const char* image; // the system image it needs ("" none)
    } states[] = {{"binbug_blank_disk_v44.cos", "BINBUG", 0, false, ""},
                  {"cd2650_blank_disk_v44.cos", "CD2650", 0, false, ""},
                  {"twin_new_disk_v40.cos", "TWIN", 0, false, "twin_sdos20.bin"},
                  {"binbug_disk_v44.cos", "BINBUG", 0, true, ""},
                  {"cd2650_disk_v44.cos", "CD2650", 0, true, ""},
                  {"twin_disk_v40.cos", "TWIN", 1, true, ""}};
    ASSERT_EQ(std::size(states), 2 * disk_machines().size());
    for (const auto& state : states)
        for (const bool from_autosave : {false, true}) {
            if (from_autosave && state.image[0]) continue;
            SCOPED_TRACE(std::string(state.file) +
                         (from_autosave ? " as the autosave" : " opened"));
            const int rc = state.changed ? 5 : 0;
            fs::remove(autosave);
            if (from_autosave) fs::copy_file(old / state.file, autosave);
            restart();
            if (state.image[0]) test_write_file(home.path() / "roms" / state.image, system);
            if (!from_autosave) fine("OPEN " + (old / state.file).string());
            EXPECT_EQ(fine("GETMACHINE"), state.machine);
            std::string said;
            quit(&said, rc);
            EXPECT_EQ(has(said, "drive " + std::to_string(state.drive) + " (a new disk)"),
                      state.changed)
                << said;
            restart(); // the autosave of this version
            EXPECT_EQ(fine("GETMACHINE"), state.machine);
            EXPECT_EQ(send("SETMACHINE PIPBUG", &said) == 10, state.changed) << said;
            EXPECT_EQ(has(said, " (a new disk) was changed"), state.changed) << said;
            quit(&said, rc);
        }
}

// A state of a later version (its machine's version or memory map unknown
// here) is refused by name, not as corrupt, and what runs stays as it was.
TEST_F(MediaStates, AStateOfANewerVersionIsRefusedByName) {
    const fs::path state = home.path() / "s.cos", newer = home.path() / "newer.cos";
    std::string said;
    restart();
    for (const DiskMachine& row : disk_machines()) {
        SCOPED_TRACE(row.name);
        fine("SETMACHINE " + row.name);
        fine("SAVEAS " + state.string());
        const std::string bytes = test_read_file(state);
        for (const auto& [at, value] :
             {std::pair<int, int>{1, static_cast<unsigned char>(bytes[1]) + 1},
              {1, 255},
              {3, 255}}) {
            SCOPED_TRACE("byte " + std::to_string(at) + " = " + std::to_string(value));
            test_write_file(newer,
                            bytes.substr(0, at) + static_cast<char>(value) + bytes.substr(at + 1));
            fine("SETMACHINE PIPBUG");
            EXPECT_EQ(send("OPEN " + newer.string(), &said), 10) << said;
            EXPECT_NE(said.find("made by a newer version of Brindlemox"), std::string::npos)
                << said;
            EXPECT_EQ(said.find("Corrupt"), std::string::npos) << said;
            EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
            fine("SETMACHINE " + row.name);
        }
    }
    quit(&said, 0);
    // Such a state as the autosave (the user went back a version) is left for
    // the version that wrote it, however the start begins, and every quit says
    // what becomes of it and how that ends, judged by the file at that quit: a
    // state saved over it is this version's autosave again, written at the
    // quit and resumed by the next start; the autosave switched off leaves it.
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    const std::string theirs = test_read_file(newer);
    const std::string left = "stays as it is for the newer version that made it, and the next "
                             "start of this one resumes no state. Saving a state over it";
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* during; // sent before the quit ("" nothing)
        bool left_there;    // the quit leaves the newer file
    } ways[] = {
        {"a plain start", {}, "", true},
        {"a start given a file", {state.string()}, "", true},
        {"a state saved over it", {}, "SAVEAS", false},
        {"the autosave switched off", {}, "MENU SETTINGS.EMULATOR.AUTOSAVE", true}, // last
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        test_write_file(autosave, theirs);
        restart(way.args);
        EXPECT_TRUE(has(log(), "was made by a newer version of Brindlemox: this one leaves it"))
            << log();
        EXPECT_TRUE(has(log(), "Saving a state over it (Save state as...) makes it this version's "
                               "autosave again; switching the autosave off ends this."))
            << log();
        const std::string during = way.during;
        if (during == "SAVEAS") {
            fine("SETMACHINE " + disk_machines()[0].name);
            fine("SAVEAS " + autosave.string());
            fine("SETMACHINE PIPBUG"); // what the quit's autosave holds
        } else if (!during.empty()) {
            fine(during);
        }
        const bool off = during.rfind("MENU", 0) == 0;
        quit(&said, way.left_there && !off ? 5 : 0);
        EXPECT_EQ(has(said, left), way.left_there && !off) << said;
        EXPECT_FALSE(has(said, "resumes the older")) << said;
        EXPECT_EQ(test_read_file(autosave) == theirs, way.left_there) << "the autosave";
        if (!way.left_there) {
            restart(); // this version's autosave, resumed as usual
            EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
            EXPECT_FALSE(has(log(), "made by a newer version")) << log();
            quit(&said, 0);
        }
    }
}

namespace {
// The ways the next start begins are two tests to a machine: the first
// seven, then the rest.
class MediaStatesNextStart : public MediaStatesOnADiskMachine {
  public:
    static constexpr std::size_t STARTS = 13, PARTS = 2, PER_PART = 7;
    // The starts of the test given `param`: [first, end) of the table.
    static std::size_t first(std::size_t param) { return param % PARTS * PER_PART; }
    static std::size_t end(std::size_t param) { return std::min(STARTS, first(param) + PER_PART); }
};

std::string next_start_test_name(const ::testing::TestParamInfo<std::size_t>& info) {
    using Test = MediaStatesNextStart;
    return disk_machine_part_name(info.param / Test::PARTS, info.param,
                                  "_Starts" + std::to_string(Test::first(info.param)) + "To" +
                                      std::to_string(Test::end(info.param) - 1));
}
} // namespace

// A changed disk the autosave keeps stays kept whatever the next start does.
// A start given a file brings it back first: a program loads over it, a file
// that would drop it is not loaded and the start says why and how the disk is
// saved or dropped, in the window and from the port. The autosave given by
// name, or a copy of it, is what runs; the disk's own image stays in its drive
// as the autosave kept it, said at start; a file no loader takes is named. A
// start that does not bring it back (another settings file, the autosave off,
// a batch job) leaves that autosave alone, even when the autosave is switched
// on during the run; the next plain start brings the disk back, its file as it
// was.
TEST_P(MediaStatesNextStart, AChangedDiskTheAutosaveKeepsStaysKeptWhateverTheNextStartDoes) {
    const fs::path configs = home.path() / "Configs";
    const fs::path other_state = home.path() / "pip.cos", same_state = home.path() / "same.cos",
                   program = home.path() / "prog.hex", elektor = home.path() / "e.tvc",
                   given_disk = home.path() / "given.raw",
                   autosave = home.path() / "Games" / "AUTOSAVE.COS",
                   copy = home.path() / "copy.cos", script = home.path() / "x.rexx";
    test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
    test_write_file(elektor, std::string("\x02\x09\x00\x09\x00", 5) + std::string(16, '\xC0'));
    test_write_file(script, "say 'hello'\n");
    const struct {
        const char* name;
        std::vector<std::string> args;
        bool brings;      // the disk is back in this start
        const char* told; // what the start says on the console ("" nothing)
    } starts[] = {
        {"nothing given", {}, true, ""},
        {"a state of another machine", {other_state.string()}, true, "Not loaded: "},
        {"a state of the same machine", {same_state.string()}, true, "Not loaded: "},
        {"a program file", {program.string()}, true, ""},
        {"a program of another machine", {elektor.string()}, true, "Not loaded: "},
        {"a disk image", {given_disk.string()}, true, ""},
        {"the autosave itself", {autosave.string()}, true, ""},
        {"a copy of the autosave", {copy.string()}, true, ""},
        {"the kept disk's own image", {"<the disk>"}, true, ", changed as the autosave kept it"},
        {"a file no loader takes", {script.string()}, true, "x.rexx\" (no loader takes"},
        {"another settings file", {"SETTINGS", "other.ini"}, false, ""},
        {"the autosave switched off", {}, false, "The autosave \""},
        {"a batch job", {"DISGAME", program.string()}, false, ""},
    };
    {
        const DiskMachine row = machine(PARTS);
        SCOPED_TRACE(row.name);
        const fs::path disk = home.path() / ("work" + row.suffix);
        const std::string blank = row.layout == DiskLayout::BINBUG
                                      ? test_blank_binbug_disk()
                                      : std::string(disk_geometry(row.layout).image_bytes, '\0');
        const std::string drive = std::to_string(row.drive);
        test_write_file(disk, blank);
        test_write_file(given_disk, blank);
        const std::string named = "drive " + drive + " (\"" + disk.filename().string() + "\")";
        fs::remove(autosave);
        fs::remove(program);
        restart();
        for (const std::string& line : std::vector<std::string>{
                 "SETMACHINE PIPBUG", "SAVEAS " + other_state.string(), "SETMACHINE " + row.name,
                 "SAVEAS " + same_state.string(),
                 "DEBUGGER \"SAVEHEX 0 1F " + program.string() + "\"", "OPEN " + disk.string(),
                 "DEBUGGER \"DRIVE " + drive + "\"", "DEBUGGER \"INJECT note.txt\""})
            fine(line);
        std::string said;
        quit(&said);
        ASSERT_EQ(said, kept(named));
        const std::string ini = test_read_file(configs / "Brindlemox.ini");
        test_write_file(configs / "other.ini", ini);
        ASSERT_EQ(std::size(starts), STARTS);
        for (std::size_t i = first(GetParam()); i < end(GetParam()); i++) {
            auto way = starts[i];
            SCOPED_TRACE(way.name);
            const bool off = std::string(way.name) == "the autosave switched off";
            for (std::string& arg : way.args) // the machine's own disk
                if (arg == "<the disk>") arg = disk.string();
            if (!way.args.empty() && way.args[0] == copy.string())
                fs::copy_file(autosave, copy, fs::copy_options::overwrite_existing);
            if (off) {
                std::string lines = ini;
                lines.replace(lines.find("autosave=true"), 13, "autosave=false");
                test_write_file(configs / "Brindlemox.ini", lines);
            }
            fs::remove(home.path() / "prog.asm");
            if (!way.args.empty() && way.args[0] == "DISGAME") {
                ASSERT_TRUE(start(way.args));
                EXPECT_EQ(wait_exit(), 0) << log();
            } else {
                restart(way.args);
                if (way.brings) {
                    EXPECT_EQ(fine("GETMACHINE"), row.name);
                }
                std::string dir;
                if (send("DEBUGGER \"DRIVE " + drive + "\"", &said) == 0)
                    send("DEBUGGER DIR", &dir);
                EXPECT_EQ(has(dir, "NOTE"), way.brings) << dir;
                if (off) fine("MENU SETTINGS.EMULATOR.AUTOSAVE"); // on again for this run
                quit(&said, way.brings || off ? 5 : 0);
                EXPECT_EQ(said == kept(named), way.brings) << said;
                EXPECT_EQ(has(said, "Autosave not written (it keeps changed disks of an earlier"),
                          off)
                    << said;
            }
            EXPECT_EQ(has(log(), way.told[0] ? way.told : "Not loaded: "), way.told[0] != '\0')
                << log();
            // What the start keeps waiting says how it ends, in the window and from the port.
            if (has(log(), "Not loaded: ") || has(log(), "as the autosave kept it")) {
                for (const std::string& way_out :
                     {"Update disk... in the floppy window (the port's UPDATEDISK " + drive + ")",
                      "Eject disk (EJECTDISK " + drive + ") drops"}) {
                    EXPECT_TRUE(has(log(), way_out)) << way_out << "\n" << log();
                }
            }
            restart(); // a plain start
            EXPECT_EQ(fine("GETMACHINE"), row.name);
            fine("DEBUGGER \"DRIVE " + drive + "\"");
            EXPECT_NE(fine("DEBUGGER DIR").find("NOTE"), std::string::npos);
            quit(&said);
            EXPECT_EQ(said.rfind("Changed disks not saved: " + named, 0), 0u) << said;
            EXPECT_TRUE(test_read_file(disk) == blank) << "the file was written";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryDiskMachine, MediaStatesNextStart,
    ::testing::Range(std::size_t{0},
                     MediaStatesNextStart::DISK_MACHINES* MediaStatesNextStart::PARTS),
    next_start_test_name);
INSTANTIATE_TEST_SUITE_P(EveryDiskMachine, MediaStatesOnADiskMachine,
                         ::testing::Range(std::size_t{0}, MediaStatesOnADiskMachine::DISK_MACHINES),
                         disk_machine_test_name);

// A changed disk the autosave keeps holds back every switch, every start
// given a state and every quit until the user saves or drops it: a script
// does so through the port as the floppy window's buttons do, each reply
// naming the command that ends the wait. Updated, the disk goes to its file
// (or to a name given); ejected, its changes are dropped, said with rc 5; then
// the switch goes ahead, the quit keeps nothing, and the next start brings
// nothing back.
TEST_P(MediaStatesOnADiskMachine, AKeptDiskIsUpdatedOrEjectedFromThePort) {
    const DiskMachine row = machine();
    const fs::path other_state = home.path() / "pip.cos",
                   autosave = home.path() / "Games" / "AUTOSAVE.COS";
    test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
    const struct {
        const char* name;
        const char* command; // its drive and name added
        const char* file;    // the name given ("" none)
        int rc;
        const char* said; // what the reply says after the disk's name ("" nothing)
    } ways[] = {
        {"update", "UPDATEDISK", "", 0, ""},
        {"update under a name given", "UPDATEDISK", "saved", 0, ""}, // the path written
        {"eject", "EJECTDISK", "", 5, "\") was changed and not saved: its changes are dropped\n"},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(row.name + " " + way.name);
        const fs::path disk = home.path() / ("work" + row.suffix),
                       saved = home.path() / ("saved" + row.suffix);
        const std::string blank = row.layout == DiskLayout::BINBUG
                                      ? test_blank_binbug_disk()
                                      : std::string(disk_geometry(row.layout).image_bytes, '\0');
        const std::string d = std::to_string(row.drive);
        test_write_file(disk, blank);
        fs::remove(saved);
        fs::remove(autosave);
        restart();
        for (const std::string& line : std::vector<std::string>{
                 "SETMACHINE PIPBUG", "SAVEAS " + other_state.string(), "SETMACHINE " + row.name,
                 "OPEN " + disk.string(), "DEBUGGER \"DRIVE " + d + "\"",
                 "DEBUGGER \"INJECT note.txt\""})
            fine(line);
        std::string said;
        quit(&said);
        restart({other_state.string()});
        EXPECT_TRUE(has(log(), "Not loaded: ")) << log();
        EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 10) << said;
        EXPECT_TRUE(has(said, "UPDATEDISK " + d + " saves it first; EJECTDISK " + d +
                                  " drops its changes."))
            << said;
        const std::string line =
            std::string(way.command) + " " + d + (way.file[0] ? std::string(" ") + way.file : "");
        EXPECT_EQ(send(line, &said), way.rc) << said;
        const std::string reply = way.file[0] ? saved.string()
                                  : way.said[0]
                                      ? std::string(way.command) + ": the disk in drive " + d +
                                            " (\"" + disk.filename().string() + way.said
                                      : "";
        EXPECT_EQ(said, reply);
        // The disk went where the command said, and nowhere else.
        const bool updated = std::string(way.command) == "UPDATEDISK";
        const fs::path written = way.file[0] ? saved : disk;
        EXPECT_EQ(updated && has(test_read_file(written), "NOTE"), updated);
        if (way.file[0] || !updated) {
            EXPECT_TRUE(test_read_file(disk) == blank) << "its own file was written";
        }
        // Nothing holds the switch back now, and nothing is kept.
        EXPECT_LE(send("SETMACHINE PIPBUG", &said), 5) << said;
        EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
        quit(&said, 0);
        restart();
        EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
        quit(&said, 0);
    }
}

// The port's disk commands refuse what they cannot do, saying why, and change
// nothing: no drives on the machine, a drive it lacks, an empty drive, and a
// new disk with no file of its own and no name given.
TEST_F(MediaStates, ThePortsDiskCommandsRefuseWhatTheyCannotDo) {
    const fs::path old = fs::path(test_data()) / "old_states";
    restart();
    fine("SETMACHINE PIPBUG");
    std::string said;
    const std::string commands[] = {"UPDATEDISK", "EJECTDISK"};
    for (const std::string& c : commands) {
        EXPECT_EQ(send(c + " 0", &said), 10);
        EXPECT_EQ(said, c + ": wrong guest machine\n");
    }
    fine("OPEN " + (old / "binbug_disk_v44.cos").string()); // a changed new disk in drive 0
    for (const std::string& c : commands) {
        SCOPED_TRACE(c);
        for (const char* beyond : {" 2", " -1"}) { // the BINBUG has two drives
            EXPECT_EQ(send(c + beyond, &said), 10);
            EXPECT_EQ(said, c + ": drive must be 0..1\n");
        }
        EXPECT_EQ(send(c + " 1", &said), 10);
        EXPECT_EQ(said, c + ": no disk in drive 1\n");
    }
    EXPECT_EQ(send("UPDATEDISK 0", &said), 10);
    EXPECT_EQ(said, "UPDATEDISK: the disk in drive 0 is a new disk: name the file it goes to "
                    "(UPDATEDISK 0 <file>)\n");
    // Still the changed new disk: the switch is refused and names it.
    EXPECT_EQ(send("SETMACHINE PIPBUG", &said), 10) << said;
    EXPECT_TRUE(has(said, " (a new disk) was changed")) << said;
    quit(&said);
}
