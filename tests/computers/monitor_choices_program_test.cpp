// Every monitor and disk system item of Settings, chosen through the port of
// the running program on its machine while that machine holds a changed
// disk or MDCR tape: a set-up of the machine that runs takes no medium out,
// so each item goes ahead without a question, and the medium stays in,
// changed, to be named when the program ends; the TWIN's disk systems set
// nothing up.
#include "core/machine_table.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MonitorChoices : public ProgramTest {
  protected:
    std::string said(const std::string& line) {
        std::string result;
        EXPECT_LE(send(line, &result), 5) << line << ": " << result;
        return result;
    }
    // The machine's medium, changed by the debugger or the guest: the disk
    // in drive 0 gets $55 at byte $10 (the TWIN's is its system disk), the
    // PHUNSY's MDCR tape is cleared by the guest running it forward with
    // writing on.
    void change_medium(const std::string& machine) {
        if (machine == "PHUNSY") {
            test_write_file(home.path() / "t.mdcr", std::string(1024, '\1'));
            for (const std::string& line :
                 {std::string("DEBUGGER \"POKE 900 1B\""), std::string("DEBUGGER \"POKE 901 7E\""),
                  std::string("DEBUGGER \"JUMP 900\""), "OPEN " + (home.path() / "t.mdcr").string(),
                  std::string("DEBUGGER \"WRITEPORT DATA $60\"")})
                said(line); // BCTR,UN $0900, then the tape forward with writing on
            // A quarter second of the guest's time on the tape, however busy the host.
            EXPECT_TRUE(guest_ran(frame_clocks(PHUNSY, 15))) << log();
            said("DEBUGGER \"WRITEPORT DATA 0\"");
            return;
        }
        if (machine != "TWIN") {
            const fs::path disk = home.path() / "d.raw";
            test_write_file(disk, std::string(machine == "BINBUG" ? 102400 : 80640, '\0'));
            said("OPEN " + disk.string());
        }
        said("DEBUGGER \"FPOKE 10 55\"");
    }
};

} // namespace

TEST_F(MonitorChoices, AChoiceKeepsAChangedMediumWhereItIs) {
    const struct {
        std::string machine;
        std::vector<std::string> items; // after MENU SETTINGS.
        bool sets_up;                   // the items set the machine up again
    } holders[] = {
        {"BINBUG",
         {"BIOS.BINBUG35", "BIOS.BINBUG36", "BIOS.BINBUG61", "BIOS.GBUG", "BIOS.MIKEBUG",
          "BIOS.MYBUG", "DOS.MICRODOS", "DOS.VHSDOS", "DOS.NOBINBUGDOS"},
         true},
        {"CD2650",
         {"BIOS.IPL", "BIOS.POPMON", "BIOS.SUPERVISOR", "DOS.CDDOS", "DOS.P1DOS",
          "DOS.NOCD2650DOS"},
         true},
        {"PHUNSY", {"BIOS.MINIMONITOR", "BIOS.PHUNSY"}, true},
        {"TWIN",
         {"DOS.EXOS", "DOS.SDOS20", "DOS.SDOS40", "DOS.SDOS42", "DOS.TOS", "DOS.UDOS",
          "DOS.NOTWINDOS"},
         false},
    };
    for (const auto& h : holders) {
        SCOPED_TRACE(h.machine);
        // Each machine starts afresh: the autosave would bring the last
        // one's changed disk back.
        fs::remove(home.path() / "Games" / "AUTOSAVE.COS");
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        said("SETMACHINE " + h.machine);
        const bool disk = h.machine != "PHUNSY";
        if (disk) said("DEBUGGER \"DRIVE 0\"");
        ASSERT_NO_FATAL_FAILURE(change_medium(h.machine));
        said("DEBUGGER \"POKE 1000 42\"");
        std::string result;
        for (const std::string& item : h.items) {
            EXPECT_LE(send("MENU SETTINGS." + item, &result), 5) << item << ": " << result;
            EXPECT_EQ(result.find("Answered"), std::string::npos) << item << ": " << result;
            if (!h.sets_up) {
                EXPECT_EQ(said("PEEK 4096"), "66") << item << ": the machine was set up again";
            }
            if (disk) {
                said("DEBUGGER \"DRIVE 0\"");
                EXPECT_EQ(said("DEBUGGER \"FPEEK 10\"").substr(0, 10), "$00010: 55") << item;
            }
        }
        EXPECT_EQ(send("QUIT", &result), 5);
        EXPECT_NE(result.find(" not saved: "), std::string::npos) << result;
        EXPECT_EQ(wait_exit(), 0);
        close(fd);
        fd = -1;
    }
}

// The CD2650's character set follows the monitor and disk system chosen:
// each item leaves the set it leaves from a fresh start, whichever item the
// user chose before it (one that takes the 32-column set, one that takes
// another).
TEST_F(MonitorChoices, TheCd2650sCharacterSetFollowsTheItemWhateverCameBefore) {
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    // The settings line the items leave, picked in order from a fresh start.
    const auto vdu_after = [&](const std::vector<std::string>& items) {
        fs::remove(ini);
        EXPECT_TRUE(start({"PORTNAME", "E2E"}));
        EXPECT_TRUE(port_up());
        said("SETMACHINE CD2650");
        for (const std::string& item : items)
            said("MENU SETTINGS." + item);
        said("QUIT");
        EXPECT_EQ(wait_exit(), 0);
        close(fd);
        fd = -1;
        const std::string settings = test_read_file(ini);
        const std::size_t at = settings.find("\ncd2650_vdu=");
        return at == std::string::npos ? std::string() : settings.substr(at + 1, 13);
    };
    const std::vector<std::string> items = {"BIOS.IPL",  "BIOS.POPMON", "BIOS.SUPERVISOR",
                                            "DOS.CDDOS", "DOS.P1DOS",   "DOS.NOCD2650DOS"};
    for (const std::string& item : items) {
        const std::string alone = vdu_after({item});
        ASSERT_FALSE(alone.empty());
        for (const std::string before : {"DOS.CDDOS", "BIOS.SUPERVISOR"})
            if (before != item) {
                EXPECT_EQ(vdu_after({before, item}), alone) << before << ", then " << item;
            }
    }
}
