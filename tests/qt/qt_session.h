// Test support: the program's own windows drawn by the Qt layer (offscreen),
// in this process, on a session set up as the program sets up its own: a
// program home of its own, the interface images, the configured machine and
// the main window. Events are sent to the real widgets with Qt's own calls;
// the windows' handlers run as the event pass runs them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

class QFileDialog;
class QString;
class QWidget;

class QtSession : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    // Each test starts as the session started: with the default settings,
    // the configured machine and nothing held (a changed disk or MDCR tape,
    // a punched papertape an earlier test left goes unsaved), so that the
    // tests run whole in any order.
    void SetUp() override;
    // Runs a command of the scripting port as the port serves it.
    static int command(const std::string& line, std::string* result = nullptr);
    // Takes in the host's events, then hands the modeless dialogs and the
    // main window theirs.
    static void event_pass();
    // The widget of gadget `gid` in window `win` (fails the test when none).
    static QWidget* widget(int win, int gid);
};

// One step of a user typing `name` into a save requester's name field, as a
// person does, for a timer's tick: the window made active and the field
// clicked into first (the requester takes a typed name over the file selected
// in its list only while the field has the focus), then the name typed over
// what is offered; true once Save has been pressed (after this tick).
bool qt_type_save_name(QFileDialog* dialog, const QString& name);

// Runs `act` with the user at the screen: `tick` every 20 ms meanwhile, and
// the program's requesters wait for the user (no break closes them).
void qt_as_the_user(const std::function<void()>& tick, const std::function<void()>& act);
