#include "devicewindows/music_window.h"

#include "core/frame.h"
#include "core/machine_sound.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/music_keys.h"
#include "inspect/piano_grey.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "sound/voice_update.h"

#include <algorithm>
#include <array>
#include <cstdlib>

u8 music_now_notes[MUSIC_SLOTS];
u8 music_shown_notes[MUSIC_SLOTS];

namespace {

constexpr u8 PEN_GREY = 7, PEN_WHITE = 8, PEN_BLACK = 9;
constexpr u8 PEN_CYAN = 16, PEN_ORANGE = 14;
// The staves' boxes lie 40 pixels apart; box 0 (the main voice) at x 2.
constexpr int STAVE_LEFT = -80;

std::array<u8, MUSIC_KEYS_W * MUSIC_KEYS_H> keys;
std::array<u8, MUSIC_STAVES_W * MUSIC_STAVES_H> staves;
std::array<u32, MUSIC_BACKGROUND + 1> colours;
bool grey_marked[NOTES];
int main_pen = 12;

int window() {
    return gui_subwin_window[TW_MUSIC];
}

template <std::size_t N> void fill(std::array<u8, N>& pixels, int width, int x0, int y0, int x1, int y1, u8 pen) {
    const int height = static_cast<int>(N) / width;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width - 1);
    y1 = std::min(y1, height - 1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            pixels[static_cast<std::size_t>(y * width + x)] = pen;
}

void stave_fill(int x0, int y0, int x1, int y1, u8 pen) {
    fill(staves, MUSIC_STAVES_W, x0 + STAVE_LEFT, y0, x1 + STAVE_LEFT, y1, pen);
}

void stave_disc(int cx, int cy, int r, u8 pen) {
    for (int dy = -r; dy <= r; dy++)
        for (int dx = -r; dx <= r; dx++)
            if (dx * dx + dy * dy <= r * r + r / 2) stave_fill(cx + dx, cy + dy, cx + dx, cy + dy, pen);
}

// A stroke one pixel wide from (x0, y0) to (x1, y1).
void stave_line(int x0, int y0, int x1, int y1) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; i++) {
        const int x = x0 + (steps ? (x1 - x0) * i / steps : 0), y = y0 + (steps ? (y1 - y0) * i / steps : 0);
        stave_fill(x, y, x, y, PEN_BLACK);
    }
}

void clear_stave(int box) {
    const int x = 40 * box;
    stave_fill(x + 82, 20, x + 117, 130, PEN_WHITE);
    for (int i = 0; i <= 10; i++)
        if (i != 5) stave_fill(x + 82, 24 + 10 * i, x + 117, 25 + 10 * i, PEN_BLACK);
}

void show() {
    if (const int win = window()) {
        gui_display_refresh(win, GID_MUSIC_KEYS);
        gui_display_refresh(win, GID_MUSIC_STAVES);
    }
}

// Both pointer buttons: 0 the left (channel 0), 1 the right (channel 1).
void pointer(const GuiEvent& e) {
    const GuiRect r = gui_gadget_rect(window(), GID_MUSIC_KEYS);
    const int x = e.x - r.left, y = e.y - r.top;
    const bool on_keys = x >= 0 && x < MUSIC_KEYS_W && y >= 0 && y < MUSIC_KEYS_H;
    if (e.type == GE_MOUSEBUTTON) {
        const int button = e.code & ~RAWKEY_UP, channel = button == 1 ? 0 : button == 3 ? 1 : -1;
        if (channel < 0) return;
        if (e.code & RAWKEY_UP)
            music_key_release(channel);
        else if (on_keys)
            music_key_press(channel, x, y);
        return;
    }
    const u16 held[2] = {QUAL_LEFTBUTTON, QUAL_RBUTTON};
    for (int channel = 0; channel < 2; channel++) {
        if (!(e.qualifier & held[channel]))
            music_key_release(channel);
        else if (on_keys)
            music_key_press(channel, x, y);
    }
}

bool music_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_MOUSEBUTTON:
    case GE_MOUSEMOVE:
        pointer(e);
        break;
    case GE_RAWKEY:
        gui_forward_raw_key(e.code);
        break;
    default:
        break;
    }
    return false;
}

GuiNode picture(int gid, int width, int height) {
    GuiNode p = gui_node(GK_PICTURE, gid);
    p.min_w = width;
    p.min_h = height;
    return p;
}

GuiNode spacer() {
    GuiNode s = gui_node(GK_SPACE);
    s.weight = 1;
    return s;
}

} // namespace

void gui_music_fill_key(int note, u8 pen) {
    if (note < 0 || note >= NOTES) return;
    const u16* o = note_table[note].outline;
    fill(keys, MUSIC_KEYS_W, 2 * (o[0] - 6), 4, 2 * (o[1] - 6) + 1, 21, pen);
    if (note_table[note].kind == 8) fill(keys, MUSIC_KEYS_W, 2 * (o[2] - 6), 22, 2 * (o[3] - 6) + 1, 35, pen);
}

void gui_music_mark_unplayable(int note) {
    if (note < 0 || note >= NOTES) return;
    grey_marked[note] = true;
    const u16* o = note_table[note].outline;
    if (note_table[note].kind == 8)
        gui_music_fill_key(note, PEN_GREY);
    else
        fill(keys, MUSIC_KEYS_W, 2 * (o[0] - 5), 4, 2 * (o[1] - 7) + 1, 19, PEN_GREY);
}

void gui_music_grey_stave(int box) {
    const int x = 40 * box;
    for (int i = 0; i < 4; i++) {
        stave_fill(x + 81, 26 + 10 * i, x + 118, 33 + 10 * i, PEN_GREY);
        stave_fill(x + 81, 86 + 10 * i, x + 118, 93 + 10 * i, PEN_GREY);
    }
    stave_fill(x + 81, 66, x + 118, 83, PEN_GREY);
}

void gui_music_clear_note(int box, int note) {
    if (note < 0 || note >= NOTES) return;
    gui_music_fill_key(note, note_table[note].kind);
    if (grey_marked[note]) gui_music_mark_unplayable(note);
    clear_stave(box);
}

void gui_music_draw_note(int box, int note, u8 pen) {
    if (note < 0 || note >= NOTES) return;
    gui_music_fill_key(note, pen);
    const int x = 40 * box, p = note_table[note].staff;
    stave_disc(x + 100, 130 - p, 4, PEN_BLACK);
    stave_disc(x + 100, 130 - p, 3, pen);
    if (p == 55) stave_fill(x + 91, 74, x + 107, 75, PEN_BLACK); // middle C's ledger line
    if (note_table[note].sharp) {
        stave_fill(x + 90, 126 - p, x + 90, 134 - p, PEN_BLACK);
        stave_fill(x + 93, 126 - p, x + 93, 134 - p, PEN_BLACK);
        stave_line(x + 88, 129 - p, x + 96, 127 - p);
        stave_line(x + 88, 132 - p, x + 96, 130 - p);
    }
    if (p > 55)
        stave_fill(x + 95, 129 - p, x + 96, 164 - p, PEN_BLACK); // stem down
    else
        stave_fill(x + 104, 97 - p, x + 105, 132 - p, PEN_BLACK); // stem up
}

void music_window_reset() {
    std::fill(std::begin(music_shown_notes), std::end(music_shown_notes), NOTE_REST);
    std::fill(std::begin(grey_marked), std::end(grey_marked), false);
    std::fill(keys.begin(), keys.end(), PEN_BLACK);
    std::fill(staves.begin(), staves.end(), MUSIC_BACKGROUND);
    for (int k = 0; k < NOTES; k++)
        gui_music_fill_key(k, note_table[k].kind);
    for (int box = 0; box < MUSIC_SLOTS; box++)
        clear_stave(box);
    music_grey_unplayable_keys();
    music_release_all();
    music_window_refresh(1);
}

void music_window_refresh(int) {
    if (!window()) return;
    const MusicKeyboard* music = machine_sound().music;
    std::fill(std::begin(music_now_notes), std::end(music_now_notes), NOTE_REST);
    const int extra = music && music->extra_notes ? music->extra_notes(music_now_notes) : 0;
    u8& main = music_now_notes[MUSIC_EXTRA_VOICES];
    if (music && music->main_note) {
        u8 pen = main_pen;
        const int note = music->main_note(&pen);
        main = note < 0 ? music_shown_notes[MUSIC_EXTRA_VOICES] : static_cast<u8>(note);
        if (note >= 0) main_pen = pen;
    }
    // Slot s stands on box s + 1, the main voice on box 0.
    const auto box = [](int slot) { return slot == MUSIC_EXTRA_VOICES ? 0 : slot + 1; };
    for (int s = 0; s < MUSIC_SLOTS; s++)
        if (music_now_notes[s] != music_shown_notes[s]) gui_music_clear_note(box(s), music_shown_notes[s]);
    for (int s = 0; s < extra; s++)
        gui_music_draw_note(box(s), music_now_notes[s], s < extra / 2 ? PEN_CYAN : PEN_ORANGE);
    gui_music_draw_note(0, main, static_cast<u8>(main_pen));
    std::copy(std::begin(music_now_notes), std::end(music_now_notes), std::begin(music_shown_notes));
    show();
}

void gui_music_window() {
    if (window() || !machine_sound().music) return;
    GuiWindowDesc desc;
    desc.title = cat_str(781, "Musical Keyboard");
    desc.help_node = "music";
    const GuiNode staves_row =
        gui_group(GK_HGROUP, {spacer(), picture(GID_MUSIC_STAVES, MUSIC_STAVES_W, MUSIC_STAVES_H), spacer()});
    desc.root = gui_group(GK_VGROUP, {picture(GID_MUSIC_KEYS, MUSIC_KEYS_W, MUSIC_KEYS_H), gui_label(""),
                                      gui_label(""), staves_row});
    if (!gui_open_subwindow(TW_MUSIC, desc)) return;
    for (int i = 0; i < EXTRA_PENS; i++)
        colours[static_cast<std::size_t>(i)] = display_colour_table[display_extra_pens[i]];
    colours[MUSIC_BACKGROUND] = 0xD8D8D8;
    gui_display_attach(window(), GID_MUSIC_KEYS, keys.data(), MUSIC_KEYS_W, MUSIC_KEYS_H, MUSIC_KEYS_W,
                       colours.data(), static_cast<int>(colours.size()));
    gui_display_attach(window(), GID_MUSIC_STAVES, staves.data(), MUSIC_STAVES_W, MUSIC_STAVES_H,
                       MUSIC_STAVES_W, colours.data(), static_cast<int>(colours.size()));
    gui_activate_subwindow(TW_MUSIC);
    music_window_reset();
}

void gui_music_window_input() {
    if (gui_tool_window_events(TW_MUSIC, music_event)) gui_flush_main_port();
}

void music_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_MUSIC];
    ops.open = gui_music_window;
    // A note held by a button that is still down ends with the window.
    ops.release = music_release_all;
    ops.input = gui_music_window_input;
    ops.refresh = music_window_refresh;
}
