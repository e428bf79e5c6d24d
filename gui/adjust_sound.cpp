#include "gui/adjust_sound.h"

#include "core/recording.h"
#include "core/settings_vars.h"
#include "gui/dialog_parts.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

u8 speech_extended_available = 0;
int sound_window = 0;
SoundDialogValues sound_values;

namespace {

constexpr int IMAGE_MALE = 203, IMAGE_FEMALE = 204;
constexpr int RAW_RIGHT = 0x4E, RAW_LEFT = 0x4F;
constexpr int RATE_MIN = 40, RATE_MAX = 400;

// The eight rows of a slider and a number field.
struct SpeechRow {
    int catalog;
    const char* label;
    int slider;
    int min, max, ticks;
    int unit_catalog; // 0: the unit is a fixed text
    const char* unit;
    int SoundDialogValues::*value;
    bool extended;
};
const SpeechRow speech_rows[8] = {
    {733, "Rate:", GID_SOUND_RATE_SLIDER, 40, 400, 37, 734, "wpm", &SoundDialogValues::rate, false},
    {546, "Pitch:", GID_SOUND_PITCH_SLIDER, 65, 320, 33, 616, "Hz", &SoundDialogValues::pitch,
     false},
    {1300, "Unvoiced volume:", 336, -32, 31, 64, 1306, "dB", &SoundDialogValues::unvoiced, true},
    {1301, "Voiced volume:", 337, -32, 31, 64, 1306, "dB", &SoundDialogValues::voiced, true},
    {1302, "Enunciation:", 338, 0, 255, 33, 0, "/255ths", &SoundDialogValues::enunciation, true},
    {1303, "Accent:", 339, 0, 100, 51, 0, "%", &SoundDialogValues::accent, true},
    {1304, "Enthusiasm:", 340, 0, 255, 33, 0, "/32nds", &SoundDialogValues::enthusiasm, true},
    {1305, "Quavering:", 341, 0, 255, 33, 0, "/255ths", &SoundDialogValues::quavering, true},
};
constexpr int ACCENT_ROW = 5;

const char* const vowels[11] = {"IY (beet)", "IH (bit)", "EH (bet)",  "AE (bat)",
                                "AA (bot)",  "AH (but)", "AO (ball)", "OW (boat)",
                                "UH (book)", "ER (bird)", "UW (brew)"};

// A catalog text cut to the 20 characters its label holds.
std::string short_text(int number, const char* english) {
    char text[21];
    std::snprintf(text, sizeof text, "%s", cat_str(number, english));
    return text;
}

std::string rate_label(int hz) {
    char text[21];
    std::snprintf(text, sizeof text, "%d %s", hz, cat_str(616, "Hz"));
    return text;
}

int field_of(int row) {
    return GID_SOUND_FIELD + row;
}

void read_settings() {
    SoundDialogValues& v = sound_values;
    v.volume = snd_master_volume;
    v.rate = speech_wpm;
    v.pitch = speech_pitch;
    v.unvoiced = speech_frication;
    v.voiced = speech_voicing;
    v.enunciation = speech_articulation;
    v.accent = speech_centralization;
    v.accent_vowel = speech_centralizeto;
    v.enthusiasm = speech_enthusiasm;
    v.quavering = speech_perturbation;
    v.speech = speech != 0;
    v.sex = speech_sex == 'm' ? 0 : 1;
    v.intonation = speech_race == 'n' ? 0 : 1;
    v.sample_rate = snd_record_rate == 11025 ? 0 : 1;
}

void write_settings() {
    const SoundDialogValues& v = sound_values;
    snd_master_volume = v.volume;
    speech = v.speech ? 1 : 0;
    speech_wpm = v.rate;
    speech_pitch = v.pitch;
    speech_sex = v.sex ? 'f' : 'm';
    speech_race = v.intonation ? 'r' : 'n';
    snd_record_rate = v.sample_rate ? 22050 : 11025;
    speech_articulation = v.enunciation;
    speech_centralization = v.accent;
    speech_centralizeto = v.accent_vowel;
    speech_enthusiasm = v.enthusiasm;
    speech_frication = v.unvoiced;
    speech_perturbation = v.quavering;
    speech_voicing = v.voiced;
}

GuiNode radio(int gid, std::vector<std::string> items, int value, bool disabled = false,
             bool vertical = false) {
    GuiNode r = gui_node(GK_RADIO, gid);
    r.items = std::move(items);
    r.value = value;
    r.disabled = disabled;
    r.vertical = vertical;
    return r;
}

GuiNode speech_row(int row) {
    const SpeechRow& s = speech_rows[row];
    const int value = sound_values.*s.value;
    GuiNode line = gui_group(GK_HGROUP);
    GuiNode name = gui_label(cat_str(s.catalog, s.label));
    name.min_w = 120;
    GuiNode slider = gui_node(GK_SLIDER, s.slider);
    slider.min = s.min;
    slider.max = s.max;
    slider.value = value;
    slider.weight = 1;
    slider.min_w = 160;
    slider.disabled = s.extended && !speech_extended_available;
    GuiNode field = gui_node(GK_INTEGER, field_of(row));
    field.min = s.min;
    field.max = s.max;
    field.value = value;
    field.max_chars = 4;
    field.disabled = slider.disabled;
    GuiNode unit = gui_label(s.unit_catalog ? cat_str(s.unit_catalog, s.unit) : s.unit);
    unit.min_w = 56;
    line.children = {name, slider, field, unit};
    if (row == ACCENT_ROW) {
        GuiNode vowel = gui_node(GK_CHOOSER, GID_SOUND_VOWEL);
        for (int i = 0; i < 11; i++)
            vowel.items.push_back(short_text(1307 + i, vowels[i]));
        vowel.value = sound_values.accent_vowel;
        line.children.push_back(vowel);
    }
    return line;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(854, "Adjust Sound");
    d.root = gui_group(GK_VGROUP);

    GuiNode top = gui_group(GK_HGROUP);
    GuiNode volume = gui_group(GK_HGROUP, cat_str(254, "Volume"));
    GuiNode level = gui_node(GK_SLIDER, GID_SOUND_VOLUME);
    level.max = 8;
    level.value = sound_values.volume;
    level.weight = 1;
    level.min_w = 128;
    volume.weight = 1;
    volume.children = {gui_label(cat_str(407, "Silent")), level, gui_label(cat_str(408, "Loud"))};
    GuiNode rate = gui_group(GK_HGROUP, cat_str(853, "Sample rate"));
    rate.children.push_back(radio(GID_SOUND_SAMPLE_RATE, {rate_label(11025), rate_label(22050)},
                                  sound_values.sample_rate, rec_state != REC_IDLE));
    top.children = {volume, rate};

    GuiNode speech_group = gui_group(GK_VGROUP, cat_str(271, "Speech"));
    GuiNode head = gui_group(GK_HGROUP);
    GuiNode male = gui_node(GK_IMAGE);
    male.image = gui_image(IMAGE_MALE);
    GuiNode female = gui_node(GK_IMAGE);
    female.image = gui_image(IMAGE_FEMALE);
    GuiNode enabled = gui_node(GK_CHECKBOX, GID_SOUND_SPEECH);
    enabled.text = cat_str(253, "Enabled?");
    enabled.value = sound_values.speech;
    head.children = {male, female, enabled, gui_node(GK_SPACE),
                     radio(GID_SOUND_SEX, {short_text(735, "Male"), short_text(736, "Female")},
                           sound_values.sex, false, true),
                     gui_node(GK_SPACE),
                     radio(GID_SOUND_INTONATION,
                           {short_text(737, "Natural"), short_text(738, "Robotic")},
                           sound_values.intonation, false, true)};
    speech_group.children.push_back(head);
    for (int r = 0; r < 8; r++)
        speech_group.children.push_back(speech_row(r));

    d.root.children = {top, speech_group,
                       gui_reset_ok_cancel(GID_SOUND_RESET, GID_SOUND_OK, GID_SOUND_CANCEL, false)};
    return d;
}

// Every gadget from the working copies.
void show_values() {
    const int win = sound_window;
    const SoundDialogValues& v = sound_values;
    gui_set_value(win, GID_SOUND_VOLUME, v.volume);
    gui_set_value(win, GID_SOUND_SAMPLE_RATE, v.sample_rate);
    gui_set_value(win, GID_SOUND_SPEECH, v.speech);
    gui_set_value(win, GID_SOUND_SEX, v.sex);
    gui_set_value(win, GID_SOUND_INTONATION, v.intonation);
    gui_set_value(win, GID_SOUND_VOWEL, v.accent_vowel);
    for (int r = 0; r < 8; r++) {
        gui_set_value(win, speech_rows[r].slider, v.*speech_rows[r].value);
        gui_set_value(win, field_of(r), v.*speech_rows[r].value);
    }
}

// A row's new value, kept within its limits and shown in both its gadgets.
void set_row(int row, int value) {
    const SpeechRow& s = speech_rows[row];
    sound_values.*s.value = std::clamp(value, s.min, s.max);
    gui_set_value(sound_window, s.slider, sound_values.*s.value);
    gui_set_value(sound_window, field_of(row), sound_values.*s.value);
}

// 1 OK, 2 Cancel, 0 the dialog stays.
int gadget(int gid, int code) {
    SoundDialogValues& v = sound_values;
    switch (gid) {
    case GID_SOUND_RESET:
        gui_sound_reset_defaults();
        return 0;
    case GID_SOUND_OK:
        return 1;
    case GID_SOUND_CANCEL:
        return 2;
    case GID_SOUND_SPEECH:
        v.speech = code != 0;
        break;
    case GID_SOUND_SEX:
        v.sex = code ? 1 : 0;
        break;
    case GID_SOUND_INTONATION:
        v.intonation = code ? 1 : 0;
        break;
    case GID_SOUND_VOLUME:
        v.volume = std::clamp(code, 0, 8);
        break;
    case GID_SOUND_VOWEL:
        v.accent_vowel = std::clamp(code, 0, 10);
        break;
    case GID_SOUND_SAMPLE_RATE:
        v.sample_rate = code ? 1 : 0;
        break;
    default: {
        bool known = false;
        for (int r = 0; r < 8; r++)
            if (gid == speech_rows[r].slider || gid == field_of(r)) {
                set_row(r, code);
                known = true;
            }
        if (!known) return 0;
        break;
    }
    }
    gui_sound_update_enabled();
    return 0;
}

// Cursor right and left step the speech rate (with Shift or Ctrl to its
// ends), while speech is switched on.
void rate_key(int code, u16 qualifier) {
    if (!sound_values.speech) return;
    const bool right = code == RAW_RIGHT;
    const bool jump = qualifier & (QUAL_SHIFT | QUAL_CONTROL);
    const int rate = sound_values.rate;
    set_row(0, jump ? (right ? RATE_MAX : RATE_MIN) : rate + (right ? 1 : -1));
    gui_sound_update_enabled();
}

int key(const GuiEvent& e) {
    if (e.code == RAW_RIGHT || e.code == RAW_LEFT) {
        rate_key(e.code, e.qualifier);
        return 0;
    }
    switch (gui_dialog_key(e.code, true)) {
    case DialogKey::RESET:
        gui_sound_reset_defaults();
        return 0;
    case DialogKey::OK:
        return 1;
    case DialogKey::CANCEL:
        return 2;
    case DialogKey::NONE:
        return 0;
    }
    return 0;
}

bool handle(const GuiEvent& e) {
    int result = 0;
    if (e.type == GE_CLOSE)
        result = 1;
    else if (e.type == GE_RAWKEY)
        result = key(e);
    else if (e.type == GE_GADGET)
        result = gadget(e.gid, e.code);
    if (result == 1) write_settings();
    return result != 0;
}

} // namespace

void gui_sound_reset_defaults() {
    sound_values = SoundDialogValues{};
    show_values();
    gui_sound_update_enabled();
}

void gui_sound_update_enabled() {
    const int win = sound_window;
    for (int r = 0; r < 8; r++) {
        if (!speech_rows[r].extended) continue;
        gui_set_disabled(win, speech_rows[r].slider, !speech_extended_available);
        gui_set_disabled(win, field_of(r), !speech_extended_available);
    }
    gui_set_disabled(win, GID_SOUND_RESET, sound_values == SoundDialogValues{});
}

void gui_adjust_sound_window() {
    if (sound_window && gui_window_is_open(sound_window)) {
        gui_window_show_again(sound_window);
        return;
    }
    const bool modal = gui_dialog_begin();
    read_settings();
    sound_window = gui_window_open(describe());
    if (!sound_window) {
        gui_dialog_abandon(modal);
        return;
    }
    gui_sound_update_enabled();
    gui_dialog_run(modal, sound_window, handle, [] { sound_window = 0; });
}
