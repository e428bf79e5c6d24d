#include "inspect/sprite_editor_window.h"

#include "core/frame.h"
#include "core/machine_debug.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/main_window.h"
#include "gui/palette_editor.h"
#include "gui/prompts.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "inspect/glyph_model.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr int RAW_CURSOR_RIGHT = 0x4E, RAW_CURSOR_LEFT = 0x4F;
constexpr int SWATCH = 16, SWATCHES = 8, PALETTE_W = SWATCH * SWATCHES;
constexpr u8 FRAME_PEN = SWATCHES; // the frame around the selected colour

std::array<u8, PALETTE_W * SWATCH> palette_pixels;
std::array<u32, SWATCHES + 1> palette_table;
int palette_selected = -1;
// When the palette was last clicked; none yet, so the first click is single.
std::chrono::steady_clock::time_point last_palette_click;
bool palette_clicked;

int window() {
    return gui_subwin_window[TW_SPRITES];
}

u32 guest_rgb(int colour) {
    return display_colour_table[display_pens[colour < 0 || colour >= GUEST_COLOURS ? 0 : colour]];
}

void draw_palette() {
    for (int y = 0; y < SWATCH; y++)
        for (int x = 0; x < PALETTE_W; x++) {
            const int s = x / SWATCH, sx = x % SWATCH;
            const bool edge = sx == 0 || sx == SWATCH - 1 || y == 0 || y == SWATCH - 1;
            palette_pixels[static_cast<std::size_t>(y * PALETTE_W + x)] =
                static_cast<u8>(s == palette_selected && edge ? FRAME_PEN : s);
        }
    if (const int win = window()) gui_display_refresh(win, GID_SPRITE_PALETTE);
}

GuiNode row_of(const GlyphSet& g, int r) {
    GuiNode row = gui_group(GK_HGROUP);
    for (int c = 0; c < g.columns; c++) {
        GuiNode p = gui_node(GK_BUTTON, GID_SPRITE_PIXEL + 8 * r + c);
        p.min_w = p.min_h = 18;
        row.children.push_back(p);
    }
    row.children.push_back(gui_label("  "));
    GuiNode address = gui_node(GK_STRING, GID_SPRITE_ADDRESS + r);
    address.readonly = true;
    address.max_chars = 5;
    address.text = "-";
    row.children.push_back(address);
    row.children.push_back(gui_label(": $"));
    GuiNode value = gui_node(GK_BUTTON, GID_SPRITE_VALUE + r);
    value.min_w = 34;
    row.children.push_back(value);
    return row;
}

GuiNode layout(const GlyphSet& g) {
    GuiNode slider = gui_node(GK_SLIDER, GID_SPRITE_SLIDER);
    slider.min = 0;
    slider.max = sprite_count - 1;
    slider.value = sprite_current;
    slider.weight = 1;
    slider.label = cat_str(472, "Sprite:");
    GuiNode name = gui_node(GK_STRING, GID_SPRITE_NAME);
    name.readonly = true;
    name.max_chars = 40;
    name.weight = 1;
    name.text = sprite_name_buf;

    GuiNode grid = gui_group(GK_VGROUP, cat_str(473, "Sprite Imagery"));
    for (int r = 0; r < g.rows && r < SPRITE_ROWS; r++)
        grid.children.push_back(row_of(g, r));
    GuiNode centred = gui_group(GK_HGROUP);
    centred.children = {gui_node(GK_SPACE), grid, gui_node(GK_SPACE)};
    centred.children[0].weight = centred.children[2].weight = 1;

    GuiNode root = gui_group(GK_VGROUP);
    root.children = {slider, name, gui_label(""), centred};
    if (g.palette) {
        GuiNode palette = gui_node(GK_PICTURE, GID_SPRITE_PALETTE);
        palette.min_w = PALETTE_W;
        palette.min_h = SWATCH;
        palette.label = cat_str(782, "Colour:");
        root.children.push_back(gui_label(""));
        root.children.push_back(palette);
    }
    return root;
}

void select_glyph(int n) {
    sprite_current = n;
    if (const int win = window()) gui_set_value(win, GID_SPRITE_SLIDER, n);
    sprite_editor_refresh(1);
}

// Cursor right and left step through the glyphs: by one, by four with Alt,
// to the last or first with Shift or Control.
void cursor_key(int code, u16 qualifier) {
    const bool right = code == RAW_CURSOR_RIGHT;
    int n = sprite_current;
    if (qualifier & (QUAL_LSHIFT | QUAL_RSHIFT | QUAL_CONTROL))
        n = right ? sprite_count - 1 : 0;
    else if (qualifier & (QUAL_LALT | QUAL_RALT))
        n = right ? (n > sprite_count - 5 ? sprite_count - 1 : n + 4) : (n > 3 ? n - 4 : 0);
    else
        n = right ? (n < sprite_count - 1 ? n + 1 : n) : (n > 0 ? n - 1 : n);
    select_glyph(n);
}

void palette_click(int x) {
    const GuiRect rect = gui_gadget_rect(window(), GID_SPRITE_PALETTE);
    const int position = (x - rect.left) / SWATCH;
    if (position < 0 || position >= SWATCHES) return;
    const auto now = std::chrono::steady_clock::now();
    const bool twice = palette_clicked && now - last_palette_click <=
                                               std::chrono::milliseconds(gui_host_double_click_ms());
    last_palette_click = now;
    palette_clicked = true;
    sprite_colour = position;
    sprite_set_colour(position);
    // A double click opens the Palette Editor on the colour clicked.
    if (twice) {
        palette_selected_colour = position;
        gui_palette_window();
    }
}

bool sprite_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_GADGET:
        if (e.gid == GID_SPRITE_SLIDER) {
            select_glyph(gui_get_value(window(), GID_SPRITE_SLIDER));
        } else if (e.gid >= GID_SPRITE_PIXEL && e.gid < GID_SPRITE_PIXEL + 8 * SPRITE_ROWS) {
            sprite_pixel_toggle((e.gid - GID_SPRITE_PIXEL) % 8, (e.gid - GID_SPRITE_PIXEL) / 8, 2);
        } else if (e.gid >= GID_SPRITE_VALUE && e.gid < GID_SPRITE_VALUE + SPRITE_ROWS) {
            const int r = e.gid - GID_SPRITE_VALUE;
            if (std::strcmp(sprite_row_addr[r], "-") != 0) gui_edit_value_window(sprite_row_addr[r], 1, 0);
        }
        break;
    case GE_MOUSEBUTTON:
        if (e.gid == GID_SPRITE_PALETTE && e.code == 1 && !gui_get_disabled(window(), GID_SPRITE_PALETTE))
            palette_click(e.x);
        break;
    case GE_RAWKEY:
        if (e.code == RAW_ESC) return true;
        if (e.code == RAW_CURSOR_RIGHT || e.code == RAW_CURSOR_LEFT)
            cursor_key(e.code, e.qualifier);
        else
            gui_forward_raw_key(e.code);
        break;
    default:
        break;
    }
    return false;
}

} // namespace

bool gui_sprite_window_open() {
    return window() != 0;
}

void gui_sprite_window() {
    for (int i = 0; i < SWATCHES; i++)
        palette_table[static_cast<std::size_t>(i)] = guest_rgb(i);
    palette_table[FRAME_PEN] = 0x000000;
    if (window()) return;
    const GlyphSet* g = sprite_glyphs();
    if (!g) return;
    sprite_count = g->count();
    if (sprite_count <= 0) return;
    if (sprite_current >= sprite_count)
        sprite_current = 0;
    else if (sprite_current == 0)
        sprite_current = g->first;
    sprite_name_text(sprite_current);
    GuiWindowDesc desc;
    desc.title = cat_str(471, "Sprite/Character Editor/Viewer");
    desc.help_node = g->help_node;
    desc.root = layout(*g);
    if (!gui_open_subwindow(TW_SPRITES, desc)) return;
    if (g->palette) {
        palette_selected = -1;
        gui_display_attach(window(), GID_SPRITE_PALETTE, palette_pixels.data(), PALETTE_W, SWATCH,
                           PALETTE_W, palette_table.data(), SWATCHES + 1);
        draw_palette();
    }
    gui_activate_subwindow(TW_SPRITES);
    sprite_editor_refresh(1);
}

void gui_sprite_window_input() {
    if (gui_tool_window_events(TW_SPRITES, sprite_event)) gui_flush_main_port();
}

void gui_sprite_set_pen(int column, int row, int colour) {
    if (const int win = window()) gui_set_background(win, GID_SPRITE_PIXEL + 8 * row + column, static_cast<int>(guest_rgb(colour)));
}

void gui_sprite_set_field(int row, u8 value) {
    const int win = window();
    if (!win || row < 0 || row >= SPRITE_ROWS) return;
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    gui_set_text(win, GID_SPRITE_VALUE + row, text);
    gui_set_disabled(win, GID_SPRITE_VALUE + row, std::strcmp(sprite_row_addr[row], "-") == 0);
}

void gui_sprite_set_string(int row, const char* text) {
    if (row < 0 || row >= SPRITE_ROWS) return;
    std::snprintf(sprite_row_addr[row], sizeof sprite_row_addr[row], "%s", text);
    if (const int win = window()) gui_set_text(win, GID_SPRITE_ADDRESS + row, sprite_row_addr[row]);
}

void gui_sprite_set_name(const char* text) {
    gui_set_string(TW_SPRITES, GID_SPRITE_NAME, text);
}

void gui_sprite_set_palette(int colour, bool enabled) {
    const int win = window();
    if (!win) return;
    palette_selected = enabled && colour >= 0 && colour < SWATCHES ? colour : -1;
    draw_palette();
    gui_set_disabled(win, GID_SPRITE_PALETTE, !enabled);
}

void sprite_editor_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_SPRITES];
    ops.open = gui_sprite_window;
    ops.close = [] { gui_close_subwindow(TW_SPRITES); };
    ops.input = gui_sprite_window_input;
    ops.refresh = sprite_editor_refresh;
}
