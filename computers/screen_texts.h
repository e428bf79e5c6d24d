// The screens of the computers as plain text, for the text export and "Copy
// text": the rows of their text screens and the characters their LED digits
// read as. Each machine names its own in its MachineOps::screen_text.
#pragma once

#include <string>

void pipbug_screen_text(std::string* out);
void binbug_screen_text(std::string* out);
void twin_screen_text(std::string* out);
void cd2650_screen_text(std::string* out);
void phunsy_screen_text(std::string* out);
void instructor_screen_text(std::string* out);
void selbst_screen_text(std::string* out);
void mikit_screen_text(std::string* out);
