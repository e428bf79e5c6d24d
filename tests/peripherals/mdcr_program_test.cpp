// The PHUNSY's MDCR deck in the running program, driven through its port: a
// tape the guest wrote on is kept, or named as it goes, on every path that
// would drop it, and never written back unasked.
#include "core/machine_table.h"
#include "tests/support/program_test.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

class MdcrProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    std::string path(const char* name) { return (home.path() / name).string(); }
    // The PHUNSY (its ROMs missing) looping at $0900, with t.mdcr on the deck.
    void phunsy_with_tape() {
        std::string result;
        send("SETMACHINE PHUNSY", &result);
        ask("DEBUGGER \"POKE 900 1B\""); // BCTR,UN $0900
        ask("DEBUGGER \"POKE 901 7E\"");
        ask("DEBUGGER \"JUMP 900\"");
        ask("OPEN " + path("t.mdcr"));
    }
    // The guest runs the tape forward with writing on from its start, which
    // clears it, as the monitor does before it writes a new catalogue.
    void guest_writes() {
        ask("DEBUGGER \"WRITEPORT DATA $60\"");
        // A quarter second of the guest's time on the tape, however busy the host.
        EXPECT_TRUE(guest_ran(frame_clocks(PHUNSY, 15))) << log();
        ask("DEBUGGER \"WRITEPORT DATA 0\"");
    }
    std::string tape_file() {
        std::ifstream in(home.path() / "t.mdcr", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

} // namespace

TEST_F(MdcrProgram, AChangedTapeIsKeptOrNamedOnEveryPathThatDropsIt) {
    const std::string ones(1024, '\1');
    test_write_file(home.path() / "t.mdcr", ones);
    test_write_file(home.path() / "u.mdcr", std::string(512, '\2'));
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    phunsy_with_tape();
    ask("SAVEAS " + path("p.cos"));
    ask("MENU PROJECT.QUICKSAVE");
    guest_writes();
    std::string result;
    // Another tape, or a state (which sets the machine up again), would take
    // it off the deck: with nobody to ask it is kept and the load refused.
    for (const char* file : {"u.mdcr", "p.cos"}) {
        EXPECT_EQ(send(std::string("OPEN ") + path(file), &result), 10) << file;
        EXPECT_NE(result.find("The MDCR tape (\"t.mdcr\") was changed since it was inserted or "
                              "updated.\nUPDATEMDCR saves it first; EJECTMDCR drops its changes.\n"),
                  std::string::npos)
            << file << ": " << result;
        EXPECT_NE(result.find("Answered \"Cancel\""), std::string::npos) << result;
        EXPECT_NE(result.find("(the MDCR tape was changed and not saved)"), std::string::npos)
            << result;
    }
    // So does a quick load; a set-up of the machine and a new monitor keep
    // the tape on the deck, changed as it is.
    EXPECT_EQ(send("MENU PROJECT.QUICKLOAD", &result), 10);
    EXPECT_NE(result.find("Answered \"Cancel\""), std::string::npos) << result;
    EXPECT_NE(result.find("(the MDCR tape was changed and not saved)"), std::string::npos)
        << result;
    for (const char* line : {"SETMACHINE PHUNSY", "MENU SETTINGS.BIOS.MINIMONITOR"}) {
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
        EXPECT_EQ(result.find("MDCR"), std::string::npos) << line << ": " << result;
    }
    // QUIT names the one it drops.
    EXPECT_EQ(send("QUIT", &result), 5);
    EXPECT_EQ(result, "Changed tapes not saved: MDCR tape (\"t.mdcr\"); they are dropped.\n");
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(test_read_file(home.path() / "Configs" / "Brindlemox.ini").find("phunsy_biosversion=0"),
              std::string::npos); // the monitor chosen
    // So does a break.
    close(fd);
    fd = -1;
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    phunsy_with_tape();
    guest_writes();
    kill(pid, SIGTERM);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(log().find("Brindlemox: User break!\nChanged tapes not saved: MDCR tape "
                         "(\"t.mdcr\"); they are dropped.\n"),
              std::string::npos)
        << log();
    EXPECT_EQ(tape_file(), ones); // nothing was written back unasked
}

// A display that goes away under the program (the X server ended) names the
// changed tape it drops as a break does, and writes nothing back unasked.
TEST_F(MdcrProgram, ADisplayThatGoesAwayNamesTheChangedTape) {
    if (!XDisplay::available()) GTEST_SKIP() << "no Xvfb here";
    XDisplay x;
    ASSERT_TRUE(x.start());
    platform = "xcb";
    const std::string ones(1024, '\1');
    test_write_file(home.path() / "t.mdcr", ones);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    phunsy_with_tape();
    guest_writes();
    x.stop();
    EXPECT_EQ(wait_exit(), 1);
    EXPECT_NE(log().find("Brindlemox: The display went away!\nChanged tapes not saved: MDCR tape "
                         "(\"t.mdcr\"); they are dropped.\n"),
              std::string::npos)
        << log();
    EXPECT_EQ(tape_file(), ones);
}

// The debugger's SYS sent through the port is the way out of QUIT: its reply
// names the tape it drops and reaches the client before the program ends;
// the console says it too, from a STARTUP script as well.
TEST_F(MdcrProgram, TheDebuggersSysThroughThePortAnswersBeforeTheEnd) {
    const std::string ones(1024, '\1');
    test_write_file(home.path() / "t.mdcr", ones);
    const std::string named = "Changed tapes not saved: MDCR tape (\"t.mdcr\"); they are dropped.\n";
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    phunsy_with_tape();
    guest_writes();
    std::string result;
    EXPECT_EQ(send("DEBUGGER \"SYS\"", &result), 5);
    EXPECT_EQ(result, named);
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_NE(log().find(named + "Quitting.\n"), std::string::npos) << log();
    close(fd);
    fd = -1;
    // The same steps from a STARTUP script, SYS sent QUIET; the program
    // starts on its first machine (the PHUNSY's missing ROMs would wait on
    // the user at the start). The script writes for the same quarter second
    // of the guest's time, read from the debugger's processor view.
    std::filesystem::remove(home.path() / "Configs" / "Brindlemox.ini");
    std::ofstream(home.path() / "sys.rexx")
        << "/* */\noptions results\n'SETMACHINE PHUNSY'\n'DEBUGGER \"POKE 900 1B\"'\n"
        << "'DEBUGGER \"POKE 901 7E\"'\n'DEBUGGER \"JUMP 900\"'\n'OPEN " << path("t.mdcr") << "'\n"
        << "'DEBUGGER \"WRITEPORT DATA $60\"'\n"
        << "'DEBUGGER TU 1'\n"
        << "from = ''\n"
        << "do forever\n"
        << "  'DEBUGGER V CPU'\n"
        << "  parse var RESULT 'Clock:' clock .\n"
        << "  clock = space(translate(clock, ' ', ','), 0)\n"
        << "  if \\datatype(clock, 'W') then iterate\n"
        << "  if from == '' then from = clock\n"
        << "  if clock - from >= " << frame_clocks(PHUNSY, 15) << " then leave\n"
        << "end\n"
        << "'DEBUGGER \"WRITEPORT DATA 0\"'\n"
        << "'DEBUGGER QUIET \"SYS\"'\n";
    ASSERT_TRUE(start({"STARTUP", "sys.rexx"}));
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_NE(log().find(named + "Quitting.\n"), std::string::npos) << log();
    EXPECT_EQ(tape_file(), ones); // nothing was written back unasked
}
