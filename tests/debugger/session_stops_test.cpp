// The debugger's stops in the running program: started as the user starts it,
// driven through its port, on a small Interton program with a main loop, a
// subroutine that writes memory and an interrupt routine.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

// $0000 BCTA,un $0010      jump over the interrupt vector
// $0003 NOP; RETE,un       the interrupt routine
// $0010 CPSU $20           interrupts on
// $0012 BSTA,un $0020      main loop (MAINLOOP)
// $0015 BCTR,un $0012
// $0020 LODI,r0 $55; STRA,r0 $1800; RETC,un
void write_program(const std::filesystem::path& path) {
    unsigned char image[64] = {};
    const struct {
        int at;
        std::vector<unsigned char> bytes;
    } code[] = {{0x00, {0x1F, 0x00, 0x10}}, {0x03, {0xC0, 0x37}},
                {0x10, {0x74, 0x20}},       {0x12, {0x3F, 0x00, 0x20, 0x1B, 0x7B}},
                {0x20, {0x04, 0x55, 0xCC, 0x18, 0x00, 0x17}}};
    for (const auto& c : code)
        std::copy(c.bytes.begin(), c.bytes.end(), image + c.at);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image), sizeof image);
}

class SessionStops : public ProgramTest {
  protected:
    // Sends a line that must be answered with 0.
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // The processor's address and cycle count from the debugger's register view.
    struct Where {
        long iar = -1, cycles = -1;
    };
    Where where() {
        const std::string view = ask("DEBUGGER DR");
        Where w;
        const size_t iar = view.find("IAR: $"), cycle = view.find("CPU Cycle:");
        if (iar != std::string::npos) w.iar = std::strtol(view.c_str() + iar + 6, nullptr, 16);
        if (cycle != std::string::npos) {
            std::string digits;
            for (size_t i = cycle + 10; i < view.size() && view[i] != 'R'; ++i)
                if (std::isdigit(static_cast<unsigned char>(view[i]))) digits += view[i];
            w.cycles = std::strtol(digits.c_str(), nullptr, 10);
        }
        return w;
    }
    // The address the processor stands still at: the same cycle count a
    // while apart, or -1 while it runs.
    long stopped_at() {
        const Where before = where();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const Where after = where();
        return after.cycles == before.cycles ? after.iar : -1;
    }
};

TEST_F(SessionStops, EveryStopHoldsTheProgram) {
    write_program(home.path() / "loop.bin");
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE INTERTON");
    ask("PAUSE");
    ask("OPEN " + (home.path() / "loop.bin").string());
    ask("DEBUGGER DEFSYM MAINLOOP 12");
    ask("DEBUGGER BP MAINLOOP");
    ask("UNPAUSE");

    // A code breakpoint: one message with the label, a stop before the
    // instruction; the port answers meanwhile; UNPAUSE goes on past it.
    const std::string hit = "Hit code breakpoint at MAINLOOP ($12)!";
    ASSERT_TRUE(printed(hit)) << log();
    EXPECT_EQ(stopped_at(), 0x12);
    std::string result;
    EXPECT_EQ(send("STATUS stopped", &result), 0);
    EXPECT_EQ(send("PEEK 16", &result), 0);
    EXPECT_EQ(result, "116"); // the CPSU at $0010
    EXPECT_EQ(count_of(log(), hit), 1) << log();
    const long first_stop = where().cycles;
    ask("UNPAUSE");
    ASSERT_TRUE(printed(hit, 2)) << log();
    EXPECT_EQ(stopped_at(), 0x12);
    EXPECT_GT(where().cycles, first_stop);

    // A watchpoint stops after the write.
    ask("DEBUGGER BC");
    ask("DEBUGGER WP 1800");
    ask("UNPAUSE");
    ASSERT_TRUE(printed("Instruction at $22 (raster ")) << log();
    EXPECT_TRUE(printed("is writing $55 to $1800!")) << log();
    EXPECT_EQ(stopped_at(), 0x25);
    ask("DEBUGGER WC");

    // Single steps, then a step over the call at MAINLOOP.
    ask("DEBUGGER S");
    ASSERT_TRUE(printed("Next instruction is BCTR,un at $15.")) << log();
    EXPECT_EQ(stopped_at(), 0x15);
    ask("DEBUGGER S");
    ASSERT_TRUE(printed("Next instruction is BSTA,un at MAINLOOP ($12).")) << log();
    EXPECT_EQ(stopped_at(), 0x12);
    ask("DEBUGGER O");
    ASSERT_TRUE(printed("Reached end of subroutine or interrupt and returned to $15.")) << log();
    EXPECT_EQ(stopped_at(), 0x15);

    // Into the subroutine, then run to its end.
    ask("DEBUGGER BP 20");
    ask("UNPAUSE");
    ASSERT_TRUE(printed("Hit code breakpoint at $20!")) << log();
    ask("DEBUGGER BC");
    ask("DEBUGGER R S");
    ASSERT_TRUE(printed("Hit code breakpoint at $15!")) << log();
    EXPECT_EQ(stopped_at(), 0x15);
    ask("DEBUGGER BC");

    // Run to the next interrupt: the stop is in the interrupt routine.
    ask("DEBUGGER R I");
    ASSERT_TRUE(printed("Handling interrupt at rastline")) << log();
    const long in_routine = stopped_at();
    EXPECT_TRUE(in_routine == 3 || in_routine == 4) << in_routine;

    // Pause after logging: each logged return and call stops the program.
    ask("DEBUGGER L S");
    ask("DEBUGGER PL");
    ask("UNPAUSE");
    ASSERT_TRUE(printed("Returning to MAINLOOP ($12) from subroutine or interrupt at $4.")) << log();
    EXPECT_EQ(stopped_at(), 0x12);
    ask("UNPAUSE");
    ASSERT_TRUE(printed("Calling subroutine $20 from $12...")) << log();
    EXPECT_EQ(stopped_at(), 0x20);

    // QUIT ends the program from the stop, naming the autosave it cannot
    // take in the middle of a frame.
    EXPECT_EQ(send("QUIT", &result), 5);
    EXPECT_NE(result.find("Autosave not written"), std::string::npos) << result;
    EXPECT_EQ(wait_exit(), 0) << log();
}

} // namespace
