#include "gui/clipboard.h"

#include "cpu/dbg_hooks.h"
#include "core/emu.h"
#include "core/machine_ops.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "input/key_events.h"
#include "platform/gui.h"

#include <cstring>

std::string clip_text;
u8 clip_open_error = 0xFF;

static std::vector<u8> raw_clip;

static void put_id(std::vector<u8>& out, const char* id) {
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<u8>(id[i]));
}

static void put_u32(std::vector<u8>& out, u32 v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<u8>(v >> shift));
}

std::vector<u8> iff_ftxt_form(const std::string& text) {
    const u32 n = static_cast<u32>(text.size());
    const u32 padded = n + (n & 1);
    std::vector<u8> out;
    out.reserve(20 + padded);
    put_id(out, "FORM");
    put_u32(out, 4 + 8 + padded);
    put_id(out, "FTXT");
    put_id(out, "CHRS");
    put_u32(out, n);
    for (char c : text)
        out.push_back(static_cast<u8>(c));
    if (n & 1) out.push_back(0);
    return out;
}

static u32 get_u32(const u8* p) {
    return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 |
           static_cast<u32>(p[2]) << 8 | p[3];
}

static bool id_is(const u8* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// Walks the chunks of [pos, end): FORM FTXT collects its CHRS, CAT and LIST
// are entered, anything else is skipped. `in_ftxt` for the inside of an FTXT form.
static bool walk(const u8* base, u32 pos, u32 end, bool in_ftxt, int depth, std::string* out) {
    if (depth > 8) return false;
    while (pos < end) {
        if (end - pos < 8) return false;
        const u8* head = base + pos;
        const u32 size = get_u32(head + 4);
        if (size > end - pos - 8) return false;
        const u32 body = pos + 8;
        if (in_ftxt) {
            if (id_is(head, "CHRS")) out->append(reinterpret_cast<const char*>(base + body), size);
        } else if (id_is(head, "FORM") || id_is(head, "CAT ") || id_is(head, "LIST")) {
            if (size < 4) return false;
            const bool ftxt = id_is(head, "FORM") && id_is(base + body, "FTXT");
            if ((ftxt || !id_is(head, "FORM")) &&
                !walk(base, body + 4, body + size, ftxt, depth + 1, out))
                return false;
        }
        pos = body + size + (size & 1);
    }
    return true;
}

bool iff_ftxt_chars(const std::vector<u8>& iff, std::string* out) {
    out->clear();
    if (iff.size() < 12) return false;
    const u8* p = iff.data();
    if (!id_is(p, "FORM") && !id_is(p, "CAT ") && !id_is(p, "LIST")) return false;
    const u32 end = iff.size() > 0xFFFFFFF0u ? 0xFFFFFFF0u : static_cast<u32>(iff.size());
    return walk(p, 0, end, false, 0, out);
}

void clip_open() {
    raw_clip.clear();
    clip_open_error = 0;
}

void clip_do_io(const void* data, u32 length) {
    if (clip_open_error != 0 || !data) return;
    const u8* bytes = static_cast<const u8*>(data);
    raw_clip.insert(raw_clip.end(), bytes, bytes + length);
}

void clip_close() {
    if (clip_open_error != 0) return;
    if (!gui_clip_write(static_cast<int>(clip_unit), raw_clip, "")) gui_beep();
    raw_clip.clear();
    clip_open_error = 0xFF;
}

void clip_write_text() {
    const std::string text = clip_text.substr(0, clip_text.find('\0'));
    if (!gui_clip_write(static_cast<int>(clip_unit), iff_ftxt_form(text), text)) gui_beep();
}

void clip_empty() {
    clip_text.clear();
    clip_write_text();
}

bool clip_guest_takes_text() {
    return cpu_char_style() == CHARS_ASCII; // the boards that read ASCII text
}

void clip_queue_piece(const u8* bytes, u32 count) {
    const auto convert = machine_row().paste_char;
    for (u32 i = 0; i < count; i++) {
        u8 unit[14];
        unit[0] = bytes[i];
        const int n = convert ? convert(bytes[i], unit) : 1;
        if (!guest_key_queue_append(unit, n)) return;
    }
}

const char* clip_paste_text() {
    if (!clip_guest_takes_text() || rec_state == REC_PLAYBACK) return nullptr;
    input_queue_typing();
    std::vector<u8> iff;
    std::string plain;
    if (!gui_clip_read(static_cast<int>(clip_unit), &iff, &plain)) {
        gui_beep();
        return "the clipboard can't be read";
    }
    const char* failed = nullptr;
    std::string text;
    if (!iff.empty()) {
        if (!iff_ftxt_chars(iff, &text)) {
            gui_beep();
            failed = "the clipboard's text is damaged; only the text before the damage was typed";
        }
    } else {
        text = plain; // another program's text, as the clipboard's own text clip
    }
    // Each piece stops at the first byte without room; the next piece tries again.
    const u8* bytes = reinterpret_cast<const u8*>(text.data());
    for (u32 at = 0; at < text.size(); at += CLIP_READ_PIECE) {
        const u32 left = static_cast<u32>(text.size()) - at;
        clip_queue_piece(bytes + at, left < CLIP_READ_PIECE ? left : CLIP_READ_PIECE);
    }
    return failed;
}
