// What the tip of the day and the Guest Controls window's hover legend show,
// in the program's own windows drawn by Qt.
#include "tests/qt/qt_session.h"

#include "commands/menu_table.h"
#include "core/hiscore.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "gui/about_windows.h"
#include "gui/gamepad_buttons.h"
#include "gui/guest_controls_window.h"
#include "gui/hiscore_window.h"
#include "gui/main_window.h"
#include "gui/tip_of_the_day.h"
#include "gui/tool_windows.h"
#include "input/controls.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {
// The keys the menus give the item with plain id `plain` on this host.
std::string shortcut(int plain) {
    for (const MenuRow& r : menu_table)
        if (r.plain == plain) {
            char text[32];
            return std::string(menu_shortcut_text(r, text, sizeof text));
        }
    return std::string("(no such item)");
}

class WindowTextsQt : public QtSession {
  protected:
    // The pointer onto the first control of the Guest Controls picture with
    // `role` (and guest key `key` of `player` when given): the legend's five
    // fields, joined by "|".
    static std::string hover(ControlsRole role, int key = -1, int player = -1) {
        const int win = gui_subwin_window[TW_CONTROLS];
        QWidget* picture = widget(win, GID_CTRL_PICTURE);
        const ControlsLayout& layout = controls_current_layout();
        for (int i = 0; picture && i < layout.count; i++) {
            const ControlsKeyRect& r = layout.rects[i];
            if (r.role != role || r.x < 0 || (key >= 0 && (r.key != key || r.player != player)))
                continue;
            const QPointF at(r.x + r.width / 2, r.y + r.height / 2);
            QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(picture, &move);
            event_pass();
            return gui_get_text(win, GID_CTRL_OVERLAY) + "|" +
                   gui_get_text(win, GID_CTRL_GUEST_KEY) + "|" +
                   gui_get_text(win, GID_CTRL_HOST_KEYS) + "|" +
                   gui_get_text(win, GID_CTRL_PAD_BUTTONS) + "|" +
                   gui_get_text(win, GID_CTRL_MOUSE_BUTTONS);
        }
        ADD_FAILURE() << "no such control drawn";
        return std::string();
    }
};
} // namespace

// A user's tips.txt with blank lines between its tips: each tip shows in
// turn, and no blank line shows as a tip that could not be read.
TEST_F(WindowTextsQt, BlankLinesOfTheUsersTipsAreNoTips) {
    const std::filesystem::path file = std::filesystem::path(path_progdir()) / "tips.txt";
    std::ofstream(file) << "First.\n\n \t\nSecond.\r\n\r\nThird.\n\n";
    tip_forget_texts();
    next_tip = 1;
    gui_tip_of_the_day(); // as the start-up opens it
    ASSERT_NE(tip_window, 0);
    const int win = tip_window;
    event_pass();
    EXPECT_EQ(gui_get_text(win, GID_TIP_TEXT), "#2. Second.");
    auto* next = qobject_cast<QAbstractButton*>(widget(win, GID_TIP_NEXT));
    ASSERT_NE(next, nullptr);
    for (const char* shown : {"#3. Third.", "#1. First.", "#2. Second."}) {
        next->click();
        event_pass();
        EXPECT_EQ(gui_get_text(win, GID_TIP_TEXT), shown);
    }
    qobject_cast<QAbstractButton*>(widget(win, GID_TIP_OK))->click();
    event_pass();
    EXPECT_EQ(tip_window, 0);
    std::filesystem::remove(file);
    tip_forget_texts();
}

// The pointer moves from the Interton's START button to its drawn ON switch,
// which nothing plays: the legend names no key, rather than START's.
TEST_F(WindowTextsQt, TheIntertonsOnSwitchShowsNoKeysLegend) {
    ASSERT_EQ(command("SETMACHINE INTERTON"), 0);
    ASSERT_EQ(command("OPENCONTROLS"), 0);
    ASSERT_EQ(command("PAUSE"), 0); // the legend then follows the pointer in the event pass
    EXPECT_EQ(hover(CR_CONSOLE1).rfind("START|START|", 0), 0u);
    EXPECT_EQ(hover(CR_INERT), "-|-|-|-|-");
    EXPECT_EQ(hover(CR_RESET).rfind("RESET|RESET|F5 (ends a netplay link)|", 0), 0u);
    command("UNPAUSE");
    command("CLOSECONTROLS");
    command("SETMACHINE ARCADIA");
}

// The left player plays on the 2nd gamepad, the right one on the 1st, whose
// buttons are rearranged to "R,G,Y,B" (Yellow drives guest button 2, which
// plays key "1"): the legend of a key names the button of the gamepad its
// player uses, swapped or not.
TEST_F(WindowTextsQt, TheLegendNamesTheButtonOfThePlayersOwnGamepad) {
    for (const char* line : {"SETMACHINE ARCADIA", "MENU PERIPHERALS.LEFT.2NDDPAD",
                             "MENU PERIPHERALS.RIGHT.1STDPAD", "MENU SETTINGS.INPUT.REARRANGE"})
        ASSERT_EQ(command(line), 0) << line;
    for (QRadioButton* r :
         widget(gamepad_buttons_window, GID_PADS_FIRST)->findChildren<QRadioButton*>())
        if (r->text() == "R,G,Y,B") r->click();
    qobject_cast<QAbstractButton*>(widget(gamepad_buttons_window, GID_PADS_OK))->click();
    event_pass();
    ASSERT_EQ(leftbutton[3], 2);
    ASSERT_EQ(command("OPENCONTROLS"), 0);
    ASSERT_EQ(command("PAUSE"), 0);
    ASSERT_EQ(fire_button_assign[1], 1);
    EXPECT_NE(hover(CR_KEY, 1, 0).find("|Blue|"), std::string::npos);
    EXPECT_NE(hover(CR_KEY, 1, 1).find("|Yellow|"), std::string::npos);
    ASSERT_EQ(command("MENU SETTINGS.INPUT.SWAPPED"), 0);
    EXPECT_NE(hover(CR_KEY, 1, 0).find("|Yellow|"), std::string::npos);
    EXPECT_NE(hover(CR_KEY, 1, 1).find("|Blue|"), std::string::npos);
    for (const char* line : {"MENU SETTINGS.INPUT.SWAPPED", "UNPAUSE", "CLOSECONTROLS",
                             "MENU PERIPHERALS.LEFT.2NDDJOY", "MENU PERIPHERALS.RIGHT.KEYBOARD"})
        command(line);
    leftbutton[1] = 2, leftbutton[2] = 3, leftbutton[3] = 4;
}

// The controls that open a window or flip an option name, as their host key,
// the shortcut their menu item shows: the Instructor 50's TAPE key names the
// tape deck's Ctrl+Shift+O (Ctrl+Shift+D saves a PCX screenshot), and no
// control names a key of another computer.
TEST_F(WindowTextsQt, TheLegendNamesTheMenuShortcutOfWindowsAndOptions) {
    const auto host_key = [](const std::string& legend) {
        const auto first = legend.find('|'), second = legend.find('|', first + 1);
        const auto third = legend.find('|', second + 1);
        return legend.substr(second + 1, third - second - 1);
    };
    struct Control {
        const char* machine;
        ControlsRole role;
        int menu_item; // plain id of the item the control stands for
    };
    for (const Control& c :
         {Control{"ARCADIA", CR_SLOT, 3}, Control{"INSTRUCTOR", CR_DIPS, 174},
          Control{"INSTRUCTOR", CR_TAPE, 183}, Control{"INSTRUCTOR", CR_OPCODES, 275},
          Control{"PONG", CR_ANGLES, 174}, Control{"PONG", CR_SOUND, 250},
          Control{"PONG", CR_SWAP, 236}, Control{"ZACCARIA", CR_INFO, 272}}) {
        SCOPED_TRACE(std::string(c.machine) + " " + std::to_string(c.role));
        std::string said;
        command(std::string("SETMACHINE ") + c.machine, &said); // 5: ROM images missing
        ASSERT_EQ(command("OPENCONTROLS"), 0);
        ASSERT_EQ(command("PAUSE"), 0);
        const std::string wanted = shortcut(c.menu_item);
        ASSERT_EQ(wanted.rfind("Ctrl+", 0), 0u) << wanted;
        EXPECT_EQ(host_key(hover(c.role)), wanted);
        command("UNPAUSE");
        command("CLOSECONTROLS");
    }
    command("SETMACHINE ARCADIA");
}

// The toolbar's hints name the keys the menus give their items on this host
// (Ctrl with the item's key), not another computer's.
TEST_F(WindowTextsQt, TheToolbarHintsNameTheMenuShortcuts) {
    const auto hints = [](int gid) {
        std::vector<std::string> said;
        QWidget* bar = widget(main_window, gid);
        for (const QToolButton* b : bar ? bar->findChildren<QToolButton*>() : QList<QToolButton*>())
            said.push_back(b->toolTip().toStdString());
        return said;
    };
    // Each button with the plain id of the menu item it stands for (-1: none).
    const std::vector<std::pair<int, std::vector<int>>> bars = {
        {GID_SPEEDBAR_1, {-1, 3, 6, 8, 34, 63, 5, 16}},
        {GID_SPEEDBAR_2, {176, 180, 236, 250, -1, 261, 264, 47, -1, 49}}};
    for (const auto& [gid, items] : bars) {
        const std::vector<std::string> said = hints(gid);
        ASSERT_GE(said.size(), items.size());
        for (std::size_t i = 0; i < items.size(); i++) {
            EXPECT_EQ(said[i].find("Amiga"), std::string::npos) << said[i];
            if (items[i] < 0) continue;
            const std::string keys = shortcut(items[i]);
            ASSERT_EQ(keys.rfind("Ctrl+", 0), 0u) << keys;
            EXPECT_NE(said[i].find("(" + keys), std::string::npos) << said[i] << " vs " << keys;
        }
    }
}

// The Arcadia's high-score list names each game by its title, in the order
// of the titles: the records' order.
TEST_F(WindowTextsQt, TheHighScoreListNamesTheGames) {
    ASSERT_EQ(command("VIEWHIGHSCORES"), 0);
    auto* list = qobject_cast<QTreeWidget*>(widget(hiscore_window, GID_HISCORE_LIST));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 52);
    const auto name = [list](int row) { return list->topLevelItem(row)->text(1).toStdString(); };
    const std::pair<int, const char*> rows[] = {
        {0, "3D Attack"},      {3, "Alien Invaders"}, {4, "American Football"},
        {23, "JTron"},         {45, "Super Bug #1"},  {46, "Super Bug #2"},
        {48, "Tetris #1"},     {49, "Tetris #2"},     {51, "Turtles"}};
    for (const auto& [row, title] : rows)
        EXPECT_EQ(name(row), title) << "row " << row;
    for (int row = 4; row < 52; row++)
        EXPECT_LT(QString::compare(list->topLevelItem(row - 1)->text(1),
                                   list->topLevelItem(row)->text(1), Qt::CaseInsensitive),
                  0)
            << name(row - 1) << " before " << name(row);
    gui_window_close(hiscore_window);
    event_pass();
}

// In every list with column titles, a column's title stands over its values:
// right-aligned over right-aligned ones (the high scores' "Score" and
// "Played for", the ReAction classes' "Version"), left over the others.
TEST_F(WindowTextsQt, ColumnTitlesAreAlignedAsTheirValues) {
    const struct {
        const char* command;
        int* window;
        int gid;
    } lists[] = {{"VIEWHIGHSCORES", &hiscore_window, GID_HISCORE_LIST},
                 {"MENU HELP.REACTION", &about_window, GID_ABOUT_CLASSES}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.command);
        ASSERT_EQ(command(l.command), 0);
        auto* list = qobject_cast<QTreeWidget*>(widget(*l.window, l.gid));
        ASSERT_NE(list, nullptr);
        ASSERT_GT(list->topLevelItemCount(), 0);
        int right = 0;
        for (int c = 0; c < list->columnCount(); c++) {
            const auto side = [](int alignment) { return alignment & Qt::AlignHorizontal_Mask; };
            const int values = side(list->topLevelItem(0)->textAlignment(c));
            const bool right_values = values == Qt::AlignRight;
            right += right_values;
            EXPECT_EQ(side(list->headerItem()->textAlignment(c)) == Qt::AlignRight, right_values)
                << "column " << list->headerItem()->text(c).toStdString();
        }
        EXPECT_GT(right, 0);
        gui_window_close(*l.window);
        event_pass();
    }
}
