// Golden frames: the guest frame's colour indices compared with a reviewed
// palette PNG (tests/support/indexed_png.*), naming the first difference.
#pragma once

#include "tests/support/indexed_png.h"

#include <string>

// The machine's frame (its width and height) from guest_frame.
IndexedPicture capture_guest_frame();
// Empty when both agree, else the first differing pixel.
std::string compare_pictures(const IndexedPicture& want, const IndexedPicture& got);
// Compares the frame with tests/data/frames/<name>.png; with the environment
// variable BRINDLEMOX_WRITE_FRAMES set, writes the file instead.
std::string check_golden_frame(const std::string& name);
// The same for any picture of colour indices; one that brings its own
// palette is written with it.
std::string check_golden_picture(const std::string& name, const IndexedPicture& got);
