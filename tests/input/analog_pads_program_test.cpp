// The analogue controllers in the running program (offscreen, driven through
// its port): with a virtual game controller preloaded into it, and without.
#include "tests/support/program_test.h"
#include "tests/support/checkout_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

class AnalogPadsProgram : public ProgramTest {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        unsetenv("LD_PRELOAD");
        unsetenv("VIRTUAL_PAD_STATE");
        asan_.reset();
    }
    // The settings the program reads at start, as a first start wrote them,
    // with the left player's controller changed.
    void store_left_controller(int controller) {
        const auto path = home.path() / "Configs" / "Brindlemox.ini";
        if (!std::filesystem::exists(path)) {
            std::ofstream(home.path() / "quit.rexx") << "/* first start */\n'QUIT'\n";
            ASSERT_TRUE(start({"STARTUP", "quit.rexx"}));
            ASSERT_EQ(wait_exit(), 0) << log();
        }
        std::string ini = test_read_file(path);
        const std::size_t at = ini.find("\ncontroller_left=");
        ASSERT_NE(at, std::string::npos);
        ini.replace(at + 1, ini.find('\n', at + 1) - at - 1,
                    "controller_left=" + std::to_string(controller));
        std::ofstream(path) << ini;
    }
    void plug_in_controller() {
        setenv("LD_PRELOAD", test_virtual_pad(), 1);
        setenv("VIRTUAL_PAD_STATE", state_file().c_str(), 1);
        // The preloaded library comes before the sanitizer's runtime.
        asan_.emplace("verify_asan_link_order=0");
    }
    std::optional<AddedAsanOptions> asan_;
    std::string state_file() const { return (home.path() / "pad-state").string(); }
    void move_stick(int x, int y) { std::ofstream(state_file()) << x << " " << y << " 0\n"; }
    // The left paddle as the Arcadia's guest reads it, once it reads `want`
    // (or what it reads when it does not come to that).
    std::string left_paddle(const std::string& want) {
        std::string value;
        wait_until([&] { return send("PEEK 6655", &value) != 0 || value == want; });
        return value;
    }
};

} // namespace

// Chosen from the menu, the first analogue gamepad's stick is the paddle, end
// to end; back on the keyboard the paddle rests at the centre.
TEST_F(AnalogPadsProgram, TheAnalogueGamepadsStickDrivesThePaddle) {
    store_left_controller(0);
    plug_in_controller();
    move_stick(-32768, -32768);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("MENU PERIPHERALS.LEFT.1STAPAD", &result), 0) << result;
    EXPECT_EQ(left_paddle("0"), "0");
    move_stick(32767, 32767);
    EXPECT_EQ(left_paddle("255"), "255");
    ASSERT_EQ(send("MENU PERIPHERALS.LEFT.KEYBOARD", &result), 0) << result;
    EXPECT_EQ(left_paddle("112"), "112");
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(log().find("is connected"), std::string::npos) << log();
}

// A stored analogue gamepad is kept while it is plugged in; without it the
// program says so and the keyboard takes its place (and is what it saves).
TEST_F(AnalogPadsProgram, AStoredGamepadThatIsNotThereFallsBackToTheKeyboard) {
    store_left_controller(7);
    plug_in_controller();
    move_stick(32767, 32767);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(left_paddle("255"), "255");
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();

    unsetenv("LD_PRELOAD");
    store_left_controller(7);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(left_paddle("112"), "112");
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_NE(log().find("Left controller: no 1st analog gamepad is connected; the keyboard is "
                         "used instead.\n"),
              std::string::npos)
        << log();
    const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
    EXPECT_NE(ini.find("\ncontroller_left=0\n"), std::string::npos);
}

// The ball-and-paddle machine and the coin-op boards take both analogue
// gamepads for either player, as they take the digital ones.
TEST_F(AnalogPadsProgram, TheBatMachinesTakeTheAnalogueGamepads) {
    store_left_controller(0);
    plug_in_controller();
    move_stick(0, 0);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const char* machine : {"PONG", "ZACCARIA", "MALZAK"}) {
        ASSERT_NE(send(std::string("SETMACHINE ") + machine, &result), -1);
        for (const char* item : {"LEFT.1STAPAD", "LEFT.2NDAPAD", "RIGHT.1STAPAD", "RIGHT.2NDAPAD"})
            EXPECT_EQ(send(std::string("MENU PERIPHERALS.") + item, &result), 0)
                << machine << " " << item << ": " << result;
    }
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}
