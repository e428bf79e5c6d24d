// The Guest Controls picture: layouts, held marks, the virtual key into the
// guest's registers, the hover legend and the key labels.
#include "input/controls.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "input/controls_help.h"
#include "input/joysticks.h"
#include "input/paddles.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

u8 controls_held[CONTROLS_RECTS];
char controls_legend_text[LEGEND_FIELDS][LEGEND_TEXT];
i32 controls_hover_index = -2;

namespace {

const MachineControls NO_CONTROLS{};

bool in_rect(const ControlsKeyRect& r, int x, int y) {
    return r.x >= 0 && x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

} // namespace

// ---- layouts ----------------------------------------------------------------------------------

bool controls_picture_size(int image, int* width, int* height) {
    auto found = [&](std::int16_t w, std::int16_t h) {
        *width = w;
        *height = h;
        return true;
    };
    if (image == controls_extra_picture.picture)
        return found(controls_extra_picture.width, controls_extra_picture.height);
    for (const ControlsLayout& l : controls_layouts)
        if (l.picture == image) return found(l.width, l.height);
    return false;
}

const MachineControls& machine_controls() {
    const MachineControls* c = machine_row().controls;
    return c ? *c : NO_CONTROLS;
}

bool controls_available() {
    return machine_row().controls != nullptr && controls_mark_count() > 0;
}

const ControlsLayout& controls_current_layout() {
    const i32 n = controls_layout;
    return controls_layouts[n >= 0 && n < CONTROLS_LAYOUTS ? n : 0];
}

int controls_mark_count() {
    const i32 n = machine_live_row().controls_keys;
    const i32 drawn = controls_current_layout().count;
    return n < 0 ? 0 : n > drawn ? drawn : n;
}

int controls_hit(int x, int y, bool panel) {
    const ControlsLayout& l = controls_current_layout();
    const int n = controls_mark_count();
    for (int i = 0; i < n; i++)
        if ((l.rects[i].on_panel != 0) == panel && in_rect(l.rects[i], x, y)) return i;
    return -1;
}

// ---- marks ----------------------------------------------------------------------------------------

namespace {

void fill_ellipse(ControlsCanvas& c, int cx, int cy, int rx, int ry, bool complement, u8 pen) {
    if (rx < 0 || ry < 0) return;
    for (int dy = -ry; dy <= ry; dy++) {
        // The widest dx with (dx/rx)^2 + (dy/ry)^2 <= 1.
        int half = rx;
        if (ry > 0)
            while (half > 0 && static_cast<long>(half) * half * ry * ry +
                                       static_cast<long>(dy) * dy * rx * rx >
                                   static_cast<long>(rx) * rx * ry * ry)
                half--;
        const int y = cy + dy;
        if (y < 0 || y >= c.height) continue;
        for (int x = cx - half; x <= cx + half; x++) {
            if (x < 0 || x >= c.width) continue;
            u8& p = c.pixels[static_cast<std::size_t>(y) * c.stride + x];
            p = complement ? static_cast<u8>(p ^ 0xFF) : pen;
        }
    }
}

void complement_rect(ControlsCanvas& c, int x0, int y0, int x1, int y1) {
    for (int y = y0 < 0 ? 0 : y0; y <= y1 && y < c.height; y++)
        for (int x = x0 < 0 ? 0 : x0; x <= x1 && x < c.width; x++)
            c.pixels[static_cast<std::size_t>(y) * c.stride + x] ^= 0xFF;
}

// The paddle's direction marks: low (left or up) and high (right or down).
void paddle_axis(i32 dir, i32 pos, int low, int high) {
    const bool lo = dir < 0 || pos <= 64;
    const bool hi = !lo && (dir > 0 || pos > 191);
    controls_held[low] = lo;
    controls_held[high] = hi;
}

void paddle_marks(ControlsPaddleMarks kind) {
    if (kind == ControlsPaddleMarks::FOUR_WAYS) {
        for (int s = 0; s < 2; s++) {
            const int base = 28 + 4 * s; // up, left, down, right
            paddle_axis(paddle_dy[s], paddle_y[s], base, base + 2);
            paddle_axis(paddle_dx[s], paddle_x[s], base + 1, base + 3);
        }
    } else if (kind == ControlsPaddleMarks::BATS) {
        for (int s = 0; s < 2; s++)
            paddle_axis(paddle_dy[s], paddle_y[s], 11 + 2 * s, 12 + 2 * s);
    }
}

} // namespace

void controls_clear_marks() {
    std::memset(controls_held, 0, sizeof controls_held);
    std::memset(controls_marked, 0, sizeof controls_marked);
}

void controls_fill_held() {
    const MachineControls& m = machine_controls();
    std::memset(controls_held, 0, sizeof controls_held);
    for (u32 i = 0; i < m.register_count && i < CONTROLS_RECTS; i++) {
        const ControlsRegisterKey& r = m.registers[i];
        if (r.target) controls_held[i] = (guest_memory[r.target & (GUEST_MEMORY_SIZE - 1)] & r.mask) != 0;
    }
    if (m.held) m.held(controls_held);
    paddle_marks(m.paddle_marks);
}

void gui_controls_draw_key(ControlsCanvas& picture, ControlsCanvas* panel, int i) {
    if (i < 0 || i >= CONTROLS_RECTS) return;
    const ControlsKeyRect& r = controls_current_layout().rects[i];
    if (r.x < 0) return;
    ControlsCanvas* c = r.on_panel ? panel : &picture;
    if (!c || !c->pixels) return;
    if (r.round)
        fill_ellipse(*c, r.x + r.width / 2, r.y + r.height / 2, r.width / 2, r.height / 2, true,
                     0);
    else
        complement_rect(*c, r.x, r.y, r.x + r.width - 1, r.y + r.height - 1);
}

void controls_draw_lamps(ControlsCanvas& picture, ControlsCanvas* panel) {
    const MachineControls& m = machine_controls();
    if (!m.lamps) return;
    ControlsLamp lamps[48];
    const int n = m.lamps(lamps, 48);
    for (int i = 0; i < n && i < 48; i++) {
        const ControlsLamp& l = lamps[i];
        ControlsCanvas* c = l.panel ? panel : &picture;
        if (!c || !c->pixels) continue;
        const int a = l.size / 2;
        const u8 pen = !l.lit ? CONTROLS_PEN_UNLIT : l.pale ? CONTROLS_PEN_PALE : CONTROLS_PEN_LIT;
        fill_ellipse(*c, l.x + a, l.y + a, a + 1, a + 1, false, pen);
    }
}

bool guest_controls_refresh_marks(ControlsCanvas& picture, ControlsCanvas* panel) {
    controls_draw_lamps(picture, panel);
    controls_fill_held();
    bool drawn = machine_controls().lamps != nullptr;
    const int n = controls_mark_count();
    for (int i = 0; i < n; i++) {
        if ((controls_marked[i] != 0) == (controls_held[i] != 0)) continue;
        gui_controls_draw_key(picture, panel, i);
        controls_marked[i] = controls_held[i] ? 1 : 0;
        drawn = true;
    }
    return drawn;
}

// ---- the virtual key into the guest ----------------------------------------------------------

void input_virtual_key_apply() {
    const i32 k = virtual_key;
    if (k < 0) return;
    const MachineControls& m = machine_controls();
    if (static_cast<u32>(k) < m.register_count && m.write_register) {
        const ControlsRegisterKey& r = m.registers[k];
        if (r.target) {
            m.write_register(r.target, static_cast<u8>(guest_memory[r.target & (GUEST_MEMORY_SIZE - 1)] | r.mask));
            return;
        }
    }
    if (m.apply) m.apply(k);
}

// ---- the legend -----------------------------------------------------------------------------------

namespace {

void set_text(int field, const char* text) {
    std::snprintf(controls_legend_text[field], LEGEND_TEXT, "%s", text ? text : "-");
}

void append_text(int field, const char* sep, const char* text) {
    char* t = controls_legend_text[field];
    const std::size_t len = std::strlen(t);
    if (len < LEGEND_TEXT - 1) std::snprintf(t + len, LEGEND_TEXT - len, "%s%s", sep, text);
}

const char* key_name(u16 code) {
    if (code >= RAW_KEYS || code == RAW_NONE || !key_table[code].name) return "-";
    return key_table[code].name;
}

// The overlay slot of guest key k of player p, -1 for none.
int overlay_slot_of(int p, int k) {
    for (int s = 0; s < OVERLAY_SLOTS; s++)
        if (overlay_key_slots[s].player == p && overlay_key_slots[s].key == k) return s;
    return -1;
}

// The gamepad button names by host button (Red, Blue, Green, Yellow).
const char* pad_button_name(int host_button) {
    switch (host_button) {
    case 0:
        return cat_str(411, "Red");
    case 1:
        return cat_str(413, "Blue");
    case 2:
        return cat_str(412, "Green");
    default:
        return cat_str(341, "Yellow");
    }
}

// The host button that drives guest fire button n (1-4) through the order of
// the gamepad the player uses; n - 1 without an order or when it names none.
int host_button_of(int player, int n) {
    if (const u8* order = input_player_button_order(player))
        for (int i = 0; i < 4; i++)
            if (order[i] == n) return i;
    return n - 1;
}

// A control that is no player key: fills the texts from its role. The host
// key of a control that opens a window or flips an option is the shortcut of
// its menu item, written as the menus show it.
void legend_role(const ControlsKeyRect& r) {
    set_text(4, "-");
    const MachineLive& live = machine_live_row();
    switch (r.role) {
    case CR_SLOT:
        set_text(0, cat_str(1024, "Cartridge slot"));
        set_text(2, "Ctrl+O");
        set_text(3, "-");
        break;
    case CR_CONSOLE1:
    case CR_CONSOLE2:
    case CR_CONSOLE3:
    case CR_CONSOLE4: {
        const int b = r.role - CR_CONSOLE1;
        static constexpr CatalogText PAD[4] = {{799, "Play"}, {786, "Reverse"}, {785, "Forward"},
                                               {0, "-"}};
        set_text(0, live.console_labels[b]);
        set_text(2, key_name(console_keys[b]));
        set_text(3, PAD[b].number ? cat_str(PAD[b].number, PAD[b].english) : PAD[b].english);
        break;
    }
    case CR_RESET:
        set_text(0, cat_str(671, "RESET"));
        // A click here keeps a netplay link; the key's reset ends it.
        set_text(2, "F5 (ends a netplay link)");
        set_text(3, "-");
        break;
    case CR_DIPS:
        set_text(0, cat_str(1033, "DIP switches"));
        set_text(2, "Ctrl+@");
        set_text(3, "-");
        break;
    case CR_TAPE:
        set_text(0, cat_str(1034, "Tape deck"));
        set_text(2, "Ctrl+Shift+O");
        set_text(3, "-");
        break;
    case CR_OPCODES:
        set_text(0, cat_str(1035, "Opcodes help"));
        set_text(2, "Ctrl+Shift+U");
        set_text(3, "-");
        break;
    case CR_ANGLES:
    case CR_SPEED:
    case CR_SERVING:
    case CR_LOCK: {
        static constexpr CatalogText NAMES[4] = {{513, "Angles"}, {94, "Speed"}, {515, "Serving"},
                                                 {532, "Lock horizontal axis?"}};
        const CatalogText& t = NAMES[r.role - CR_ANGLES];
        set_text(0, cat_str(t.number, t.english));
        set_text(2, "Ctrl+@");
        set_text(3, "-");
        break;
    }
    case CR_SOUND:
        set_text(0, cat_str(102, "Sound?"));
        set_text(2, "Ctrl+U");
        set_text(3, "-");
        break;
    case CR_SWAP:
        set_text(0, cat_str(1031, "Controllers swapped?"));
        set_text(2, "Ctrl+J");
        set_text(3, "-");
        break;
    case CR_INFO:
        set_text(0, cat_str(637, "Instructions"));
        set_text(2, "Ctrl+&");
        set_text(3, "-");
        break;
    case CR_INERT: // drawn only (the Interton's ON switch): nothing plays it
        set_text(0, "-");
        set_text(2, "-");
        set_text(3, "-");
        break;
    default:
        break;
    }
    std::memcpy(controls_legend_text[1], controls_legend_text[0], LEGEND_TEXT);
    if (r.role == CR_SLOT) set_text(1, cat_str(1024, "Cartridge slot"));
}

void legend_key(const MachineControls& m, int p, int k) {
    // Overlay and guest key.
    const int slot = overlay_slot_of(p, k);
    if (slot < 0) {
        set_text(0, machine_key_label(p, k));
        set_text(1, machine_key_label(p, k));
    } else {
        set_text(0, overlay_label(current_overlay, slot));
        set_text(1, overlay_label(memmap_desc().default_overlay, slot));
    }
    // Host keys.
    set_text(2, m.legend_host_is_overlay ? controls_legend_text[0] : key_name(player_keys[p][k]));
    // Directions.
    if (k >= GK_UP && k <= GK_RIGHT) {
        set_text(3, machine_key_label(p, k));
        set_text(4, "-");
        return;
    }
    if (k >= GK_UP_LEFT && k <= GK_DOWN_RIGHT) {
        static const char* const DIAGONALS[4] = {"Up+Lt", "Up+Rt", "Dn+Lt", "Dn+Rt"};
        set_text(3, DIAGONALS[k - GK_UP_LEFT]);
        set_text(4, "-");
        return;
    }
    // Fire buttons.
    static constexpr int FIRE_KEY[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    bool any = false, mouse = false;
    set_text(3, "");
    set_text(4, "");
    for (int n = 1; n <= 4; n++) {
        if (fire_button_assign[n - 1] != k) continue;
        append_text(2, ", ", key_name(player_keys[p][FIRE_KEY[n - 1]]));
        append_text(3, any ? ", " : "", pad_button_name(host_button_of(p, n)));
        if (n <= 3) {
            static constexpr CatalogText MOUSE[3] = {{280, "Left"}, {783, "Middle"}, {281, "Right"}};
            append_text(4, mouse ? ", " : "", cat_str(MOUSE[n - 1].number, MOUSE[n - 1].english));
            mouse = true;
        }
        any = true;
    }
    if (!any) set_text(3, "-");
    if (!mouse) set_text(4, "-");
}

} // namespace

void controls_legend_for_rect(int i) {
    if (i < 0 || i >= CONTROLS_RECTS) return;
    const ControlsKeyRect& r = controls_current_layout().rects[i];
    const MachineControls& m = machine_controls();
    int p = r.player;
    if (p >= 0 && swapped && m.legend_pads) p = 1 - p;
    if (r.key < 0 || p < 0) {
        legend_role(r);
        return;
    }
    legend_key(m, p & 1, r.key < KEYPAD_KEYS ? r.key : 0);
}

bool controls_labels_rebuild(int x, int y) {
    if (!machine_controls().legend) return false;
    const int i = controls_hit(x, y, false);
    if (i >= 0) {
        if (i == controls_hover_index) return false;
        controls_legend_for_rect(i);
        controls_hover_index = i;
        return true;
    }
    if (controls_hover_index == -1) return false;
    for (auto& t : controls_legend_text)
        set_text(static_cast<int>(&t - controls_legend_text), "-");
    controls_hover_index = -1;
    return true;
}

// ---- key labels ----------------------------------------------------------------------------------

const char* machine_key_label(int player, int k) {
    if (k < 0 || k >= KEYPAD_KEYS) return "-----";
    const MachineLive& live = machine_live_row();
    if (const char* l = live.key_labels[player & 1][k]) return l;
    const MachineDesc& d = machine_desc();
    const char* const* keys = player & 1 ? d.right_keys : d.left_keys;
    return keys ? keys[k] : "-----";
}

void input_direction_names() {
    MachineLive& live = machine_live_row();
    for (int s = 0; s < OVERLAY_SLOTS; s++) {
        const OverlayKeySlot& o = overlay_key_slots[s];
        live.key_labels[o.player & 1][o.key] = overlay_label(current_overlay, s);
    }
    static constexpr struct {
        int key;
        CatalogText name;
    } PAD_SLOTS[12] = {{GK_FIRE1, {919, "1st"}},       {GK_UP, {296, "Up"}},
                       {GK_DOWN, {297, "Dn"}},         {GK_LEFT, {299, "Lt"}},
                       {GK_RIGHT, {298, "Rt"}},        {GK_FIRE2, {920, "2nd"}},
                       {GK_FIRE3, {921, "3rd"}},       {GK_FIRE4, {922, "4th"}},
                       {GK_UP_LEFT, {923, "UpLt"}},    {GK_UP_RIGHT, {924, "UpRt"}},
                       {GK_DOWN_LEFT, {925, "DnLt"}},  {GK_DOWN_RIGHT, {926, "DnRt"}}};
    for (int p = 0; p < 2; p++)
        for (const auto& slot : PAD_SLOTS)
            live.key_labels[p][slot.key] = cat_str(slot.name.number, slot.name.english);
}

void input_controls_reset() {
    controls_clear_marks();
    controls_hover_index = -2;
    for (auto& t : controls_legend_text)
        std::snprintf(t, LEGEND_TEXT, "-");
}
