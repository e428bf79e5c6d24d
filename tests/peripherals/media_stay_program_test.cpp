// A program loaded into the running program, and a set-up of the machine
// that runs, leave every medium where it is: on each machine with drives, an
// MDCR deck, papertape units or a cassette deck, every kind of program file
// the machine opens (written by its own savers) loads, answering 0, and
// Reinitialize goes ahead, while the disks (one changed), the MDCR tape
// (changed), the papertape and the cassette stay in, each still held by its
// file, and the changes are still there to be named when the program ends.
#include "tests/support/blank_disks.h"
#include "tests/support/program_savers.h"
#include "tests/support/program_test.h"
#include "tests/support/row_name.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "cpu/memory.h"
#include "peripherals/floppy.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A machine with media, as its table rows give it: a RAM address its
// programs go to, and the program files it opens (saver, suffix).
struct MediaMachine {
    std::string name;
    MachineTraits traits;
    int ram = -1;
    std::vector<std::pair<std::string, std::string>> programs;
};

bool has_media(const MachineTraits& t) {
    return t.disk_images != DiskImages::NONE || t.mdcr || t.cassette || t.has_papertape;
}

// The machines with media, as their rows of the machine table.
std::vector<u32> media_machine_rows() {
    std::vector<u32> rows;
    for (u32 m = 0; m < MACHINES; m++)
        if (has_media(machine_table[m].traits)) rows.push_back(m);
    return rows;
}

// The machine of row `m`, set up here to find a RAM address. Left out of its
// programs: SMS tapes (they start at $0000, the monitor's ROM on these
// machines, and load without a set-up, as HEX does) and BPNF tapes (they ask
// for a load address, which nobody answers through the port).
MediaMachine media_machine(u32 m) {
    MediaMachine row;
    row.name = machine_table[m].keyword;
    row.traits = machine_table[m].traits;
    if (!machine_switch(m, machine_table[m].default_memmap, true, true, false)) return row;
    const auto ram = [](int a) {
        for (int i = a; i < a + 4; i++)
            if (mem_attributes[i] & (MEM_UNWRITABLE | MEM_UNREADABLE | MEM_BIOS | MEM_DEVICE))
                return false;
        return true;
    };
    for (int a = 0x0900; a < 0x7000 && row.ram < 0; a += 0x100)
        if (ram(a)) row.ram = a;
    row.programs = test_program_savers(true);
    return row;
}

// A short 8-bit mono WAV tape: its header, then 200 samples.
std::string wav_tape() {
    const unsigned char header[] = {'R', 'I', 'F',  'F',  236, 0,   0,    0,    'W', 'A', 'V',
                                    'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   1,   0,
                                    1,   0,   0x22, 0x56, 0,   0,   0x22, 0x56, 0,   0,   1,
                                    0,   8,   0,    'd',  'a', 't', 'a',  200,  0,   0,   0};
    std::string tape(reinterpret_cast<const char*>(header), sizeof header);
    tape.resize(244, '\xD0');
    return tape;
}

class MediaStayProgram : public ProgramTest {
  protected:
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // A medium's file and what the program calls it while it holds it.
    struct Held {
        fs::path file;
        std::string what;
    };
    // Each held file is still in use: a picture saved through a link to it
    // is refused for it.
    void expect_held(const std::vector<Held>& held) {
        for (const Held& h : held) {
            const fs::path link = home.path() / ("probe-" + h.file.filename().string() + ".png");
            fs::remove(link);
            fs::create_symlink(h.file, link);
            std::string result;
            EXPECT_EQ(send("SAVEPNG " + link.string(), &result), 10) << h.what << ": " << result;
            EXPECT_NE(result.find("it is " + h.what), std::string::npos) << result;
        }
    }
    // The media files in the home (note.txt to put on a disk too).
    void media_files() {
        test_write_file(home.path() / "Projects" / "note.txt", "a note\n");
        test_write_file(home.path() / "t.mdcr", std::string(1024, '\1'));
        test_write_file(home.path() / "t.pap", "a papertape\n");
        test_write_file(home.path() / "t.wav", wav_tape());
    }
    // Puts every medium the row's machine takes in, each from its file.
    // A fresh session on the row's machine, its media inserted. Each machine
    // starts afresh: the autosave would bring the last one's changed disk back.
    std::vector<Held> start_with_media(const MediaMachine& row) {
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
        EXPECT_TRUE(start({"PORTNAME", "E2E"}));
        EXPECT_TRUE(port_up());
        request("SETMACHINE " + row.name);
        return insert_media(row);
    }
    // QUIT names the change (rc 5), or nothing (0); the program ends.
    void quit_naming(const std::string& changed) {
        std::string result;
        EXPECT_EQ(send("QUIT", &result), changed.empty() ? 0 : 5) << result;
        EXPECT_EQ(result.rfind(changed, 0), 0u) << result;
        EXPECT_EQ(wait_exit(), 0);
        close(fd);
        fd = -1;
    }
    std::vector<Held> insert_media(const MediaMachine& row) {
        std::vector<Held> held;
        const auto insert = [&](const fs::path& file, const std::string& what) {
            fine("OPEN " + file.string());
            held.push_back({file, what});
        };
        if (row.traits.cassette) insert(home.path() / "t.wav", "the tape in the deck");
        if (row.traits.has_papertape) insert(home.path() / "t.pap", "the papertape in unit 0");
        if (row.traits.disk_images != DiskImages::NONE) {
            // Drive 0 takes the disk (on the TWIN drive 1, beside the system disk).
            const bool twin = row.traits.disk_images == DiskImages::TWIN;
            const fs::path disk = home.path() / ("d-" + row.name + (twin ? ".img" : ".raw"));
            test_write_file(
                disk, row.traits.disk_layout == DiskLayout::BINBUG
                          ? test_blank_binbug_disk()
                          : std::string(disk_geometry(row.traits.disk_layout).image_bytes, '\0'));
            insert(disk, twin ? "the disk in drive 1" : "the disk in drive 0");
        }
        if (row.traits.mdcr) insert(home.path() / "t.mdcr", "the MDCR tape");
        return held;
    }
    // The media as they were put in, then changed: a file put on the disk in
    // drive 0, the MDCR tape run forward writing from its start. What QUIT
    // names of them.
    std::string change_media(const MediaMachine& row) {
        std::string changed;
        if (row.traits.disk_images != DiskImages::NONE) {
            fine("DEBUGGER \"DRIVE 0\"");
            fine("DEBUGGER \"INJECT note.txt\"");
            changed = "Changed disks not saved: drive 0";
        }
        if (row.traits.mdcr) {
            fine("DEBUGGER \"POKE 900 1B\"");
            fine("DEBUGGER \"POKE 901 7E\"");
            fine("DEBUGGER \"JUMP 900\"");
            fine("DEBUGGER \"WRITEPORT DATA $60\"");
            // A quarter second of the guest's time on the tape, however busy the host.
            EXPECT_TRUE(guest_ran(frame_clocks(PHUNSY, 15))) << log();
            fine("DEBUGGER \"WRITEPORT DATA 0\"");
            changed = "Changed tapes not saved: MDCR tape";
        }
        return changed;
    }
};

// Each machine with media is a test of its own, from a fresh home, so that
// each stays well within a test's time on a busy host.
class MediaStayOnAMachine : public MediaStayProgram, public ::testing::WithParamInterface<u32> {};

std::string media_machine_test_name(const ::testing::TestParamInfo<u32>& info) {
    return row_name_of(machine_table[info.param].keyword, info.param);
}

} // namespace

// A change to the machine table that takes media from a machine shows here.
TEST(MediaStayRows, TheMachinesWithMediaAreAtLeastTheSeven) {
    EXPECT_GE(media_machine_rows().size(), 7u);
}

TEST_P(MediaStayOnAMachine, EveryProgramFileLeavesEveryMediumWhereItIs) {
    const MediaMachine row = media_machine(GetParam());
    media_files();
    ASSERT_GE(row.ram, 0);
    const std::vector<Held> held = start_with_media(row);
    const bool disks = row.traits.disk_images != DiskImages::NONE;
    std::string changed; // what QUIT names
    for (const bool after_change : {false, true}) {
        if (after_change) changed = change_media(row);
        for (const auto& [saver, suffix] : row.programs) {
            SCOPED_TRACE(suffix + (after_change ? " after the change" : ""));
            const std::string file = (home.path() / ("p-" + row.name + suffix)).string();
            const std::string range = "$" + test_hex(row.ram) + " $" + test_hex(row.ram + 3);
            fine("DEBUGGER \"FILL " + range + " $5A\"");
            fine("DEBUGGER \"" + saver + range + " " + file + "\"");
            fine("DEBUGGER \"FILL " + range + " 0\"");
            fine("OPEN " + file);
            // A BIN image goes where the machine places one.
            if (suffix != ".bin") {
                EXPECT_EQ(fine("PEEK " + std::to_string(row.ram + 1)), "90");
            }
            expect_held(held);
            if (disks && after_change) {
                EXPECT_NE(fine("DEBUGGER DIR").find("NOTE"), std::string::npos)
                    << "the change on the disk in drive 0";
            }
        }
    }
    quit_naming(changed);
}

// A set-up of the machine that runs (Reinitialize, the machine chosen again)
// takes no medium out: on each machine with media, every medium stays where
// it is, held by its file, before and after it was changed, unasked; the
// changes are still there to be named, and a switch to another machine still
// asks about them (refused, nobody to ask under the port).
TEST_P(MediaStayOnAMachine, EverySetUpOfTheRunningMachineKeepsEveryMedium) {
    const MediaMachine row = media_machine(GetParam());
    media_files();
    ASSERT_GE(row.ram, 0);
    const std::vector<Held> held = start_with_media(row);
    const bool disks = row.traits.disk_images != DiskImages::NONE;
    std::string changed;
    for (const bool after_change : {false, true}) {
        if (after_change) changed = change_media(row);
        for (const std::string& set_up :
             {std::string("MENU PROJECT.REINITIALIZE"), "SETMACHINE " + row.name}) {
            SCOPED_TRACE(set_up + (after_change ? " after the change" : ""));
            std::string result;
            EXPECT_LE(send(set_up, &result), 5) << result;
            expect_held(held);
            if (disks && after_change) {
                EXPECT_NE(fine("DEBUGGER DIR").find("NOTE"), std::string::npos)
                    << "the change on the disk in drive 0";
            }
        }
    }
    if (!changed.empty()) {
        std::string result;
        const char* other = row.name == "PIPBUG" ? "ARCADIA" : "PIPBUG";
        EXPECT_EQ(send(std::string("SETMACHINE ") + other, &result), 10) << result;
    }
    quit_naming(changed);
}

INSTANTIATE_TEST_SUITE_P(EveryMachineWithMedia, MediaStayOnAMachine,
                         ::testing::ValuesIn(media_machine_rows()), media_machine_test_name);
