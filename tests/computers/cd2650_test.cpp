// The CD2650 without its ROMs: its keyboard port, cassette motor, speaker
// port, character sets, screen editor and picture; its disks, IMAG files,
// the BASIC variable view and the notes of its monitor and DOS.
#include "computers/cd2650.h"

#include "computers/cd2650_dos.h"
#include "core/frame.h"
#include "core/guest_roms.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/gamesdb.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "input/key_events.h"
#include "peripherals/floppy.h"
#include "peripherals/tape.h"
#include "sound/voice_update.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<u8>;

class Cd2650 : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        cd2650_biosversion = 2;
        cd2650_dosversion = 0;
        queuekeystrokes = 0;
        screen_edit_mode = 0; // no cursor in the pictures
        ASSERT_TRUE(machine_switch(CD2650, MAP_CD2650, true, true, false));
    }
    void TearDown() override {
        filebuf_free();
        fresh_state();
    }
    static u8 port(u32 p) { return machine_row().port_read(p); }
    static void out(u32 p, u8 v) { machine_row().port_write(p, v); }
    static std::string text_of(void (*view)()) {
        capture_output();
        view();
        return captured_output();
    }
};

void synthetic_font() {
    for (u32 c = 0; c < 144; c++)
        for (u32 l = 0; l < 10; l++)
            cd2650_font[c * 10 + l] = l >= 1 && l < 9 ? static_cast<u8>(c | 0x81) : 0;
}

TEST_F(Cd2650, KeyboardPortLatchAndQueue) {
    EXPECT_EQ(port(257), 128);
    EXPECT_EQ(guest_key_latch, 128);
    guest_key_latch = 'Q';
    EXPECT_EQ(port(257), 'Q');
    EXPECT_EQ(port(257), 128);
    // Queued keys reach the guest half a frame apart.
    queuekeystrokes = 1;
    ASSERT_TRUE(guest_key_queue_append_text("AB"));
    cpu_cycles = 1000;
    EXPECT_EQ(port(257), 'A');
    cpu_cycles += 19888 / 2 - 1;
    EXPECT_EQ(port(257), 128);
    cpu_cycles += 1;
    EXPECT_EQ(port(257), 'B');
    EXPECT_EQ(port(253), 2) << "the printer is ready";
}

TEST_F(Cd2650, CassetteMotorAndSpeakerPort) {
    tape_state = CASSETTE_STOPPED;
    cpu_iar = 0x01FD;
    out(257, 8);
    EXPECT_EQ(tape_state, static_cast<u32>(CASSETTE_RECORDING));
    out(257, 0);
    EXPECT_EQ(tape_state, static_cast<u32>(CASSETTE_STOPPED));
    cpu_iar = 0x028D;
    out(257, 8);
    EXPECT_EQ(tape_state, static_cast<u32>(CASSETTE_PLAYING));
    out(257, 0);
    // Elsewhere the user is asked; without an interface the answer is "Play".
    cpu_iar = 0x1234;
    out(257, 8);
    EXPECT_EQ(tape_state, static_cast<u32>(CASSETTE_PLAYING));
    out(257, 0);
    tape_state = CASSETTE_EMPTY;

    known_game_id = 635; // the game that plays its one-bit sound there
    out(257, 15);
    EXPECT_EQ(speaker_latch, 1);
    out(257, 14);
    EXPECT_EQ(speaker_latch, 0);
}

TEST_F(Cd2650, DiskCommandsAreNarratedWithVerboseDisks) {
    verbose_log = 1;
    cpu_iar = 0x6123;
    capture_output();
    out(128, 0x00); // Restore
    const std::string said = captured_output();
    EXPECT_NE(said.find("Code at $6123 issued "), std::string::npos) << said;
    verbose_log = 0;
}

TEST_F(Cd2650, CharacterSets) {
    synthetic_font();
    cd2650_vdu = 0;
    cd2650_load_charset();
    EXPECT_EQ(cd2650_chargen[5 * 10 + 3], static_cast<u8>(~(5 | 0x81)));
    EXPECT_EQ(cd2650_chargen[65 * 10 + 3], 65 | 0x81);
    cd2650_vdu = 1;
    cd2650_load_charset();
    EXPECT_EQ(cd2650_chargen[64 * 10 + 3], 128 | 0x81) << "the second set";
    EXPECT_EQ(cd2650_chargen[80 * 10 + 3], 112 | 0x81);
    cd2650_vdu = 2;
    cd2650_load_charset();
    EXPECT_EQ(cd2650_chargen[64 * 10 + 3], 96 | 0x81);
    EXPECT_EQ(cd2650_chargen[5 * 10 + 3], 5 | 0x81);
}

TEST_F(Cd2650, ScreenEditorWrapsFromTheLastCell) {
    screen_edit_mode = 1;
    screen_edit_address = 0x1000 + 79 * 16 + 15; // column 79, row 15
    EXPECT_TRUE(cd2650_key_handler(32));          // 'A'
    EXPECT_EQ(guest_memory[0x14FF], 'A');
    EXPECT_EQ(screen_edit_address, 0x1000u);
    EXPECT_TRUE(cd2650_key_handler(78)); // right: down the column-major RAM by 16
    EXPECT_EQ(screen_edit_address, 0x1010u);
    EXPECT_TRUE(cd2650_key_handler(11)); // '-', shifted it would be 31
    EXPECT_EQ(guest_memory[0x1010], '-');
    EXPECT_TRUE(cd2650_key_handler(68)); // return: column 0 of row 1
    EXPECT_EQ(screen_edit_address, 0x1001u);
}

TEST_F(Cd2650, ProgramDrawsAGoldenFrame) {
    synthetic_font();
    cd2650_vdu = 0;
    cd2650_load_charset();
    // Writes codes 0-127 down the first eight columns, then idles.
    const Bytes program = {
        0x07, 0x80,       // LODI,R3 128
        0x03,             // loop: LODZ R3
        0xA4, 0x01,       // SUBI,R0 1
        0xCF, 0x50, 0x00, // STRA,R0 $1000,R3,- (R3 counts down first)
        0x5B, 0x78,       // BRNR,R3 loop
        0x1B, 0x7E,       // BCTR,UN itself
    };
    std::memcpy(guest_memory + 0x1600, program.data(), program.size());
    cpu_iar = 0x1600;
    for (int f = 0; f < 2; f++)
        emu_run_frame();
    EXPECT_EQ(guest_memory[0x1000], 0);
    EXPECT_EQ(guest_memory[0x107F], 127);
    EXPECT_EQ(check_golden_frame("cd2650_screen"), "");
}

// A key typed while the guest polls the keyboard port is reported and
// recorded once, the same with or without the type-ahead queue.
TEST_F(Cd2650, KeysReadFromThePortAreReportedAndRecorded) {
    static const u8 poll[] = {0x70, 0x1B, 0x7D}; // REDD,R0 ; BCTR,UN back to it
    logbios = 1;
    for (u32 queued : {0u, 1u}) {
        queuekeystrokes = queued;
        std::memcpy(guest_memory + 0x1600, poll, sizeof poll);
        cpu_iar = 0x1600;
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        rec_file = f;
        rec_state = REC_RECORDING;
        capture_output();
        input_host_key_event(32); // A
        for (int i = 0; i < 3; i++)
            emu_run_frame();
        input_host_key_release(32);
        rec_state = REC_IDLE;
        rec_file = nullptr;
        EXPECT_EQ(captured_output(), "Returning from KBIN with input of 'A' ($41).\n\n") << queued;
        std::string bytes(static_cast<size_t>(std::ftell(f)), '\0');
        std::rewind(f);
        ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
        EXPECT_NE(bytes.find(std::string("\x01" "A", 2)), std::string::npos) << queued;
    }
    logbios = 0;
}

TEST_F(Cd2650, CellGridInDrawMode) {
    draw_mode = 1;
    cpu_iar = 0x1600;
    guest_memory[0x1600] = 0x1B; // BCTR,UN itself
    guest_memory[0x1601] = 0x7E;
    emu_run_frame();
    const IndexedPicture frame = capture_guest_frame();
    auto at = [&](u32 x, u32 y) { return frame.pixels[y * frame.width + x]; };
    EXPECT_EQ(at(8, 5), 8);
    EXPECT_EQ(at(15, 5), 8);
    EXPECT_EQ(at(10, 11), 8);
    EXPECT_NE(at(10, 5), 8);
    draw_mode = 0;
}

TEST_F(Cd2650, VideoRamDumpAndNotes) {
    std::memcpy(guest_memory + 0x1000, "\x01\x1C", 2);
    const std::string dump = text_of(cd2650_view_video_ram);
    EXPECT_EQ(dump.substr(0, 8), "$1000: 0");
    EXPECT_NE(dump.find("$1001: 1C 20"), std::string::npos) << dump;
    EXPECT_NE(dump.find("A   "), std::string::npos);
    capture_output();
    cd2650_bios_notes(0x037C);
    EXPECT_EQ(captured_output(), ";Function: Write \"ERROR\"\n");
    cd2650_biosversion = 0;
    capture_output();
    cd2650_bios_notes(0x037C);
    EXPECT_EQ(captured_output(), "") << "only the Supervisor's";
    cd2650_dosversion = 1;
    cpu_opcode = 0x3F; // BSTA: a subroutine branch to a code section
    capture_output();
    cd2650_dos_call_notes(0x6004);
    const std::string note = captured_output();
    EXPECT_NE(note.find(";Function:  Terminate the program and return to DOS"), std::string::npos);
    EXPECT_NE(note.find("Code section vectored at $6004 has been branched to as a subroutine!"),
              std::string::npos);
    cpu_opcode = 0x1F; // BCTA: jumped to a subroutine
    capture_output();
    cd2650_dos_call_notes(0x6044);
    EXPECT_NE(captured_output().find("Subroutine vectored at $6044 has been jumped to!"),
              std::string::npos);
}

// ---- the BASIC variables ------------------------------------------------------------------------

class Cd2650Basic : public Cd2650 {
  protected:
    u32 at = 0x2100;
    void SetUp() override {
        Cd2650::SetUp();
        guest_memory[0x2004] = 0x21;
        guest_memory[0x32CF] = 0x3F;
        guest_memory[0x32D0] = 0x00;
    }
    // A record of `kind` named `name` with `data`; the next one follows.
    void record(u8 kind, const char* name, const Bytes& data) {
        const u32 n = static_cast<u32>(std::strlen(name));
        const u32 next = at + 3 + n + static_cast<u32>(data.size());
        guest_memory[at] = static_cast<u8>(kind | n);
        guest_memory[at + 1] = static_cast<u8>(next >> 8);
        guest_memory[at + 2] = static_cast<u8>(next);
        std::memcpy(guest_memory + at + 3, name, n);
        if (!data.empty()) std::memcpy(guest_memory + at + 3 + n, data.data(), data.size());
        at = next;
    }
};

TEST_F(Cd2650Basic, NumbersArraysAndStrings) {
    record(0, "Z", {0x80, 0x00, 0x00, 0x00});
    record(0, "M", {0x80, 0x80, 0x00, 0x00});
    record(0, "B", {40, 0x40, 0x00, 0x00});
    record(0, "H", {1, 0x60, 0x00, 0x00}); // 0.75 x 2^1 = 1.5
    record(0x40, "A", {1, 0x40, 0, 0, 2, 0xC0, 0, 0});
    record(0x80, "S", {2, 'H', 'I'});
    const std::string out = text_of(cd2650_view_basic_vars);
    EXPECT_EQ(out,
              "Addr. Name                  Contents = Value\n"
              "----- --------------------- -------- = -----\n"
              "$2100 Z                     80000000 =           0.000000\n"
              "$2108 M                     80800000 =          -0.000000\n"
              "$2110 B                     28400000 =          ~2^40\n"
              "$2118 H                     01600000 =           1.500000\n"
              "$2120 A(2):\n"
              "$2124 A(1)                  01400000 =           1.000000\n"
              "$2128 A(2)                  02C00000 =          -2.000000\n"
              "$212C S$(2)                 'HI'\n"
              "$3F00 Top of stack\n\n");
}

TEST_F(Cd2650Basic, BadKindsAndLoopsEndTheWalk) {
    record(0x10, "X", {});
    EXPECT_NE(text_of(cd2650_view_basic_vars).find("!?\n$3F00 Top of stack\n\n"), std::string::npos);
    at = 0x2100;
    record(0, "P", {0x80, 0, 0, 0});
    guest_memory[0x2101] = 0x21; // the record leads back to itself
    guest_memory[0x2102] = 0x00;
    const std::string out = text_of(cd2650_view_basic_vars);
    EXPECT_NE(out.find("Variable table loops at $2100!\n$3F00 Top of stack"), std::string::npos)
        << out;
}

// ---- disks and IMAG files -------------------------------------------------------------------------

class Cd2650Disk : public Cd2650 {
  protected:
    void SetUp() override {
        Cd2650::SetUp();
        std::filesystem::current_path(std::getenv("BRINDLEMOX_HOME"));
        // A synthetic DOS image in the drawer, for new system disks.
        std::filesystem::create_directories("roms");
        Bytes dos(6912);
        for (u32 i = 0; i < dos.size(); i++)
            dos[i] = static_cast<u8>(i / 256 + i);
        write("roms/cd2650_dos.bin", dos);
        cd2650_dos_open(0);
    }
    static std::string write(const std::string& name, const Bytes& data) {
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return std::filesystem::absolute(name).string();
    }
    static Bytes read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static u8* entry(int e) { return drives[0].image + e * 64; }
    static std::string listing() {
        capture_output();
        cd2650_dos_list_directory(0, 0);
        return captured_output();
    }
};

TEST_F(Cd2650Disk, NewSystemDiskHoldsTheDos) {
    const std::string out = listing();
    EXPECT_NE(out.find("DOS     .SYS   6912 "), std::string::npos) << out;
    EXPECT_NE(out.find("Supervisor    Supervisor"), std::string::npos) << out;
    EXPECT_NE(out.find(" 7168 bytes used by files."), std::string::npos) << out;
    DiskFile file;
    EXPECT_TRUE(cd2650_dos_extract_file(0, 0, &file));
    EXPECT_EQ(file.name, "DOS.SYS");
    EXPECT_EQ(file.bytes, read("roms/cd2650_dos.bin"));
}

TEST_F(Cd2650Disk, BadRangesListWithTheirLine) {
    entry(1)[29] = 10; // USER.NAME's first sector above 9: no size
    std::string out = listing();
    EXPECT_NE(out.find("USER    .NAME     0 "), std::string::npos) << out;
    EXPECT_NE(out.find("Bad block range (tracks 5..5, sectors 10..1)!\n"), std::string::npos);
    entry(1)[29] = 0; // sector 0: blocks 44..45 by the size rule, yet no valid range
    out = listing();
    EXPECT_NE(out.find("USER    .NAME   512 "), std::string::npos) << out;
    EXPECT_NE(out.find("Bad block range (tracks 5..5, sectors 0..1)!\n"), std::string::npos);
    DiskFile file;
    EXPECT_FALSE(cd2650_dos_extract_file(1, 0, &file)) << "no block -1";
}

TEST_F(Cd2650Disk, PutRenameDeleteAndNameRules) {
    Bytes data(257, 0x44);
    capture_output();
    cd2650_dos_put_file(write("big.dat", data).c_str(), 0);
    EXPECT_EQ(captured_output().substr(0, 5), "OK.\n\n");
    const u8* e = entry(2);
    const int first = e[28] * 9 + e[29] - 1, last = e[30] * 9 + e[31] - 1;
    EXPECT_EQ(first, 46);
    EXPECT_EQ(last, 47);
    EXPECT_EQ(drives[0].image[last * 256], 0x44);
    EXPECT_EQ(Bytes(drives[0].image + last * 256 + 1, drives[0].image + last * 256 + 256),
              Bytes(255, 0));
    capture_output();
    EXPECT_EQ(cd2650_dos_check_filename(2, 0, "bad-name"), 0);
    EXPECT_EQ(cd2650_dos_check_filename(2, 0, "NINECHARS"), 0);
    EXPECT_EQ(cd2650_dos_check_filename(2, 0, "A.B%"), 0);
    EXPECT_EQ(cd2650_dos_check_filename(2, 0, "A.LONGX"), 0);
    EXPECT_EQ(captured_output(), "Illegal character '-' in filename!\n\nFilename is too long!\n\n"
                                 "Illegal character '%' in extension!\n\nExtension is too long!\n\n");
    EXPECT_EQ(cd2650_dos_check_filename(2, 0, "data.$1"), 1);
    cd2650_dos_list_directory(1, 0);
    EXPECT_STREQ(drives[0].name_cache[2], "DATA");
    EXPECT_STREQ(drives[0].ext_cache[2], "$1");
    cd2650_dos_delete_file(2, 0);
    EXPECT_EQ(drives[0].image[first * 256], 0);
    EXPECT_EQ(entry(2)[0], 0);
}

TEST_F(Cd2650Disk, ImagRoundTripAndWarnings) {
    for (u32 i = 0; i < 300; i++)
        guest_memory[0x2000 + i] = static_cast<u8>(i + 9);
    ASSERT_EQ(cd2650_save_imag("p.imag", 0x2000, 0x212B, 0x2003), 1);
    const Bytes file = read("p.imag");
    ASSERT_EQ(file.size(), 4u + 300 + 4);
    std::memset(guest_memory + 0x2000, 0, 300);
    ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(file.size())));
    std::memcpy(filebuf, file.data(), file.size());
    capture_output();
    ASSERT_EQ(cd2650_parse_imag(static_cast<u32>(file.size())), 1);
    cd2650_commit_imag();
    EXPECT_EQ(captured_output(), "Successfully loaded IMAG file.\n\n");
    for (u32 i = 0; i < 300; i++)
        ASSERT_EQ(guest_memory[0x2000 + i], static_cast<u8>(i + 9));
    EXPECT_EQ(game_start_address, 0x2003);
    capture_output();
    EXPECT_EQ(cd2650_parse_imag(static_cast<u32>(file.size()) - 4), 1);
    EXPECT_EQ(captured_output(), "Warning: no end-of-file chunk found.\n\n");
}

} // namespace
