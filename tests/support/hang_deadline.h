// Test support: how long a test waits for the program (an answer of its port,
// its exit, a line it prints) before taking it for hung. The deadline catches
// a hang, not slowness: it leaves room for a sanitizer build on a busy machine,
// and a test that passes never waits it out.
#pragma once

constexpr int TEST_HANG_SECONDS = 60;
