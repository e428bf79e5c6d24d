// A state saved through the scripting port under a name without a state's
// suffix is written with one, the reply and the console name it, and it opens
// again; one saved without a suffix before opens too.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class StateNames : public ProgramTest {};

TEST_F(StateNames, WhatSaveAsWritesOpensAgain) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path dir = home.path() / "states";
    fs::create_directories(dir);
    std::string result;
    const struct {
        const char* asked;
        const char* written;
    } cases[] = {
        {"st", "st.cos"},             // no suffix
        {"shot.png", "shot.png.cos"}, // another kind's suffix
        {"named.cos", "named.cos"},   // its own suffix stays
        {"upper.COS", "upper.COS"},   // in any case
        {"take.cor", "take.cor"},     // the loader's other state suffix
    };
    for (const char* machine : {"ARCADIA", "PONG"}) {
        ASSERT_EQ(send(std::string("SETMACHINE ") + machine, &result), 0) << result;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(machine) + " " + c.asked);
            const fs::path asked = dir / c.asked, written = dir / c.written;
            fs::remove(asked);
            fs::remove(written);
            ASSERT_EQ(send("SAVEAS " + asked.string(), &result), 0) << result;
            EXPECT_EQ(result, asked == written ? "" : written.string());
            EXPECT_TRUE(fs::is_regular_file(written));
            if (asked != written) {
                EXPECT_FALSE(fs::exists(asked));
            }
            ASSERT_EQ(send("SETMACHINE TYPERIGHT", &result), 0) << result;
            EXPECT_EQ(send("OPEN " + written.string(), &result), 0) << result;
            EXPECT_EQ(send("GETMACHINE", &result), 0);
            EXPECT_EQ(result, machine);
        }
    }
    // A state under a name without a suffix (as earlier versions saved them)
    // is known by its header; another file is not taken for one.
    fs::rename(dir / "st.cos", dir / "plain");
    ASSERT_EQ(send("SETMACHINE TYPERIGHT", &result), 0) << result;
    EXPECT_EQ(send("OPEN " + (dir / "plain").string(), &result), 0) << result;
    EXPECT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "PONG");
    test_write_file(dir / "notes", "\xBF is no state");
    EXPECT_EQ(send("OPEN " + (dir / "notes").string(), &result), 10) << result;
    EXPECT_NE(result.find("not supported"), std::string::npos) << result;

    // A name with no file part is no file to write.
    EXPECT_EQ(send("SAVEAS " + dir.string() + "/", &result), 10) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0);
    const std::string out = log();
    EXPECT_NE(out.find("State saved as \"" + (dir / "st.cos").string() + "\"."), std::string::npos)
        << out;
}

} // namespace
