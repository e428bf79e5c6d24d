// The tape deck and papertape windows: what they show for each state of
// their media, and what their controls do.
#include "devicewindows/papertape_window.h"
#include "devicewindows/tape_deck_window.h"

#include "computers/terminal.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "peripherals/mdcr.h"
#include "peripherals/papertape.h"
#include "peripherals/tape.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"
#include "tests/record/tools.h"
#include "tests/support/small_disk.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

// An 8-bit WAV of `n` samples at 44100 Hz.
std::vector<u8> wav(u32 n) {
    std::vector<u8> o = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                         16,  0,   0,   0,   1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x44, 0xAC, 0, 0,
                         1,   0,   8,   0,   'd', 'a', 't', 'a', 0, 0, 0, 0};
    for (u32 i = 0; i < n; i++)
        o.push_back(static_cast<u8>(i));
    return o;
}

class TapeWindows : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        ui_host.warning = [](const char*) {};
        tape_deck_window_register();
        papertape_window_register();
    }
    void on(u32 m, u32 map) {
        machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false);
    }
    void post(ToolWindow w, GuiEventType type, int gid, int code, int x = 0, int y = 0) {
        GuiEvent e;
        e.type = type;
        e.gid = gid;
        e.code = code;
        e.x = x;
        e.y = y;
        gui_headless_post(gui_subwin_window[w], e);
        if (w == TW_TAPE)
            gui_tape_deck_handle_input();
        else
            gui_papertape_handle_input();
    }
    std::string text(ToolWindow w, int gid) { return gui_get_text(gui_subwin_window[w], gid); }
    bool disabled(ToolWindow w, int gid) { return gui_get_disabled(gui_subwin_window[w], gid); }
    bool pressed(ToolWindow w, int gid) { return gui_get_selected(gui_subwin_window[w], gid); }
    int slider_max(ToolWindow w, int gid) {
        int min = 0, max = 0, visible = 0;
        gui_headless_range(gui_subwin_window[w], gid, &min, &max, &visible);
        return max;
    }
    std::string put(const char* name, const std::vector<u8>& bytes) {
        write_bytes(home / name, bytes);
        return (home / name).string();
    }
};

} // namespace

TEST_F(TapeWindows, DeckFiguresFromItsState) {
    EXPECT_EQ(tape_slider_step(4095), 2u);
    EXPECT_EQ(4095 / tape_slider_step(4095), 2047u);
    EXPECT_EQ(tape_slider_step(2047), 1u);
    EXPECT_EQ(tape_threshold_of(96), 224);
    EXPECT_EQ(tape_threshold_of(193 - 96), 225);
    EXPECT_EQ(tape_threshold_of(-96), 32);
    EXPECT_EQ(tape_skew_of(128), 0);
    EXPECT_EQ(tape_click_sample(160, 44100), 22050.0);
    EXPECT_EQ(tape_click_sample(400, 44100), 44100.0);
    EXPECT_EQ(tape_click_sample(5, 100), 5 / 320.0 * 100);

    // Record, Rewind, Play, Fast Forward, Stop, Eject.
    const struct {
        u32 state, position, length;
        bool disabled[6], pressed[6], media;
    } rows[] = {
        {CASSETTE_EMPTY, 0, 0, {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 1}, false},
        {CASSETTE_STOPPED, 0, 10, {0, 1, 0, 0, 1, 0}, {0, 0, 0, 0, 1, 0}, true},
        {CASSETTE_STOPPED, 10, 10, {0, 0, 1, 1, 1, 0}, {0, 0, 0, 0, 1, 0}, true},
        {CASSETTE_PLAYING, 5, 10, {1, 1, 1, 1, 0, 0}, {0, 0, 1, 0, 0, 0}, true},
        {CASSETTE_RECORDING, 5, 10, {1, 1, 1, 1, 0, 0}, {1, 0, 0, 0, 0, 0}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state * 100 + r.position);
        const TapeDeckControls c = tape_deck_controls(r.state, r.position, r.length);
        for (int k = 0; k < 6; k++) {
            EXPECT_EQ(c.disabled[k], r.disabled[k]) << k;
            EXPECT_EQ(c.pressed[k], r.pressed[k]) << k;
        }
        EXPECT_EQ(c.slider_disabled, r.state != CASSETTE_STOPPED);
        EXPECT_EQ(c.media_disabled, r.media);
    }
    EXPECT_EQ(tape_deck_picture(CASSETTE_EMPTY, 3, false), IMAGE_TAPE_EMPTY);
    EXPECT_EQ(tape_deck_picture(CASSETTE_RECORDING, 2, true), IMAGE_TAPE_PROTECT + 2);
    EXPECT_EQ(tape_level_indicator(CASSETTE_PLAYING, 200, 128), 2);
    EXPECT_EQ(tape_level_indicator(CASSETTE_RECORDING, 0x80, 200), 1);
    EXPECT_EQ(tape_level_indicator(CASSETTE_STOPPED, 0, 128), 1);
    EXPECT_EQ(tape_indicator_image(CASSETTE_STOPPED, 1), IMAGE_ANIM_STOP + 1);
}

TEST_F(TapeWindows, TheDeckDrivesTheTapeAndFollowsIt) {
    gui_open_tape_deck_window(); // the Arcadia has no cassette
    EXPECT_EQ(gui_subwin_window[TW_TAPE], 0);

    on(PIPBUG, MAP_PIPBUG_1);
    gui_open_tape_deck_window();
    const int win = gui_subwin_window[TW_TAPE];
    ASSERT_NE(win, 0);
    const int open = gui_headless_open_count();
    gui_open_tape_deck_window(); // raised, not built again
    EXPECT_EQ(gui_headless_open_count(), open);
    EXPECT_EQ(gui_subwin_window[TW_TAPE], win);
    EXPECT_EQ(gui_headless_title(win), "Cassette Tape Deck");
    EXPECT_EQ(text(TW_TAPE, GID_TAPE_POSITION), "0:00.000000");
    EXPECT_EQ(text(TW_TAPE, GID_TAPE_LENGTH), "0:00.000000");
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_EJECT));
    EXPECT_TRUE(pressed(TW_TAPE, GID_TAPE_EJECT));
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_PLAY));
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_SLIDER));
    EXPECT_FALSE(disabled(TW_TAPE, GID_TAPE_INSERT));
    EXPECT_EQ(gui_headless_image(win, GID_TAPE_DECK_PICTURE), gui_image(IMAGE_TAPE_EMPTY));
    EXPECT_EQ(gui_headless_image(win, GID_TAPE_LEVEL), gui_image(IMAGE_ANIM_STOP + 1));

    // A tape goes in: the window follows at the next refresh.
    ASSERT_EQ(tape_insert_file(put("side.wav", wav(44100)).c_str()), 1);
    gui_refresh_windows(0);
    EXPECT_EQ(gui_headless_title(win), "Cassette Tape Deck: side.wav");
    EXPECT_EQ(text(TW_TAPE, GID_TAPE_LENGTH), "0:01.000000");
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_REWIND));
    EXPECT_FALSE(disabled(TW_TAPE, GID_TAPE_PLAY));
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_INSERT));
    EXPECT_EQ(slider_max(TW_TAPE, GID_TAPE_SLIDER), 44100 / 22);

    // A click half-way along the waveform winds the stopped tape there.
    const GuiRect r = gui_gadget_rect(win, GID_TAPE_WAVEFORM);
    post(TW_TAPE, GE_MOUSEBUTTON, GID_TAPE_WAVEFORM, 1, r.left + 160, r.top + 5);
    EXPECT_EQ(tape_position, 22050u);
    EXPECT_EQ(text(TW_TAPE, GID_TAPE_POSITION), "0:00.500000");
    post(TW_TAPE, GE_GADGET, GID_TAPE_PLAY, 1);
    EXPECT_EQ(tape_state, CASSETTE_PLAYING);
    EXPECT_TRUE(pressed(TW_TAPE, GID_TAPE_PLAY));
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_REWIND));
    post(TW_TAPE, GE_GADGET, GID_TAPE_STOP, 1);
    post(TW_TAPE, GE_GADGET, GID_TAPE_FORWARD, 1);
    EXPECT_EQ(tape_position, 44100u);
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_PLAY));
    EXPECT_TRUE(disabled(TW_TAPE, GID_TAPE_FORWARD));
    post(TW_TAPE, GE_GADGET, GID_TAPE_SLIDER, 100);
    EXPECT_EQ(tape_position, 100u * 22);

    // The skew: the field and the slider follow each other.
    gui_set_value(win, GID_TAPE_SKEW, 96);
    post(TW_TAPE, GE_GADGET, GID_TAPE_SKEW, 13);
    EXPECT_EQ(tapeskewage, 224);
    EXPECT_EQ(gui_get_value(win, GID_TAPE_SKEW_SLIDER), 192);
    post(TW_TAPE, GE_GADGET, GID_TAPE_SKEW_SLIDER, 193);
    EXPECT_EQ(tapeskewage, 225);
    EXPECT_EQ(gui_get_value(win, GID_TAPE_SKEW), 97);

    // Recording write-protected shows on the byte's background.
    tape_write_protect = 1;
    post(TW_TAPE, GE_GADGET, GID_TAPE_RECORD, 1);
    EXPECT_EQ(gui_headless_image(win, GID_TAPE_DECK_PICTURE),
              gui_image(IMAGE_TAPE_PROTECT + tape_reel_phase));
    EXPECT_EQ(gui_headless_background(win, GID_TAPE_BYTE) & 0xFFFFFF, 0xFFFF88);
    post(TW_TAPE, GE_GADGET, GID_TAPE_EJECT, 1);
    EXPECT_EQ(tape_state, CASSETTE_EMPTY);
    EXPECT_EQ(gui_headless_title(win), "Cassette Tape Deck");
    post(TW_TAPE, GE_RAWKEY, 0, 0x44); // Return closes it
    EXPECT_EQ(gui_subwin_window[TW_TAPE], 0);
}

// While a new tape records, the head is never shown past the tape's end,
// though it runs a part of a sample ahead of the last one recorded.
TEST_F(TapeWindows, ARecordingShowsThePositionWithinTheTape) {
    on(PIPBUG, MAP_PIPBUG_1);
    gui_open_tape_deck_window();
    ASSERT_TRUE(tape_create_at(KIND_WAV, (home / "new.wav").c_str()));
    post(TW_TAPE, GE_GADGET, GID_TAPE_RECORD, 1);
    ASSERT_EQ(tape_state, CASSETTE_RECORDING);
    bool ahead = false; // the head was between two samples at some frame
    for (int frame = 0; frame < 25; frame++) {
        emu_run_frame();
        gui_refresh_windows(0);
        ahead = ahead || tape_accumulator > tape_length;
        ASSERT_EQ(text(TW_TAPE, GID_TAPE_POSITION), text(TW_TAPE, GID_TAPE_LENGTH))
            << "frame " << frame;
    }
    EXPECT_TRUE(ahead);
    EXPECT_GT(tape_length, 0u);
    post(TW_TAPE, GE_GADGET, GID_TAPE_STOP, 1);
    EXPECT_EQ(text(TW_TAPE, GID_TAPE_POSITION), text(TW_TAPE, GID_TAPE_LENGTH));
}

// When the disk fills under a recording, the deck shows the tape as it was
// kept (what reached the disk) while the warning that says so is read.
TEST_F(TapeWindows, TheWarningOfAFullDiskFindsTheDeckUpToDate) {
    const std::filesystem::path disk = home / "disk";
    std::filesystem::create_directories(disk);
    int rc = -1;
    run_tool("mount -t tmpfs -o size=64k tmpfs '" + disk.string() + "'", &rc);
    if (rc != 0) GTEST_SKIP() << "no small file system can be mounted here";
    struct Unmount {
        std::string at;
        ~Unmount() {
            int ignored;
            run_tool("umount -l '" + at + "'", &ignored);
        }
    } unmount{disk.string()};
    on(PIPBUG, MAP_PIPBUG_1);
    gui_install_ui_host(); // the warnings of the program's own interface, on a screen
    app_acquired.host_gui = true;
    gui_open_main_window(0);
    gui_open_tape_deck_window();
    ASSERT_TRUE(tape_create_at(KIND_WAV, (disk / "t.wav").c_str()));
    post(TW_TAPE, GE_GADGET, GID_TAPE_RECORD, 1);
    const std::size_t asked_before = gui_headless_requesters().size();
    static std::string position, length, stopped_at;
    position = length = stopped_at = "";
    gui_headless_on_requester([] {
        const int win = gui_subwin_window[TW_TAPE];
        position = gui_get_text(win, GID_TAPE_POSITION);
        length = gui_get_text(win, GID_TAPE_LENGTH);
        stopped_at = tape_position_text();
    });
    for (int frame = 0; frame < 500 && tape_state == CASSETTE_RECORDING; frame++)
        emu_run_frame();
    gui_headless_on_requester(nullptr);
    ASSERT_EQ(tape_state, CASSETTE_STOPPED);
    ASSERT_EQ(gui_headless_requesters().size(), asked_before + 1);
    const std::string& warning = gui_headless_requesters().back();
    EXPECT_NE(warning.find("No space left on device! The tape was stopped at " + stopped_at + "."),
              std::string::npos)
        << warning;
    EXPECT_EQ(position, stopped_at);
    EXPECT_EQ(length, stopped_at);
}

TEST_F(TapeWindows, ThePhunsyDeckShowsTheMdcr) {
    on(PHUNSY, MAP_PHUNSY);
    gui_open_tape_deck_window();
    const int win = gui_subwin_window[TW_TAPE];
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_headless_title(win), "Cassette Tape Decks");
    EXPECT_EQ(text(TW_TAPE, GID_MDCR_POSITION), "0.000000");
    EXPECT_EQ(text(TW_TAPE, GID_MDCR_STATUS), "Idle");
    EXPECT_EQ(gui_headless_background(win, GID_MDCR_STATUS) & 0xFFFFFF, 0xFFFFFF);
    EXPECT_TRUE(disabled(TW_TAPE, GID_MDCR_UPDATE));
    ASSERT_EQ(mdcr_insert_file(put("t.mdcr", std::vector<u8>(32768, 1)).c_str()), 1);
    mdcr_state = MDCR_FORWARD;
    mdcr_forward_state = MDCR_F_BLOCK_A;
    gui_refresh_windows(0);
    EXPECT_EQ(text(TW_TAPE, GID_MDCR_BLOCK), "0");
    EXPECT_EQ(text(TW_TAPE, GID_MDCR_BLOCKS), "128");
    EXPECT_EQ(text(TW_TAPE, GID_MDCR_STATUS), "Forward: block read A");
    EXPECT_EQ(gui_headless_background(win, GID_MDCR_STATUS) & 0xFFFFFF, 0x88FFFF);
    EXPECT_FALSE(disabled(TW_TAPE, GID_MDCR_UPDATE));
}

// The deck's Create and Insert, and a tape dropped on it, replace the MDCR
// tape only after asking about what the guest wrote on it.
TEST_F(TapeWindows, TheMdcrDeckAsksBeforeItReplacesAChangedTape) {
    on(PHUNSY, MAP_PHUNSY);
    gui_open_tape_deck_window();
    const std::string tape = put("t.mdcr", std::vector<u8>(512, 1));
    const std::string other = put("u.mdcr", std::vector<u8>(256, 2));
    ASSERT_EQ(mdcr_insert_file(tape.c_str()), 1);
    // The guest runs the tape forward with writing on from its start: cleared.
    const auto guest_writes = [] {
        mdcr_control = 0x60;
        for (int i = 0; i < 4; i++)
            mdcr_clock(6);
        mdcr_control = 0;
        mdcr_clock(6);
    };
    guest_writes();
    struct Asked { // the user is asked
        Asked() { app_acquired.host_gui = true; }
        ~Asked() { app_acquired.host_gui = false; }
    } asking;
    const std::string question =
        "Brindlemox|The MDCR tape (\"t.mdcr\") was changed since it was inserted or updated.\n"
        "Update MDCR tape saves it first; Replace loses the changes.|"
        "_Update MDCR tape|_Replace|_Cancel";
    const std::size_t file_requests = gui_headless_file_requests().size();
    gui_headless_answer_requesters({0}); // Cancel: kept, no other tape asked for
    post(TW_TAPE, GE_GADGET, GID_MDCR_INSERT, 0);
    ASSERT_FALSE(gui_headless_requesters().empty());
    EXPECT_EQ(gui_headless_requesters().back(), question);
    EXPECT_EQ(gui_headless_file_requests().size(), file_requests);
    EXPECT_EQ(mdcr_file_name, tape);
    gui_headless_answer_requesters({1}); // Update MDCR tape: written, then the new name asked
    post(TW_TAPE, GE_GADGET, GID_MDCR_CREATE, 0);
    EXPECT_EQ(read_bytes(home / "t.mdcr"), std::vector<u8>(512, 0));
    EXPECT_EQ(gui_headless_file_requests().size(), file_requests + 1);
    guest_writes();
    const std::size_t questions = gui_headless_requesters().size();
    gui_headless_answer_requesters({2}); // Replace
    GuiEvent drop;
    drop.type = GE_DROP;
    drop.text = other;
    gui_headless_post(gui_subwin_window[TW_TAPE], drop);
    gui_tape_deck_handle_input();
    EXPECT_EQ(gui_headless_requesters().size(), questions + 1);
    EXPECT_EQ(mdcr_file_name, other);
}

TEST_F(TapeWindows, PapertapeFiguresAndControls) {
    char t[16];
    papertape_counter_text(600, t, sizeof t);
    EXPECT_STREQ(t, "1:00.0");
    papertape_counter_text(32768, t, sizeof t);
    EXPECT_STREQ(t, "54:36.8");
    papertape_counter_text(0, t, sizeof t);
    EXPECT_STREQ(t, "0:00.0");
    EXPECT_EQ(papertape_slider_step(32768), 17u);
    EXPECT_EQ(32768 / papertape_slider_step(32768), 1927u);
    EXPECT_EQ(papertape_slider_step(2047), 1u);
    EXPECT_EQ(papertape_slider_step(2048), 2u);

    gui_open_papertape_window(); // none on the Arcadia
    EXPECT_EQ(gui_subwin_window[TW_PAPERTAPE], 0);
    on(PIPBUG, MAP_PIPBUG_1);
    gui_open_papertape_window();
    const int win = gui_subwin_window[TW_PAPERTAPE];
    ASSERT_NE(win, 0);
    EXPECT_EQ(gui_headless_title(win), "Papertape Unit");
    EXPECT_EQ(text(TW_PAPERTAPE, GID_PAP_POSITION), "0:00.0");
    EXPECT_TRUE(disabled(TW_PAPERTAPE, GID_PAP_EJECT));
    EXPECT_TRUE(pressed(TW_PAPERTAPE, GID_PAP_EJECT));
    EXPECT_FALSE(disabled(TW_PAPERTAPE, GID_PAP_CREATE));

    std::vector<u8> text600(600, 'A');
    ASSERT_EQ(papertape_insert(0, put("t.pap", text600).c_str()), 1);
    gui_refresh_windows(0);
    EXPECT_EQ(gui_headless_title(win), "Papertape Unit: t.pap");
    EXPECT_EQ(text(TW_PAPERTAPE, GID_PAP_LENGTH), "1:00.0");
    EXPECT_TRUE(pressed(TW_PAPERTAPE, GID_PAP_STOP));
    EXPECT_TRUE(disabled(TW_PAPERTAPE, GID_PAP_REWIND));
    EXPECT_FALSE(disabled(TW_PAPERTAPE, GID_PAP_PLAY));
    EXPECT_TRUE(disabled(TW_PAPERTAPE, GID_PAP_INSERT));

    // Every character read moves the window on.
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_PLAY, 1);
    EXPECT_EQ(papertape_state[0], TAPE_READING);
    papertape_read(0);
    papertape_read(0);
    gui_refresh_windows(0);
    EXPECT_EQ(text(TW_PAPERTAPE, GID_PAP_POSITION), "0:00.2");
    EXPECT_EQ(text(TW_PAPERTAPE, GID_PAP_BYTE), "41");
    EXPECT_EQ(gui_headless_background(win, GID_PAP_BYTE) & 0xFFFFFF, 0x88FFFF);
    // The punch takes over where the reader stands.
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_RECORD, 1);
    EXPECT_EQ(papertape_state[0], TAPE_PUNCHING);
    EXPECT_TRUE(pressed(TW_PAPERTAPE, GID_PAP_RECORD));
    EXPECT_FALSE(pressed(TW_PAPERTAPE, GID_PAP_PLAY));
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_STOP, 1);
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_FORWARD, 1);
    EXPECT_EQ(papertape_position[0], 600u);
    EXPECT_TRUE(disabled(TW_PAPERTAPE, GID_PAP_PLAY));
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_SLIDER, 7);
    EXPECT_EQ(papertape_position[0], 7u);
    post(TW_PAPERTAPE, GE_RAWKEY, 0, 0x45);
    EXPECT_EQ(gui_subwin_window[TW_PAPERTAPE], 0);

    // The TWIN's two units: both names in the title, each unit its own gadgets.
    papertape_close(0);
    on(TWIN, MAP_TWIN);
    ASSERT_EQ(papertape_insert(1, put("fast.pap", text600).c_str()), 1);
    gui_open_papertape_window();
    const int twin = gui_subwin_window[TW_PAPERTAPE];
    ASSERT_NE(twin, 0);
    EXPECT_EQ(gui_headless_title(twin), "Papertape Units: fast.pap");
    ASSERT_EQ(papertape_insert(0, put("slow.pap", text600).c_str()), 1);
    gui_refresh_windows(0);
    EXPECT_EQ(gui_headless_title(twin), "Papertape Units: slow.pap & fast.pap");
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP1_PLAY, 1);
    EXPECT_EQ(papertape_state[1], TAPE_READING);
    EXPECT_EQ(papertape_state[0], TAPE_STOPPED);
    EXPECT_TRUE(pressed(TW_PAPERTAPE, GID_PAP1_PLAY));
}

// Each Stop of a recording leaves a whole file on disk, its header counting
// every sample, while the tape stays in the deck (a copy taken then, or a
// crash before Eject, keeps a tape that other programs read).
TEST_F(TapeWindows, StopWritesTheHeaderSizesWithTheTapeStillIn) {
    on(PIPBUG, MAP_PIPBUG_1);
    gui_open_tape_deck_window();
    ASSERT_NE(gui_subwin_window[TW_TAPE], 0);
    const std::string path = (home / "deck.wav").string();
    ASSERT_TRUE(tape_create_at(KIND_WAV, path.c_str()));
    const auto le32 = [](const std::vector<u8>& b, std::size_t at) {
        return u32(b[at]) | u32(b[at + 1]) << 8 | u32(b[at + 2]) << 16 | u32(b[at + 3]) << 24;
    };
    for (u32 until : {4410u, 8820u}) { // two takes, the second after the first
        post(TW_TAPE, GE_GADGET, GID_TAPE_RECORD, 1);
        ASSERT_EQ(tape_state, CASSETTE_RECORDING);
        while (tape_length < until) {
            cpu_cycles += 5;
            tape_sample_tick();
        }
        post(TW_TAPE, GE_GADGET, GID_TAPE_STOP, 1);
        ASSERT_EQ(tape_state, CASSETTE_STOPPED);
        const std::vector<u8> b = read_bytes(path);
        ASSERT_EQ(b.size(), 44u + tape_length);
        EXPECT_EQ(le32(b, 4), 36u + tape_length);
        EXPECT_EQ(le32(b, 40), tape_length);
        if (tool_present("/usr/bin/soxi")) {
            int rc = -1;
            EXPECT_EQ(run_tool("soxi -s '" + path + "'", &rc), std::to_string(tape_length) + "\n");
        }
    }
    post(TW_TAPE, GE_GADGET, GID_TAPE_EJECT, 1);
    EXPECT_EQ(tape_state, CASSETTE_EMPTY);
}

// Eject writes a tape back only when the terminal punched on it, and only
// over the file it came from as it was: the TWIN's reader, holding the same
// file, never writes it; a file another program rewrote or removed since is
// named in the warning with what became of it, and left alone until the
// tape, kept in the unit, is ejected again.
TEST_F(TapeWindows, EjectWritesBackOnlyAPunchedTapeOverItsOwnUnchangedFile) {
    static std::string warned;
    ui_host.warning = [](const char* text) { warned = text; };
    on(TWIN, MAP_TWIN);
    warned.clear(); // the machine's missing ROMs named
    tty_punch_on = 1;
    const std::string tape = put("same.pap", {'A', 'B', 'C'});
    ASSERT_EQ(file_load_by_name(tape.c_str(), 1), LOAD_MEDIUM); // the punch unit
    ASSERT_EQ(file_load_by_name(tape.c_str(), 1), LOAD_MEDIUM); // the reader
    ASSERT_EQ(papertape_state[1], TAPE_STOPPED);
    gui_open_papertape_window();
    // The terminal prints onto the end of the tape.
    const auto punch = [&](const std::string& text) {
        post(TW_PAPERTAPE, GE_GADGET, GID_PAP_FORWARD, 1);
        post(TW_PAPERTAPE, GE_GADGET, GID_PAP_RECORD, 1);
        for (char c : text)
            term_output_char(static_cast<u8>(c));
        post(TW_PAPERTAPE, GE_GADGET, GID_PAP_STOP, 1);
    };
    punch("XY");
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_EJECT, 1);
    EXPECT_EQ(test_read_file(tape), "ABCXY");
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP1_EJECT, 1);
    EXPECT_EQ(test_read_file(tape), "ABCXY");
    EXPECT_EQ(warned, "");

    // Only read: the file stays as whoever has it now left it.
    ASSERT_EQ(file_load_by_name(tape.c_str(), 1), LOAD_MEDIUM);
    test_write_file(tape, "theirs");
    post(TW_PAPERTAPE, GE_GADGET, GID_PAP_EJECT, 1);
    EXPECT_EQ(test_read_file(tape), "theirs");
    EXPECT_EQ(warned, "");

    // Punched, but the file changed or went meanwhile: the tape stays in the
    // unit, and a second Eject writes it there all the same.
    for (const char* what : {"changed", "removed"}) {
        ASSERT_EQ(file_load_by_name(tape.c_str(), 1), LOAD_MEDIUM);
        const std::string punched = test_read_file(tape) + "Q";
        punch("Q");
        const std::string theirs = what[0] == 'c' ? "rewritten by another program" : "";
        if (theirs.empty())
            std::filesystem::remove(tape);
        else
            test_write_file(tape, theirs);
        post(TW_PAPERTAPE, GE_GADGET, GID_PAP_EJECT, 1);
        EXPECT_EQ(warned, "Can't write the papertape back: its file " + tape + " was " + what +
                              " since it went in.\nThe papertape stays in the unit: Eject writes "
                              "it there all the same.");
        EXPECT_EQ(std::filesystem::exists(tape) ? test_read_file(tape) : "", theirs);
        EXPECT_EQ(gui_headless_title(gui_subwin_window[TW_PAPERTAPE]), "Papertape Units: same.pap");
        post(TW_PAPERTAPE, GE_GADGET, GID_PAP_EJECT, 1);
        EXPECT_EQ(test_read_file(tape), punched);
    }
}

// A tape made in a folder that takes no new files (a read-only drive) is
// refused with the file's name and the system's reason: papertape, cassette
// and MDCR alike.
TEST_F(TapeWindows, CreatingATapeOnAReadOnlyDriveNamesTheFileAndTheReason) {
    static std::string warned;
    ui_host.warning = [](const char* text) { warned = text; };
    SmallDisk drive;
    if (!drive.mount(home / "ro", "64k") || !drive.make_read_only())
        GTEST_SKIP() << "no read-only drive can be made here";
    const std::string ro = (home / "ro").string();
    const auto refused = [&](ToolWindow w, int gid, const char* name) {
        warned.clear();
        gui_headless_answer_file_requests({{0, ro, name}});
        post(w, GE_GADGET, gid, 0);
        return warned;
    };
    on(PIPBUG, MAP_PIPBUG_1);
    gui_open_papertape_window();
    EXPECT_EQ(refused(TW_PAPERTAPE, GID_PAP_CREATE, "new"),
              "Can't create " + ro + "/new.pap: Read-only file system!");
    EXPECT_EQ(papertape_state[0], TAPE_EMPTY);
    gui_open_tape_deck_window();
    EXPECT_EQ(refused(TW_TAPE, GID_TAPE_CREATE_WAV, "new.wav"),
              "Can't create " + ro + "/new.wav: Read-only file system!");
    EXPECT_EQ(tape_state, CASSETTE_EMPTY);
    on(PHUNSY, MAP_PHUNSY);
    gui_open_tape_deck_window();
    EXPECT_EQ(refused(TW_TAPE, GID_MDCR_CREATE, "new"),
              "Can't create " + ro + "/new.mdcr: Read-only file system!");
    EXPECT_FALSE(std::filesystem::exists(home / "ro" / "new.mdcr"));
}
