#include "inspect/cpu_monitor_window.h"

#include "core/frame.h"
#include "core/helpers.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "core/savestate_seams.h"
#include "display/controls_panel.h"
#include "display/led.h"
#include "gui/images.h"
#include "gui/prompts.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/key_events.h"
#include "inspect/address_text.h"
#include "inspect/monitor_rows.h"
#include "machines/typeright.h"
#include "platform/catalog.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Offsets of the rows inside a panel.
constexpr int P_R0 = 0;
constexpr int P_RAS0 = 7;
constexpr int P_S = 15; // S F II UF1 UF2
constexpr int P_SP = 20;
constexpr int P_CC = 21;
constexpr int P_IDC = 22; // IDC RS WC OVF COM C
constexpr int P_IAR = 28;
constexpr int P_OPCODE = 29;

// What the refresh showed last.
struct Kept {
    u32 frames = 0, cycles = 0;
    i32 x = 0, y = 0;
    int running = -1;
    i32 errors = -1;
    TypingTexts typing;
    const char* unit = nullptr;
    u8 code[2][3] = {};
    u16 code_iar[2] = {0xFFFF, 0xFFFF};
} kept;

// The LED image: a cell of 9 x 13 dots a digit, each dot 2 x 2 pixels.
constexpr int LED_DOT = 2, LED_W = 9 * LED_DOT, LED_H = 13 * LED_DOT;
std::vector<u8> led_pixels;
int led_width = 0;

int window() {
    return gui_subwin_window[TW_CPU];
}

bool typing_tutor() {
    return machine_traits().no_processor;
}

CpuPanels machine_panels() {
    CpuPanels p;
    const MachineDebug& d = machine_debug();
    if (!d.parked_cpu) return p;
    int running = 0;
    p.parked = d.parked_cpu(&running);
    if (!p.parked) return p;
    p.count = 2;
    p.running = running ? 1 : 0;
    return p;
}

// One panel's registers, from the processor or from the parked context.
struct PanelRegs {
    bool live;
    const u8* regs;
    u8 psu, psl;
    u16 iar;
    const u16* ras;
};

PanelRegs panel_regs(const CpuPanels& p, int panel) {
    if (panel == p.running || !p.parked) return {true, cpu_regs, cpu_psu, cpu_psl, cpu_iar, cpu_ras};
    const CpuState& s = *p.parked;
    return {false, s.regs, s.psu, s.psl, s.iar, s.ras};
}

GuiNode label(const char* text) {
    GuiNode n;
    n.kind = GK_LABEL;
    n.text = text;
    return n;
}

GuiNode group(GuiKind kind, std::vector<GuiNode> children) {
    GuiNode n;
    n.kind = kind;
    n.children = std::move(children);
    return n;
}

GuiNode field(int gid, const char* text, int chars) {
    GuiNode n;
    n.kind = GK_STRING;
    n.gid = gid;
    n.readonly = true;
    n.text = text;
    n.max_chars = chars;
    return n;
}

GuiNode row_button(int first, int offset, int chars, const char* name) {
    GuiNode b = monitor_row_button(first + offset, chars);
    b.hint = name;
    return b;
}

const char* reg_name(int offset) {
    return reg_names[offset][dis_notation_index()];
}

// The register labels of the current notation.
std::string reg_label(int r) {
    const u32 n = dis_notation_index();
    if (n == 2) {
        static const char* const calm[7] = {"A:", "B:", "C:", "D:", "B':", "C':", "D':"};
        return calm[r];
    }
    char t[8];
    std::snprintf(t, sizeof t, n == 4 ? ".%d:" : "R%d:", r);
    return t;
}

// A row of the panel, its gadgets packed to the left.
GuiNode packed(std::vector<GuiNode> children) {
    GuiNode space;
    space.kind = GK_SPACE;
    space.weight = 1;
    children.push_back(space);
    return group(GK_HGROUP, std::move(children));
}

GuiNode panel_node(int panel, const char* title) {
    const int first = MON_CPU_FIRST + panel * MON_CPU_PANEL_ROWS;
    const u32 n = dis_notation_index();
    GuiNode g = group(GK_VGROUP, {});
    g.framed = true;
    g.text = title;
    auto reg = [&](int r) {
        GuiNode l = label(reg_label(r).c_str());
        l.min_w = 28;
        return group(GK_HGROUP, {l, row_button(first, P_R0 + r, 2, reg_name(P_R0 + r))});
    };
    g.children.push_back(packed({reg(0)}));
    for (int r = 1; r <= 3; r++)
        g.children.push_back(packed({reg(r), reg(r + 3)}));
    GuiNode ras = group(GK_HGROUP, {label("RAS:")});
    for (int i = 0; i < 8; i++)
        ras.children.push_back(row_button(first, P_RAS0 + i, 4, reg_name(P_RAS0 + i)));
    g.children.push_back(ras);
    GuiNode psu = group(GK_HGROUP, {label(n == 2 ? "U:" : "PSU:")});
    for (int i = 0; i < 5; i++)
        psu.children.push_back(row_button(first, P_S + i, 1, reg_name(P_S + i)));
    psu.children.push_back(label("SP:"));
    psu.children.push_back(row_button(first, P_SP, 1, reg_name(P_SP)));
    g.children.push_back(packed(psu.children));
    GuiNode psl = group(GK_HGROUP, {label(n == 2 ? "L:" : "PSL:")});
    psl.children.push_back(row_button(first, P_CC, 3, reg_name(P_CC)));
    for (int i = 0; i < 6; i++)
        psl.children.push_back(row_button(first, P_IDC + i, 1, reg_name(P_IDC + i)));
    g.children.push_back(packed(psl.children));
    GuiNode opcode = row_button(first, P_OPCODE, 24, reg_name(P_OPCODE));
    opcode.readonly = true;
    opcode.weight = 1;
    g.children.push_back(group(GK_HGROUP, {label(n <= 1 ? "IAR:" : n == 4 ? ".PC:" : "PC:"),
                                            row_button(first, P_IAR, 4, reg_name(P_IAR)), opcode}));
    return g;
}

GuiNode typing_node() {
    GuiNode g = group(GK_VGROUP, {});
    GuiNode speed = field(GID_CPU_TR_SPEED, "-", 6);
    speed.label = cat_str(494, "Speed:");
    g.children.push_back(group(GK_HGROUP, {speed, label(cat_str(734, "wpm"))}));
    const struct {
        int gid, number;
        const char* english;
    } rows[] = {{GID_CPU_TR_ACCURACY, 861, "Accuracy:"},
                {GID_CPU_TR_ERRORS, 862, "Errors:"},
                {GID_CPU_TR_EXPECTING, 863, "Expecting:"}};
    for (const auto& r : rows) {
        GuiNode f = field(r.gid, "-", 12);
        f.label = cat_str(r.number, r.english);
        g.children.push_back(f);
    }
    return g;
}

const char* unit_caption() {
    return dbg_unit_caption();
}

GuiWindowDesc describe(const CpuPanels& panels) {
    GuiWindowDesc d;
    const bool twin = panels.count == 2;
    d.title = typing_tutor() ? cat_str(860, "Type-right Monitor")
              : twin         ? cat_str(1042, "Real-Time CPUs Monitor")
                             : cat_str(623, "Real-Time CPU Monitor");
    GuiNode& root = d.root;
    root.kind = GK_VGROUP;
    if (typing_tutor()) {
        root.children.push_back(typing_node());
    } else if (twin) {
        GuiNode pair = group(GK_HGROUP, {});
        const char* titles[2] = {cat_str(1039, "Master CPU Status"), cat_str(1040, "Slave CPU Status")};
        for (int p = 0; p < 2; p++) {
            GuiNode mark;
            mark.kind = GK_IMAGE;
            mark.gid = p ? GID_CPU_RUNNING_2 : GID_CPU_RUNNING_1;
            mark.image = gui_image(p ? 383 : 382);
            GuiNode column = group(GK_VGROUP, {mark, panel_node(p, titles[p])});
            pair.children.push_back(column);
        }
        root.children.push_back(pair);
    } else {
        root.children.push_back(panel_node(0, cat_str(138, "2650 CPU Status")));
    }
    GuiNode counters = group(GK_HGROUP, {});
    if (!typing_tutor()) {
        GuiNode unit = label(unit_caption());
        unit.gid = GID_CPU_UNIT;
        unit.min_w = 80;
        counters.children.push_back(unit);
        counters.children.push_back(field(GID_CPU_CYCLES, "", 13));
        GuiNode y = field(GID_CPU_Y, "", 4);
        y.label = "Y:";
        GuiNode x = field(GID_CPU_X, "", 4);
        x.label = "X:";
        counters.children.push_back(y);
        counters.children.push_back(x);
    }
    root.children.push_back(counters);
    GuiNode frame = field(GID_CPU_FRAME, "", 13);
    frame.label = cat_str(205, "Frame:");
    GuiNode time = field(GID_CPU_TIME, "hh:mm:ss.uu", 11);
    time.label = cat_str(206, "Time:");
    root.children.push_back(group(GK_HGROUP, {frame, time}));
    if (led_digit_count() > 0) {
        led_width = led_digit_count() * LED_W;
        led_pixels.assign(static_cast<std::size_t>(led_width) * LED_H, LED_ERASED);
        GuiNode leds;
        leds.kind = GK_PICTURE;
        leds.gid = GID_CPU_LEDS;
        leds.min_w = led_width;
        leds.min_h = LED_H;
        leds.centred = true;
        root.children.push_back(leds);
    }
    GuiNode hint = label(cat_str(541, "Hover over a button for more information."));
    hint.centred = true;
    root.children.push_back(hint);
    return d;
}

// ---- the LED image --------------------------------------------------------------------
// Segment a..g as rectangles (x, y, w, h) of a 9 x 13 cell.
constexpr int SEGMENTS[7][4] = {{2, 1, 5, 1}, {7, 2, 1, 4}, {7, 7, 1, 4}, {2, 11, 5, 1},
                                {1, 7, 1, 4}, {1, 2, 1, 4}, {2, 6, 5, 1}};
std::uint32_t led_colours[256];

// The digits in the guest's LED colours: lit segments in colour LED_LIT, unlit
// ones in the display's unlit colour (the background when it draws none).
void draw_leds() {
    if (!window() || led_pixels.empty()) return;
    guest_colour_table(led_colours);
    const u8 unlit = display_led_background();
    std::fill(led_pixels.begin(), led_pixels.end(), LED_ERASED);
    const int digits = led_digit_count();
    for (int d = 0; d < digits && (d + 1) * LED_W <= led_width; d++)
        for (int s = 0; s < 7; s++) {
            const u8 pen = led_digits[d] & (1 << s) ? LED_LIT : unlit;
            const int* r = SEGMENTS[s];
            for (int y = r[1] * LED_DOT; y < (r[1] + r[3]) * LED_DOT; y++)
                for (int x = r[0] * LED_DOT; x < (r[0] + r[2]) * LED_DOT; x++)
                    led_pixels[static_cast<std::size_t>(y) * led_width + d * LED_W + x] = pen;
        }
    gui_display_attach(window(), GID_CPU_LEDS, led_pixels.data(), led_width, LED_H, led_width,
                       led_colours, 256);
    gui_display_refresh(window(), GID_CPU_LEDS);
}

// ---- refresh --------------------------------------------------------------------------
void show_text_row(int row, u16 value, const char* text, int force) {
    MonitorRow& r = mon_reg_table[row];
    if (!(force & 0xFF) && value == r.last) return;
    r.last = value;
    std::snprintf(r.text, sizeof r.text, "%s", text);
    mon_set_reg_label(TW_CPU, r.text, row);
}

// The RAS entries of a panel in the stack colours: the one at SP stands out.
void mark_ras_top(int panel) {
    const int first = MON_CPU_FIRST + panel * MON_CPU_PANEL_ROWS + P_RAS0;
    for (int i = 0; i < 8; i++)
        mon_set_reg_label(TW_CPU, mon_reg_table[first + i].text, first + i);
}

void refresh_panel(const CpuPanels& panels, int panel, int force) {
    const PanelRegs p = panel_regs(panels, panel);
    const int first = MON_CPU_FIRST + panel * MON_CPU_PANEL_ROWS;
    for (int r = 0; r < 7; r++)
        mon_show_row(TW_CPU, first + P_R0 + r, p.regs[r], 2, force);
    for (int i = 0; i < 8; i++)
        mon_show_row(TW_CPU, first + P_RAS0 + i, p.ras[i], 4, force);
    static constexpr u8 PSU_BITS[5] = {0x80, 0x40, 0x20, 0x10, 0x08};
    for (int i = 0; i < 5; i++) {
        const bool set = p.psu & PSU_BITS[i];
        char t[2] = {i < 3 ? cpu_flag_letter(i, set) : set ? static_cast<char>('1' + i - 3) : '.', 0};
        show_text_row(first + P_S + i, set, t, force);
    }
    const u8 sp = p.psu & 7;
    const bool sp_changed = force || mon_reg_table[first + P_SP].last != sp;
    char digit[2] = {static_cast<char>('0' + sp), 0};
    show_text_row(first + P_SP, sp, digit, force);
    if (sp_changed) mark_ras_top(panel);
    show_text_row(first + P_CC, p.psl >> 6, cpu_condition_name(p.psl >> 6), force);
    for (int i = 0; i < 6; i++) {
        const bool set = p.psl & (0x20 >> i);
        char t[2] = {cpu_flag_letter(3 + i, set), 0};
        show_text_row(first + P_IDC + i, set, t, force);
    }
    mon_show_row(TW_CPU, first + P_IAR, p.iar, 4, force);
    // The instruction: again when IAR or its bytes changed, while this panel runs.
    if (!p.live) return;
    u8 code[3];
    for (int i = 0; i < 3; i++)
        code[i] = guest_memory[page_add(p.iar, i) & (GUEST_MEMORY_SIZE - 1)];
    if (!force && kept.code_iar[panel] == p.iar && !std::memcmp(kept.code[panel], code, 3)) return;
    kept.code_iar[panel] = p.iar;
    std::memcpy(kept.code[panel], code, 3);
    char text[DIS_LINE_SIZE];
    inspect_disassemble(p.iar, 0, text, sizeof text);
    gui_set_text(window(), MON_ROW_GADGET + first + P_OPCODE, text);
}

void set_field(int gid, const char* text) {
    gui_set_text(window(), gid, text);
}

void refresh_typing(int force) {
    const TypingTexts t = cpu_monitor_typing_texts();
    if (force || t.speed != kept.typing.speed) set_field(GID_CPU_TR_SPEED, t.speed.c_str());
    if (force || t.accuracy != kept.typing.accuracy)
        set_field(GID_CPU_TR_ACCURACY, t.accuracy.c_str());
    if (force || typeright_errors != kept.errors) set_field(GID_CPU_TR_ERRORS, t.errors.c_str());
    if (force || t.expecting != kept.typing.expecting)
        set_field(GID_CPU_TR_EXPECTING, t.expecting.c_str());
    kept.typing = t;
    kept.errors = typeright_errors;
}

void set_uflag_buttons() {
    if (typing_tutor()) return;
    for (int r : {MON_CPU_FIRST + P_S + 3, MON_CPU_FIRST + P_S + 4})
        gui_set_disabled(window(), MON_ROW_GADGET + r, cpu_type == 0);
}

void handle_click(int gid) {
    const CpuPanels panels = cpu_monitor_panels();
    const int first = MON_ROW_GADGET + MON_CPU_FIRST + panels.running * MON_CPU_PANEL_ROWS;
    const int i = gid - first;
    if (i < 0 || i >= P_OPCODE) return; // the other panel, or the instruction
    static constexpr u8 PSU_BITS[5] = {0x80, 0x40, 0x20, 0x10, 0x08};
    if (i >= P_S && i < P_SP) {
        cpu_psu ^= PSU_BITS[i - P_S];
    } else if (i >= P_IDC && i < P_IAR) {
        cpu_psl ^= static_cast<u8>(0x20 >> (i - P_IDC));
    } else {
        // The register by its name in the current notation, as the prompt reads it.
        gui_edit_value_window(reg_name(i), 1, 0);
        return; // the prompt refreshes
    }
    gui_refresh_windows(0);
}

bool cpu_monitor_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        if (e.code == RAW_ESC) return true;
        gui_forward_raw_key(e.code);
        break;
    case GE_GADGET:
        handle_click(e.gid);
        break;
    default:
        break;
    }
    return false;
}

void input() {
    gui_tool_window_events(TW_CPU, cpu_monitor_event);
}

void release() {
    led_pixels.clear();
}

} // namespace

CpuPanels (*cpu_monitor_panels)() = machine_panels;

u8 cpu_panel_psu(int panel) {
    const CpuPanels p = cpu_monitor_panels();
    return panel_regs(p, panel).psu;
}

char cpu_flag_letter(int flag, bool set) {
    const char c = dbg_flag_word()[flag % 9];
    return set ? c : static_cast<char>(c + 0x20);
}

const char* cpu_condition_name(u32 cc) {
    return dbg_condition_text(static_cast<u8>(cc << 6));
}

double emu_elapsed_rate() {
    return frame_clock().rate;
}

std::string emu_elapsed_time_text(u32 frames, double rate) {
    if (rate <= 0) rate = 50.0;
    const double seconds = frames / rate;
    const u64 whole = static_cast<u64>(seconds);
    // The fraction from whole numbers, so that 3599.999 s never rounds up.
    const u64 hundredths = static_cast<u64>(std::floor((seconds - static_cast<double>(whole)) * 100.0));
    const u64 hours = whole / 3600, minutes = (whole % 3600) / 60, secs = whole % 60;
    char t[24];
    std::snprintf(t, sizeof t, "%02u:%02u:%02u%c%02u", static_cast<unsigned>(hours % 100),
                  static_cast<unsigned>(minutes), static_cast<unsigned>(secs),
                  locale_decimal_point ? locale_decimal_point : '.',
                  static_cast<unsigned>(hundredths > 99 ? 99 : hundredths));
    return t;
}

TypingTexts cpu_monitor_typing_texts() {
    TypingTexts t;
    char n[16];
    std::snprintf(n, sizeof n, "%d", typeright_errors);
    t.errors = n;
    const i32 s = typeright_state;
    if (s == TR_COPY_TEXT || s == TR_RESULTS || s == TR_FREE_TEXT) {
        i32 wpm = 0, accuracy = 100;
        if (typeright_text_pos > 0) {
            // At least one second counts, so that a fast first key gives no
            // impossible speed.
            const i32 frames = typeright_timer < 50 ? 50 : typeright_timer;
            typeright_results(typeright_text_pos, frames, typeright_errors, &wpm, &accuracy);
            accuracy = accuracy < 0 ? 0 : accuracy > 100 ? 100 : accuracy;
        }
        std::snprintf(n, sizeof n, "%d", wpm);
        t.speed = n;
        std::snprintf(n, sizeof n, "%d", accuracy);
        t.accuracy = n;
    } else {
        t.speed = t.accuracy = "-";
    }
    auto quoted = [](std::string inner) { return "'" + inner + "'"; };
    auto shown = [](char c) { return c == '\n' ? std::string("\xC2\xB6") : std::string(1, c); };
    const std::string& text = typeright_text(typeright_lesson, typeright_level);
    const std::size_t at = typeright_text_pos < 0 ? 0 : static_cast<std::size_t>(typeright_text_pos);
    if (s == TR_DRILL || s == TR_GAME) {
        t.expecting = typeright_target ? quoted(shown(static_cast<char>(typeright_target))) : "-";
    } else if (s == TR_COPY_TEXT && at < text.size()) {
        t.expecting = quoted(shown(text[at]));
    } else if (s == TR_FREE_TEXT && at < text.size()) {
        std::string part;
        for (std::size_t i = at; i < text.size() && part.size() < 8; i++) {
            part += text[i];
            if (text[i] == ' ' || text[i] == '\n') break;
        }
        if (!part.empty() && part.back() == '\n') part.back() = '\x01';
        std::string out;
        for (char c : part)
            out += c == '\x01' ? shown('\n') : std::string(1, c);
        t.expecting = quoted(out);
    } else {
        t.expecting = "-";
    }
    return t;
}

void cpu_monitor_refresh(int force) {
    const int win = window();
    if (!win) return;
    force &= 0xFF;
    if (force || frame_counter != kept.frames) {
        kept.frames = frame_counter;
        char grouped[GROUPED_WIDTH + 1];
        format_number_grouped(frame_counter, grouped);
        grouped[GROUPED_WIDTH] = 0;
        set_field(GID_CPU_FRAME, grouped);
        set_field(GID_CPU_TIME, emu_elapsed_time_text(frame_counter, emu_elapsed_rate()).c_str());
    }
    if (force) draw_leds();
    if (typing_tutor()) {
        refresh_typing(force);
        return;
    }
    const CpuPanels panels = cpu_monitor_panels();
    refresh_panel(panels, 0, force);
    if (force || cpu_cycles != kept.cycles) {
        kept.cycles = cpu_cycles;
        char grouped[GROUPED_WIDTH + 1];
        format_number_grouped(dbg_clocks_to_units_wide(cpu_cycles), grouped);
        grouped[GROUPED_WIDTH] = 0;
        set_field(GID_CPU_CYCLES, grouped);
    }
    if (force || kept.unit != unit_caption()) {
        kept.unit = unit_caption();
        set_field(GID_CPU_UNIT, kept.unit);
    }
    if (panels.count == 1) {
        char t[FORMAT_LONG_SIZE];
        if (force || raster_clock != kept.x) {
            kept.x = raster_clock;
            format_long(t, raster_clock);
            set_field(GID_CPU_X, t);
        }
        if (force || raster_line != kept.y) {
            kept.y = raster_line;
            format_long(t, raster_line);
            set_field(GID_CPU_Y, t);
        }
        return;
    }
    if (force || panels.running != kept.running) {
        kept.running = panels.running;
        // The running processor's panel carries the lit mark.
        gui_set_image(win, GID_CPU_RUNNING_1, gui_image(panels.running == 0 ? 382 : 383));
        gui_set_image(win, GID_CPU_RUNNING_2, gui_image(panels.running == 1 ? 382 : 383));
    }
    refresh_panel(panels, 1, force);
}

void mon_open_cpu_window() {
    if (window() || !machine_traits().cpu_monitor) return;
    const CpuPanels panels = cpu_monitor_panels();
    if (panels.count == 2) gui_load_image(382, 383, 0);
    if (!gui_open_subwindow(TW_CPU, describe(panels))) {
        release();
        return;
    }
    kept = Kept{};
    set_uflag_buttons();
    gui_refresh_windows(1);
}

void cpu_monitor_draw_leds() {
    draw_leds();
}

void cpu_monitor_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_CPU];
    ops.open = mon_open_cpu_window;
    ops.input = input;
    ops.refresh = cpu_monitor_refresh;
    ops.release = release;
}
