// The running program driven from outside: through its port by a client, and
// by a STARTUP script through the interpreter. The program runs offscreen in
// a program home and runtime folder of the test's own.
#include "commands/arexx.h"
#include "platform/rexx_port.h"
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The asker of a requester and what it was answered.
std::atomic<bool> asker_told_to_go{false};
int asked_rc = 0;

class ArexxProgram : public ProgramTest {};

TEST_F(ArexxProgram, AClientDrivesTheRunningProgramThroughItsPort) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("GETVERSION INTEGER", &result), 0);
    EXPECT_EQ(result, "36.40");
    EXPECT_EQ(send("SETMACHINE PIPBUG", &result), 0);
    EXPECT_EQ(send("GETMACHINE", &result), 0);
    EXPECT_EQ(result, "PIPBUG");
    EXPECT_EQ(send("PAUSE", &result), 0);
    EXPECT_EQ(send("UNPAUSE", &result), 0);
    EXPECT_EQ(send("PEEK 32768", &result), 10);
    EXPECT_EQ(send("DEBUGGER BASE", &result), 0);
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(send("NEW", &result), 0);
    EXPECT_EQ(result, "E2E");
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(access((home.path() / "E2E").c_str(), F_OK), -1); // the socket is gone
}

TEST_F(ArexxProgram, AStartupScriptRunsCommandsAndQuits) {
    const std::string out = (home.path() / "answers.txt").string();
    std::ofstream(home.path() / "drive.rexx") << "/* drive the program */\n"
                                              << "'SETMACHINE INTERTON'\n"
                                              << "'GETMACHINE'; m = result\n"
                                              << "'SETSPEED 101'; s = rc\n"
                                              << "'NEW'; n = result\n"
                                              << "call lineout '" << out << "', m s n\n"
                                              << "call lineout '" << out << "'\n"
                                              << "'QUIT'\n";
    // A plain name: the script is looked for in the program's home.
    ASSERT_TRUE(start({"STARTUP", "drive.rexx"}));
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(test_read_file(out), "INTERTON 10 BRINDLEMOX.1\n");
}

// JUMPTOMONITOR puts the instruction address at the monitor's entry on every
// machine that has a monitor, the TWIN too (whose menu has no such item); the
// others are refused with the reason and keep their address.
TEST_F(ArexxProgram, JumpToMonitorOnEveryMachine) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const struct {
        const char* machine;
        const char* iar; // nullptr: no monitor
    } cases[] = {{"ARCADIA", nullptr}, {"INTERTON", nullptr}, {"ELEKTOR", "$0023"},
                 {"PIPBUG", "$0000"},  {"BINBUG", "$0000"},   {"INSTRUCTOR", "$1800"},
                 {"TWIN", "$0100"},    {"CD2650", "$0000"},   {"ZACCARIA", nullptr},
                 {"MALZAK", nullptr},  {"PHUNSY", "$0000"},   {"PONG", nullptr},
                 {"SELBST", "$0000"},  {"MIKIT", "$0000"},    {"TYPERIGHT", nullptr}};
    for (const auto& c : cases) {
        std::string result;
        send(std::string("SETMACHINE ") + c.machine, &result); // a missing ROM is only a warning
        ASSERT_EQ(send("GETMACHINE", &result), 0);
        ASSERT_EQ(result, c.machine);
        send("PAUSE", &result);
        const bool processor = send("DEBUGGER J 1234", &result) == 0;
        const int rc = send("JUMPTOMONITOR", &result);
        if (!c.iar) {
            EXPECT_EQ(rc, 10) << c.machine;
            EXPECT_EQ(result, "JUMPTOMONITOR: wrong guest machine\n") << c.machine;
        } else {
            EXPECT_EQ(rc, 0) << c.machine << ": " << result;
        }
        if (!processor) continue;
        send("DEBUGGER DR", &result);
        EXPECT_NE(result.find(std::string("IAR: ") + (c.iar ? c.iar : "$1234")), std::string::npos)
            << c.machine << ": " << result;
    }
}

// What the port answers is true: HELP lists every command it takes and no
// other word, and SAVEAS names the file it wrote by its whole path when the
// name given was not that already.
TEST_F(ArexxProgram, HelpAndSaveAsAnswerWhatIsTrue) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("HELP", &result), 0);
    std::set<std::string> listed;
    for (std::size_t at = 0; at < result.size();) {
        const std::size_t end = result.find_first_of("|\n", at);
        listed.insert(result.substr(at, end - at));
        at = end == std::string::npos ? result.size() : end + 1;
    }
    std::set<std::string> taken;
    for (const ArexxCmd* row = g_arexx_commands; row->name; ++row)
        taken.insert(row->name);
    EXPECT_EQ(listed, taken);
    for (const char* word : {"STATUS", "OPENDISKDRIVE", "CLOSEDISKDRIVE"})
        EXPECT_EQ(listed.count(word), 1u) << word;
    EXPECT_EQ(send("WRITE", &result), 10);
    EXPECT_EQ(result, "Unknown command\n") << "WRITE is no command";

    const fs::path written = (home.path() / "mine.cos").lexically_normal();
    ASSERT_EQ(send("SAVEAS mine", &result), 0) << result;
    EXPECT_EQ(result, written.string()) << "a relative name, given the suffix";
    EXPECT_TRUE(fs::is_regular_file(written));
    ASSERT_EQ(send("SAVEAS PROGDIR:Games/two.cos", &result), 0) << result;
    EXPECT_EQ(result, (home.path() / "Games" / "two.cos").lexically_normal().string());
    ASSERT_EQ(send("SAVEAS " + written.string(), &result), 0) << result;
    EXPECT_EQ(result, "") << "the whole path was given";
    EXPECT_EQ(send("QUIT", &result), 0);
}

// Nobody is asked while a script's command runs: the missing ROM's warning
// and the file requester of SAVEAS answer at once, in the reply and its code.
// (OPEN without a name asks for the file on purpose, as REQUESTFILE does.)
TEST_F(ArexxProgram, AScriptNeverWaitsOnADialog) {
    const std::string out = (home.path() / "answers.txt").string();
    std::ofstream(home.path() / "ask.rexx")
        << "/* no dialog */\n"
        << "'SETMACHINE ELEKTOR'; call lineout '" << out << "', rc result\n"
        << "'SAVEAS'; call lineout '" << out << "', rc result\n"
        << "call lineout '" << out << "'\n"
        << "call lineout '" << out << ".done', 'done'\n";
    ASSERT_TRUE(start({"PORTNAME", "E2E", "STARTUP", "ask.rexx"}));
    // The script ends on its own; QUIT comes from outside once it has written
    // its last line (a script still on its way out is halted by the quit).
    EXPECT_TRUE(wait_until([&] { return access((out + ".done").c_str(), F_OK) == 0; })) << log();
    std::string result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    const std::string answers = test_read_file(out);
    EXPECT_EQ(answers.find("5 These ROM images are missing from the drawer"), 0u) << answers;
    EXPECT_NE(answers.find("elektor"), std::string::npos) << answers;
    EXPECT_NE(answers.find("\n5 Save State\nAnswered \"Cancel\" without "
                           "asking: a script command is running.\n"),
              std::string::npos)
        << answers;
}

// A script caught in a loop that sends no commands does not hold the program:
// QUIT from another client and a kill both end it through the exit path.
TEST_F(ArexxProgram, AScriptLoopingForeverDoesNotHoldTheExit) {
    const fs::path spinning = home.path() / "spinning";
    std::ofstream(home.path() / "spin.rexx")
        << "/* spin */\ncall lineout '" << spinning.string() << "', 'in'\ncall lineout '"
        << spinning.string() << "'\ndo forever; end\n";
    for (const bool by_signal : {false, true}) {
        fs::remove(spinning);
        ASSERT_TRUE(start({"PORTNAME", "E2E", "STARTUP", "spin.rexx"}));
        ASSERT_TRUE(port_up());
        std::string result;
        // It has written its line: it spins in the loop.
        ASSERT_TRUE(wait_until([&] { return fs::exists(spinning); })) << log();
        if (by_signal)
            kill(pid, SIGTERM);
        else
            EXPECT_EQ(send("QUIT", &result), 0);
        // A script that held the exit would keep the program up past the
        // hang deadline: wait_exit then kills it and answers -1.
        EXPECT_EQ(wait_exit(), 0) << log();
        close(fd);
        fd = -1;
    }
}

// The commands that open a window with a loop of its own, or wait iconified,
// answer at once when a client sends them; a requester a client asks for
// answers the others "A requester is open." and closes when its asker leaves.
TEST_F(ArexxProgram, WindowsACommandOpensDoNotHoldThePort) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const char* line :
         {"VIEWHIGHSCORES", "MENU PROJECT.AUDIT", "MENU VIEW.HIGHSCORES", "MENU HELP.REACTION",
          "MENU HELP.ABOUT", "MENU PROJECT.ICONIFY", "GETVERSION", "ACTIVATE", "GETVERSION"}) {
        EXPECT_EQ(send_within(line, &result, &fd), 0) << line << ": " << result;
        if (fd < 0) {
            ASSERT_TRUE(port_up()) << line; // the connection was given up: a new one
        }
    }
    int asker = -1, other = -1;
    std::string asked;
    asker_told_to_go = false;
    std::thread asking([&] {
        asked_rc = rexx_port_send("E2E", "REQUESTRESPONSE PROMPT \"Anyone there?\"", &asked, &asker,
                                  [] { return asker_told_to_go.load(); });
    });
    // Until the requester is up the other client is answered as usual.
    int rc = send_while(0, "GETVERSION", &result, &other);
    EXPECT_EQ(rc, 5);
    EXPECT_EQ(result, "A requester is open.\n");
    asker_told_to_go = true; // the asker gives up waiting and closes its connection
    asking.join();
    EXPECT_EQ(asked_rc, -1);
    rc = send_while(5, "GETVERSION", &result, &other);
    EXPECT_EQ(rc, 0) << result; // the requester closed
    EXPECT_EQ(send_within("QUIT", &result, &fd), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    close(other);
}

// A session that ended on a machine whose ROMs are missing: the next start
// warns without waiting for anyone, and the port answers at once.
TEST_F(ArexxProgram, AStartOnAMachineWithoutItsRomsAnswersAtOnce) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    // The missing ROM, in the reply.
    EXPECT_EQ(send_within("SETMACHINE ELEKTOR", &result, &fd), 5);
    EXPECT_EQ(send_within("QUIT", &result, &fd), 0);
    ASSERT_EQ(wait_exit(), 0);
    close(fd);
    fd = -1;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    // The port is made before the machine: the first answer waits only for the
    // start-up to end, never for a warning to be acknowledged.
    EXPECT_TRUE(port_up()) << log();
    EXPECT_EQ(send_within("GETMACHINE", &result, &fd), 0);
    EXPECT_EQ(result, "ELEKTOR");
    EXPECT_EQ(send_within("QUIT", &result, &fd), 0);
    EXPECT_EQ(wait_exit(), 0);
}

// Sixteen idle connections do not shut the port: the seventeenth is answered,
// and the console says which one made room.
TEST_F(ArexxProgram, ASeventeenthClientIsAnsweredBesideSixteenIdleOnes) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    close(fd);
    fd = -1;
    std::vector<int> idle;
    std::string result;
    for (int i = 0; i < REXX_CLIENTS_MAX; ++i) {
        int c = -1;
        ASSERT_EQ(send_within("GETVERSION", &result, &c), 0) << i;
        idle.push_back(c);
    }
    EXPECT_EQ(send_within("GETVERSION", &result, &fd), 0);
    EXPECT_EQ(result, "36.4");
    EXPECT_EQ(send_within("QUIT", &result, &fd), 0);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(log()
                  .find("ARexx port: 16 connections open; closed the one idle longest"),
              std::string::npos);
    for (int c : idle)
        close(c);
}

} // namespace

// A window command for a window the machine has not is refused as its menu
// item is; a picture saved under a name that says its kind keeps that name.
TEST_F(ArexxProgram, WindowAndPictureCommandsAnswerAsTheMenusDo) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const char* machine : {"ARCADIA", "PONG"}) {
        ASSERT_NE(send(std::string("SETMACHINE ") + machine, &result), -1);
        EXPECT_EQ(send("OPENDISKDRIVE", &result), 10) << machine;
        EXPECT_EQ(result, "OPENDISKDRIVE: wrong guest machine\n");
        EXPECT_EQ(send("OPENTAPEDECK", &result), 10) << machine;
        EXPECT_EQ(result, "OPENTAPEDECK: wrong guest machine\n");
    }
    ASSERT_NE(send("SETMACHINE BINBUG", &result), -1); // its ROMs missing: a warning
    EXPECT_EQ(send("OPENDISKDRIVE", &result), 0) << result;
    EXPECT_EQ(send("OPENTAPEDECK", &result), 0) << result;
    EXPECT_EQ(send("CLOSEDISKDRIVE", &result), 0) << result;
    EXPECT_EQ(send("CLOSETAPEDECK", &result), 0) << result;

    const auto shot = [&](const std::string& command, const std::string& name) {
        return send(command + " \"" + (home.path() / name).string() + "\"", &result);
    };
    EXPECT_EQ(shot("SAVEILBM", "a.iff"), 0) << result;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "a.iff"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "a.iff.ilbm"));
    EXPECT_EQ(shot("SAVEILBM", "b"), 0) << result;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "b.ilbm"));
    EXPECT_EQ(shot("SAVEPNG", "c.png"), 0) << result;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "c.png"));
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// COPYTEXT, VIEWHIGHSCORES and HIDE are menu items too: where the item is
// ghosted (no text screen, no high scores kept, the program's own screen)
// they do nothing and say so, as MENU does, instead of answering success.
TEST_F(ArexxProgram, CommandsOfMenuItemsAnswerAsTheItemsDo) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("SETMACHINE INTERTON", &result), 0) << result;
    EXPECT_EQ(send("MENU EDIT.COPYTEXT", &result), 10);
    EXPECT_EQ(send("COPYTEXT", &result), 10);
    EXPECT_EQ(result, "COPYTEXT: wrong guest machine\n");
    EXPECT_EQ(send("MENU VIEW.HIGHSCORES", &result), 10);
    EXPECT_EQ(send("VIEWHIGHSCORES", &result), 10);
    EXPECT_EQ(result, "VIEWHIGHSCORES: wrong guest machine\n");
    ASSERT_EQ(send("SETMACHINE ARCADIA", &result), 0) << result;
    EXPECT_EQ(send("COPYTEXT", &result), 0) << result;
    EXPECT_EQ(send("VIEWHIGHSCORES", &result), 0) << result;

    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.ICONIFY", &result), 10);
    EXPECT_EQ(send("HIDE", &result), 10);
    EXPECT_EQ(result, "HIDE: command is unavailable now\n");
    EXPECT_EQ(send("ACTIVATE", &result), 20); // nothing was iconified
    ASSERT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}

// PASTE and CMDSHELL are Edit > Paste text and View > Debugger: where the item
// is ghosted (a guest that takes no typed text, a recording playing back, the
// full screen) the command does nothing and says so, as MENU does; where the
// item runs, so does the command.
TEST_F(ArexxProgram, PasteAndCmdshellAnswerAsTheirItems) {
    struct Case {
        std::vector<std::string> before; // "<take>": a recording of this machine plays back
        const char* item;
        const char* command;
        int rc;
        const char* said;
        std::vector<std::string> after;
    };
    const char* const not_now = "PASTE: command is unavailable now\n";
    const Case cases[] = {
        {{"SETMACHINE ARCADIA"}, "EDIT.PASTETEXT", "PASTE", 10, not_now, {}},
        {{"SETMACHINE PONG"}, "EDIT.PASTETEXT", "PASTE", 10, not_now, {}},
        {{"SETMACHINE INSTRUCTOR"}, "EDIT.PASTETEXT", "PASTE", 10, not_now, {}},
        {{"SETMACHINE PHUNSY", "MENU SETTINGS.BIOS.MINIMONITOR"}, "EDIT.PASTETEXT", "PASTE", 10,
         not_now, {}},
        {{"SETMACHINE PIPBUG", "PAUSE", "<take>"}, "EDIT.PASTETEXT", "PASTE", 10, not_now,
         {"MENU MACRO.STOP", "UNPAUSE"}},
        {{"SETMACHINE PHUNSY", "MENU SETTINGS.BIOS.PHUNSY"}, "EDIT.PASTETEXT", "PASTE", 0, "", {}},
        {{"SETMACHINE PIPBUG"}, "EDIT.PASTETEXT", "PASTE", 0, "", {}},
        {{"MENU SETTINGS.GRAPHICS.FULLSCREEN"}, "VIEW.DEBUGGER", "CMDSHELL OPEN", 10,
         "CMDSHELL: command is unavailable now\n", {"MENU SETTINGS.GRAPHICS.FULLSCREEN"}},
        {{}, "VIEW.DEBUGGER", "CMDSHELL CLOSE", 0, "", {}},
    };
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.empty() ? c.command : c.before.front() + " " + c.command);
        for (const std::string& line : c.before) {
            if (line != "<take>") {
                ASSERT_NE(send(line, &result), -1); // a machine's ROMs missing: a warning
                continue;
            }
            const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
            ASSERT_EQ(send("SAVEAS \"" + state.string() + "\"", &result), 0) << result;
            ASSERT_TRUE(write_recording(state, take, 500, std::vector<u8>(6, 0)));
            ASSERT_EQ(send("OPEN \"" + take.string() + "\"", &result), 0) << result;
        }
        if (c.rc != 0) {
            EXPECT_EQ(send(std::string("MENU ") + c.item, &result), c.rc) << result;
        }
        EXPECT_EQ(send(c.command, &result), c.rc) << result;
        EXPECT_EQ(result, c.said);
        for (const std::string& line : c.after)
            ASSERT_EQ(send(line, &result), 0) << result;
    }
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}
