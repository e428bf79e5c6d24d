#include "inspect/opcode_info.h"

#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "cpu/optables.h"
#include "platform/catalog.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// Where the maker's 2650 manual lives; empty while none is known, and a click
// then only pauses the emulation.
constexpr const char* MANUAL_SITE = "";

bool undefined(u8 op) {
    return op == 0x90 || op == 0x91 || op == 0xB6 || op == 0xB7 || (op >= 0xC4 && op <= 0xC7);
}

// One line of sixteen letters per high hex digit; the 2650B differs only in
// $10 and $11 (absolute). SPSU, SPSL, LPSU and LPSL ($12, $13, $92, $93) are
// one byte without an operand: implicit, like HALT and NOP.
constexpr const char* MODES_2650 = "-GGGIIIIRRRRAAAA"
                                   "--TTGGGGRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGTTTTRRRRAAAA"
                                   "TGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "--TTGGGGRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGII--RRRRAAAA"
                                   "TGGG----RRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA"
                                   "GGGGIIIIRRRRAAAA";

struct GroupRow {
    OpcodeGroup group;
    int rgb;
    int number;
    const char* english;
};
constexpr GroupRow GROUPS[] = {
    {OG_ARITHMETIC, 0xFF8888, 502, "Arithmetic, transfer"},
    {OG_MIXED, 0xAAAAFF, 503, "I/O, PSW, mixed"},
    {OG_BRANCH, 0x88FF88, 504, "Branch"},
    {OG_SPECIAL, 0xFFFF88, 505, "Special"},
    {OG_ILLEGAL, 0xFF88FF, 506, "Illegal"},
};

const GroupRow& group_row(OpcodeGroup g) {
    for (const GroupRow& r : GROUPS)
        if (r.group == g) return r;
    return GROUPS[4];
}

struct ModeRow {
    char letter;
    int number;
    const char* english;
};
constexpr ModeRow MODES[] = {{'A', 661, "Absolute"}, {'I', 662, "Immediate"}, {'T', 663, "Implicit"},
                             {'G', 664, "Register"}, {'R', 665, "Relative"},  {'-', 506, "Illegal"}};

using PageName = std::array<char, 8>;

// The page names, made once from the Signetics texts.
const std::array<PageName, 256>& page_names() {
    static const std::array<PageName, 256> names = [] {
        std::array<PageName, 256> t{};
        for (int op = 0; op < 256; op++) {
            PageName& n = t[static_cast<std::size_t>(op)];
            if (undefined(static_cast<u8>(op))) continue;
            const char* m = op == 0x10 ? "LDPL" : op == 0x11 ? "STPL" : op_text_signetics[op].mnemonic;
            for (std::size_t i = 0; i + 1 < n.size() && m[i] && m[i] != ',' && m[i] != ' '; i++)
                n[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(m[i])));
        }
        return t;
    }();
    return names;
}

// The instruction's line as the notation writes it.
std::string title_line(u8 op, const OpcodeText& t) {
    const std::string m = t.mnemonic ? t.mnemonic : "", o = t.operands ? t.operands : "";
    switch (dis_notation) {
    case NOTATION_SIGNETICS:
    case NOTATION_EXTENDED:
        if (op == 0x9F || op == 0xBF) return o; // the whole instruction
        return o.empty() ? m : m + " " + o;
    case NOTATION_OLD_CALM:
        if ((op >= 0xC8 && op <= 0xCF) || (op >= 0xD4 && op <= 0xD7) || (op == 0x11 && cpu_type == 1))
            return o;
        return m + o; // the operand starts with its comma or blank
    case NOTATION_NEW_CALM:
        return m;
    default:
        return o.empty() ? m : m + " " + o;
    }
}

const char* or_empty(const char* s) {
    return s ? s : "";
}

} // namespace

const OpcodeGroup opcode_legend[5] = {OG_ARITHMETIC, OG_MIXED, OG_BRANCH, OG_SPECIAL, OG_ILLEGAL};

OpcodeGroup opcode_group(u32 type, u8 op) {
    if (op == 0x40 || op == 0xC0) return OG_SPECIAL;
    if ((op == 0x10 || op == 0x11) && type == 1) return OG_MIXED;
    if (op == 0x00 || op == 0x10 || op == 0x11 || undefined(op)) return OG_ILLEGAL;
    const bool odd_high = (op >> 4) & 1;
    if (odd_high && (op & 0x0F) >= 8) return OG_BRANCH;
    return odd_high ? OG_MIXED : OG_ARITHMETIC;
}

int opcode_group_colour(OpcodeGroup group) {
    return group_row(group).rgb;
}

const char* opcode_group_text(OpcodeGroup group) {
    const GroupRow& r = group_row(group);
    return cat_str(r.number, r.english);
}

char opcode_mode_letter(u32 type, u8 op) {
    if ((op == 0x10 || op == 0x11) && type == 1) return 'A';
    return MODES_2650[op];
}

const char* opcode_mode_text(char letter) {
    for (const ModeRow& r : MODES)
        if (r.letter == letter) return cat_str(r.number, r.english);
    return cat_str(506, "Illegal");
}

const char* opcode_page_name(u8 op) {
    return page_names()[op].data();
}

bool opcode_clickable(u32 type, u8 op) {
    if ((op == 0x10 || op == 0x11) && type == 0) return false;
    return opcode_page_name(op)[0] != 0;
}

std::string opcode_manual_address(u8 op) {
    if (!MANUAL_SITE[0] || !opcode_page_name(op)[0]) return "";
    return std::string(MANUAL_SITE) + "2650UM.html#" + opcode_page_name(op) + ".html";
}

void opcode_info_text(u8 op, char* out, std::size_t size) {
    if (!out || size == 0) return;
    const OpcodeText& t = op_text[dis_notation < NOTATIONS ? dis_notation : 0][op];
    char note[8] = "";
    if ((op & 0x0F) >= 8) {
        const u32 extra = dbg_time_unit == 0 ? 2 : dbg_time_unit == 1 ? 6 : 6 * dbg_pixels_per_clock;
        std::snprintf(note, sizeof note, "(+%u)", extra);
    }
    std::snprintf(out, size,
                  cat_str(511, "%s\nOpcode: $%02X\nName: %s\nPseudocode: %s\nCondition code: %s\n"
                               "Size: %d byte(s)\nDuration: %d%s %s\nFlags read: %s\nFlags written: "
                               "%s\nCategory: %s\nAddressing mode: %s"),
                  title_line(op, t).c_str(), op, or_empty(t.long_name), or_empty(t.pseudocode),
                  or_empty(t.cc_effect), static_cast<int>(op_length[op]),
                  static_cast<int>(dbg_clocks_to_units(op_cycles[op])), note, or_empty(dbg_unit_label),
                  or_empty(t.flags_read), or_empty(t.flags_written),
                  opcode_group_text(opcode_group(cpu_type, op)),
                  opcode_mode_text(opcode_mode_letter(cpu_type, op)));
}
