// The MDCR deck on its own: images in and out, the fields it reads forward,
// and a block written bit by bit as the monitor writes it.
#include "peripherals/mdcr.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/ui_host.h"
#include "peripherals/changed_media.h"
#include "tests/core/home_fixture.h"
#include "tests/record/tools.h"

#include <string>
#include <vector>

namespace {

std::string last_warning;

class Mdcr : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        last_warning.clear();
        ui_host.warning = [](const char* text) { last_warning = text; };
    }
    std::string image(const char* name, u32 size, u8 seed = 0) {
        std::vector<u8> bytes(size);
        for (u32 i = 0; i < size; i++)
            bytes[i] = static_cast<u8>(seed + i * 13 + i / 256);
        write_bytes(home / name, bytes);
        return (home / name).string();
    }
    // Runs forward from `from` and collects `bits` data bits, each read as
    // the bit clock rises.
    static std::vector<u8> read_forward(i32 from, u32 bytes) {
        mdcr_position = from;
        mdcr_state = MDCR_IDLE;
        mdcr_control = 0x20;
        std::vector<u8> out;
        u8 byte = 0;
        u32 bits = 0;
        mdcr_status() &= 0x7F; // the clock ends a field high
        bool clock = false;
        for (int i = 0; i < 400000 && out.size() < bytes; i++) {
            mdcr_clock(3);
            const bool now = mdcr_status() & 0x80;
            if (now && !clock) {
                byte = static_cast<u8>(byte >> 1 | ((mdcr_status() & 0x40) ? 0 : 0x80));
                if (++bits % 8 == 0) out.push_back(byte);
            }
            clock = now;
        }
        mdcr_control = 0;
        return out;
    }
    // Steps `cycles` cycles with the control byte as it stands.
    static void run(u32 cycles) {
        for (u32 c = 0; c < cycles; c += 3)
            mdcr_clock(3);
    }
    // The guest runs the tape forward to block `block`, reads its number, and
    // writes the block's preamble, checksum and `data` bit by bit after it,
    // as the monitor does; writing stays on.
    static void write_block(u32 block, const std::vector<u8>& data) {
        u8 sum = 0;
        for (u8 b : data)
            sum = static_cast<u8>(sum + b);
        mdcr_position = MDCR_FIRST_BLOCK + static_cast<i32>(block) * MDCR_BLOCK_SPACING - 30;
        mdcr_state = MDCR_FORWARD;
        mdcr_forward_state = MDCR_F_IDLE;
        mdcr_control = 0x20;
        bool numbered = false;
        for (int i = 0; i < 100000 && !(numbered && mdcr_forward_state == MDCR_F_IDLE); i++) {
            run(3);
            numbered = numbered || mdcr_forward_state == MDCR_F_NUMBER_A;
        }
        ASSERT_TRUE(numbered);
        ASSERT_EQ(mdcr_block, block);
        mdcr_control = 0x20 | 0x40;
        run(3);
        ASSERT_EQ(mdcr_forward_state, MDCR_F_WRITE);
        mdcr_control |= 0x80; // the first bit of the preamble
        run(3);
        ASSERT_EQ(mdcr_forward_state, MDCR_F_WRITE_ACTIVE);
        std::vector<u8> bytes = {170, sum};
        bytes.insert(bytes.end(), data.begin(), data.end());
        for (std::size_t n = 0; n < bytes.size(); n++)
            for (int b = n == 0 ? 1 : 0; b < 8; b++) {
                const u8 wanted = ((bytes[n] >> b) & 1) ? 0x00 : 0x80;
                run(12);
                if ((mdcr_control & 0x80) == wanted) mdcr_control ^= 0x80; // a clock change between
                run(36);
                mdcr_control = static_cast<u8>((mdcr_control & 0x7F) | wanted);
                run(3);
            }
    }
};

} // namespace

TEST_F(Mdcr, ImagesOfWholeBlocksLoadAndOthersChangeNothing) {
    ASSERT_EQ(mdcr_insert_file(image("one.mdcr", 256).c_str()), 1);
    EXPECT_EQ(mdcr_blocks, 1u);
    EXPECT_EQ(mdcr_end, MDCR_FIRST_BLOCK + MDCR_BLOCK_SPACING);
    ASSERT_EQ(mdcr_insert_file(image("full.mdcr", 32768, 5).c_str()), 1);
    EXPECT_EQ(mdcr_blocks, 128u);
    mdcr_position = 1234;
    const std::string kept = mdcr_file_name;
    const u8 first = mdcr_image[0];
    const std::pair<std::string, const char*> refused[] = {
        {image("odd.mdcr", 300), "File is wrong size!"},
        {image("big.mdcr", 33024), "File is wrong size!"},
        {image("empty.mdcr", 0), "Can't open file for input!"},
        {(home / "none.mdcr").string(), "Can't open file for input!"},
    };
    for (const auto& [path, warning] : refused) {
        SCOPED_TRACE(path);
        EXPECT_EQ(mdcr_insert_file(path.c_str()), 0);
        EXPECT_EQ(last_warning, warning);
        EXPECT_EQ(mdcr_file_name, kept);
        EXPECT_EQ(mdcr_blocks, 128u);
        EXPECT_EQ(mdcr_position, 1234);
        EXPECT_EQ(mdcr_image[0], first);
    }
    // Saved back whole; a created image is 32768 zero bytes.
    mdcr_image[77] = 0xAB;
    ASSERT_NE(mdcr_save_image(), 0);
    EXPECT_EQ(read_bytes(kept).size(), 32768u);
    EXPECT_EQ(read_bytes(kept)[77], 0xAB);
    ASSERT_TRUE(mdcr_create_at((home / "new.mdcr").string().c_str()));
    EXPECT_EQ(read_bytes(home / "new.mdcr"), std::vector<u8>(32768, 0));
    EXPECT_EQ(mdcr_blocks, 128u);
    char text[24];
    tape_format_seconds(text, sizeof text, 333334);
    EXPECT_STREQ(text, "1.000002");
}

// Forward from the start: block 0's number field (170, 0, 170) begins at
// cycle 333334, its data field (170, the checksum, the bytes, 170) 25000
// cycles later; block 127 of a full image reads back too.
TEST_F(Mdcr, FieldsReadForwardAtTheirPlaces) {
    ASSERT_EQ(mdcr_insert_file(image("full.mdcr", 32768, 9).c_str()), 1);
    EXPECT_EQ(read_forward(MDCR_FIRST_BLOCK - 30, 3), (std::vector<u8>{170, 0, 170}));
    EXPECT_EQ(mdcr_block, 0u);

    mdcr_position = MDCR_FIRST_BLOCK + MDCR_DATA_OFFSET - 9;
    mdcr_state = MDCR_FORWARD;
    mdcr_forward_state = MDCR_F_IDLE;
    mdcr_control = 0x20;
    run(6);
    EXPECT_EQ(mdcr_forward_state, MDCR_F_IDLE);
    run(6);
    EXPECT_EQ(mdcr_forward_state, MDCR_F_BLOCK_A);

    const i32 last = MDCR_FIRST_BLOCK + 127 * MDCR_BLOCK_SPACING + MDCR_DATA_OFFSET;
    const std::vector<u8> field = read_forward(last - 30, 259);
    ASSERT_EQ(field.size(), 259u);
    EXPECT_EQ(mdcr_block, 127u);
    u8 sum = 0;
    for (u32 i = 0; i < 256; i++) {
        ASSERT_EQ(field[2 + i], mdcr_image[127 * 256 + i]) << i;
        sum = static_cast<u8>(sum + mdcr_image[127 * 256 + i]);
    }
    EXPECT_EQ(field[0], 170);
    EXPECT_EQ(field[1], sum);
    EXPECT_EQ(field[258], 170);
    // On to the end of the tape, past the last block.
    mdcr_control = 0x20;
    run(static_cast<u32>(mdcr_end - mdcr_position) + 10);
    EXPECT_EQ(mdcr_state, MDCR_AT_END);
    EXPECT_TRUE(mdcr_status() & 0x20);
}

// A block written bit by bit: a change of the data line 42 cycles or more
// after the last counted one is a bit (1 when the line goes low); the
// checksum byte leads, so a right one leaves the checksum at 0.
TEST_F(Mdcr, AWrittenBlockLandsInItsPlaceWithItsChecksum) {
    ASSERT_EQ(mdcr_insert_file(image("full.mdcr", 32768, 3).c_str()), 1);
    std::vector<u8> data(256);
    for (u32 i = 0; i < 256; i++)
        data[i] = static_cast<u8>(i * 31 + 7);
    write_block(5, data);
    for (u32 i = 0; i < 256; i++)
        ASSERT_EQ(mdcr_image[5 * 256 + i], data[i]) << i;
    EXPECT_EQ(mdcr_checksum, 0);
    mdcr_control = 0x20;
    run(3);
    EXPECT_EQ(mdcr_forward_state, MDCR_F_IDLE);

    // Writing right at the start of the tape clears it whole.
    mdcr_position = 50;
    mdcr_state = MDCR_FORWARD;
    mdcr_control = 0x60;
    run(6);
    EXPECT_EQ(mdcr_forward_state, MDCR_F_INIT);
    EXPECT_EQ(std::vector<u8>(mdcr_image, mdcr_image + 32768), std::vector<u8>(32768, 0));
}

// Backward, the deck gives only the clock and stops at the start.
TEST_F(Mdcr, ReverseRunsBackToTheStart) {
    ASSERT_EQ(mdcr_insert_file(image("two.mdcr", 512).c_str()), 1);
    mdcr_position = MDCR_FIRST_BLOCK + MDCR_BLOCK_SPACING + 200000;
    mdcr_state = MDCR_IDLE;
    mdcr_control = 0x10;
    run(3);
    EXPECT_EQ(mdcr_state, MDCR_REVERSE);
    run(100000);
    EXPECT_EQ(mdcr_block, 1u);
    run(static_cast<u32>(mdcr_position) + 10);
    EXPECT_EQ(mdcr_state, MDCR_AT_START);
    EXPECT_EQ(mdcr_position, 0);
    EXPECT_EQ(mdcr_block, 0u);
    mdcr_control = 0;
    run(3);
    EXPECT_EQ(mdcr_state, MDCR_IDLE);
    EXPECT_FALSE(mdcr_status() & 0x20);
}

// A block the guest writes in the middle of the tape changes the tape: it is
// named among the changed media (what a quit, a switch or another tape asks
// about), and the image file stays as it was until it is updated.
TEST_F(Mdcr, ABlockWrittenMidTapeNamesTheTapeAsChanged) {
    machine_switch(PHUNSY, MAP_PHUNSY, true, true, false);
    const std::string path = image("mid.mdcr", 32768, 9);
    const std::vector<u8> before = read_bytes(path);
    ASSERT_EQ(mdcr_insert_file(path.c_str()), 1);
    EXPECT_EQ(media_changed_text(), "");
    write_block(64, std::vector<u8>(256, 0x5A));
    EXPECT_EQ(mdcr_image[64 * 256 + 100], 0x5A);
    EXPECT_EQ(mdcr_image[63 * 256 + 100], before[63 * 256 + 100]);
    EXPECT_EQ(media_changed_text(), "Changed tapes not saved: MDCR tape (\"mid.mdcr\")");
    EXPECT_TRUE(read_bytes(path) == before);
    ASSERT_EQ(mdcr_save_image(), 1);
    EXPECT_EQ(media_changed_text(), "");
    EXPECT_EQ(read_bytes(path)[64 * 256 + 100], 0x5A);
}

// Another tape put on the deck comes without the old one's changes: nothing
// is named, and it goes without a question.
TEST_F(Mdcr, InsertingATapeForgetsTheChangesOfTheOneBefore) {
    machine_switch(PHUNSY, MAP_PHUNSY, true, true, false);
    ASSERT_EQ(mdcr_insert_file(image("first.mdcr", 32768, 1).c_str()), 1);
    write_block(10, std::vector<u8>(256, 0x11));
    ASSERT_NE(media_changed_text(), "");
    ASSERT_EQ(mdcr_insert_file(image("second.mdcr", 1024, 2).c_str()), 1);
    EXPECT_EQ(media_changed_text(), "");
    EXPECT_TRUE(media_release(MEDIUM_MDCR, "Replace"));
    // The same tape put on again after changes comes back as its file holds it.
    write_block(1, std::vector<u8>(256, 0x22));
    ASSERT_NE(media_changed_text(), "");
    ASSERT_EQ(mdcr_insert_file((home / "second.mdcr").c_str()), 1);
    EXPECT_EQ(media_changed_text(), "");
    EXPECT_EQ(mdcr_image[256 + 7], static_cast<u8>(2 + (256 + 7) * 13 + 1));
}
