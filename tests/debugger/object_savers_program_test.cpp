// The debugger's savers of guest memory in the running program, on every
// machine, driven through its port: each file a saver writes opens again on
// the machine that wrote it (Open, or LOADBIN for a raw binary) and brings
// back the bytes saved; where the machine could not load it back, the saver
// refuses with "Wrong guest machine!" and writes nothing.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace {

class ObjectSaversProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    std::string said(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // The file of the Projects drawer whose name starts with `stem` ("" when
    // there is none).
    std::string written(const std::string& stem) const {
        for (const auto& entry : std::filesystem::directory_iterator(home.path() / "Projects"))
            if (entry.path().filename().string().rfind(stem + ".", 0) == 0)
                return entry.path().string();
        return "";
    }
};

struct Saver {
    const char* word;
    const char* range; // what the command saves; 16 bytes from `first`
    unsigned first;
    bool raw;          // read back with LOADBIN, else opened
    std::set<std::string> writes_on;
};

const char* const machines[] = {"ARCADIA", "INTERTON", "ELEKTOR",  "PIPBUG", "BINBUG",
                                "INSTRUCTOR", "TWIN",  "CD2650",   "ZACCARIA", "MALZAK",
                                "PHUNSY",  "PONG",     "SELBST",   "MIKIT",  "TYPERIGHT"};
const std::set<std::string> with_processor = {
    "ARCADIA", "INTERTON", "ELEKTOR", "PIPBUG", "BINBUG", "INSTRUCTOR", "TWIN",
    "CD2650",  "ZACCARIA", "MALZAK",  "PHUNSY", "SELBST", "MIKIT"};

} // namespace

TEST_F(ObjectSaversProgram, EachFileWrittenOpensAgainOnItsMachine) {
    // From $0800: memory that a program file may fill on every machine (a
    // file loaded leaves a monitor ROM as it is).
    const Saver savers[] = {
        {"SAVEAOF", "$800 $80F", 0x800, false,
         {"ELEKTOR", "PIPBUG", "BINBUG", "INSTRUCTOR", "CD2650", "SELBST", "MIKIT"}},
        {"SAVEEOF", "$800 $80F", 0x800, false,
         {"ELEKTOR", "PIPBUG", "BINBUG", "INSTRUCTOR", "CD2650", "SELBST", "MIKIT"}},
        {"SAVEHEX", "$800 $80F", 0x800, false, with_processor},
        {"SAVESMS", "$80F", 0x800, false, with_processor},
        {"SAVEBIN", "$800 $80F", 0x800, true, with_processor},
        // The Elektor's program file skips its monitor ROM: saved from RAM.
        {"SAVETVC", "$900 $90F", 0x900, false, {"ELEKTOR"}},
        {"SAVECMD", "$800 $80F", 0x800, false, {"BINBUG", "TWIN", "CD2650"}},
    };
    int made = 0;
    for (const char* machine : machines) {
        request(std::string("SETMACHINE ") + machine);
        for (const Saver& s : savers) {
            SCOPED_TRACE(std::string(s.word) + " on " + machine);
            ASSERT_EQ(said("GETMACHINE"), machine);
            const std::string stem = "saved" + std::to_string(++made);
            const auto fill = [&](const char* value) {
                char line[64];
                std::snprintf(line, sizeof line, "DEBUGGER \"FILL $%X $%X %s\"", s.first,
                              s.first + 15, value);
                said(line);
            };
            const bool writes = s.writes_on.count(machine) > 0;
            if (writes) fill("$A5");
            std::string result;
            const int rc = send("DEBUGGER \"" + std::string(s.word) + " " + s.range + " " +
                                    stem + "\"",
                                &result);
            const std::string file = written(stem);
            if (!writes) {
                EXPECT_EQ(rc, 10) << result;
                EXPECT_EQ(result, "Wrong guest machine!\n\n");
                EXPECT_EQ(file, "") << "written though refused";
                continue;
            }
            ASSERT_EQ(rc, 0) << result;
            ASSERT_NE(file, "");
            fill("$5A");
            const std::string load =
                s.raw ? "DEBUGGER \"LOADBIN $800 " + file + "\"" : "OPEN " + file;
            EXPECT_EQ(send(load, &result), 0) << result;
            EXPECT_EQ(said("GETMACHINE"), machine);
            char dump[64], bytes[64];
            std::snprintf(dump, sizeof dump, "DEBUGGER \"D $%X $%X\"", s.first, s.first + 15);
            std::snprintf(bytes, sizeof bytes, "$%04X: A5 A5 A5 A5 A5 A5 A5 A5  A5 A5 A5 A5 A5 A5 A5 A5",
                          s.first);
            EXPECT_EQ(said(dump).rfind(bytes, 0), 0u) << said(dump);
        }
    }
}
