// A PIPBUG with a fresh debugger whose messages are captured: the base of the
// debugger's command tests.
#pragma once

#include "core/emu.h"
#include "core/message.h"
#include "cpu/debug_state.h"
#include "debugger/commands.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

class DebuggerTest : public ::testing::Test {
  protected:
    // What the debugger printed since the last run() or clear.
    static inline std::string captured;

    void SetUp() override {
        fresh_state();
        fresh_cpu(PIPBUG, 0);
        machine = PIPBUG;
        dbg_commands_reset();
        con_push_sink(capture);
        captured.clear();
    }
    void TearDown() override {
        con_pop_sink();
        fresh_state();
    }
    // Runs one command line; returns what it printed.
    static std::string run(const char* line) {
        captured.clear();
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        dbg_execute();
        return captured;
    }
    // Command lines, each with what it must print.
    struct Answer {
        const char* line;
        const char* answer;
    };
    static void expect_answers(std::initializer_list<Answer> cases) {
        for (const Answer& c : cases)
            EXPECT_EQ(run(c.line), c.answer) << c.line;
    }
    // The sink that fills `captured`.
    static void capture(const char* text) { captured += text; }
};
