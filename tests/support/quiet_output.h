// Test support: every test of the test binary runs with the program's messages
// going into a buffer of its own instead of the console. A passing test prints
// nothing of the program's; a failing one prints what the program said, after
// its failures.
//
// A test that checks what the program printed reads it through OutputCapture:
//
//   OutputCapture out;
//   load_something();
//   EXPECT_EQ(out.text(), "Can't load \"x\"!\n");
//
// or, where one capture at a time is enough, through the pair
// capture_output() ... captured_output().
//
// A test that pushes a sink of its own gets the text instead while it is on
// top, as with the console. Resetting the message channel (message_reset, and
// emu_reset_all with it) leaves only the console: fresh_state() puts the
// buffer back on top; a test that resets the channel itself and then lets the
// program talk captures standard output itself.
#pragma once

#include <cstddef>
#include <string>

// Puts the test's buffer back on top of the sinks, unless it is there already
// or no test is running.
void quiet_output_rearm();

// Everything the program printed through its messages during the running test.
const std::string& quiet_output_text();

// What the program prints through its messages from its construction on.
class OutputCapture {
  public:
    OutputCapture();
    // The text since construction (or since the last restart()).
    std::string text() const;
    // Text so far is forgotten by text().
    void restart();

  private:
    std::size_t from_;
};

// Starts the one shared capture (again).
void capture_output();
// What the program printed through its messages since capture_output().
std::string captured_output();
