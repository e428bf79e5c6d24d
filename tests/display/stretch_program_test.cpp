// Settings > Graphics > Narrow? in the running program, driven over its
// scripting port: the choice holds across start-ups and machine switches, for
// the machines of the kind it was made on (those that start wide, or those
// that start narrow); the other kind keeps its own, across start-ups too.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The widths of the saved picture: the Arcadia and the Interton draw 164
// pixels, the PIPBUG's screen 384, each doubled when stretched.
constexpr u32 CONSOLE_WIDE = 328, CONSOLE_NARROW = 164;
constexpr u32 PIPBUG_WIDE = 768, PIPBUG_NARROW = 384;

class StretchProgram : public ProgramTest {
  protected:
    bool session() {
        if (fd >= 0) close(fd);
        fd = -1;
        return start({"PORTNAME", "E2E"}) && port_up();
    }
    bool quit() {
        std::string result;
        return send("QUIT", &result) == 0 && wait_exit() == 0;
    }
    // The picture's width once the main loop has acted on the menu (the
    // stretch changes at a frame boundary): `expected` or what it stays at.
    u32 shown_width(u32 expected) {
        u32 width = 0;
        wait_until(
            [&] {
                width = picture("shown.png").width;
                return width == expected;
            },
            TEST_HANG_SECONDS, 100);
        return width;
    }
    std::filesystem::path settings() const { return home.path() / "Configs" / "Brindlemox.ini"; }
};

// One line of a session: a port request, or (`width` not 0) the width that
// the picture shows then.
struct Step {
    const char* request;
    u32 width;
};

struct Case {
    const char* what;
    std::vector<std::vector<Step>> sessions; // each started, stepped and quit
};

} // namespace

TEST_F(StretchProgram, TheUsersChoiceHoldsAcrossStartsAndSwitches) {
    const Case cases[] = {
        {"narrowed, then started again",
         {{{"MENU SETTINGS.GRAPHICS.NARROW", 0}, {nullptr, CONSOLE_NARROW}},
          {{nullptr, CONSOLE_NARROW}},
          {{nullptr, CONSOLE_NARROW}}}},
        {"narrowed on the Interton, to the Arcadia and back, and started again",
         {{{"SETMACHINE INTERTON", 0},
           {"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {nullptr, CONSOLE_NARROW},
           {"SETMACHINE ARCADIA", 0},
           {nullptr, CONSOLE_NARROW},
           {"SETMACHINE INTERTON", 0},
           {nullptr, CONSOLE_NARROW}},
          {{nullptr, CONSOLE_NARROW}}}},
        {"the same machine set up again",
         {{{"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {nullptr, CONSOLE_NARROW},
           {"SETMACHINE ARCADIA", 0},
           {nullptr, CONSOLE_NARROW}}}},
        {"a machine that starts narrow keeps its own, both ways",
         {{{"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {"SETMACHINE PIPBUG", 0},
           {nullptr, PIPBUG_NARROW},
           {"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {nullptr, PIPBUG_WIDE},
           {"SETMACHINE ARCADIA", 0},
           {nullptr, CONSOLE_NARROW},
           {"SETMACHINE PIPBUG", 0},
           {nullptr, PIPBUG_WIDE}},
          {{nullptr, PIPBUG_WIDE}, {"SETMACHINE INTERTON", 0}, {nullptr, CONSOLE_NARROW}}}},
        {"each kind's choice, started again on the other kind's machine",
         {{{"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {"SETMACHINE PIPBUG", 0},
           {"MENU SETTINGS.GRAPHICS.NARROW", 0},
           {"SETMACHINE ARCADIA", 0}},
          {{nullptr, CONSOLE_NARROW}, {"SETMACHINE PIPBUG", 0}, {nullptr, PIPBUG_WIDE}},
          {{nullptr, PIPBUG_WIDE}, {"SETMACHINE ARCADIA", 0}, {nullptr, CONSOLE_NARROW}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(settings());
        int number = 0;
        for (const auto& steps : c.sessions) {
            SCOPED_TRACE("session " + std::to_string(++number));
            ASSERT_TRUE(session()) << log();
            for (const Step& s : steps) {
                if (s.request) {
                    request(s.request); // the PIPBUG's missing monitor ROM warns
                    continue;
                }
                EXPECT_EQ(shown_width(s.width), s.width);
            }
            ASSERT_TRUE(quit()) << log();
        }
    }
}

// A settings file without the width (edited by hand, or older): the machine
// it names starts with its own default.
TEST_F(StretchProgram, AFileWithoutTheWidthStartsWithTheMachinesDefault) {
    const struct {
        const char* map;
        u32 width;
    } cases[] = {{"6", CONSOLE_WIDE}, {"9", PIPBUG_NARROW}};
    ASSERT_TRUE(session()) << log();
    ASSERT_TRUE(quit()) << log();
    const std::string written = test_read_file(settings());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.map);
        std::string text;
        for (std::size_t at = 0; at < written.size();) {
            std::size_t end = written.find('\n', at);
            end = end == std::string::npos ? written.size() : end + 1;
            const std::string line = written.substr(at, end - at);
            if (line.rfind("memorymap=", 0) == 0)
                text += std::string("memorymap=") + c.map + "\n";
            else if (line.rfind("width=", 0) != 0)
                text += line;
            at = end;
        }
        test_write_file(settings(), text);
        std::filesystem::remove(home.path() / "Games" / "AUTOSAVE.COS"); // the machine before
        ASSERT_TRUE(session()) << log();
        EXPECT_EQ(shown_width(c.width), c.width);
        ASSERT_TRUE(quit()) << log();
    }
}
