// The papertape units: inserting, punching, reading and writing back ".pap" images.
#include "peripherals/papertape.h"

#include "computers/terminal.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "tests/core/home_fixture.h"
#include "tests/support/png_frame.h"

#include <filesystem>
#include <string>

namespace {

std::string last_warning;

class Papertape : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        papertape_reset();
        last_warning.clear();
        ui_host.warning = [](const char* text) { last_warning = text; };
        machine = PIPBUG;
        machine_bus_install(); // the machine hands the units their link
    }
    void TearDown() override {
        papertape_reset();
        HomeTest::TearDown();
    }
    std::string file(const char* name) { return (home / name).string(); }
    static std::string bytes(u32 n, u8 seed) {
        std::string s(n, '\0');
        for (u32 i = 0; i < n; i++)
            s[i] = static_cast<char>(seed + i * 7);
        return s;
    }
};

TEST_F(Papertape, ReadBackByteForByteAndUnchangedOnClose) {
    const std::string image = bytes(300, 0x33);
    test_write_file(home / "in.pap", image);
    ASSERT_EQ(papertape_insert(0, file("in.pap").c_str()), 1);
    EXPECT_EQ(papertape_state[0], TAPE_STOPPED);
    EXPECT_EQ(papertape_length[0], 300u);
    EXPECT_EQ(papertape_read(0), 0x80); // not reading yet
    papertape_read_run(0);
    std::string got;
    while (papertape_state[0] == TAPE_READING)
        got += static_cast<char>(papertape_read(0));
    EXPECT_EQ(got, image);
    EXPECT_EQ(papertape_state[0], TAPE_STOPPED); // the end stops the reader
    ASSERT_TRUE(papertape_close(0));
    EXPECT_EQ(papertape_state[0], TAPE_EMPTY);
    EXPECT_EQ(test_read_file(home / "in.pap"), image);
}

TEST_F(Papertape, PunchedTextRoundTripsThroughTheFile) {
    ASSERT_TRUE(papertape_create_at(0, file("out.pap").c_str()));
    EXPECT_EQ(test_read_file(home / "out.pap"), "");
    papertape_punch_run(0);
    std::string sent;
    for (int i = 0; i < 256; i++)
        sent += static_cast<char>(i);
    for (char c : sent)
        papertape_punch(static_cast<u8>(c));
    ASSERT_TRUE(papertape_close(0));
    EXPECT_EQ(test_read_file(home / "out.pap"), sent);
    ASSERT_EQ(papertape_insert(0, file("out.pap").c_str()), 1);
    papertape_read_run(0);
    for (char c : sent)
        EXPECT_EQ(papertape_read(0), static_cast<u8>(c));
}

TEST_F(Papertape, SizesAtAndBeyondTheTapeLimit) {
    struct Case {
        u32 size;
        int accepted;
    } const cases[] = {{0, 1}, {1, 1}, {PAPERTAPE_SIZE, 1}, {PAPERTAPE_SIZE + 1, 0}};
    for (const Case& c : cases) {
        papertape_reset();
        last_warning.clear();
        test_write_file(home / "t.pap", bytes(c.size, 1));
        EXPECT_EQ(papertape_insert(0, file("t.pap").c_str()), c.accepted) << c.size;
        if (c.accepted) {
            EXPECT_EQ(papertape_length[0], c.size);
            EXPECT_EQ(last_warning, "");
        } else {
            EXPECT_EQ(papertape_state[0], TAPE_EMPTY);
            EXPECT_EQ(last_warning, "File is too large!\n\n");
        }
    }
    EXPECT_EQ(papertape_insert(0, file("missing.pap").c_str()), 0);
    EXPECT_EQ(last_warning, "Can't open file for input!");
}

TEST_F(Papertape, RefusedInsertLeavesTheTapeInTheUnit) {
    test_write_file(home / "a.pap", "abc");
    test_write_file(home / "big.pap", bytes(PAPERTAPE_SIZE + 5, 0));
    ASSERT_EQ(papertape_insert(0, file("a.pap").c_str()), 1);
    papertape_read_run(0);
    papertape_read(0);
    EXPECT_EQ(papertape_insert(0, file("big.pap").c_str()), 0);
    EXPECT_EQ(papertape_state[0], TAPE_READING);
    EXPECT_EQ(papertape_length[0], 3u);
    EXPECT_EQ(papertape_position[0], 1u);
}

TEST_F(Papertape, WriteProtectedPunchOnlyRunsOutBlankTape) {
    test_write_file(home / "p.pap", "XYZ");
    ASSERT_EQ(papertape_insert(0, file("p.pap").c_str()), 1);
    papertape_write_protect = 1;
    papertape_punch_run(0);
    for (u8 c : {u8{'a'}, u8{'b'}, u8{'c'}, u8{'d'}})
        papertape_punch(c);
    papertape_write_protect = 0;
    EXPECT_EQ(papertape_position[0], 4u);
    ASSERT_TRUE(papertape_close(0));
    EXPECT_EQ(test_read_file(home / "p.pap"), std::string("XYZ\0", 4));
}

TEST_F(Papertape, PunchingTheLastFrameStopsTheUnit) {
    ASSERT_TRUE(papertape_create_at(0, file("full.pap").c_str()));
    papertape_punch_run(0);
    for (u32 i = 0; i < PAPERTAPE_SIZE - 1; i++)
        papertape_punch(0x55);
    EXPECT_EQ(papertape_state[0], TAPE_PUNCHING);
    papertape_punch(0xAA);
    EXPECT_EQ(papertape_state[0], TAPE_STOPPED);
    EXPECT_EQ(papertape_length[0], PAPERTAPE_SIZE);
    papertape_punch_run(0);
    papertape_punch(0x11); // nothing beyond the end
    EXPECT_EQ(papertape_length[0], PAPERTAPE_SIZE);
    EXPECT_EQ(papertape_buffer[0][PAPERTAPE_SIZE - 1], 0xAA);
}

// A tape that cannot go back stays in the unit, frames and all, until Eject
// can write it: here its file gave way to a folder, which can then not be
// written over either. Nothing takes its place meanwhile.
TEST_F(Papertape, FailedWriteBackKeepsTheTapeUntilItIsWritten) {
    test_write_file(home / "k.pap", "old");
    ASSERT_EQ(papertape_insert(0, file("k.pap").c_str()), 1);
    papertape_punch_run(0);
    papertape_punch('N');
    std::filesystem::remove(home / "k.pap");
    test_write_file(home / "k.pap" / "inside", "kept");
    for (const char* said :
         {"since it went in.\nThe papertape stays in the unit: "
          "Eject writes it there all the same.",
          "Is a directory!\nThe papertape stays in the unit: Eject tries again."}) {
        EXPECT_FALSE(papertape_eject(0));
        EXPECT_NE(last_warning.find(said), std::string::npos) << last_warning;
        EXPECT_EQ(test_read_file(home / "k.pap" / "inside"), "kept");
        EXPECT_EQ(papertape_state[0], TAPE_STOPPED);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(papertape_buffer[0]), papertape_length[0]),
                  "Nld");
    }
    test_write_file(home / "other.pap", "other");
    EXPECT_FALSE(papertape_create_at(0, file("new.pap").c_str()));
    EXPECT_EQ(papertape_insert(0, file("other.pap").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(home / "new.pap"));
    EXPECT_EQ(papertape_length[0], 3u);
    std::filesystem::remove_all(home / "k.pap");
    EXPECT_TRUE(papertape_eject(0));
    EXPECT_EQ(test_read_file(home / "k.pap"), "Nld");
}

TEST_F(Papertape, TitleNamesTheTapes) {
    char title[200];
    papertape_title(title, sizeof title);
    EXPECT_STREQ(title, "Papertape Unit");
    test_write_file(home / "one.pap", "1");
    test_write_file(home / "two.pap", "2");
    ASSERT_EQ(papertape_insert(0, file("one.pap").c_str()), 1);
    ASSERT_EQ(papertape_insert(1, file("two.pap").c_str()), 1);
    papertape_title(title, sizeof title);
    EXPECT_STREQ(title, "Papertape Unit: one.pap");
    machine = TWIN;
    machine_bus_install();
    papertape_title(title, sizeof title);
    EXPECT_STREQ(title, "Papertape Units: one.pap & two.pap");
}

} // namespace

// ---- The unit's picture ---------------------------------------------------------

namespace {

IndexedPicture tape_picture(int u) {
    IndexedPicture p;
    p.width = PAPERTAPE_PICTURE_WIDTH;
    p.height = PAPERTAPE_PICTURE_HEIGHT;
    p.pixels.assign(papertape_picture[u], papertape_picture[u] + p.width * p.height);
    return p;
}

u8 at(int u, int x, int y) {
    return papertape_picture[u][y * PAPERTAPE_PICTURE_WIDTH + x];
}

} // namespace

TEST_F(Papertape, PictureShowsTheFramesAroundThePosition) {
    ASSERT_TRUE(papertape_create_at(0, file("pic.pap").c_str()));
    papertape_punch_run(0);
    for (u8 c : {u8{'H'}, u8{'i'}, u8{0x07}, u8{0xFF}, u8{0x00}})
        papertape_punch(c);
    ASSERT_TRUE(papertape_close(0));
    ASSERT_EQ(papertape_insert(0, file("pic.pap").c_str()), 1);
    papertape_read_run(0);
    papertape_read(0);
    papertape_read(0); // position 2: 'H' and 'i' above, BEL in the middle row
    papertape_draw_holes(0);
    EXPECT_EQ(check_golden_picture("papertape_reading", tape_picture(0)), "");

    // Middle row (80..99) holds BEL = $07: bits 7..3 unpunched (outline only,
    // background inside), bits 2..0 punched (filled).
    const u8 bg = 6;                           // reading
    EXPECT_EQ(at(0, 26 + 4, 86), 7);           // bit 7 outline, top
    EXPECT_EQ(at(0, 26 + 4, 86 + 4), bg);      // bit 7 inside
    EXPECT_EQ(at(0, 26 + 80 + 4, 86 + 4), bg); // bit 3 (hole 4) inside
    EXPECT_EQ(at(0, 46 + 100 + 4, 86 + 4), 9); // bit 2 (hole 5, past the gap) filled
    EXPECT_EQ(at(0, 46 + 140 + 4, 86 + 4), 9); // bit 0 (hole 7) filled
    EXPECT_EQ(at(0, 128 + 2, 88), 9);          // feed hole
    EXPECT_EQ(at(0, 208, 84), 9);              // BEL draws the solid block
    EXPECT_EQ(at(0, 8, 86), 9);                // the arrow
    // Two frames before the start: the start line at y = 41, every second dot.
    EXPECT_EQ(at(0, 0, 41), 9);
    EXPECT_EQ(at(0, 1, 41), bg);
    // Length 5, position 2: the end line under the last frame, y = 141.
    EXPECT_EQ(at(0, 0, 141), 9);
    // Rows before the start and after the end stay background.
    EXPECT_EQ(at(0, 26 + 4, 6 + 4), bg);
    EXPECT_EQ(at(0, 26 + 4, 166), bg);
}

TEST_F(Papertape, PictureBackgroundFollowsTheUnitState) {
    papertape_draw_holes(0);
    EXPECT_EQ(at(0, 100, 2), 8); // empty
    ASSERT_TRUE(papertape_create_at(0, file("bg.pap").c_str()));
    papertape_draw_holes(0);
    EXPECT_EQ(at(0, 100, 2), 2); // stopped
    papertape_punch_run(0);
    papertape_draw_holes(0);
    EXPECT_EQ(at(0, 100, 2), 0); // punching
    papertape_write_protect = 1;
    papertape_draw_holes(0);
    EXPECT_EQ(at(0, 100, 2), 3); // punching onto a protected tape
    papertape_write_protect = 0;
}
