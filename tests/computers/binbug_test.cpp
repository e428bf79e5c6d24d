// The BINBUG machine without its ROMs: our own programs drive its VDU, ports
// and lamps; the baud table and monitor patches; the screen editor; its save
// state from older versions; its disks and CMD files.
#include "computers/binbug.h"

#include "computers/binbug_dos.h"
#include "computers/chunk_file.h"
#include "computers/dos_files.h"
#include "computers/pipbug.h"
#include "core/frame.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/memory.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"
#include "sound/voice_update.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<u8>;
std::string warned;

class Binbug : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        ui_host.warning = [](const char* text) { warned = text; };
        warned.clear();
        binbug_biosversion = 2;
        binbug_dosversion = 2;
        binbug_baudrate = 1;
        screen_edit_mode = 0; // no cursor in the pictures
        ASSERT_TRUE(machine_switch(BINBUG, MAP_BINBUG, true, true, false));
    }
    void TearDown() override {
        filebuf_free();
        fresh_state();
    }
    // Runs `code` from $7600, in the page of the screen (absolute operands
    // reach their own 8 KB page only).
    static void run(const Bytes& code, int frames = 2) {
        std::memcpy(guest_memory + 0x7600, code.data(), code.size());
        cpu_iar = 0x7600;
        for (int f = 0; f < frames; f++)
            emu_run_frame();
    }
};

// A glyph that shows its code: rows 2-13 hold the code's bits.
void synthetic_font() {
    for (u32 c = 0; c < 128; c++)
        for (u32 l = 0; l < 16; l++)
            binbug_char_rom[c * 16 + l] = l >= 2 && l < 14 ? static_cast<u8>(c | 0x81) : 0;
    for (u32 c = 0; c < 256; c++)
        for (u32 l = 0; l < 16; l++)
            binbug_gfx_rom[c * 16 + l] = l % 2 ? static_cast<u8>(c) : 0;
}

TEST_F(Binbug, BaudTableForcesTheMonitorsRate) {
    // Only BINBUG 6.1 takes another rate; its delay bytes follow the table.
    binbug_biosversion = 1;
    binbug_baudrate = 3;
    binbug_set_baud_rate();
    EXPECT_EQ(binbug_baudrate, 1);
    EXPECT_EQ(serial_bit_cycles, 3333u);
    const struct {
        i32 baud;
        u32 bit;
        u8 a, b;
    } table[] = {{0, 6667, 221, 218}, {1, 3333, 110, 107}, {2, 833, 26, 24}, {3, 417, 12, 10}};
    binbug_biosversion = 2;
    for (const auto& t : table) {
        binbug_baudrate = t.baud;
        binbug_set_baud_rate();
        EXPECT_EQ(serial_bit_cycles, t.bit);
        EXPECT_EQ(guest_memory[0x042D], t.a);
        EXPECT_EQ(guest_memory[0x042E], t.b);
    }
}

TEST_F(Binbug, ProgramDrivesPortsLampsKeyboardAndScreen) {
    synthetic_font();
    teletype_rx_byte = 'K';
    // Lamps through port 0 while port 3 selects them; the key twice from port
    // 5; the fire buttons; 'A' and a blinking 'B' on the screen.
    run({0x04, 0x80, 0xD4, 0x03,             // LODI,R0 $80 ; WRTE,R0 3
         0x04, 0xA5, 0xD4, 0x00,             // LODI,R0 $A5 ; WRTE,R0 0
         0x54, 0x05, 0xCC, 0x17, 0x00,       // REDE,R0 5 ; STRA,R0 $7700
         0x54, 0x05, 0xCC, 0x17, 0x01,       // REDE,R0 5 ; STRA,R0 $7701
         0x54, 0x09, 0xCC, 0x17, 0x02,       // REDE,R0 9 ; STRA,R0 $7702
         0x04, 0x41, 0xCC, 0x18, 0x00,       // 'A' at column 0 ($7800)
         0x04, 0x42, 0xCC, 0x18, 0x41,       // 'B' at row 1, column 1
         0x04, 0x01, 0xCC, 0x1C, 0x41,       // which blinks
         0x04, 0x90, 0xD4, 0x03,             // port 3 := $90
         0x04, 0x3C, 0xD4, 0x00,             // ignored by the lamps
         0x54, 0x01, 0xCC, 0x17, 0x03,       // port 1 reads 0
         0x1B, 0x7E});                       // BCTR,UN itself
    EXPECT_EQ(lamp_latch, 0xA5);
    EXPECT_EQ(guest_memory[0x7700], 'K');
    EXPECT_EQ(guest_memory[0x7701], 0xFF);
    EXPECT_EQ(guest_memory[0x7702], 0x3F);
    EXPECT_EQ(guest_memory[0x7703], 0);
    EXPECT_EQ(guest_memory[0x7800], 'A');
    EXPECT_EQ(guest_memory[0x7C41], 1);
    // Frame 1 of 50: the blinking cell is blank.
    EXPECT_EQ(binbug_glyph_row('B', 1, 5, 1), 0);
    EXPECT_EQ(binbug_glyph_row('B', 1, 5, 25), 'B' | 0x81);
    invertflashed = 1;
    EXPECT_EQ(binbug_glyph_row('B', 1, 5, 24), static_cast<u8>(~('B' | 0x81)));
    EXPECT_EQ(binbug_glyph_row('B', 0x80, 5, 0), 'B' | 0x81) << "attribute bit 7 is no blink";
    EXPECT_EQ(binbug_glyph_row('B' | 0x80, 0, 5, 0), static_cast<u8>(~('B' | 0x81)));
    EXPECT_EQ(binbug_glyph_row(200, 2, 5, 0), 200) << "the graphics ROM";
    guest_memory[0x7000 + 3 * 16 + 5] = 0x5A;
    EXPECT_EQ(binbug_glyph_row(3, 4, 5, 0), 0x5A) << "a user-defined character";
}

TEST_F(Binbug, TheMouseButtonsAreFireButtonsOfItsPlayer) {
    controller_left = 1; // the mouse
    mouse_buttons_held[1] = 1;
    run({0x1B, 0x7E}, 1); // BCTR,UN itself
    EXPECT_EQ(binbug_fire[swapped ? 1 : 0], 2); // the middle button is fire button 2
    mouse_buttons_held[1] = 0;
    run({0x1B, 0x7E}, 1);
    EXPECT_EQ(binbug_fire[swapped ? 1 : 0], 0);
}

TEST_F(Binbug, GoldenFrameOfASyntheticScreen) {
    synthetic_font();
    for (u32 i = 0; i < 1024; i++) {
        guest_memory[0x7800 + i] = static_cast<u8>(i & 0xFF);
        static constexpr u8 ATTRIBUTES[4] = {0, 1, 2, 4}; // plain, blinking, graphics, UDG rows
        guest_memory[0x7C00 + i] = ATTRIBUTES[(i / 64) % 4];
    }
    for (u32 l = 0; l < 16; l++)
        guest_memory[0x7000 + 0x41 * 16 + l] = static_cast<u8>(0x18 << (l % 4));
    frame_counter = 30; // blinking cells show
    run({0x1B, 0x7E}, 1);
    EXPECT_EQ(check_golden_frame("binbug_screen"), "");
}

TEST_F(Binbug, ScreenEditorWrapsAndTypes) {
    screen_edit_mode = 1;
    screen_edit_address = 0x7800;
    EXPECT_TRUE(binbug_key_handler(65)); // backspace at the first cell: the last
    EXPECT_EQ(screen_edit_address, 0x7BFFu);
    EXPECT_EQ(guest_memory[0x7BFF], ' ');
    EXPECT_TRUE(binbug_key_handler(32)); // 'A', then the first cell again
    EXPECT_EQ(guest_memory[0x7BFF], 'A');
    EXPECT_EQ(screen_edit_address, 0x7800u);
    EXPECT_TRUE(binbug_key_handler(95)); // help: one code up
    EXPECT_EQ(guest_memory[0x7800], ' ' + 1);
    EXPECT_TRUE(binbug_key_handler(76)); // up from row 0: row 15
    EXPECT_EQ(screen_edit_address, 0x7800u + 15 * 64);
    EXPECT_TRUE(binbug_key_handler(29)); // the pad's 1
    EXPECT_EQ(guest_memory[0x7800 + 15 * 64], '1');
    EXPECT_FALSE(binbug_key_handler(80)); // F1: not the editor's
    EXPECT_TRUE(binbug_key_handler(69));
    EXPECT_EQ(screen_edit_mode, 0);
}

TEST_F(Binbug, StatesBeforeVersion43LoadWithoutIdIndexAndBeep) {
    lamp_latch = 0x42;
    fdc.id_index = 5;
    beeper_countdowns[0] = 9;
    Bytes buffer(200000);
    serial_attach(buffer.data(), static_cast<u32>(buffer.size()));
    serial_dir = SERIAL_WRITE;
    binbug_serialise(MAP_BINBUG);
    const u32 length = serial_cursor();
    serial_detach();
    buffer.resize(length);
    // The version 44 tail without the ID index (after the drives, the drive
    // unit and the mode) and the beep (after the lamps and the switches).
    const u32 id_at = 32768 + 2 + 7 + 4 + 2 * 8 + 2;
    const u32 beep_at = id_at + 1 + 1 + 4 + 3 + 1 + 4 + 3;
    EXPECT_EQ(buffer[id_at], 5);
    EXPECT_EQ(buffer[beep_at], 9);
    Bytes old = buffer;
    old.erase(old.begin() + beep_at);
    old.erase(old.begin() + id_at);
    lamp_latch = 0;
    serial_attach(old.data(), static_cast<u32>(old.size()));
    serial_dir = SERIAL_READ;
    state_guest_version = 42;
    binbug_serialise(MAP_BINBUG);
    EXPECT_FALSE(serial_overrun());
    EXPECT_EQ(serial_cursor(), old.size());
    serial_detach();
    EXPECT_EQ(lamp_latch, 0x42);
    EXPECT_EQ(fdc.id_index, 0u);
    EXPECT_EQ(beeper_countdowns[0], 0);
}

TEST_F(Binbug, CellGridAndOnScreenKeypad) {
    draw_mode = 1;
    virtual_key = 5; // the keypad's "9": row 1, column 1
    run({0x1B, 0x7E}, 1);
    const IndexedPicture frame = capture_guest_frame();
    auto at = [&](u32 x, u32 y) { return frame.pixels[y * frame.width + x]; };
    EXPECT_EQ(at(9, 3), 8) << "column 0 of the second cell";
    EXPECT_EQ(at(17, 3), 8) << "column 8 of the second cell";
    EXPECT_EQ(at(12, 15), 8) << "line 15 of a cell";
    EXPECT_NE(at(12, 3), 8);
    EXPECT_EQ(binbug_keypad_rows[1], 2);
    EXPECT_EQ(binbug_keypad_rows[0], 0);
    virtual_key = -1;
    draw_mode = 0;
}

TEST_F(Binbug, TapePostambleNarration) {
    // CRC, block number, unassigned, the name backwards, store address,
    // count, identification, execute address.
    const u8 postamble[18] = {0x12, 0x34, 7,    0,    1,   2,    'E',  'M', 'A',
                              'N',  0,    0,    0x05, 0x00, 200, 0x93, 0x04, 0x40};
    std::memcpy(guest_memory + 0x044E, postamble, sizeof postamble);
    capture_output();
    binbug_describe_tape_postamble();
    EXPECT_EQ(captured_output(), "Postamble is:\n Execute address:          $0440\n"
                                 " File identification:      $93 (assembler source file)\n"
                                 " # of data bytes in block: 200\n"
                                 " Store address:            $0500\n"
                                 " Filename:                 \xC2\xB7\xC2\xB7NAME\xC2\xB7\xC2\xB7\n"
                                 " Unassigned:               0\n"
                                 " Block number in file:     7\n"
                                 " 16-bit CRC word:          $1234\n");
}

// ---- disks ----------------------------------------------------------------------------------

class BinbugDisk : public Binbug {
  protected:
    void SetUp() override {
        Binbug::SetUp();
        binbug_dos_format(0);
        std::filesystem::current_path(std::filesystem::path(std::getenv("BRINDLEMOX_HOME")));
    }
    std::string host(const std::string& name, const Bytes& data) {
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        return std::filesystem::absolute(name).string();
    }
    static Bytes read(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static u8* entry(int e) { return drives[0].image + (e / 10) * 256 + 16 + (e % 10) * 24; }
    // The bytes entry `e` gives the host file `name`.
    static Bytes extracted(int e, const char* name) {
        DiskFile file;
        EXPECT_TRUE(binbug_dos_extract_file(e, 0, &file));
        EXPECT_EQ(file.name, name);
        return file.bytes;
    }
    static std::string listing() {
        capture_output();
        binbug_dos_list_directory(0, 0);
        return captured_output();
    }
};

TEST_F(BinbugDisk, FormattedDiskListsItsTotals) {
    const std::string out = listing();
    EXPECT_NE(out.find("     0 bytes used by files.\n  2540 bytes reserved for file list.\n"
                       " 99060 bytes free.\n     0 bytes in lost blocks.\n101600 bytes total."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Disk identity:     \"BQ!\""), std::string::npos);
    EXPECT_EQ(drives[0].block_map[0], BLOCK_DIRECTORY);
    EXPECT_EQ(drives[0].block_map[10], BLOCK_FREE);
}

TEST_F(BinbugDisk, ImagesOfTheTwoSizesOnly) {
    Bytes image(drives[0].image, drives[0].image + BINBUG_SHORT_DISK_BYTES);
    Bytes out(BINBUG_DISK_BYTES);
    EXPECT_TRUE(binbug_image_from_file(image, out.data()));
    EXPECT_EQ(out[BINBUG_DISK_BYTES - 1], 0xE5);
    EXPECT_EQ(out[370 * 256], 37);
    EXPECT_EQ(out[370 * 256 + 1], 2);
    EXPECT_EQ(out[399 * 256], 0xFF);
    EXPECT_FALSE(binbug_image_from_file(Bytes(100000), out.data()));
    EXPECT_EQ(warned, "File is wrong size!");
}

TEST_F(BinbugDisk, PutBlocksAndExtractAgain) {
    Bytes data(254);
    for (u32 i = 0; i < data.size(); i++)
        data[i] = static_cast<u8>(i * 7);
    binbug_dos_put_file(host("one.bin", data).c_str(), 0);
    EXPECT_EQ(entry(0)[17] * 256 + entry(0)[18], 1);
    data.push_back(0x99);
    binbug_dos_put_file(host("two.bin", data).c_str(), 0);
    EXPECT_EQ(entry(1)[17] * 256 + entry(1)[18], 2);
    const int second = entry(1)[15] * 10 + entry(1)[16] - 1;
    const u8* last = drives[0].image + second * 256;
    EXPECT_EQ(last[0], 0xFF);
    EXPECT_EQ(last[2], 0x99);
    EXPECT_EQ(Bytes(last + 3, last + 256), Bytes(253, 0));
    const std::string out = listing();
    EXPECT_NE(out.find("   762 bytes used by files."), std::string::npos) << out;
    EXPECT_NE(out.find("     0 bytes in lost blocks."), std::string::npos) << out;
    capture_output();
    binbug_dos_put_file(host("two.bin", data).c_str(), 0);
    EXPECT_EQ(captured_output(), "File already exists on disk!\n\n");
    Bytes padded = data;
    padded.resize(508, 0);
    EXPECT_EQ(extracted(1, "TWO.BIN"), padded);

    binbug_dos_delete_file(0, 0);
    binbug_dos_list_directory(1, 0);
    EXPECT_EQ(drives[0].name_cache[0][0], 0);
    EXPECT_NE(listing().find(" 98552 bytes free."), std::string::npos) << "its block back in the chain";
}

TEST_F(BinbugDisk, TextFilesStopAtTheirEnd) {
    Bytes text(257, 'A');
    text[0] = 0x02;   // the start of the text
    text[254] = 0x03; // its end, at the start of the second block
    text[255] = text[256] = 'z';
    // As the DOS wrote it: put as bytes, then named as text.
    binbug_dos_put_file(host("note.bin", text).c_str(), 0);
    ASSERT_EQ(binbug_dos_check_filename(0, 0, "NOTE.TXT"), 1);
    binbug_dos_list_directory(1, 0);
    EXPECT_EQ(extracted(0, "NOTE.TXT"), Bytes(253, 'A'));
}

TEST_F(BinbugDisk, NameRules) {
    binbug_dos_put_file(host("x.bin", {1}).c_str(), 0);
    capture_output();
    EXPECT_EQ(binbug_dos_check_filename(0, 0, "ELEVENCHARS"), 0);
    EXPECT_EQ(binbug_dos_check_filename(0, 0, "A.LONG"), 0);
    EXPECT_EQ(captured_output(), "Filename is too long!\n\nExtension is too long!\n\n");
    EXPECT_EQ(binbug_dos_check_filename(0, 0, "prog.c"), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(entry(0)), 4), std::string("PROG", 4));
    EXPECT_EQ(entry(0)[10], 'C');
    EXPECT_EQ(entry(0)[11], 0);
    EXPECT_EQ(dos_host_name("../x", ""), "_.._x");
    EXPECT_EQ(dos_host_name("A/B:C", "\x01X"), "A_B_C._X");
}

TEST_F(BinbugDisk, LoopingAndBrokenChainsEnd) {
    binbug_dos_put_file(host("loop.bin", Bytes(600, 5)).c_str(), 0);
    // The file's last block leads back to its first.
    const int first = entry(0)[13] * 10 + entry(0)[14] - 1;
    const int last = entry(0)[15] * 10 + entry(0)[16] - 1;
    entry(0)[15] = 39; // an end block the chain never reaches
    drives[0].image[last * 256] = static_cast<u8>(first / 10);
    drives[0].image[last * 256 + 1] = static_cast<u8>(first % 10 + 1);
    const std::string out = listing();
    EXPECT_NE(out.find("is used more than once!"), std::string::npos) << out;
    Bytes before(drives[0].image, drives[0].image + BINBUG_DISK_BYTES);
    capture_output();
    DiskFile file;
    EXPECT_FALSE(binbug_dos_extract_file(0, 0, &file));
    binbug_dos_delete_file(0, 0);
    EXPECT_EQ(captured_output(), "The file's chain of blocks is broken!\n\n"
                                 "The file's chain of blocks is broken!\n\n");
    EXPECT_EQ(Bytes(drives[0].image, drives[0].image + BINBUG_DISK_BYTES), before);
    // A next sector of 0 is no sector.
    drives[0].image[last * 256] = 0xFF;
    drives[0].image[last * 256 + 1] = 0;
    EXPECT_NE(listing().find("has an invalid next sector field!"), std::string::npos);
}

TEST_F(BinbugDisk, CmdFilesRoundTripAndWarn) {
    for (u32 i = 0; i < 600; i++)
        guest_memory[0x1000 + i] = static_cast<u8>(i * 3);
    ASSERT_EQ(binbug_save_cmd("p.cmd", 0x1000, 0x1257, 0x1004), 1);
    const Bytes file = read("p.cmd");
    EXPECT_EQ(file.size(), 600u + 3 * 3 + 3);
    EXPECT_EQ(file[2], 251);
    std::memset(guest_memory + 0x1000, 0, 600);
    ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(file.size())));
    std::memcpy(filebuf, file.data(), file.size());
    capture_output();
    ASSERT_EQ(binbug_parse_cmd(static_cast<u32>(file.size())), 1);
    EXPECT_EQ(captured_output(), "Successfully loaded CMD file.\n\n");
    binbug_commit_cmd();
    for (u32 i = 0; i < 600; i++)
        ASSERT_EQ(guest_memory[0x1000 + i], static_cast<u8>(i * 3));
    EXPECT_EQ(game_start_address, 0x1004);
    EXPECT_EQ(load_start_known, 1);

    const Bytes open = {0x05, 0x00, 0x04, 1, 2};
    std::memcpy(filebuf, open.data(), open.size());
    capture_output();
    EXPECT_EQ(binbug_parse_cmd(5), 1);
    EXPECT_EQ(captured_output(), "Warning: truncated chunk.\nWarning: no end-of-file chunk found.\n\n");
    const Bytes past = {0x7F, 0xFF, 0x02, 1, 2};
    std::memcpy(filebuf, past.data(), past.size());
    capture_output();
    EXPECT_EQ(binbug_parse_cmd(5), 0);
    EXPECT_EQ(captured_output(), "Invalid chunk header (invalid chunk end address)!\n\n");
}

} // namespace
