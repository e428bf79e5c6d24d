#include "machines/pvi_views.h"
#include "machines/elektor_texts.h"

#include "core/machine.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "machines/ay8910.h"
#include "platform/catalog.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"

#include <array>
#include <cstdio>
#include <iterator>
#include <string>
#include <strings.h>

char elektor_display_text[9];

namespace {

constexpr u32 PSG_BASE = 0x1D00;

const u8* psg_regs(int psg) {
    return guest_memory + PSG_BASE + 16 * psg;
}

const char* on_off(bool on) {
    return on ? cat_str(614, "on") : cat_str(613, "off");
}
const char* pressed(u8 value, int bit) {
    return (value >> bit & 1) ? "pressed" : "unpressed";
}
const char* output_text(bool set) {
    return set ? cat_str(611, "output") : cat_str(612, "disbld");
}
const char* mode_text(bool envelope) {
    return envelope ? cat_str(609, "envlpe") : cat_str(610, "normal");
}
const char* hz() {
    return cat_str(616, "Hz");
}
const char* note_name(float frequency) {
    return note_table[snd_note_for_frequency(frequency)].name;
}

} // namespace

// ---- describers ----------------------------------------------------------------------

bool pvi_console_describe_input(u32 a, char* out, std::size_t size) {
    const u8 v = guest_memory[a & (GUEST_MEMORY_SIZE - 1)];
    if (a == 0x1E80) {
        // ISO-8859-1 fractions: three quarters, one half, one quarter.
        static const char* const volumes[4] = {"full", "\xBE", "\xBD", "\xBC"};
        std::snprintf(out, size,
                      "Volume: %s\nInverted grid/background colours: %s\nStart explosion: "
                      "%s\nNoise: %s\nPVI tone: %s",
                      volumes[v >> 6], on_off(v & 0x20), on_off(v & 0x10), on_off(v & 0x08),
                      on_off(v & 0x04));
        return true;
    }
    static const char* const keypads[3] = {
        "%s '1' button: %s\n%s '4' button: %s\n%s '7' button: %s\n%s 'Clear' button: %s",
        "%s '2' button: %s\n%s '5' button: %s\n%s '8' button: %s\n%s '0' button: %s",
        "%s '3' button: %s\n%s '6' button: %s\n%s '9' button: %s\n%s 'Enter' button: %s"};
    if ((a >= 0x1E88 && a <= 0x1E8A) || (a >= 0x1E8C && a <= 0x1E8E)) {
        const char* side = a < 0x1E8B ? "Left" : "Right";
        const int column = static_cast<int>(a < 0x1E8B ? a - 0x1E88 : a - 0x1E8C);
        std::snprintf(out, size, keypads[column], side, pressed(v, 7), side, pressed(v, 6), side,
                      pressed(v, 5), side, pressed(v, 4));
        return true;
    }
    if (a == 0x1E8B) {
        std::snprintf(out, size, "'SELECT' button: %s\n'START' button: %s", pressed(v, 7),
                      pressed(v, 6));
        return true;
    }
    return false;
}

bool elektor_describe_psg(u32 a, char* out, std::size_t size) {
    if (a < PSG_BASE || a > PSG_BASE + 0x1F) return false;
    const int psg = static_cast<int>((a - PSG_BASE) >> 4);
    const u32 reg = a & 15;
    if (reg >= AY_PORT_A) return false;
    const u8* r = psg_regs(psg);
    const char* nth = psg ? "2nd" : "1st";
    const int k = psg + 1;
    if (reg <= 5) {
        const int channel = static_cast<int>(reg / 2);
        const float f = ay8910_tone_frequency(ay8910_tone_period(r, channel));
        std::snprintf(out, size, "Tone %c%d pitch: %6.3f %s (note %s)", 'A' + channel, k, f, hz(),
                      note_name(f));
    } else if (reg == AY_NOISE_PERIOD) {
        const float f = ay8910_tone_frequency(ay8910_noise_period(r));
        std::snprintf(out, size, "%s noises pitch: %6.3f %s (note %s)", nth, f, hz(), note_name(f));
    } else if (reg == AY_MIXER) {
        const u8 m = r[AY_MIXER];
        std::snprintf(out, size,
                      "Tone A%d=%s, tone B%d=%s, tone C%d=%s\nNoise A%d=%s, noise B%d=%s, noise "
                      "C%d=%s\nI/O port A%d=%s, I/O port B%d=%s",
                      k, on_off(!(m & 0x01)), k, on_off(!(m & 0x02)), k, on_off(!(m & 0x04)), k,
                      on_off(!(m & 0x08)), k, on_off(!(m & 0x10)), k, on_off(!(m & 0x20)), k,
                      output_text(m & 0x40), k, output_text(m & 0x80));
    } else if (reg <= 10) {
        const int channel = static_cast<int>(reg - AY_AMPLITUDE_A);
        std::snprintf(out, size, "%c%d amplitude mode: %s\n%c%d volume: %d %s 15", 'A' + channel, k,
                      mode_text(ay8910_envelope_mode(r, channel)), 'A' + channel, k,
                      ay8910_amplitude(r, channel), cat_str(552, "of"));
    } else if (reg <= AY_ENVELOPE_HIGH) {
        std::snprintf(out, size, "%s envelope period: %4.3f %s", nth,
                      ay8910_envelope_frequency(ay8910_envelope_period(r)), hz());
    } else {
        const u8 s = r[AY_SHAPE];
        std::snprintf(out, size, "%s envelope shape: %s\n%s %s\n%s %s\n%s %s\n%s %s", nth,
                      ay8910_shape_picture(s), cat_str(605, "Hold:"), on_off(s & 1),
                      cat_str(606, "Alternate:"), on_off(s & 2), cat_str(607, "Attack:"),
                      on_off(s & 4), cat_str(608, "Continue:"), on_off(s & 8));
    }
    return true;
}

// ---- VIEW PSG ------------------------------------------------------------------------

namespace {

u16 pair(const u8* r, u32 low) {
    return static_cast<u16>(r[low + 1] << 8 | r[low]);
}

// The decoded half of the view, PSG 1 on the left.
void view_decoded(const u8* p, const u8* q) {
    con_printf("                 -----------PSG #1----------- -----------PSG #2------------\n");
    const u8* both[2] = {p, q};
    char left[96], caption[64];
    for (int c = 0; c < 4; c++) {
        float f[2];
        for (int k = 0; k < 2; k++)
            f[k] = ay8910_tone_frequency(c < 3 ? ay8910_tone_period(both[k], c)
                                               : ay8910_noise_period(both[k]));
        if (c < 3) {
            const char letter[2] = {static_cast<char>('A' + c), '\0'};
            std::snprintf(caption, sizeof caption, cat_str(595, "Tone %s pitch:"), letter);
        } else {
            std::snprintf(caption, sizeof caption, "%s", cat_str(596, "Noises pitch:"));
        }
        std::snprintf(left, sizeof left, "%-16s %6.3f %s (note %s) ", caption, f[0], hz(),
                      note_name(f[0]));
        con_printf("%-45s %6.3f %s (note %s)\n", left, f[1], hz(), note_name(f[1]));
    }
    const auto three = [&](const char* caption, auto text) {
        con_printf("%-16s A=%-6s, B=%-6s, C=%-6s A=%-6s, B=%-6s, C=%-6s\n", caption, text(p, 0),
                   text(p, 1), text(p, 2), text(q, 0), text(q, 1), text(q, 2));
    };
    const auto tone = [](const u8* r, int c) { return on_off(ay8910_tone_enabled(r, c)); };
    const auto noise = [](const u8* r, int c) { return on_off(ay8910_noise_enabled(r, c)); };
    const auto mode = [](const u8* r, int c) { return mode_text(ay8910_envelope_mode(r, c)); };
    three(cat_str(597, "Tone channels:"), tone);
    three(cat_str(598, "Noise channels:"), noise);
    con_printf("%-16s A=%-6s, B=%-6s           A=%s, B=%s\n", cat_str(599, "I/O ports:"),
               output_text(p[AY_MIXER] & 0x40), output_text(p[AY_MIXER] & 0x80),
               output_text(q[AY_MIXER] & 0x40), output_text(q[AY_MIXER] & 0x80));
    con_printf("%-16s A=%6d, B=%6d, C=%6d A=%6d, B=%6d, C=%d %s 15\n",
               cat_str(600, "Channel volumes:"), ay8910_amplitude(p, 0), ay8910_amplitude(p, 1),
               ay8910_amplitude(p, 2), ay8910_amplitude(q, 0), ay8910_amplitude(q, 1),
               ay8910_amplitude(q, 2), cat_str(552, "of"));
    three(cat_str(601, "Amplitude modes:"), mode);
    con_printf("%s\n %-15s   %4.3f %-17s   %4.3f %s\n", cat_str(602, "Envelope:"),
               cat_str(603, "Period:"), ay8910_envelope_frequency(ay8910_envelope_period(p)), hz(),
               ay8910_envelope_frequency(ay8910_envelope_period(q)), hz());
    con_printf(" %-15s %s             %s\n", cat_str(604, "Shape:"),
               ay8910_shape_picture(p[AY_SHAPE]), ay8910_shape_picture(q[AY_SHAPE]));
    static const struct {
        int number;
        const char* text;
    } bits[4] = {{605, "Hold:"}, {606, "Alternate:"}, {607, "Attack:"}, {608, "Continue:"}};
    for (int b = 0; b < 4; b++)
        con_printf(" %-15s %-28s %s\n", cat_str(bits[b].number, bits[b].text),
                   on_off(p[AY_SHAPE] >> b & 1), on_off(q[AY_SHAPE] >> b & 1));
}

} // namespace

void elektor_view_psg_registers() {
    if (memmap != 5) return; // the expanded map
    const u8* p = psg_regs(0);
    const u8* q = psg_regs(1);
    con_printf("---------------PSG #1---------------- ---------------PSG #2----------------\n");
    con_printf("PITCHA1:      %04X PITCHD1:        %02X PITCHA2:      %04X PITCHD2:        %02X\n",
               pair(p, 0), p[6], pair(q, 0), q[6]);
    con_printf("PITCHB1:      %04X MIXER1:         %02X PITCHB2:      %04X MIXER2:         %02X\n",
               pair(p, 2), p[7], pair(q, 2), q[7]);
    con_printf("PITCHC1:      %04X PERIOD1:      %04X PITCHC2:      %04X PERIOD2:      %04X\n",
               pair(p, 4), pair(p, 11), pair(q, 4), pair(q, 11));
    con_printf("AMPLITUDEA1:    %02X SHAPE1:         %02X AMPLITUDEA2:    %02X SHAPE2:         "
               "%02X\n",
               p[8], p[13], q[8], q[13]);
    con_printf("AMPLITUDEB1:    %02X PORTA1:         %02X AMPLITUDEB2:    %02X PORTA2:         "
               "%02X\n",
               p[9], p[14], q[9], q[14]);
    con_printf("AMPLITUDEC1:    %02X PORTB1:         %02X AMPLITUDEC2:    %02X PORTB2:         "
               "%02X\n",
               p[10], p[15], q[10], q[15]);
    if (verbosity > 0) view_decoded(p, q);
    con_printf("\n");
}

u8 elektor_guest_char(u8 code) {
    static constexpr CpuCharRun runs[] = {
        {0, "0123456789AbCdEFGLInPr= +-:x"},
        {95, "?"},
        {138, "_"},
        {162, "!"},
        {170, "N"},
        {187, "lT"},
        {223, "i"},
        {230, ":"},
        {247, "."},
    };
    return cpu_char_from_runs(runs, code);
}

// The monitor's display buffer as the six lines it shows, with the bytes of
// the variables whose addresses are known, and its input line.
static void elektor_view_bios() {
    const auto at = [](u32 a) { return guest_memory[a]; };
    for (int line = 0; line < 6; line++) {
        elektor_decode_monitor_display(line);
        con_printf("%s\"%s\"", line == 0 ? "MONOB:  " : "        ", elektor_display_text);
        if (line == 0)
            con_printf(" $8A0..$8AB: $%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
                       "%02X\n",
                       at(0x8A0), at(0x8A1), at(0x8A2), at(0x8A3), at(0x8A4), at(0x8A5), at(0x8A6),
                       at(0x8A7), at(0x8A8), at(0x8A9), at(0x8AA), at(0x8AB));
        else if (line == 1)
            con_printf(" $8B9..$8BD:                            $%02X %02X %02X %02X %02X\n",
                       at(0x8B9), at(0x8BA), at(0x8BB), at(0x8BC), at(0x8BD));
        else if (line == 3) // the keyboard scan's state
            con_printf(" LKBST:         $%02X RKBST:         $%02X MKBST:         $%02X\n",
                       at(0x89D), at(0x89E), at(0x89F));
        else
            con_printf("\n");
    }
    std::string input;
    for (u32 a = 0x0890; a <= 0x0897; a++) {
        char utf8[4];
        input += cpu_guest_char_text(at(a), utf8);
    }
    con_printf("MLINE:  \"%s\"\n\n", input.c_str());
}

ViewShown elektor_debug_view(const char* word) {
    if (strcasecmp(word, "BIOS") == 0) {
        elektor_view_bios();
        return ViewShown::SHOWN;
    }
    if (strcasecmp(word, "PSG") != 0) return pvi_consoles_debug_view(word);
    if (memmap != MAP_ELEKTOR_EXPANDED) return ViewShown::NONE;
    elektor_view_psg_registers(); // both PSGs of the expanded Elektor
    return ViewShown::SHOWN;
}

// ---- BIOS notes ----------------------------------------------------------------------

namespace {

struct BiosNote {
    u16 address;
    const char* lines; // comment lines, labels padded to 16 columns
};

const BiosNote hobby_notes[] = {
    {0x0057, ";Long name:      Display of character images on screen (monitor settings)\n"},
    {0x006F, ";Long name:      Display of character images on screen (user-defined)\n"},
    {0x014E, ";Long name:      Keyboard scan routine\n"},
    {0x01D0, ";Long name:      Line to image conversion routine\n"},
    {0x028A, ";Long name:      Scroll up of character images one line position (6 lines)\n"},
    {0x028C, ";Long name:      Scroll up of character images one line position (1..5 lines)\n"},
    {0x0575, ";Long name:      Clear screen routine\n"},
};

const BiosNote philips_notes[] = {
    {0x0003, ";Long name:      Interrupt address $0003\n"},
    {0x000A, ";Autodoc:\n; Reset and initiation.\n"},
    {0x004B, ";Long name:      Entry for monitor interrupts via RAM address\n"},
    {0x004E, ";Long name:      Monitor screen refresh\n"},
    {0x0055, ";Long name:      Display six lines\n"},
    {0x007A, ";Long name:      Display last line only\n"},
    {0x009E, ";Long name:      Clear duplicates\n"},
    {0x00A0, ";Long name:      Load VOD duplicates\n"},
    {0x00BD, ";Long name:      Vertical reset with key entry\n"},
    {0x013E, ";Long name:      Status save routine\n"},
    {0x0161, ";Long name:      Initiate PVI\n"},
    {0x016E, ";Long name:      Clear PVI objects\n"},
    {0x016F, ";Long name:      Load objects\n"},
    {0x0171, ";Long name:      Set objects\n"},
    {0x0181, ";Long name:      Keyboard scan\n"},
    {0x0183, ";Long name:      Keyboard scan\n"},
    {0x020E, ";Long name:      Translate MLINE to display\n"},
    {0x02CF, ";Long name:      Scroll and load 8 spaces in MLINE\n"},
    {0x02D9, ";Long name:      Load 8 spaces to MLINE\n"},
    {0x02E3, ";Long name:      Scroll, message to MLINE\n"},
    {0x02EA, ";Long name:      Output message to MLINE\n"},
    {0x031D, ";Long name:      Assemble data\n"},
    {0x0328, ";Long name:      Add hex constant to double byte\n"},
    {0x0340, ";Long name:      Reset data assembly locations\n"},
    {0x034E, ";Long name:      Output double byte to MLINE\n"
             ";Comments:       Into the last positions of MLINE\n"},
    {0x0350, ";Long name:      Output double byte to MLINE\n"
             ";Comments:       Into the position held in R3\n"},
    {0x0354, ";Long name:      Output single byte to MLINE\n"},
    {0x035E, ";Long name:      Split register\n"},
    {0x0368, ";Long name:      Output of address being entered\n"},
    {0x036C, ";Long name:      Output of address (R1,R2) with leading spaces (FSCRM+6)\n"},
    {0x0377, ";Long name:      Output of leading spaces\n"},
    {0x0379, ";Long name:      Load spaces to MLINE\n"},
    {0x0381, ";Long name:      Store data in memory\n"},
    {0x039F, ";Long name:      Increment double byte\n"},
    {0x03B0, ";Long name:      Register display and alter\n"},
    {0x040C, ";Long name:      Memory display and alter\n"},
    {0x042B, ";Long name:      Address + data to MLINE\n"},
    {0x0470, ";Long name:      Output three bytes to screen\n"},
    {0x0480, ";Long name:      Output single byte to screen\n"},
    {0x04A9, ";Long name:      Breakpoint set and clear\n"},
    {0x050E, ";Long name:      Go to address function\n"},
    {0x0529, ";Long name:      Output double byte to screen\n"},
    {0x052F, ";Long name:      Assemble data on screen\n"},
    {0x0594, ";Long name:      1st breakpoint entry from user program\n"},
    {0x05B2, ";Long name:      2nd breakpoint entry from user program\n"},
    {0x05E8, ";Long name:      Cassette write\n"},
    {0x0602, ";Long name:      Scroll, message to screen\n"},
    {0x06F7, ";Long name:      Delay\n"},
    {0x0758, ";Long name:      Read cassette\n"},
};

const char* const message_codes = ";Message code data is:\n"
                                  "; $04='PC=',  $08='AD=',  $0C='R=',   $10='BP1=', $14='BP2',\n"
                                  "; $18='BEG=', $1C='END=', $20='SAD=', $24='FIL=', $28='IIII'\n";

} // namespace

void elektor_bios_notes(u32 address) {
    const bool hobby = elektor_biosversion == 1;
    const BiosNote* first = hobby ? std::begin(hobby_notes) : std::begin(philips_notes);
    const BiosNote* last = hobby ? std::end(hobby_notes) : std::end(philips_notes);
    for (const BiosNote* n = first; n != last; n++) {
        if (n->address != address) continue;
        std::string text = n->lines;
        if (!hobby && address == 0x035E) {
            char split[40];
            std::snprintf(split, sizeof split, ";Input:          Byte to split:  $%02X\n",
                          cpu_regs[cpu_reg_index(1)]);
            text += split;
        }
        if (!hobby && (address == 0x02E3 || address == 0x02EA || address == 0x0602))
            text += message_codes;
        con_printf("%s", text.c_str());
        return;
    }
}

// ---- the monitor's display -----------------------------------------------------------

namespace {

constexpr u32 DISPLAY_LINES = 0x0800, BIOS_IMAGES = 0x027B;
constexpr char MIDDLE_DOT = '\xB7';

// Left and right character of each of the BIOS's 128 image entries.
struct ImagePair {
    char left, right;
};
constexpr std::array<ImagePair, 128> build_image_chars() {
    std::array<ImagePair, 128> t{};
    for (auto& e : t)
        e = {MIDDLE_DOT, MIDDLE_DOT};
    constexpr const char* first = "0123456789AbCdEFGLInPr= +-:x";
    for (int k = 0; k < 14; k++)
        t[static_cast<std::size_t>(k)] = {first[2 * k], first[2 * k + 1]};
    t[47].right = '?';
    t[69].left = '_';
    t[81].left = '!';
    t[85].left = 'N';
    t[93].right = 'l';
    t[94].left = 'T';
    t[111].right = 'i';
    t[115].left = ':';
    t[123].right = '.';
    return t;
}
constexpr std::array<ImagePair, 128> image_chars = build_image_chars();

// Images the BIOS table lacks (rows in bits 3-1, top row first).
struct Fallback {
    char c;
    u8 rows[6];
};
constexpr Fallback fallbacks[28] = {
    {'?', {0x0E, 0x02, 0x02, 0x0E, 0x08, 0x08}}, {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0A}},
    {'!', {0x04, 0x04, 0x00, 0x04, 0x00, 0x00}}, {'N', {0x00, 0x0E, 0x0A, 0x0A, 0x0A, 0x0A}},
    {'l', {0x08, 0x08, 0x08, 0x08, 0x08, 0x08}}, {'T', {0x0E, 0x0E, 0x04, 0x04, 0x04, 0x04}},
    {'i', {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04}}, {':', {0x0C, 0x0C, 0x00, 0x00, 0x0C, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x04}}, {'B', {0x0E, 0x0A, 0x0C, 0x0A, 0x0A, 0x0E}},
    {'D', {0x0C, 0x0A, 0x0A, 0x0A, 0x0A, 0x0C}}, {'H', {0x0A, 0x0A, 0x0E, 0x0A, 0x0A, 0x0A}},
    {'J', {0x02, 0x02, 0x02, 0x02, 0x02, 0x0E}}, {'K', {0x0A, 0x0A, 0x0C, 0x0A, 0x0A, 0x0A}},
    {'Q', {0x0E, 0x0A, 0x0A, 0x0A, 0x0A, 0x0F}}, {'R', {0x0E, 0x0A, 0x0C, 0x0A, 0x0A, 0x0A}},
    {'T', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'U', {0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0E}},
    {'V', {0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x04}}, {'X', {0x0A, 0x0A, 0x04, 0x0A, 0x0A, 0x0A}},
    {'Y', {0x0A, 0x0A, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x0E, 0x02, 0x04, 0x08, 0x08, 0x0E}},
    {'!', {0x04, 0x04, 0x04, 0x04, 0x00, 0x04}}, {'?', {0x0E, 0x02, 0x0E, 0x08, 0x00, 0x08}},
    {'M', {0x06, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'M', {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'W', {0x04, 0x04, 0x04, 0x04, 0x05, 0x02}}, {'W', {0x04, 0x04, 0x04, 0x04, 0x04, 0x08}},
};

// One character of a six-row group; `right` picks bits 3-1 of d, else bits 7-5.
char decode_half(const u8* d, bool right) {
    for (u32 k = 0; k < 128; k++) {
        const u8* e = guest_memory + BIOS_IMAGES + 6 * k;
        bool as_left = true, as_right = true;
        for (int i = 0; i < 6; i++) {
            if (right) {
                as_left = as_left && (d[i] & 0x0E) == ((e[i] >> 4) & 0x0E);
                as_right = as_right && (d[i] & 0x0E) == (e[i] & 0x0E);
            } else {
                as_left = as_left && (d[i] & 0xE0) == (e[i] & 0xE0);
                as_right = as_right && ((d[i] >> 4) & 0x0E) == (e[i] & 0x0E);
            }
        }
        if (as_left) return image_chars[k].left;
        if (as_right) return image_chars[k].right;
    }
    for (const Fallback& f : fallbacks) {
        bool same = true;
        for (int i = 0; i < 6; i++)
            same = same && ((right ? d[i] : d[i] >> 4) & 0x0E) == f.rows[i];
        if (same) return f.c;
    }
    return '#';
}

} // namespace

void elektor_decode_monitor_display(int line) {
    if (line < 0 || line > 5) { // the monitor shows six lines
        elektor_display_text[0] = '\0';
        return;
    }
    for (u32 g = 0; g < 4; g++) {
        const u8* d = guest_memory + DISPLAY_LINES + 24 * static_cast<u32>(line) + 6 * g;
        elektor_display_text[2 * g] = decode_half(d, false);
        elektor_display_text[2 * g + 1] = decode_half(d, true);
    }
    elektor_display_text[8] = '\0';
}
