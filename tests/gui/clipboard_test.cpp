// The clipboard: FTXT forms written and read, and pasted text reaching the
// guest's key queue with each machine's conversions.
#include "gui/clipboard.h"

#include "core/machine.h"
#include "core/emu.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "input/key_events.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<u8> bytes(const std::string& s) {
    return std::vector<u8>(s.begin(), s.end());
}

std::string form_text(const std::string& text) {
    const std::vector<u8> form = iff_ftxt_form(text);
    return std::string(form.begin(), form.end());
}

std::string queued() {
    return std::string(reinterpret_cast<const char*>(guest_key_queue),
                       static_cast<size_t>(guest_key_queue_len));
}

std::vector<u8> clip_of(int unit) {
    std::vector<u8> iff;
    std::string text;
    EXPECT_TRUE(gui_clip_read(unit, &iff, &text));
    return iff;
}

class Clipboard : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        clip_text.clear();
        guest_key_queue_len = 0;
        queuekeystrokes = 1;
    }
    void TearDown() override { fresh_state(); }
    // Puts `text` on the clipboard as our own FTXT clip and pastes it on `m`.
    static std::string paste_on(u32 m, const std::string& text) {
        machine = m;
        machine_bus_install();
        guest_key_queue_len = 0;
        clip_text = text;
        clip_write_text();
        clip_paste_text();
        return queued();
    }
};

TEST_F(Clipboard, TextIsWrittenAsAnFtxtFormWithOneChrsChunk) {
    struct Case {
        std::string text;
        std::string form; // the IFF-85 bytes: sizes big-endian, odd data padded
    };
    const Case cases[] = {
        {"AB", std::string("FORM\0\0\0\x0E"
                           "FTXTCHRS\0\0\0\x02"
                           "AB",
                           22)},
        {"ABC", std::string("FORM\0\0\0\x10"
                            "FTXTCHRS\0\0\0\x03"
                            "ABC\0",
                            24)},
        {"", std::string("FORM\0\0\0\x0C"
                         "FTXTCHRS\0\0\0\0",
                         20)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iff_ftxt_form(c.text), bytes(c.form)) << c.text;
        clip_text = c.text;
        clip_write_text();
        EXPECT_EQ(clip_of(0), bytes(c.form)) << c.text;
    }
    clip_text = "XYZ";
    clip_empty();
    EXPECT_EQ(clip_text, "");
    EXPECT_EQ(clip_of(0), bytes(cases[2].form)) << "an empty clipboard is a valid FTXT form";
}

TEST_F(Clipboard, ReadingTakesEveryChrsChunkOfEveryFtxtForm) {
    const std::string one = form_text("HELLO");
    const std::string two = form_text(" WORLD");
    // A picture form and a font chunk in a text form are passed over.
    const std::string ilbm("FORM\0\0\0\x0D"
                           "ILBMCHRS\0\0\0\x01"
                           "Q\0",
                           22);
    const std::string ftxt_font("FORM\0\0\0\x18"
                                "FTXTFONS\0\0\0\x01"
                                "F\0CHRS\0\0\0\x01"
                                "!\0",
                                32);
    const std::string body = one + ilbm + two + ftxt_font;
    std::string cat = std::string("CAT \0\0\0\0    ", 12) + body;
    const u32 n = static_cast<u32>(4 + body.size());
    cat[4] = static_cast<char>(n >> 24);
    cat[5] = static_cast<char>(n >> 16);
    cat[6] = static_cast<char>(n >> 8);
    cat[7] = static_cast<char>(n);
    struct Case {
        std::string iff;
        bool ok;
        std::string text;
    };
    const Case cases[] = {
        {one, true, "HELLO"},
        {cat, true, "HELLO WORLD!"},
        {ilbm, true, ""},
        {one.substr(0, one.size() - 2), false, ""}, // the chunk runs past the end
        {"NOTANIFFFILE", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string got = "junk";
        EXPECT_EQ(iff_ftxt_chars(bytes(c.iff), &got), c.ok) << c.text;
        EXPECT_EQ(got, c.text);
    }
}

TEST_F(Clipboard, PastedTextIsConvertedForEachMachine) {
    const std::string cr13 = "\r" + std::string(13, '\x80');
    struct Case {
        u32 machine;
        u32 phunsy_bios, selbst_bios;
        std::string text, queued;
    };
    const Case cases[] = {
        {PIPBUG, 0, 0, "AB\nC", "AB" + cr13 + "C"},
        {PIPBUG, 0, 0, "A\rB", "A" + cr13 + "B"},
        {BINBUG, 0, 0, "AB\nC", "AB\rC"},
        {CD2650, 0, 0, "hi", "\x08\xFF\x09\xFF"},
        {CD2650, 0, 0, "H\n", "H\xFF\n\xFF"},
        {TWIN, 0, 0, "ab\n", "ab\n"},
        {TYPERIGHT, 0, 0, "ab\n", "ab\n"},
        {PHUNSY, 1, 0, "ab", "ab"},
        {PHUNSY, 2, 0, "ab", ""},
        {SELBST, 0, 3, "ab", "ab"},
        {SELBST, 0, 1, "ab", ""},
        {ARCADIA, 0, 0, "ab", ""},
    };
    for (const Case& c : cases) {
        phunsy_biosversion = c.phunsy_bios;
        selbst_biosversion = c.selbst_bios;
        EXPECT_EQ(paste_on(c.machine, c.text), c.queued) << "machine " << c.machine;
    }
}

TEST_F(Clipboard, PastingSwitchesKeyQueueingOnExceptOnTheTyperight) {
    struct Case {
        u32 machine, playback;
        u32 queueing_after;
        std::string queued;
    };
    const Case cases[] = {
        {PIPBUG, 0, 1, "X"},
        {TYPERIGHT, 0, 0, "X"},
        {PIPBUG, 1, 0, ""}, // recorded keys drive the guest
        {ARCADIA, 0, 0, ""},
    };
    for (const Case& c : cases) {
        queuekeystrokes = 0;
        rec_state = c.playback ? REC_PLAYBACK : REC_IDLE;
        EXPECT_EQ(paste_on(c.machine, "X"), c.queued) << "machine " << c.machine;
        EXPECT_EQ(queuekeystrokes, c.queueing_after) << "machine " << c.machine;
    }
    rec_state = REC_IDLE;
}

TEST_F(Clipboard, APasteThatDoesNotFitIsCutAtTheFirstByteWithoutRoom) {
    machine = PIPBUG;
    machine_bus_install();
    const std::string filler(GUEST_KEY_QUEUE_SIZE - 16, 'F');
    ASSERT_TRUE(guest_key_queue_append_text(filler.c_str()));
    clip_text = "AB\nCD";
    clip_write_text();
    clip_paste_text();
    // "AB" and the return with its 13 fillers need 16 places: it all fits.
    EXPECT_EQ(guest_key_queue_len, GUEST_KEY_QUEUE_SIZE);
    EXPECT_EQ(queued().substr(filler.size(), 3), "AB\r");

    guest_key_queue_len = GUEST_KEY_QUEUE_SIZE - 15;
    clip_text = "AB\nCD";
    clip_write_text();
    clip_paste_text();
    // The return does not fit with its fillers: dropped whole, with the rest.
    EXPECT_EQ(guest_key_queue_len, GUEST_KEY_QUEUE_SIZE - 13);
    EXPECT_EQ(queued().substr(GUEST_KEY_QUEUE_SIZE - 15), "AB");
}

TEST_F(Clipboard, LongTextIsQueuedPieceByPiece) {
    machine = TWIN;
    machine_bus_install();
    std::string text;
    for (u32 i = 0; i < CLIP_READ_PIECE + 7; i++)
        text += static_cast<char>('A' + i % 26);
    EXPECT_TRUE(paste_on(TWIN, text) == text) << "queued " << guest_key_queue_len;
}

TEST_F(Clipboard, TheClipboardUnitIsHonouredAndOtherProgramsTextPastes) {
    machine = BINBUG;
    machine_bus_install();
    clip_unit = 3;
    clip_text = "ON THREE";
    clip_write_text();
    EXPECT_TRUE(clip_of(0).empty());
    EXPECT_EQ(clip_of(3), iff_ftxt_form("ON THREE"));
    clip_paste_text();
    EXPECT_EQ(queued(), "ON THREE");

    guest_key_queue_len = 0;
    gui_headless_clip_put_text(3, "LIST\n");
    clip_paste_text();
    EXPECT_EQ(queued(), "LIST\r");

    clip_open();
    EXPECT_EQ(clip_open_error, 0);
    clip_do_io("FORM", 4);
    clip_do_io("\0\0\0\4ILBM", 8);
    clip_close();
    EXPECT_EQ(clip_open_error, 0xFF);
    EXPECT_EQ(clip_of(3), bytes(std::string("FORM\0\0\0\4ILBM", 12)));
    clip_unit = 0;
}

TEST_F(Clipboard, AFailingClipboardBeepsAndChangesNothing) {
    machine = PIPBUG;
    machine_bus_install();
    gui_headless_clip_fail(true);
    const int beeps = gui_headless_beeps();
    clip_text = "X";
    clip_write_text();
    clip_paste_text();
    EXPECT_EQ(gui_headless_beeps(), beeps + 2);
    EXPECT_EQ(guest_key_queue_len, 0);
    gui_headless_clip_fail(false);
    EXPECT_TRUE(clip_of(0).empty());

    const std::vector<u8> broken = bytes(std::string("FORM\0\0\0\x40"
                                                     "FTXT",
                                                     12));
    ASSERT_TRUE(gui_clip_write(0, broken, ""));
    clip_paste_text();
    EXPECT_EQ(gui_headless_beeps(), beeps + 3) << "a damaged clip beeps";
    EXPECT_EQ(guest_key_queue_len, 0);
}

} // namespace
