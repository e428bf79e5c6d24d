// The sprite editor: the glyphs of each machine (where their rows lie, their
// names and colours), pixel and colour edits in guest memory, and the window.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "gui/tool_windows.h"
#include "inspect/glyph_model.h"
#include "machines/pvi2636.h"
#include "inspect/sprite_editor_window.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SpriteEditor : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    void on(int m, int map) { ASSERT_TRUE(machine_switch(m, map, true, true, false)); }
    std::string name(int n) {
        sprite_name_text(n);
        return sprite_name_buf;
    }
    u8 colour(int n) {
        bool has = false;
        return sprite_glyphs()->colour(n, &has);
    }
    int open() {
        gui_sprite_window();
        return gui_subwin_window[TW_SPRITES];
    }
    void key(int win, int code, u16 qualifier) {
        GuiEvent e;
        e.type = GE_RAWKEY;
        e.code = code;
        e.qualifier = qualifier;
        gui_headless_post(win, e);
        gui_sprite_window_input();
    }
};

} // namespace

TEST_F(SpriteEditor, PviObjectsLieInThePviAndEditInPlace) {
    on(INTERTON, 3);
    const GlyphSet* g = sprite_glyphs();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->count(), 4);
    EXPECT_EQ(g->row_address(3, 0), 0x1F40);
    EXPECT_EQ(g->row_address(3, 9), 0x1F49);
    EXPECT_EQ(g->row_address(1, 0), 0x1F10);
    sprite_current = 3;
    guest_memory[0x1F49] = 0x01;
    EXPECT_EQ(sprite_pixel_toggle(0, 9, 1), 1);
    EXPECT_EQ(guest_memory[0x1F49], 0x81);
    EXPECT_EQ(sprite_pixel_toggle(8, 0, 1), 2);
    EXPECT_EQ(sprite_pixel_toggle(0, 10, 1), 2);
    EXPECT_EQ(guest_memory[0x1F4A], 0);
    // A stale glyph number beyond the machine's objects writes nothing.
    sprite_current = 9;
    EXPECT_EQ(sprite_pixel_toggle(0, 0, 1), 2);
    EXPECT_EQ(name(2), "#2");
}

TEST_F(SpriteEditor, ArcadiaGlyphsNamesAndSpriteColours) {
    on(ARCADIA, 8);
    const GlyphSet* g = sprite_glyphs();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(name(10), "Character PDG #10 ('a')");
    EXPECT_EQ(name(90), "Block PDG #26 ('A')");
    EXPECT_EQ(name(60), "UDG #0 ('b')");
    EXPECT_EQ(name(57), "Sprite #1 ('x')");
    EXPECT_EQ(g->row_address(60, 0), 0x19A0);
    EXPECT_EQ(g->row_address(10, 0), -1);
    sprite_current = 10;
    EXPECT_EQ(sprite_pixel_toggle(0, 0, 1), 2);

    bool has = true;
    g->colour(60, &has);
    EXPECT_FALSE(has);
    EXPECT_EQ(g->set_colour(60, 3), -1);

    guest_memory[0x19FB] = 0x2A;
    flagline = 0;
    EXPECT_EQ(colour(57), 4);
    flagline = 1;
    cpu_psu |= PSU_F;
    EXPECT_EQ(colour(57), 3);
    cpu_psu &= static_cast<u8>(~PSU_F);
    flagline = 0;
    EXPECT_EQ(g->set_colour(57, 4), 2);
    EXPECT_EQ(guest_memory[0x19FB], 0x2A);
    EXPECT_EQ(g->set_colour(56, 1), 1);
    EXPECT_EQ(guest_memory[0x19FB], 0x0A);
}

// Whatever palette colour is picked, the glyph shows that colour afterwards:
// every board's colour maps undo each other.
TEST_F(SpriteEditor, PickedColoursReadBackOnEveryBoard) {
    struct Board {
        int machine, map;
    };
    for (Board b : {Board{INTERTON, 3}, Board{ELEKTOR, 5}, Board{ZACCARIA, MAP_ASTRO_WARS},
                    Board{ZACCARIA, MAP_GALAXIA}, Board{ZACCARIA, MAP_LASER_BATTLE},
                    Board{MALZAK, MAP_MALZAK_2}, Board{ARCADIA, 8}}) {
        on(b.machine, b.map);
        const GlyphSet* g = sprite_glyphs();
        ASSERT_NE(g, nullptr) << b.map;
        const int first = b.machine == ARCADIA ? 56 : 0, last = b.machine == ARCADIA ? 59 : g->count() - 1;
        for (int n = first; n <= last; n++)
            for (int c = 0; c < 8; c++) {
                ASSERT_GE(g->set_colour(n, c), 0);
                EXPECT_EQ(colour(n), c) << "map " << b.map << " glyph " << n;
            }
    }
    // Galaxia, the second PVI's object 0: colour 0 is field value 6.
    on(ZACCARIA, MAP_GALAXIA);
    EXPECT_EQ(sprite_glyphs()->set_colour(4, 0), 6);
    EXPECT_EQ((guest_memory[(pvi_base + 0x100 + 0xC1) & 0x7FFF] >> 3) & 7, 6);
}

TEST_F(SpriteEditor, TheWindowFollowsTheGlyphAndTheKeys) {
    on(ARCADIA, 8);
    int win = open();
    ASSERT_NE(win, 0);
    EXPECT_EQ(sprite_current, 2); // the start glyph, not 56
    EXPECT_EQ(gui_get_text(win, GID_SPRITE_NAME), "Character PDG #2 ('\\')");
    EXPECT_EQ(gui_get_text(win, GID_SPRITE_ADDRESS), "-");
    EXPECT_TRUE(gui_get_disabled(win, GID_SPRITE_VALUE));
    EXPECT_TRUE(gui_get_disabled(win, GID_SPRITE_PALETTE));

    key(win, 0x4E, QUAL_LSHIFT); // to the last
    EXPECT_EQ(sprite_current, 127);
    key(win, 0x4F, QUAL_LSHIFT | QUAL_LALT); // Shift before Alt: the first
    EXPECT_EQ(sprite_current, 0);
    gui_set_value(win, GID_SPRITE_SLIDER, 57);
    GuiEvent slide;
    slide.type = GE_GADGET;
    slide.gid = GID_SPRITE_SLIDER;
    gui_headless_post(win, slide);
    gui_sprite_window_input();
    EXPECT_EQ(sprite_current, 57);
    EXPECT_EQ(gui_get_text(win, GID_SPRITE_ADDRESS + 3), "$198B");
    EXPECT_FALSE(gui_get_disabled(win, GID_SPRITE_VALUE + 3));
    EXPECT_FALSE(gui_get_disabled(win, GID_SPRITE_PALETTE));

    // A pixel click lights it in the guest and on the button.
    guest_memory[0x1988] = 0;
    GuiEvent click;
    click.type = GE_GADGET;
    click.gid = GID_SPRITE_PIXEL + 0 * 8 + 1;
    gui_headless_post(win, click);
    gui_sprite_window_input();
    EXPECT_EQ(guest_memory[0x1988], 0x40);
    EXPECT_EQ(gui_get_text(win, GID_SPRITE_VALUE), "40");

    // With nothing changed a refresh touches no gadget.
    sprite_editor_refresh(0);
    const long calls = gui_headless_setter_calls();
    sprite_editor_refresh(0);
    EXPECT_EQ(gui_headless_setter_calls(), calls);

    // On a PVI console with four glyphs: Alt steps by four, within the ends.
    gui_close_subwindow(TW_SPRITES);
    on(INTERTON, 3);
    win = open();
    ASSERT_NE(win, 0);
    sprite_current = 1;
    key(win, 0x4E, QUAL_LALT);
    EXPECT_EQ(sprite_current, 3);
    key(win, 0x4E, 0);
    EXPECT_EQ(sprite_current, 3);
    key(win, 0x4F, QUAL_RALT);
    EXPECT_EQ(sprite_current, 0);
    key(win, 0xC5, 0); // Esc released: passed on, the window stays
    EXPECT_NE(gui_subwin_window[TW_SPRITES], 0);
    key(win, 0x45, 0);
    EXPECT_EQ(gui_subwin_window[TW_SPRITES], 0);

    // Machines without glyphs have no editor.
    on(PONG, 28);
    EXPECT_EQ(open(), 0);
}

TEST_F(SpriteEditor, PhunsyCharactersAndBlocksAreShownNotEdited) {
    on(PHUNSY, MAP_PHUNSY);
    const GlyphSet* g = sprite_glyphs();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->count(), 256);
    EXPECT_EQ(g->columns, 6);
    EXPECT_EQ(name(200), "(Block) PDG #72 (Grey #5)");
    EXPECT_EQ(name(128), "(Block) PDG #0 (Black #1)");
    EXPECT_EQ(name(255), "(Block) PDG #127 (White)");
    EXPECT_EQ(name(65), "(Character) PDG #65");
    for (int r = 0; r < 8; r++)
        EXPECT_EQ(g->generator_row(200, r), r < 4 ? 0x00 : 0x07) << r;
    EXPECT_EQ(colour(200), 19);
    EXPECT_EQ(g->unlit, 6);
    sprite_current = 200;
    EXPECT_EQ(sprite_pixel_toggle(0, 0, 1), 2);
}

TEST_F(SpriteEditor, TheDiskComputersCharacters) {
    on(BINBUG, MAP_BINBUG);
    const GlyphSet* g = sprite_glyphs();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->count(), 256);
    EXPECT_EQ(g->rows, 16);
    EXPECT_EQ(g->row_address(130, 0), 0x7020);
    EXPECT_EQ(g->row_address(130, 15), 0x702F);
    EXPECT_EQ(g->row_address(5, 0), -1);
    EXPECT_EQ(name(130), "UDG #2");
    EXPECT_EQ(name(5), "PDG #5");
    sprite_current = 5;
    EXPECT_EQ(sprite_pixel_toggle(0, 0, 1), 2);
    sprite_current = 130;
    guest_memory[0x702F] = 0;
    EXPECT_EQ(sprite_pixel_toggle(7, 15, 1), 1);
    EXPECT_EQ(guest_memory[0x702F], 0x01);

    on(CD2650, MAP_CD2650);
    g = sprite_glyphs();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->count(), 128);
    EXPECT_EQ(g->rows, 8); // eight of the ten rows the font stores
    EXPECT_EQ(name(127), "#127");
    sprite_current = 65;
    EXPECT_EQ(sprite_pixel_toggle(0, 0, 1), 2);
}
