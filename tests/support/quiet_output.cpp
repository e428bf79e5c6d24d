#include "tests/support/quiet_output.h"

#include "core/message.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string g_text;
bool g_test_running = false;

void into_buffer(const char* text) {
    g_text += text;
}

// Pushes the buffer as each test starts and, as it ends, prints the buffer if
// the test failed, then takes it off again.
class QuietOutput : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        g_text.clear();
        g_test_running = true;
        quiet_output_rearm();
    }
    void OnTestEnd(const testing::TestInfo& info) override {
        if (con_top_sink() == into_buffer) con_pop_sink();
        g_test_running = false;
        if (info.result()->Failed() && !g_text.empty()) {
            std::fputs("---- the program printed:\n", stdout);
            std::fputs(g_text.c_str(), stdout);
            if (g_text.back() != '\n') std::fputc('\n', stdout);
            std::fputs("----\n", stdout);
            std::fflush(stdout);
        }
        g_text.clear();
    }
};

// Registered while the test binary starts, before its main() runs the tests.
const bool g_registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new QuietOutput);
    return true;
}();

} // namespace

void quiet_output_rearm() {
    if (g_test_running && con_top_sink() != into_buffer) con_push_sink(into_buffer);
}

const std::string& quiet_output_text() {
    return g_text;
}

OutputCapture::OutputCapture() : from_(g_text.size()) {}

std::string OutputCapture::text() const {
    return from_ <= g_text.size() ? g_text.substr(from_) : std::string();
}

void OutputCapture::restart() {
    from_ = g_text.size();
}

namespace {
OutputCapture g_shared;
} // namespace

void capture_output() {
    g_shared.restart();
}

std::string captured_output() {
    return g_shared.text();
}
