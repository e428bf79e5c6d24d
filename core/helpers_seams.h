// Services of the start-up and input layers that the helpers read. The
// definitions in helpers_seams.cpp are weak stand-ins (comma separator, no
// modifier held, "lowercase" off) that those layers' own definitions replace.
#pragma once

extern char locale_group_separator; // first character of the locale's group separator
extern int lowercase;               // the "lowercase" setting

int host_shift_down(); // nonzero while a host Shift key is held
int host_ctrl_down();  // nonzero while a host Ctrl key is held
