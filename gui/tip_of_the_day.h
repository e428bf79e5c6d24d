// The tip of the day: at start-up (unless a start-up script runs or tips are
// off) one numbered hint about the program, with "Next tip" and the switch
// that decides whether tips appear. The 26 tips are read from the program
// home's tips.txt, one a line (blank lines are passed over), each line the
// English text of its catalog string; every showing and every "Next tip"
// moves "nexttip" on by one, through the tips a shorter file of the user's
// own has.
//
// The window does not hold the start-up: like the start-up warnings it waits
// in the event pass (gui/dialogs.h) while the program runs and its port
// answers; the switch and the S key change "showtips" at once.
#pragma once

#include <cstddef>
#include <string>

constexpr int TIPS = 26;
constexpr std::size_t TIP_TEXT_SIZE = 1024; // the formatted tip, cut to fit

enum TipGadget : int {
    GID_TIP_OK = 343,
    GID_TIP_NEXT = 344,
    GID_TIP_SHOW = 345,
    GID_TIP_TEXT = 346,
};

// The dialog's window while it is open, 0 otherwise.
extern int tip_window;

void gui_tip_of_the_day();
// "#<n>. <text>" for tip index `index` (0..25), at most TIP_TEXT_SIZE - 1 bytes.
std::string tip_format(int index);
// Forgets the tips read, so the next showing reads the file again (test
// support: a test that writes its own tip file).
void tip_forget_texts();
