// The sliders of the program's windows, drawn by Qt and used as a person uses
// them: a click on the track moves the knob a step towards the click (not to
// the end), the click gives the slider the keyboard, and the cursor keys then
// move it one step, each move reaching the window's handler.
#include "tests/qt/qt_session.h"

#include "core/frame.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "devicewindows/dips_window.h"
#include "display/host.h"
#include "gui/palette_editor.h"
#include "gui/speed_window.h"
#include "gui/tool_windows.h"
#include "inspect/memory_editor_window.h"
#include "inspect/memory_views.h"
#include "platform/gui.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <functional>

namespace {

class SliderQt : public QtSession {};

struct SliderRow {
    const char* machine; // SETMACHINE name
    const char* open;    // the port command that opens the window
    ToolWindow window;   // its tool window
    int gid;             // the slider
    std::function<int()> state; // what the slider sets in the program
};

// A click of the left button at `at` in `w`, as the desktop delivers it (the
// click gives the keyboard to a gadget that takes it).
void click(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

// Where the slider draws its knob or its track.
QRect part(QSlider* s, QStyle::SubControl which) {
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = opt.sliderValue = s->value();
    opt.tickPosition = s->tickPosition();
    opt.tickInterval = s->tickInterval();
    opt.subControls = QStyle::SC_All;
    return s->style()->subControlRect(QStyle::CC_Slider, &opt, which, s);
}

} // namespace

TEST_F(SliderQt, ATrackClickStepsTowardsItAndTheSliderTakesTheKeys) {
    const SliderRow rows[] = {
        {"PONG", "MENU PERIPHERALS.DIPSWITCHES", TW_DIPS, GID_PONG_LEFT, [] { return robot_left; }},
        {"INTERTON", "MENU SETTINGS.SPEED.ADJUST", TW_SPEED, GID_SPEED_LINE_SLIDER,
         [] { return static_cast<int>(line_clocks); }},
        {"ARCADIA", "OPENMEMORY", TW_MEMORY, GID_MEM_SLIDER, [] { return memedit_page; }},
        {"ARCADIA", "MENU EDIT.PALETTE", TW_PALETTE, GID_PAL_RED_SLIDER + 1,
         [] { return static_cast<int>(palette_get_green(colourset, palette_selected_colour)); }},
    };
    for (const SliderRow& row : rows) {
        SCOPED_TRACE(row.open);
        command(std::string("SETMACHINE ") + row.machine); // may warn of missing ROM images
        ASSERT_EQ(command(row.open), 0);
        const int win = gui_subwin_window[row.window];
        ASSERT_NE(win, 0);
        auto* slider = qobject_cast<QSlider*>(widget(win, row.gid));
        ASSERT_NE(slider, nullptr);
        slider->window()->activateWindow();
        event_pass();
        // From the knob's place at the start of the track.
        gui_set_value(win, row.gid, slider->minimum());
        const int start = slider->minimum(), end = slider->maximum();
        // Near the far end of the track.
        const QRect track = part(slider, QStyle::SC_SliderGroove);
        click(slider, slider->orientation() == Qt::Horizontal
                          ? QPoint(track.right() - 2, track.center().y())
                          : QPoint(track.center().x(), track.bottom() - 2));
        event_pass();
        const int stepped = slider->value();
        EXPECT_GT(stepped, start);
        EXPECT_LT(stepped, end); // a step, not the whole way
        if (end - start <= 10) {
            EXPECT_EQ(stepped, start + 1);
        }
        EXPECT_EQ(row.state(), stepped);

        click(slider, part(slider, QStyle::SC_SliderHandle).center());
        event_pass();
        QWidget* keys = slider->window()->focusWidget();
        EXPECT_EQ(keys, slider);
        if (!keys) keys = slider->window();
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(keys, &right);
        event_pass();
        EXPECT_EQ(slider->value(), stepped + 1);
        EXPECT_EQ(row.state(), stepped + 1);
        gui_close_subwindow(row.window);
        event_pass();
    }
}
