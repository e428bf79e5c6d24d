// Golden frames of the Arcadia: small programs of ours that set up one kind of
// picture each and then loop, rendered in both frame modes and compared pixel
// by pixel with reviewed pictures in tests/data/frames.
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "machines/arcadia.h"
#include "machines/uvi2637.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A program as a list of stores: each is LODI,R0 value; STRA,R0 address.
struct Program {
    std::vector<u8> code;
    void store(u16 address, u8 value) {
        for (u8 b : {u8{0x04}, value, u8{0xCC}, static_cast<u8>(address >> 8),
                     static_cast<u8>(address & 0xFF)})
            code.push_back(b);
    }
    // Screen code of row r (0-25), column c.
    void put(int r, int c, u8 code_byte) {
        const u16 base = r < 13 ? 0x1800 + 16 * r : 0x1A00 + 16 * (r - 13);
        store(static_cast<u16>(base + c), code_byte);
    }
    void text(int r, int c, const char* s, u8 colour_bits) {
        for (; *s; s++, c++)
            put(r, c, static_cast<u8>(code_of(*s) | colour_bits));
    }
    static u8 code_of(char ch) {
        for (u8 i = 0; i < 64; i++)
            if (uvi_char_codes[i] == ch) return i;
        return 0;
    }
};

struct Scene {
    const char* name;
    Program (*build)();
    int frames;
};

// 26 rows of 8 lines: the 64 normal glyphs in each of the four colour
// numbers the code's top bits select, the foreground bit set.
Program normal_rows() {
    Program p;
    p.store(0x18FC, 0xF7);               // area 8 lines down
    p.store(0x19F8, 0x40);               // 26 rows, normal set
    p.store(0x19F9, 0x80 | 0x08 | 0x02); // 8-line rows, fg bit, bg 2
    for (int k = 0; k < 4; k++)          // four colours
        for (int g = 0; g < 64; g++) {
            const int r = 4 * k + g / 16, c = g % 16;
            u8 code = static_cast<u8>(g | k << 6);
            if ((code & 0x3F) == 0 && (code & 0x40)) code = 0; // $40/$C0 switch sets
            p.put(r, c, code);
        }
    p.text(17, 0, "EMERSON ARCADIA", 0x80);
    return p;
}

// 13 rows of 16 lines, scrolled 3 clocks right, with text in two colours.
Program tall_rows() {
    Program p;
    p.store(0x18FC, 0xEF);   // area 16 lines down
    p.store(0x19F8, 0x00);   // 13 rows
    p.store(0x19F9, 0x05);   // 16-line rows, bg 5
    p.store(0x18FE, 3 << 5); // scroll
    p.text(1, 2, "HELLO, WORLD.", 0x00);
    p.text(3, 0, "0123456789", 0x40);
    p.text(5, 3, "ROW FIVE", 0x80);
    p.text(12, 8, "END", 0x80);
    return p;
}

// The block set for the whole area, then a row that switches sets with the
// codes $C0 (blocks on) and $40 (blocks off).
Program block_rows() {
    Program p;
    p.store(0x18FC, 0xEF);
    p.store(0x19F8, 0x80 | 0x40); // block set, 26 rows
    p.store(0x19F9, 0x80 | 0x01); // 8-line rows, bg 1
    for (int g = 0; g < 64; g++)
        p.put(g / 16, g % 16, static_cast<u8>(g | ((g / 16) << 6)));
    p.store(0x19F8, 0x80 | 0x40);
    for (int c = 0; c < 16; c++)
        p.put(6, c, static_cast<u8>(c == 4 ? 0x40 : c == 10 ? 0xC0 : 0x1A + c));
    return p;
}

// Board mode: two foreground and two background colours chosen per row by
// bits 6 and 7 of each code.
Program board_rows() {
    Program p;
    p.store(0x18FC, 0xEF);
    p.store(0x18FD, 0x80);                // board mode
    p.store(0x19F8, (3 << 3) | 6);        // F0 3, G0 6
    p.store(0x19F9, 0x80 | (1 << 3) | 4); // 8-line rows, F1 1, G1 4
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 16; c++)
            p.put(2 * r, c, static_cast<u8>((0x10 + c) | (r << 6)));
    p.text(9, 1, "BOARD MODE", 0x40);
    return p;
}

// The eight user-defined characters in four colours.
Program user_graphics() {
    static const u8 shapes[8][8] = {
        {0x18, 0x3C, 0x7E, 0xFF, 0xFF, 0x7E, 0x3C, 0x18},
        {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},
        {0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF},
        {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},
        {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},
        {0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF},
        {0x3C, 0x42, 0xA5, 0x81, 0xA5, 0x99, 0x42, 0x3C},
        {0x10, 0x38, 0x7C, 0xFE, 0x38, 0x38, 0x38, 0x00},
    };
    Program p;
    p.store(0x18FC, 0xEF);
    p.store(0x19F8, 0x00);
    p.store(0x19F9, 0x80 | 0x03); // 8-line rows, bg 3
    for (int g = 0; g < 8; g++)
        for (int l = 0; l < 8; l++)
            p.store(static_cast<u16>(0x1980 + 8 * g + l), shapes[g][l]);
    for (int k = 0; k < 4; k++)
        for (int g = 0; g < 8; g++)
            p.put(2 * k + 1, 2 * g, static_cast<u8>((56 + g) | k << 6));
    return p;
}

// Four sprites: 0 and 1 short, 2 and 3 tall; sprites 0 and 1 overlap, and
// sprite 2 crosses a row of characters.
Program sprites() {
    static const u8 shapes[4][8] = {
        {0xFF, 0x81, 0xBD, 0xA5, 0xA5, 0xBD, 0x81, 0xFF},
        {0x3C, 0x7E, 0xFF, 0xFF, 0xFF, 0xFF, 0x7E, 0x3C},
        {0x18, 0x18, 0xFF, 0xFF, 0x18, 0x18, 0x18, 0x18},
        {0xC3, 0x66, 0x3C, 0x18, 0x18, 0x3C, 0x66, 0xC3},
    };
    Program p;
    p.store(0x18FC, 0xEF);
    p.store(0x19F8, 0x00);
    p.store(0x19F9, 0x80 | 0x06); // 8-line rows, bg 6
    p.text(8, 0, "SPRITES", 0x00);
    for (int s = 0; s < 4; s++)
        for (int l = 0; l < 8; l++)
            p.store(static_cast<u16>(0x1980 + 8 * s + l), shapes[s][l]);
    static const u8 at[4][2] = {{200, 60}, {196, 65}, {185, 50}, {150, 120}};
    for (int s = 0; s < 4; s++) {
        p.store(static_cast<u16>(0x18F0 + 2 * s), at[s][0]); // vertical
        p.store(static_cast<u16>(0x18F1 + 2 * s), at[s][1]); // horizontal
    }
    p.store(0x19FB, 0xC0 | (1 << 3) | 2); // sprites 0, 1 short; colours 1, 2
    p.store(0x19FA, (4 << 3) | 5);        // sprites 2, 3 tall; colours 4, 5
    return p;
}

const Scene SCENES[] = {
    {"arcadia_normal_rows", normal_rows, 3},     {"arcadia_tall_rows", tall_rows, 3},
    {"arcadia_block_rows", block_rows, 3},       {"arcadia_board_rows", board_rows, 3},
    {"arcadia_user_graphics", user_graphics, 3}, {"arcadia_sprites", sprites, 3},
};

class ArcadiaGolden : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        blankingareas = 1;
        emu_region = 0;
        collisions = 1;
        sprite_mode = 2;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }
    void TearDown() override { fresh_state(); }

    void run(const Scene& scene, u32 mode) {
        framebased = mode;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        Program p = scene.build();
        p.code.insert(p.code.end(), {0x1B, 0x7E}); // BCTR,UN to itself
        ASSERT_LE(p.code.size(), 0x1000u) << scene.name;
        std::memcpy(guest_memory, p.code.data(), p.code.size());
        machine_reset();
        for (int f = 0; f < scene.frames; f++)
            emu_run_frame();
    }
};

TEST_F(ArcadiaGolden, EachSceneInBothFrameModes) {
    for (const Scene& scene : SCENES)
        for (u32 mode : {0u, 1u}) {
            run(scene, mode);
            EXPECT_EQ(check_golden_frame(scene.name), "") << scene.name << " mode " << mode;
        }
}

// The sprites scene collides as drawn: 0 with 1, 2 with the characters.
TEST_F(ArcadiaGolden, SpriteSceneSetsItsCollisionBits) {
    for (u32 mode : {0u, 1u}) {
        run(SCENES[5], mode);
        EXPECT_EQ(guest_memory[0x19FD] & 0x3F, 0x3E) << "mode " << mode; // only 0 and 1
        EXPECT_EQ(guest_memory[0x19FC] & 0x0F, 0x0B) << "mode " << mode; // only sprite 2
    }
}

} // namespace
