#include "devicewindows/tape_deck_window.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "peripherals/changed_media.h"
#include "peripherals/mdcr.h"
#include "peripherals/tape.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int SKEW_LOW = -96, SKEW_HIGH = 97, SLIDER_LEVELS = 193;
constexpr const char* NO_TIME = "0:00.000000";

// What the window showed last.
struct Shown {
    u32 position, length, state, serial;
    i32 reel;
    int indicator;
    u8 level;
    i32 mdcr_position, mdcr_end;
    u32 mdcr_block, mdcr_blocks, mdcr_motion, mdcr_forward, mdcr_reverse, mdcr_serial;
    char mdcr_name0;
} shown;

u32 picture_colours[EXTRA_PENS];

int window() {
    return gui_subwin_window[TW_TAPE];
}

u32 extra_rgb(int pen) {
    return display_colour_table[display_extra_pens[pen] % HOST_PENS] & 0xFFFFFF;
}

GuiNode button(int gid, int number, const char* english) {
    GuiNode b = gui_node(GK_BUTTON, gid, number ? cat_str(number, english) : english);
    b.weight = 1;
    return b;
}

GuiNode checkbox(int gid, int number, const char* english, u32 value) {
    GuiNode c = gui_node(GK_CHECKBOX, gid, cat_str(number, english));
    c.value = value ? 1 : 0;
    return c;
}

GuiNode readonly_text(int gid, const char* sizing) {
    GuiNode t = gui_node(GK_STRING, gid);
    t.readonly = true;
    t.max_chars = static_cast<int>(std::strlen(sizing));
    t.min_w = 8 * t.max_chars + 12;
    return t;
}

GuiNode label(const char* text) {
    return gui_node(GK_LABEL, 0, text);
}

GuiNode space() {
    GuiNode s = gui_node(GK_SPACE);
    s.weight = 1;
    return s;
}

GuiNode mdcr_group() {
    auto row = [](const char* title, int a, int b) {
        GuiNode first = readonly_text(a, "##########");
        first.label = title;
        return gui_group(GK_HGROUP, {first, label(cat_str(552, "of")), readonly_text(b, "##########")});
    };
    GuiNode status = readonly_text(GID_MDCR_STATUS, "Forward: number read A");
    status.label = "MDCR status:";
    status.weight = 1;
    GuiNode fields = gui_group(GK_VGROUP, {row("MDCR position:", GID_MDCR_POSITION, GID_MDCR_LENGTH),
                                       row("MDCR block:", GID_MDCR_BLOCK, GID_MDCR_BLOCKS), status});
    GuiNode buttons = gui_group(GK_VGROUP, {button(GID_MDCR_CREATE, 0, "Create MDCR tape..."),
                                        button(GID_MDCR_INSERT, 0, "Insert MDCR tape..."),
                                        button(GID_MDCR_UPDATE, 0, "Update MDCR tape")});
    return gui_group(GK_HGROUP, {fields, buttons}, "Philips Mini Digital Cassette Recorder (MDCR)");
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(790, "Tape Deck");
    d.accept_drops = true;

    GuiNode media = gui_group(GK_HGROUP,
                          {gui_group(GK_VGROUP, {button(GID_TAPE_CREATE_8SVX, 804, "Create IFF 8SVX tape..."),
                                             button(GID_TAPE_CREATE_AIFF, 817, "Create IFF AIFF tape..."),
                                             button(GID_TAPE_CREATE_WAV, 806, "Create WAV tape...")}),
                           button(GID_TAPE_INSERT, 808, "Insert tape...")});

    GuiNode deck = gui_node(GK_IMAGE, GID_TAPE_DECK_PICTURE);
    deck.image = gui_image(IMAGE_TAPE_EMPTY);
    GuiNode interface = gui_node(GK_RADIO, GID_TAPE_INTERFACE);
    interface.items = {"CUTS (EA 77cc4)", "ACOS"};
    interface.value = binbug_interface == 1 ? 1 : 0;
    interface.vertical = true;
    const TapeRule* rule = machine_row().tape ? machine_row().tape() : nullptr;
    interface.disabled = !rule || !rule->interface_choice;
    GuiNode verbose = checkbox(GID_TAPE_VERBOSE, 819, "Verbose output?", tape_verbose);
    verbose.disabled = !rule || !rule->traced || !rule->traced();
    GuiNode switches = gui_group(GK_VGROUP, {gui_group(GK_VGROUP, {interface}, cat_str(832, "Interface")),
                                         space(),
                                         checkbox(GID_TAPE_INVERT, 851, "Invert waveform?", tape_invert),
                                         verbose,
                                         checkbox(GID_TAPE_PROTECT, 979, "Write protect?",
                                                  tape_write_protect)});
    GuiNode deck_row = gui_group(GK_HGROUP, {deck, switches});

    GuiNode wave = gui_node(GK_PICTURE, GID_TAPE_WAVEFORM);
    wave.min_w = TAPE_PICTURE_WIDTH;
    wave.min_h = TAPE_PICTURE_HEIGHT;
    GuiNode skew_slider = gui_node(GK_SLIDER, GID_TAPE_SKEW_SLIDER);
    skew_slider.vertical = true;
    skew_slider.min = 0;
    skew_slider.max = SLIDER_LEVELS;
    skew_slider.value = tape_skew_of(tapeskewage) + 96;
    skew_slider.min_h = 100;
    GuiNode ticks = gui_group(GK_VGROUP, {label("-96"), space(), label("-48"), space(),
                                      gui_group(GK_HGROUP, {space(), label("0")}), space(),
                                      label("+48"), space(), label("+96")});
    GuiNode skew = gui_node(GK_INTEGER, GID_TAPE_SKEW);
    skew.min = SKEW_LOW;
    skew.max = SKEW_HIGH;
    skew.value = tape_skew_of(tapeskewage);
    skew.max_chars = 4;
    GuiNode skewing = gui_group(GK_VGROUP, {gui_group(GK_HGROUP, {skew_slider, ticks}), skew},
                            cat_str(498, "Skewing"));
    GuiNode wave_row = gui_group(GK_HGROUP, {wave, skewing});

    GuiNode slider = gui_node(GK_SLIDER, GID_TAPE_SLIDER);
    slider.min = 0;
    slider.max = 1;
    slider.min_w = TAPE_PICTURE_WIDTH;
    slider.weight = 1;
    GuiNode counters = gui_group(GK_HGROUP, {space(), readonly_text(GID_TAPE_POSITION, "###:##.######"),
                                         label(cat_str(552, "of")),
                                         readonly_text(GID_TAPE_LENGTH, "###:##.######"), space()});
    GuiNode position = gui_group(GK_VGROUP, {slider, counters}, cat_str(643, "Position"));
    position.weight = 1;
    GuiNode byte = readonly_text(GID_TAPE_BYTE, "##");
    byte.text = "--";
    GuiNode level = gui_node(GK_IMAGE, GID_TAPE_LEVEL);
    level.image = gui_image(IMAGE_ANIM_STOP + 1);
    GuiNode byte_row = gui_group(GK_VGROUP, {space(), gui_group(GK_HGROUP, {label("$"), byte, level}), space()});
    GuiNode position_row = gui_group(GK_HGROUP, {position, byte_row});

    GuiNode main = gui_group(GK_VGROUP, {media, deck_row, gui_make_transport_row(GID_TAPE_RECORD, true),
                                     wave_row, position_row});
    d.root = main;
    if (machine_traits().mdcr) d.root = gui_group(GK_VGROUP, {main, label(""), mdcr_group()});
    return d;
}

void warn_missing_images() {
    static bool warned = false;
    if (warned) return;
    for (int n = IMAGE_TRANSPORT; n <= IMAGE_TRANSPORT + 5; n++)
        if (gui_image_missing[n]) {
            warned = true;
            ui_warning((std::string("Can't load ") + gui_image_names[n] + "!").c_str());
            return;
        }
    for (int n = IMAGE_TAPE_EMPTY; n <= IMAGE_ANIM_RECORD + 2; n++)
        if (gui_image_missing[n]) {
            warned = true;
            ui_warning((std::string("Can't load ") + gui_image_names[n] + "!").c_str());
            return;
        }
}

void show_picture() {
    const int win = window();
    if (!win) return;
    tape_draw_picture();
    for (int i = 0; i < EXTRA_PENS; i++)
        picture_colours[i] = extra_rgb(i);
    gui_display_attach(win, GID_TAPE_WAVEFORM, tape_picture, TAPE_PICTURE_WIDTH,
                       TAPE_PICTURE_HEIGHT, TAPE_PICTURE_WIDTH, picture_colours, EXTRA_PENS);
    gui_display_refresh(win, GID_TAPE_WAVEFORM);
}

void set_threshold(int skew) {
    if (skew < SKEW_LOW) skew = SKEW_LOW;
    if (skew > SKEW_HIGH) skew = SKEW_HIGH;
    tapeskewage = tape_threshold_of(skew);
    gui_set_value(window(), GID_TAPE_SKEW, skew);
    gui_set_value(window(), GID_TAPE_SKEW_SLIDER, skew + 96);
    show_picture();
}

void wind(double position) {
    tape_wind_to(position);
    gui_tape_deck_refresh(1);
}

void gadget(int gid, int code) {
    const int win = window();
    switch (gid) {
    case GID_TAPE_RECORD:
        tape_record();
        gui_tape_deck_refresh(1);
        break;
    case GID_TAPE_REWIND:
        wind(0);
        break;
    case GID_TAPE_PLAY:
        tape_play();
        gui_tape_deck_refresh(1);
        break;
    case GID_TAPE_FORWARD:
        wind(tape_length);
        break;
    case GID_TAPE_STOP:
        tape_stop();
        gui_tape_deck_refresh(1);
        break;
    case GID_TAPE_EJECT:
        tape_close_sample_file();
        gui_tape_deck_refresh(1);
        break;
    case GID_TAPE_CREATE_8SVX:
        tape_create_sample_file(KIND_8SVX);
        break;
    case GID_TAPE_CREATE_WAV:
        tape_create_sample_file(KIND_WAV);
        break;
    case GID_TAPE_CREATE_AIFF:
        tape_create_sample_file(KIND_AIFF);
        break;
    case GID_TAPE_INSERT:
        tape_load_sample_file(1);
        break;
    // The tape on the deck goes only when its changes may go.
    case GID_MDCR_CREATE:
        if (media_release(MEDIUM_MDCR, "Replace")) mdcr_create_image();
        break;
    case GID_MDCR_INSERT:
        if (media_release(MEDIUM_MDCR, "Replace")) mdcr_load_image(1);
        break;
    case GID_MDCR_UPDATE:
        mdcr_save_image();
        break;
    case GID_TAPE_VERBOSE:
        tape_verbose = gui_get_value(win, gid) ? 1 : 0;
        break;
    case GID_TAPE_INVERT:
        tape_invert = gui_get_value(win, gid) ? 1 : 0;
        show_picture();
        break;
    case GID_TAPE_PROTECT:
        tape_write_protect = gui_get_value(win, gid) ? 1 : 0;
        show_picture();
        break;
    case GID_TAPE_SKEW:
        set_threshold(gui_get_value(win, gid));
        break;
    case GID_TAPE_SKEW_SLIDER:
        set_threshold(code - 96);
        break;
    case GID_TAPE_INTERFACE:
        binbug_interface = code == 1 ? 1 : 0;
        break;
    case GID_TAPE_SLIDER:
        if (tape_state == CASSETTE_STOPPED)
            wind(static_cast<double>(code < 0 ? 0 : code) * tape_slider_step(tape_length));
        break;
    default:
        break;
    }
}

// A press on the empty deck inserts a tape; one on the waveform of a
// stopped tape winds it there.
void mouse(const GuiEvent& e) {
    if (e.code != 1) return;
    if (tape_state == CASSETTE_EMPTY && gui_point_in_gadget(GID_TAPE_DECK_PICTURE, e.x, e.y)) {
        tape_load_sample_file(1);
    } else if (tape_state == CASSETTE_STOPPED && tape_buffer_size &&
               gui_point_in_gadget(GID_TAPE_WAVEFORM, e.x, e.y)) {
        const GuiRect r = gui_gadget_rect(window(), GID_TAPE_WAVEFORM);
        wind(tape_click_sample(e.x - r.left, tape_buffer_size));
    }
}

void mdcr_refresh(bool force) {
    const int win = window();
    char text[40];
    if (force || mdcr_position != shown.mdcr_position) {
        tape_format_seconds(text, sizeof text, mdcr_position);
        gui_set_text(win, GID_MDCR_POSITION, text);
    }
    if (force || mdcr_end != shown.mdcr_end) {
        tape_format_seconds(text, sizeof text, mdcr_end);
        gui_set_text(win, GID_MDCR_LENGTH, text);
    }
    if (force || mdcr_block != shown.mdcr_block) {
        std::snprintf(text, sizeof text, "%u", mdcr_block);
        gui_set_text(win, GID_MDCR_BLOCK, text);
    }
    if (force || mdcr_blocks != shown.mdcr_blocks) {
        std::snprintf(text, sizeof text, "%u", mdcr_blocks);
        gui_set_text(win, GID_MDCR_BLOCKS, text);
    }
    if (force || mdcr_state != shown.mdcr_motion || mdcr_forward_state != shown.mdcr_forward ||
        mdcr_reverse_state != shown.mdcr_reverse || mdcr_blocks != shown.mdcr_blocks) {
        mdcr_status_text(text, sizeof text);
        gui_set_text(win, GID_MDCR_STATUS, text);
        gui_set_background(win, GID_MDCR_STATUS, static_cast<int>(extra_rgb(mdcr_status_pen())));
    }
    if (force || mdcr_file_name[0] != shown.mdcr_name0)
        gui_set_disabled(win, GID_MDCR_UPDATE, mdcr_file_name[0] == 0);
    shown.mdcr_position = mdcr_position;
    shown.mdcr_end = mdcr_end;
    shown.mdcr_block = mdcr_block;
    shown.mdcr_blocks = mdcr_blocks;
    shown.mdcr_motion = mdcr_state;
    shown.mdcr_forward = mdcr_forward_state;
    shown.mdcr_reverse = mdcr_reverse_state;
    shown.mdcr_name0 = mdcr_file_name[0];
    shown.mdcr_serial = mdcr_serial;
}

} // namespace

// ---- What the window shows --------------------------------------------------------

TapeDeckControls tape_deck_controls(u32 state, u32 position, u32 length) {
    const bool stopped = state == CASSETTE_STOPPED;
    TapeDeckControls c{};
    c.disabled[0] = !stopped;
    c.disabled[1] = !stopped || position == 0;
    c.disabled[2] = !stopped || position >= length;
    c.disabled[3] = !stopped || position >= length;
    c.disabled[4] = state == CASSETTE_EMPTY || stopped;
    c.disabled[5] = state == CASSETTE_EMPTY;
    c.pressed[0] = state == CASSETTE_RECORDING;
    c.pressed[2] = state == CASSETTE_PLAYING;
    c.pressed[4] = stopped;
    c.pressed[5] = state == CASSETTE_EMPTY;
    c.slider_disabled = !stopped;
    c.media_disabled = state != CASSETTE_EMPTY;
    return c;
}

u32 tape_slider_step(u32 length) {
    return (length >> 11) + 1;
}

int tape_deck_picture(u32 state, int frame, bool write_protected) {
    if (frame < 0 || frame > 5) frame = 0;
    switch (state) {
    case CASSETTE_STOPPED:
        return IMAGE_TAPE_STOP + frame;
    case CASSETTE_PLAYING:
        return IMAGE_TAPE_PLAY + frame;
    case CASSETTE_RECORDING:
        return (write_protected ? IMAGE_TAPE_PROTECT : IMAGE_TAPE_RECORD) + frame;
    default:
        return IMAGE_TAPE_EMPTY;
    }
}

int tape_level_indicator(u32 state, u8 level, u8 threshold) {
    if (state == CASSETTE_PLAYING) return level > threshold ? 2 : level == threshold ? 1 : 0;
    if (state == CASSETTE_RECORDING) return level > 0x80 ? 2 : level == 0x80 ? 1 : 0;
    return 1;
}

int tape_indicator_image(u32 state, int indicator) {
    if (state == CASSETTE_PLAYING) return IMAGE_ANIM_PLAY + indicator;
    if (state == CASSETTE_RECORDING) return IMAGE_ANIM_RECORD + indicator;
    return IMAGE_ANIM_STOP + indicator;
}

int tape_skew_of(u8 threshold) {
    return threshold - 128;
}

u8 tape_threshold_of(int skew) {
    return static_cast<u8>(skew + 128);
}

double tape_click_sample(int x, u32 buffer_size) {
    if (x < 0) x = 0;
    // A press past the last column stands for the end of the tape.
    if (x >= TAPE_PICTURE_WIDTH) return buffer_size;
    return x / static_cast<double>(TAPE_PICTURE_WIDTH) * buffer_size;
}

void mdcr_status_text(char* out, int size) {
    static const char* const motion[] = {"Idle", "At start", "At end", "Forward", "Reverse"};
    static const char* const forward[] = {": idle",         ": number read A", ": number read B",
                                          ": block read A", ": block read B",  ": write",
                                          ": write active", ": init"};
    static const char* const reverse[] = {": L gap", ": data", ": S gap", ": B number"};
    const char* tail = "";
    if (mdcr_state == MDCR_FORWARD && mdcr_forward_state < 8) tail = forward[mdcr_forward_state];
    if (mdcr_state == MDCR_REVERSE && mdcr_reverse_state < 4) tail = reverse[mdcr_reverse_state];
    std::snprintf(out, static_cast<std::size_t>(size), "%s%s",
                  mdcr_state < 5 ? motion[mdcr_state] : "?", tail);
}

int mdcr_status_pen() {
    if (mdcr_blocks == 0) return 8;
    if (mdcr_state == MDCR_FORWARD && mdcr_forward_state >= 1 && mdcr_forward_state <= 4) return 6;
    if (mdcr_state == MDCR_FORWARD && mdcr_forward_state >= 5) return 0;
    return 2;
}

GuiNode gui_make_transport_row(int first, bool record) {
    static const int NUMBERS[6] = {797, 793, 799, 801, 795, 803};
    static const char* const TEXTS[6] = {"Record", "Rewind", "Play", "Fast Forward", "Stop", "Eject"};
    GuiNode row = gui_group(GK_HGROUP);
    for (int k = record ? 0 : 1; k < 6; k++) {
        GuiNode b = gui_node(GK_BUTTON, first + k - (record ? 0 : 1));
        b.image = gui_image(IMAGE_TRANSPORT + k);
        b.hint = cat_str(NUMBERS[k], TEXTS[k]);
        b.toggle = true;
        b.weight = 1;
        row.children.push_back(b);
    }
    return row;
}

// ---- The window -------------------------------------------------------------------

void gui_tape_deck_refresh(int force) {
    const int win = window();
    if (!win) return;
    if (tape_serial != shown.serial) force = 1;
    const bool moved = force || tape_position != shown.position;
    const bool lengthened = force || tape_length != shown.length;
    const bool state_changed = force || tape_state != shown.state;
    char text[64];
    if (moved || lengthened) {
        const u32 step = tape_slider_step(tape_length);
        gui_set_range(win, GID_TAPE_SLIDER, 0, static_cast<int>(tape_length / step), 0);
        gui_set_value(win, GID_TAPE_SLIDER, static_cast<int>(tape_position / step));
        if (lengthened) {
            if (tape_state == CASSETTE_EMPTY || tape_length == 0)
                std::snprintf(text, sizeof text, "%s", NO_TIME);
            else
                tape_format_time(tape_length, text, sizeof text);
            gui_set_text(win, GID_TAPE_LENGTH, text);
        }
    }
    if (moved)
        gui_set_text(win, GID_TAPE_POSITION,
                     tape_state == CASSETTE_EMPTY ? NO_TIME : tape_position_text());
    if (state_changed) {
        tape_deck_title(text, sizeof text);
        gui_window_set_title(win, text);
        const TapeDeckControls c = tape_deck_controls(tape_state, tape_position, tape_length);
        for (int k = 0; k < 6; k++) {
            gui_set_disabled(win, GID_TAPE_RECORD + k, c.disabled[k]);
            gui_set_selected(win, GID_TAPE_RECORD + k, c.pressed[k]);
        }
        gui_set_disabled(win, GID_TAPE_SLIDER, c.slider_disabled);
        for (int gid : {GID_TAPE_CREATE_8SVX, GID_TAPE_CREATE_WAV, GID_TAPE_INSERT, GID_TAPE_CREATE_AIFF})
            gui_set_disabled(win, gid, c.media_disabled);
    }
    if (state_changed || tape_reel_phase != shown.reel)
        gui_set_image(win, GID_TAPE_DECK_PICTURE,
                      gui_image(tape_deck_picture(tape_state, tape_reel_phase, tape_write_protect)));
    const int indicator = tape_level_indicator(tape_state, tape_level, tapeskewage);
    if (state_changed || indicator != shown.indicator)
        gui_set_image(win, GID_TAPE_LEVEL, gui_image(tape_indicator_image(tape_state, indicator)));
    if (state_changed || tape_level != shown.level) {
        std::snprintf(text, sizeof text, "%02X", tape_level);
        gui_set_text(win, GID_TAPE_BYTE, text);
        int pen = 2;
        if (tape_state == CASSETTE_PLAYING) pen = 6;
        if (tape_state == CASSETTE_RECORDING) pen = tape_write_protect ? 3 : 0;
        gui_set_background(win, GID_TAPE_BYTE, static_cast<int>(extra_rgb(pen)));
    }
    if (moved || state_changed || tape_level != shown.level) show_picture();
    if (machine_traits().mdcr) mdcr_refresh(force || mdcr_serial != shown.mdcr_serial);
    shown.position = tape_position;
    shown.length = tape_length;
    shown.state = tape_state;
    shown.serial = tape_serial;
    shown.reel = tape_reel_phase;
    shown.indicator = indicator;
    shown.level = tape_level;
}

void gui_open_tape_deck_window() {
    if (!machine_traits().cassette) return;
    if (const int win = window()) {
        gui_window_activate(win); // raised, not built twice
        return;
    }
    gui_load_image(IMAGE_TRANSPORT, IMAGE_TRANSPORT + 5, 0);
    gui_load_image(IMAGE_TAPE_EMPTY, IMAGE_ANIM_RECORD + 2, 0);
    warn_missing_images();
    if (!gui_open_subwindow(TW_TAPE, describe())) return;
    gui_tape_deck_refresh(1);
}

static bool tape_deck_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_RAWKEY:
        return gui_closing_key(e.code);
    case GE_GADGET:
        gadget(e.gid, e.code);
        break;
    case GE_MOUSEBUTTON:
        mouse(e);
        break;
    case GE_DROP:
        // A dropped file goes in as a tape, or on the PHUNSY as an MDCR image.
        if (file_type_from_name(e.text.c_str()) == KIND_MDCR && machine_traits().mdcr) {
            if (media_release(MEDIUM_MDCR, "Replace")) mdcr_insert_file(e.text.c_str());
        } else {
            tape_insert_file(e.text.c_str());
        }
        break;
    default:
        break;
    }
    return false;
}

void gui_tape_deck_handle_input() {
    gui_tool_window_events(TW_TAPE, tape_deck_event);
}

void tape_deck_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_TAPE];
    ops.open = gui_open_tape_deck_window;
    ops.input = gui_tape_deck_handle_input;
    ops.refresh = gui_tape_deck_refresh;
}
