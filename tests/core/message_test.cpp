#include "core/message.h"
#include "core/message_date.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string read_stream(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string out;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        out += static_cast<char>(c);
    return out;
}

bool starts_with(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

int hook_calls = 0;

// The log goes to a temporary RAM: folder; nothing touches the user's files.
// The console is the top sink, as when the program starts.
class Message : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        log_path = dir + "/Brindlemox.log";
        hook_calls = 0;
        message_reset(); // these tests watch the console itself, on standard output
    }
    std::string log_path;
};

TEST_F(Message, ReplaceModeEmptiesTheLogAndStartsWithTheOpeningLine) {
    std::ofstream(log_path) << "text of an earlier run\n";
    log_mode = LOG_REPLACE;
    testing::internal::CaptureStdout();
    con_printf("first %d\n", 1);
    con_printf("second %s\n", "line");
    log_file_close();
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log_file, nullptr);

    std::string log = test_read_file(log_path);
    EXPECT_TRUE(starts_with(log, "Opened RAM:Brindlemox.log for writing at ")) << log;
    EXPECT_EQ(log.find("earlier run"), std::string::npos);
    size_t body = log.find(".\n\nfirst 1\nsecond line\n");
    ASSERT_NE(body, std::string::npos) << log;
    EXPECT_NE(log.find("Closed RAM:Brindlemox.log at ", body), std::string::npos);
    // The console gets the same opening line, once.
    EXPECT_TRUE(starts_with(console, "Opened RAM:Brindlemox.log for writing at ")) << console;
    EXPECT_EQ(console.find("Opened", 1), std::string::npos);
}

TEST_F(Message, AppendModeKeepsEarlierRunsAndMarksEachRun) {
    std::ofstream(log_path) << "earlier run\n";
    log_mode = LOG_APPEND;
    testing::internal::CaptureStdout();
    con_printf("run one\n");
    log_file_close();
    con_printf("run two\n"); // mode still append: reopens lazily
    log_file_close();
    testing::internal::GetCapturedStdout();

    std::string log = test_read_file(log_path);
    EXPECT_TRUE(starts_with(log, "earlier run\nOpened RAM:Brindlemox.log for appending at "))
        << log;
    size_t one = log.find("run one\n");
    size_t second_open = log.find("Opened RAM:Brindlemox.log for appending at ", one);
    size_t two = log.find("run two\n", second_open);
    EXPECT_NE(one, std::string::npos);
    EXPECT_NE(second_open, std::string::npos);
    EXPECT_NE(two, std::string::npos);
    EXPECT_TRUE(log.ends_with(".\n\n")); // the closing line of the second run
}

TEST_F(Message, OpeningFromTheMenuPrintsTheLineAtOnce) {
    log_mode = LOG_REPLACE;
    testing::internal::CaptureStdout();
    log_file_open(0);
    ASSERT_NE(log_file, nullptr);
    log_file_close();
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(starts_with(console, "Opened RAM:Brindlemox.log for writing at "));
    EXPECT_NE(console.find("\n\nClosed RAM:Brindlemox.log at "), std::string::npos);
    EXPECT_TRUE(starts_with(test_read_file(log_path), "Opened RAM:Brindlemox.log for writing at "));
}

TEST_F(Message, ChoosingALogModeReopensOnlyOnAChange) {
    testing::internal::CaptureStdout();
    log_mode_select(LOG_OFF); // already off: nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    log_mode_select(LOG_APPEND);
    ASSERT_NE(log_file, nullptr);
    std::FILE* first = log_file;
    log_mode_select(LOG_APPEND); // same mode: the file stays as it is
    EXPECT_EQ(log_file, first);
    log_mode_select(LOG_REPLACE); // closed, then emptied and reopened
    EXPECT_EQ(log_mode, LOG_REPLACE);
    con_printf("kept\n");
    log_mode_select(LOG_OFF);
    log_mode_select(7);
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log_file, nullptr);
    EXPECT_EQ(log_mode, LOG_OFF);

    std::string log = test_read_file(log_path);
    EXPECT_TRUE(starts_with(log, "Opened RAM:Brindlemox.log for writing at ")) << log;
    EXPECT_EQ(log.find("appending"), std::string::npos);
    EXPECT_NE(log.find(".\n\nkept\nClosed RAM:Brindlemox.log at "), std::string::npos) << log;
    EXPECT_TRUE(starts_with(console, "Opened RAM:Brindlemox.log for appending at ")) << console;
}

TEST_F(Message, FailedOpenSwitchesLoggingOffAndSaysSoElsewhere) {
    setenv("XDG_RUNTIME_DIR", (dir + "/missing/folder").c_str(), 1);
    std::FILE* listing = std::tmpfile();
    ASSERT_NE(listing, nullptr);
    asm_output_file = listing;
    log_mode = LOG_APPEND;
    testing::internal::CaptureStdout();
    con_printf("message %d\n", 7);
    con_printf("next\n"); // no second attempt
    std::string console = testing::internal::GetCapturedStdout();

    EXPECT_EQ(log_mode, LOG_OFF);
    EXPECT_EQ(log_file, nullptr);
    const std::string expected = "Can't open RAM:Brindlemox.log for writing!\n\nmessage 7\nnext\n";
    EXPECT_EQ(console, expected);
    EXPECT_EQ(read_stream(listing), expected);
    asm_output_file = nullptr;
    std::fclose(listing);

    log_mode = LOG_REPLACE;
    testing::internal::CaptureStdout();
    log_file_open(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Can't open RAM:Brindlemox.log for writing!\n\n");
    EXPECT_EQ(log_mode, LOG_OFF);
}

TEST_F(Message, QuietScriptCommandsOutputNothing) {
    con_event_hook = [] { hook_calls++; };
    log_mode = LOG_REPLACE;
    rexx_quiet = 1;
    testing::internal::CaptureStdout();
    con_printf("hidden\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(con_output_seen, 0);
    EXPECT_EQ(hook_calls, 0);
    EXPECT_EQ(log_file, nullptr); // not even opened
    EXPECT_FALSE(fs::exists(log_path));

    rexx_quiet = 0;
    testing::internal::CaptureStdout();
    con_printf("shown\n");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(con_output_seen, 1);
    EXPECT_EQ(hook_calls, 1);
}

TEST_F(Message, OverlongMessagesAreCutToTheBuffer) {
    std::string huge(40000, 'x');
    log_mode = LOG_REPLACE;
    testing::internal::CaptureStdout();
    con_printf("%s%s", huge.c_str(), "tail\n");
    std::string console = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    log_file_close();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.size(), static_cast<size_t>(CON_BUFFER_SIZE - 1));
    EXPECT_EQ(console.find("tail"), std::string::npos);
    EXPECT_TRUE(console.ends_with("xxxx"));
    std::string log = test_read_file(log_path);
    EXPECT_TRUE(starts_with(log, console)); // then the closing line
    EXPECT_TRUE(log.ends_with(".\n\n"));
}

TEST_F(Message, MessagesFromInsideTheEventPassStartNoFurtherPass) {
    con_event_hook = [] {
        hook_calls++;
        con_printf("from a handler\n");
    };
    testing::internal::CaptureStdout();
    con_printf("outer\n");
    con_printf("outer again\n");
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(hook_calls, 2);
    EXPECT_EQ(console, "outer\nfrom a handler\nouter again\nfrom a handler\n");
}

TEST(MessageDate, LongFormHasTimeThenDate) {
    std::string text = format_date_time_long();
    int h, m, s, d, mo, y, used = 0;
    char on[8];
    ASSERT_EQ(
        std::sscanf(text.c_str(), "%d:%d:%d %7s %d/%d/%d%n", &h, &m, &s, on, &d, &mo, &y, &used), 7)
        << text;
    EXPECT_EQ(used, static_cast<int>(text.size()));
    EXPECT_STREQ(on, "on");
    EXPECT_TRUE(h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s <= 60) << text;
    EXPECT_TRUE(d >= 1 && d <= 31 && mo >= 1 && mo <= 12 && y >= 2000) << text;
    EXPECT_EQ(text[text.find(':') + 1 + 2], ':'); // minutes have two digits
}

} // namespace

// ---- output sinks ----------------------------------------------------------------------
namespace {
std::string sink_a, sink_b;
void into_a(const char* text) {
    sink_a += text;
}
void into_b(const char* text) {
    sink_b += text;
}
} // namespace

TEST_F(Message, OnlyTheTopSinkGetsTheTextAndPoppingUncoversTheOneBelow) {
    sink_a.clear();
    sink_b.clear();
    testing::internal::CaptureStdout();
    ASSERT_TRUE(con_push_sink(into_a));
    con_printf("to a %d\n", 1);
    ASSERT_TRUE(con_push_sink(into_b));
    EXPECT_EQ(con_top_sink(), into_b);
    con_printf("to b\n");
    con_pop_sink();
    con_printf("to a again\n");
    con_pop_sink();
    con_printf("to the console\n");
    con_pop_sink(); // the console is never popped
    EXPECT_EQ(con_top_sink(), con_console_sink);
    con_printf("still the console\n");
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(sink_a, "to a 1\nto a again\n");
    EXPECT_EQ(sink_b, "to b\n");
    EXPECT_EQ(console, "to the console\nstill the console\n");
}

TEST_F(Message, TheStackHasRoomForItsDepthAndTheResetLeavesTheConsole) {
    for (int i = 1; i < CON_SINKS_MAX; i++)
        EXPECT_TRUE(con_push_sink(i % 2 ? into_a : into_b)) << i;
    EXPECT_FALSE(con_push_sink(into_a)); // full: the top stays
    EXPECT_EQ(con_top_sink(), (CON_SINKS_MAX - 1) % 2 ? into_a : into_b);
    EXPECT_FALSE(con_push_sink(nullptr));
    message_reset();
    EXPECT_EQ(con_top_sink(), con_console_sink);
}

TEST_F(Message, TheLogFileGetsTheTextWhicheverSinkIsOnTop) {
    sink_a.clear();
    log_mode = LOG_REPLACE;
    con_push_sink(into_a);
    con_printf("captured %s\n", "line");
    con_pop_sink();
    testing::internal::CaptureStdout();
    log_file_close();
    testing::internal::GetCapturedStdout();
    const std::string log = test_read_file(log_path);
    EXPECT_NE(log.find("captured line\n"), std::string::npos) << log;
    // The sink got the same text, the opening line included.
    EXPECT_TRUE(starts_with(sink_a, "Opened RAM:Brindlemox.log for writing at ")) << sink_a;
    EXPECT_NE(sink_a.find("captured line\n"), std::string::npos);
}

// Text reaches the console, the log and the listing file as UTF-8: what already
// is UTF-8 passes unchanged, stray Latin-1 bytes are encoded.
TEST(TextToUtf8, KeepsUtf8AndEncodesLatin1Bytes) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"plain", "plain"},
        {"\xB7", "\xC2\xB7"},                         // a Latin-1 middle dot
        {"caf\xE9!", "caf\xC3\xA9!"},                 // Latin-1 e acute
        {"caf\xC3\xA9", "caf\xC3\xA9"},               // already UTF-8
        {"\xE2\x82\xAC 5", "\xE2\x82\xAC 5"},         // a three-byte sequence
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},     // a four-byte sequence
        {"\xC0\x80", "\xC3\x80\xC2\x80"},             // overlong: two Latin-1 bytes
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"}, // a surrogate is not UTF-8
        {"\xE2\x82", "\xC3\xA2\xC2\x82"},             // cut short at the end
        {"\x80x", "\xC2\x80x"},                       // a lone continuation byte
    };
    for (const Case& c : cases) {
        char out[64];
        const size_t n = text_to_utf8(c.in, out, sizeof out);
        EXPECT_STREQ(out, c.out) << c.in;
        EXPECT_EQ(n, std::strlen(c.out));
    }
    // Cut to fit, never inside a character.
    char small[4];
    EXPECT_EQ(text_to_utf8("ab\xB7", small, sizeof small), 2u);
    EXPECT_STREQ(small, "ab");
    EXPECT_EQ(text_to_utf8("a\xB7", small, sizeof small), 3u);
    EXPECT_STREQ(small, "a\xC2\xB7");
}

TEST_F(Message, LatinOneBytesLeaveAsUtf8Everywhere) {
    log_mode = LOG_REPLACE;
    std::FILE* listing = std::tmpfile();
    ASSERT_NE(listing, nullptr);
    asm_output_file = listing;
    testing::internal::CaptureStdout();
    con_printf("LODI,r0 $B7 ; ['%c']\n", 0xB7);
    const std::string console = testing::internal::GetCapturedStdout();
    asm_output_file = nullptr;
    testing::internal::CaptureStdout();
    log_file_close();
    testing::internal::GetCapturedStdout();
    const std::string line = "LODI,r0 $B7 ; ['\xC2\xB7']\n";
    EXPECT_TRUE(console.ends_with("\n\n" + line)); // after the log's opening line
    EXPECT_TRUE(read_stream(listing).ends_with("\n\n" + line));
    EXPECT_NE(test_read_file(log_path).find(line), std::string::npos);
    std::fclose(listing);
}

// The date-order option turns both forms round; the option itself follows the
// order of the locale's date format.
TEST(MessageDate, DateOrderInEachSetting) {
    std::tm t{};
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    t.tm_mday = 24;
    t.tm_mon = 11; // December
    t.tm_year = 2026 - 1900;
    char shortform[16];
    for (bool month_first : {false, true}) {
        date_month_first = month_first;
        format_date_time_short_at(t, shortform);
        EXPECT_STREQ(shortform, month_first ? "9:05 12/24/26" : "9:05 24/12/26");
        EXPECT_STREQ(format_date_time_long_at(t),
                     month_first ? "9:05:07 on 12/24/2026" : "9:05:07 on 24/12/2026");
    }
    date_month_first = false;

    const struct {
        const char* format;
        bool month_first;
    } formats[] = {
        {"%m/%d/%y", true},   {"%D", true},        {"%d/%m/%Y", false}, {"%d.%m.%Y", false},
        {"%Y-%m-%d", true},   {"%e %B %Y", false}, {"%b %e, %Y", true}, {"%Od/%Om/%Ey", false},
        {"%y", false},        {"", false},         {"%", false},        {nullptr, false},
    };
    for (const auto& f : formats)
        EXPECT_EQ(date_format_month_first(f.format), f.month_first) << (f.format ? f.format : "null");
}
