#include "commands/arexx.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "gui/game_list.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/ui_pass.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"
#include "tests/core/loading_support.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace fs = std::filesystem;
using loading_test::bytes;
using loading_test::forge_row;

namespace {

constexpr int SHOOT_OUT = 130; // an Interton game of the database

class GameListWindow : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fake_clock_install(5000);
        drawer = home / "games";
        fs::create_directories(drawer);
        std::snprintf(games_path, sizeof games_path, "%s", drawer.c_str());
        viewbuiltin = 0;
        stubprograms = 0;
        view_gamelist[0] = 1;
        app_acquired.host_gui = true;
    }
    void put(const char* name, const std::vector<u8>& data) {
        loading_test::write_file(drawer / name, data);
    }
    // The audit, then the event pass that shows it.
    void audit(int report = 0) {
        games_audit_drawer(report);
        games_find_loaded();
        gui_apply_changes();
    }
    const std::vector<GuiListRow>& rows() { return *gui_headless_rows(main_window, GID_GAME_LIST); }
    int row_of(const char* label) {
        for (int i = 0; i < games_count; i++)
            if (std::strcmp(games_found[games_sort_index[i]].label, label) == 0) return i;
        return -1;
    }
    int selected() { return gui_get_value(main_window, GID_GAME_LIST); }
    void post(const GuiEvent& e) {
        gui_headless_post(main_window, e);
        gui_main_window_events();
    }
    fs::path drawer;
};

GuiEvent gadget_event(int gid, int code) {
    return {GE_GADGET, gid, code, 0, 0, 0, {}};
}

} // namespace

TEST(GameListLabel, ShortcutMarksAreTakenAsTheListTakesThem) {
    const struct {
        const char* label;
        const char* shown;
    } cases[] = {{"plain", "plain"},  {"my__games", "my_games"}, {"_Open", "Open"},
                 {"a__b_c", "a_b_c"}, {"____", "___"},           {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(gui_game_list_label(c.label), c.shown) << c.label;
}

TEST_F(GameListWindow, AuditShowsDrawersAndGamesWithPicturesAndHints) {
    fs::create_directories(drawer / "my_old_games");
    put("shoot.bin", forge_row(SHOOT_OUT));
    put("junk.bin", bytes("not a game at all"));
    gui_open_main_window(0);
    audit();

    ASSERT_EQ(games_count, 4); // root, parent, the drawer and the known game
    ASSERT_EQ(rows().size(), 4u);
    const int sub = row_of("my__old_games");
    ASSERT_GE(sub, 2);
    const GameEntry& d = games_found[games_sort_index[sub]];
    EXPECT_STREQ(d.path, "my_old_games"); // the name itself keeps its underscores
    EXPECT_EQ(d.picture, 17u);
    EXPECT_EQ(rows()[sub].cells[0].text, " my_old_games");
    EXPECT_EQ(rows()[sub].hint, "Click on a game to load it.");
    EXPECT_EQ(rows()[0].hint, "Click on a game to load it.");

    const KnownGame& g = known_games_db[SHOOT_OUT];
    const int game = row_of(g.name);
    ASSERT_GE(game, 2);
    const GameEntry& e = games_found[games_sort_index[game]];
    std::string hint = std::string(g.name) + "\n" + "shoot.bin" + "\n" + g.credits;
    if (std::strcmp(g.reference, "-") != 0) hint += std::string("\n") + g.reference;
    EXPECT_EQ(rows()[game].hint, hint);
    EXPECT_EQ(rows()[game].cells[0].image, gui_image(static_cast<int>(e.picture)));
    EXPECT_NE(rows()[game].cells[0].image, 0);
    EXPECT_EQ(selected(), -1); // nothing loaded
}

TEST_F(GameListWindow, HintsOfUnknownRecordsNameTheMemoryMap) {
    viewbuiltin = 1;
    gui_open_main_window(0);
    audit();
    // The built-in boards are among the first ten records: their own names.
    const int galaxia = row_of("Galaxia");
    ASSERT_GE(galaxia, 0);
    EXPECT_EQ(rows()[galaxia].hint, std::string("Galaxia\n") + memmap_table[23].maker_year);

    // A later record that the database does not know shows its memory map.
    GameEntry& extra = games_found[games_count];
    std::snprintf(extra.path, sizeof extra.path, "%s", "x.cos");
    std::snprintf(extra.label, sizeof extra.label, "%s", "x.cos");
    extra.game_row = -1;
    extra.picture = 0;
    extra.entry_memmap = 24;
    games_count++;
    games_build_hints();
    EXPECT_EQ(std::string(game_hint_texts[games_count - 1]),
              std::string(memmap_table[24].name) + "\n" + memmap_table[24].maker_year);
}

TEST_F(GameListWindow, ReportAndUnreadableDrawer) {
    put("shoot.bin", forge_row(SHOOT_OUT));
    gui_open_main_window(0);
    capture_output();
    audit(1);
    captured_output();
    ASSERT_EQ(gui_headless_requesters().size(), 1u);
    const std::string shown = gui_headless_requesters()[0];
    EXPECT_EQ(shown.rfind("Audit Results|In directory \"" + drawer.string() + "\":", 0), 0u)
        << shown;
    EXPECT_NE(shown.find("1 known AOF/BIN/TVC file(s)."), std::string::npos);
    EXPECT_EQ(shown.substr(shown.size() - 3), "|OK"); // no way to open the drawer here

    std::snprintf(games_path, sizeof games_path, "%s", (drawer / "gone").c_str());
    audit();
    ASSERT_EQ(gui_headless_requesters().size(), 2u);
    EXPECT_EQ(gui_headless_requesters()[1], "Warning|Can't lock directory!|OK");
    EXPECT_EQ(rows().size(), 2u); // only the way out
}

TEST_F(GameListWindow, AuditWhileHiddenWaitsForTheList) {
    put("shoot.bin", forge_row(SHOOT_OUT));
    view_gamelist[0] = 0;
    games_count = 0;
    audit_due = 0;
    games_audit_drawer(0);
    EXPECT_EQ(audit_due, 1);
    EXPECT_EQ(games_count, 0);
    gui_open_main_window(0);
    EXPECT_EQ(games_count, 0); // still hidden
    gui_close_main_window();

    view_gamelist[0] = 1;
    gui_open_main_window(0);
    EXPECT_EQ(audit_due, 0);
    EXPECT_EQ(games_count, 3);
    EXPECT_EQ(rows().size(), 3u);

    // Asked for with the report, the audit runs even while hidden.
    view_gamelist[0] = 0;
    capture_output();
    games_audit_drawer(1);
    captured_output();
    EXPECT_EQ(audit_due, 0);
    EXPECT_EQ(games_report_pending, 1);
}

TEST_F(GameListWindow, TheFirstOpeningAudits) {
    put("shoot.bin", forge_row(SHOOT_OUT));
    gui_open_main_window(0);
    EXPECT_EQ(games_count, 3);
    EXPECT_EQ(rows().size(), 3u);
    gui_close_main_window();
    fs::remove(drawer / "shoot.bin");
    gui_open_main_window(0); // audited once: reopening keeps the rows
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(GameListWindow, ClickingLoadsAndTheLoadedGameIsSelected) {
    put("shoot.bin", forge_row(SHOOT_OUT));
    put("zz.bin", forge_row(1));
    gui_open_main_window(0);
    audit();
    const int game = row_of(known_games_db[SHOOT_OUT].name);
    ASSERT_GE(game, 2);
    capture_output();
    post(gadget_event(GID_GAME_LIST, game));
    captured_output();
    EXPECT_EQ(known_game_id, SHOOT_OUT);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));

    // A new audit finds the loaded file again, whatever the case of its name.
    for (char* p = file_name_buffer; *p; p++)
        *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    game_list_sel = -1;
    audit();
    EXPECT_EQ(game_list_sel, game);
    EXPECT_EQ(selected(), game);
}

TEST_F(GameListWindow, TheBuiltInBoardOfTheMemoryMapIsFound) {
    viewbuiltin = 1;
    gui_open_main_window(0);
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, true, false));
    audit();
    ASSERT_GE(game_list_sel, 2);
    EXPECT_STREQ(games_found[games_sort_index[game_list_sel]].label, "Galaxia");
    EXPECT_EQ(selected(), game_list_sel);
}

TEST_F(GameListWindow, SortedByNameAfterTheLeadingRows) {
    games_sort_by = 0;
    put("b.bin", forge_row(SHOOT_OUT));
    put("a.bin", forge_row(1));
    fs::create_directories(drawer / "stuff");
    gui_open_main_window(0);
    audit();
    ASSERT_EQ(games_count, 5);
    EXPECT_EQ(games_sort_index[0], 0u);
    EXPECT_EQ(games_sort_index[1], 1u);
    for (int r = 2; r + 1 < games_count; r++)
        EXPECT_LE(strcasecmp(games_found[games_sort_index[r]].label,
                             games_found[games_sort_index[r + 1]].label),
                  0)
            << r;
}

// View > Sort sidebar by reorders the list shown at once: a drawer has no
// machine and comes first by machine, but "zzstuff" comes after the game by name.
TEST_F(GameListWindow, ChoosingTheSortKeyReordersTheShownList) {
    games_sort_by = 0;
    fs::create_directories(drawer / "zzstuff");
    put("shoot.bin", forge_row(SHOOT_OUT));
    gui_open_main_window(0);
    audit();
    const auto shown_at = [this](const std::string& text) {
        for (std::size_t r = 0; r < rows().size(); r++)
            if (rows()[r].cells[0].text.find(text) != std::string::npos) return static_cast<int>(r);
        return -1;
    };
    const std::string game = gui_game_list_label(known_games_db[SHOOT_OUT].name);
    const struct {
        const char* pick;
        bool drawer_first;
    } picks[] = {{"MENU VIEW.SORTBY.MACHINE", true},
                 {"MENU VIEW.SORTBY.NAME", false},
                 {"MENU VIEW.SORTBY.MACHINE", true}};
    for (const auto& p : picks) {
        std::string result;
        ASSERT_EQ(arexx_execute(p.pick, &result), 0) << result;
        gui_apply_changes();
        const int stuff = shown_at("zzstuff"), shoot = shown_at(game);
        ASSERT_GE(stuff, 2) << p.pick;
        ASSERT_GE(shoot, 2) << p.pick;
        EXPECT_EQ(stuff < shoot, p.drawer_first) << p.pick;
    }
}

TEST_F(GameListWindow, SteppingStopsAtBothEnds) {
    put("a.bin", forge_row(SHOOT_OUT));
    put("b.bin", forge_row(1));
    gui_open_main_window(0);
    audit();
    ASSERT_EQ(games_count, 4);
    const int last = games_count - 1;

    struct Step {
        int from, step, to;
        bool changes;
    } steps[] = {{-1, -1, last, true}, {-1, 1, 2, true}, {last, 1, last, false},
                 {0, -1, 0, false},    {2, -1, 1, true}, {1, 1, 2, true}};
    for (const Step& s : steps) {
        game_list_sel = s.from;
        EXPECT_EQ(games_step_selection(s.step), s.changes) << s.from << " " << s.step;
        EXPECT_EQ(game_list_sel, s.to) << s.from << " " << s.step;
    }

    // Stepping loads the game of the new row; past the end nothing is loaded.
    game_list_sel = -1;
    capture_output();
    ui_host.browse_games(1);
    EXPECT_EQ(selected(), 2);
    const int first = known_game_id;
    EXPECT_NE(first, -1);
    ui_host.browse_games(1);
    EXPECT_EQ(selected(), 3);
    const int second = known_game_id;
    EXPECT_NE(second, first);
    known_game_id = -1;
    ui_host.browse_games(1);
    captured_output();
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(known_game_id, -1); // nothing loaded
}

// The program's own states and recordings are told by their headers however
// long they are: a TWIN state and a recording of some minutes are listed,
// counted and stepped onto; a game image as long stays unknown.
TEST_F(GameListWindow, LongStatesAndRecordingsAreListedByTheirHeaders) {
    std::vector<u8> twin, take;
    ASSERT_TRUE(machine_switch(TWIN, MAP_TWIN, true, true, false));
    ASSERT_TRUE(state_write_buffer(0, &twin));
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    ASSERT_TRUE(state_write_buffer(1, &take));
    take.resize(take.size() + 6 * 50 * 60 * 3, 0); // three minutes of idle controls
    ASSERT_GT(twin.size(), GAME_IDENTIFY_MAX_SIZE);
    put("twin.cos", twin);
    put("take.cor", take);
    put("huge.bin", std::vector<u8>(GAME_IDENTIFY_MAX_SIZE + 1, 0));
    gui_open_main_window(0);
    const std::size_t shown = gui_headless_requesters().size(); // missing ROMs
    capture_output();
    audit(1);
    EXPECT_EQ(captured_output(), drawer.string() + "/huge.bin is unknown.\n");
    ASSERT_EQ(gui_headless_requesters().size(), shown + 1);
    EXPECT_NE(gui_headless_requesters().back().find("2 state(s)/recording(s)."), std::string::npos);
    ASSERT_GE(row_of("take.cor"), 2);
    const int row = row_of("twin.cos");
    ASSERT_EQ(row, 3);

    game_list_sel = 2;
    ui_host.browse_games(1);
    EXPECT_EQ(selected(), row);
    EXPECT_EQ(machine, TWIN);
}

TEST_F(GameListWindow, SteppingOntoTheLeadingRowsLoadsNothing) {
    put("a.bin", forge_row(SHOOT_OUT));
    gui_open_main_window(0);
    audit();
    const std::string before = games_path;
    const int game_before = known_game_id;
    game_list_sel = 2;
    ui_host.browse_games(-1);
    EXPECT_EQ(game_list_sel, 1);
    EXPECT_EQ(std::string(games_path), before); // the parent row is not opened
    EXPECT_EQ(known_game_id, game_before);
}

TEST_F(GameListWindow, ADroppedDrawerIsAudited) {
    fs::create_directories(home / "other");
    loading_test::write_file(home / "other" / "s.bin", forge_row(SHOOT_OUT));
    gui_open_main_window(0);
    audit();
    EXPECT_EQ(games_count, 2);
    const int game_before = known_game_id;
    const GuiEvent e{GE_DROP, 0, 1, 0, 0, 0, (home / "other").string()};
    post(e);
    EXPECT_EQ(std::string(games_path), e.text);
    EXPECT_EQ(games_count, 3);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_EQ(known_game_id, game_before); // a drawer is not loaded
}
