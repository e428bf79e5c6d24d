// Collisions on the Arcadia and the VC 4000 shake the host pads: a sprite
// pair and a sprite on the background each start the rumble configured for
// them on the controller of the guest player they belong to.
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "input/collision_feedback.h"
#include "input/joysticks.h"
#include "machines/pvi2636.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> pad_calls;

u32 no_bits(int) {
    return 0;
}
void no_type(int, int) {}
void record_start(int port) {
    pad_calls.push_back("start " + std::to_string(port));
}
void record_stop(int port) {
    pad_calls.push_back("stop " + std::to_string(port));
}
const PadDevice fake_pads = {no_bits, no_bits, no_type, record_start, record_stop, true};

struct Case {
    const char* name;
    u32 swap, collide, feedback_left;
    u32 frames[2]; // rumble_frames of ports 0 and 1 afterwards
    std::vector<std::string> calls;
};
// The sprite pair 0/1 asks 7 frames of the right player, the background hit
// 5 of the left (given as -5).
const Case CASES[] = {
    {"plain", 0, 1, 1, {5, 7}, {"start 0", "start 1"}},
    {"swapped", 1, 1, 1, {7, 5}, {"start 1", "start 0"}},
    {"collisions off", 0, 0, 1, {0, 0}, {}},
    {"left feedback off", 0, 1, 0, {0, 7}, {"start 1"}},
};

class CollisionFeedbackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        randomizememory = 0;
        pad_device = &fake_pads;
    }
    void TearDown() override {
        pad_device = nullptr;
        fresh_state();
    }
    // Runs a few frames of the machine set up by `place` (after each reset)
    // under every case, with the background entry `background` configured.
    void run_cases(u32 machine_no, u32 map, i32 (&background)[2], void (*place)()) {
        ASSERT_TRUE(machine_switch(machine_no, map, true, true, false));
        for (const Case& c : CASES) {
            SCOPED_TRACE(c.name);
            controller_left = 7; // the analogue pads on ports 0 and 1
            controller_right = 8;
            collision_feedback = {};
            collision_feedback.pair[0][1] = 7;
            background[0] = -5;
            swapped = c.swap;
            collisions = c.collide;
            forcefeedback_left = c.feedback_left;
            forcefeedback_right = 1;
            std::memset(guest_memory, 0, 4);
            guest_memory[0] = 0x1B; // BCTR,UN to itself
            guest_memory[1] = 0x7E;
            machine_reset();
            place();
            pad_calls.clear();
            for (int f = 0; f < 4; f++)
                emu_run_frame();
            EXPECT_EQ(rumble_frames[0], c.frames[0]);
            EXPECT_EQ(rumble_frames[1], c.frames[1]);
            EXPECT_EQ(pad_calls, c.calls);
            host_rumble_stop_all();
        }
    }
};

// Sprites 0 and 1 overlap left of the text area; sprite 2 lies on a
// user-defined character of row 0 (whose glyph is sprite 0's image, all set).
void arcadia_sprites() {
    for (u32 a = 0x1980; a < 0x1998; a++)
        guest_memory[a] = 0xFF;
    guest_memory[0x18F0] = guest_memory[0x18F2] = 156; // line first_visible + 100
    guest_memory[0x18F1] = 27;                         // clock 56
    guest_memory[0x18F3] = 31;                         // clock 60
    guest_memory[0x18F4] = 238;                        // line first_visible + 18
    guest_memory[0x18F5] = 43;                         // clock 72, column 0
    guest_memory[0x19FB] = 0xC0 | (1 << 3) | 2;
    guest_memory[0x19FA] = 0xC0 | (3 << 3) | 4;
    guest_memory[0x18FC] = 0xEF; // the text area 16 lines down, 13 rows
    guest_memory[0x19F8] = 0;
    guest_memory[0x19F9] = 0x03;
    guest_memory[0x18FE] = 0;
    guest_memory[0x1800] = 56; // user-defined character 0
}

TEST_F(CollisionFeedbackTest, ArcadiaBeamAndFramePaths) {
    for (u32 mode : {0u, 1u}) {
        SCOPED_TRACE(mode ? "frame-based" : "beam");
        framebased = mode;
        run_cases(ARCADIA, 6, collision_feedback.sprite[2], arcadia_sprites);
    }
}

// Objects 0 and 1 overlap; object 3 stands on a bar of the grid.
void vc4000_objects() {
    u8* pvi = guest_memory + 0x1F00;
    for (u32 r = 0; r < 10; r++)
        pvi[0x00 + r] = pvi[0x10 + r] = pvi[0x40 + r] = 0xFF;
    pvi[0x0A] = 40; // x 41-48
    pvi[0x1A] = 44; // x 45-52
    pvi[0x0C] = pvi[0x1C] = 49; // lines 50-59
    pvi[0x4A] = 30; // x 31-38
    pvi[0x4C] = 44; // lines 45-54
    pvi[0x0D] = pvi[0x1D] = pvi[0x4D] = 250;
    pvi[PVI_BGCOLOUR] = 0x08;
    pvi[0x86] = 0x80; // band 1's thick row: x 32-39
    pvi[0xA8] = 0x10; // 8 pixels wide on lines 42-50
}

TEST_F(CollisionFeedbackTest, Vc4000) {
    run_cases(INTERTON, 3, collision_feedback.grid[3], vc4000_objects);
}

} // namespace
