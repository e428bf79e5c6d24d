// The processor asks its board through cpu_bus: each hook with a fake board,
// the address traps, the redirection after a port write, and the processor
// context saved and restored as a whole.
#include "exec_fixture.h"

#include "core/gamesdb.h"

#include <vector>

namespace {

// What the fake board saw.
struct Access {
    u32 address;
    u8 value;
    bool operator==(const Access&) const = default;
};
std::vector<Access> writes, port_writes;
std::vector<u32> reads, port_reads, sounds;
std::vector<std::pair<u8, u8>> flags; // PSU before and after
int halts, trap_runs;
CpuVector next_vector;
bool vector_eligible;

class Bus : public ExecTest {
  protected:
    void SetUp() override {
        ExecTest::SetUp();
        writes.clear();
        port_writes.clear();
        reads.clear();
        port_reads.clear();
        sounds.clear();
        flags.clear();
        halts = trap_runs = 0;
        vector_eligible = true;
        next_vector = {0x0000, false};
        cpu_bus_reset();
        cpu_traps_clear();
        // A fake board that notes what it is asked.
        cpu_bus.read_routed = [](u32 a) {
            reads.push_back(a);
            return static_cast<u8>(a ^ 0x5A);
        };
        cpu_bus.write_routed = [](u32 a, u8 v) { writes.push_back({a, v}); };
        cpu_bus.unreadable = [](u32 a) { return static_cast<u8>(0x80 | (a & 0x0F)); };
        cpu_bus.port_read = [](u32 port) {
            port_reads.push_back(port);
            return static_cast<u8>(port + 1);
        };
        cpu_bus.port_write = [](u32 port, u8 v) { port_writes.push_back({port, v}); };
        cpu_bus.interrupt_vector = [](CpuVector* v) {
            *v = next_vector;
            return vector_eligible;
        };
        cpu_bus.flag_written = [](u8 old_psu) { flags.push_back({old_psu, cpu_psu}); };
        cpu_bus.halt = [] { ++halts; };
        cpu_bus.sound_written = [](u32 a) { sounds.push_back(a); };
    }
    void TearDown() override {
        cpu_traps_clear();
        ExecTest::TearDown();
    }
};

} // namespace

TEST_F(Bus, RoutedBytesGoToTheBoardAndPlainBytesStayInMemory) {
    mem_attributes[0x1800] |= MEM_ROUTED;
    guest_memory[0x1800] = 0x11;
    guest_memory[0x1801] = 0x22;
    at(0x0100, {0x0C, 0x18, 0x00,   // LODA r0,$1800 (routed)
                0x0D, 0x18, 0x01,   // LODA r1,$1801 (plain)
                0xCE, 0x18, 0x00}); // STRA r2,$1800 (routed)
    cpu_regs[2] = 0x77;
    steps(3);
    EXPECT_EQ(cpu_regs[0], (0x1800 ^ 0x5A) & 0xFF);
    EXPECT_EQ(cpu_regs[1], 0x22);
    EXPECT_EQ(reads, std::vector<u32>{0x1800});
    EXPECT_EQ(writes, (std::vector<Access>{{0x1800, 0x77}}));
    EXPECT_EQ(guest_memory[0x1800], 0x11); // the board keeps the byte
}

TEST_F(Bus, UnreadableBytesReadAsTheBoardSaysAndSoundWritesAreAnnounced) {
    struct Case {
        u32 attributes;
        u16 address;
        u8 expect;
    } cases[] = {
        {MEM_UNREADABLE, 0x1E83, 0x83},
        {MEM_UNREADABLE | MEM_UNWRITABLE, 0x1F0C, 0x8C},
        {0, 0x1F0D, 0x42}, // plain RAM
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        mem_attributes[c.address] = c.attributes;
        guest_memory[c.address] = 0x42;
        at(0x0200, {0x0C, static_cast<u8>(c.address >> 8), static_cast<u8>(c.address)});
        step();
        EXPECT_EQ(cpu_regs[0], c.expect);
    }
    mem_attributes[0x1E90] = MEM_SOUND;
    at(0x0300, {0xCC, 0x1E, 0x90, 0xCC, 0x1E, 0x91}); // STRA r0 to a sound and a plain byte
    steps(2);
    EXPECT_EQ(sounds, std::vector<u32>{0x1E90});
    EXPECT_EQ(guest_memory[0x1E90], cpu_regs[0]);
}

TEST_F(Bus, PortsAreAskedByNumber) {
    at(0x0100, {0x54, 0x42, // REDE r0,$42
                0x31,       // REDC r1
                0x72,       // REDD r2
                0xD4, 0x99, // WRTE r0,$99
                0xB1,       // WRTC r1
                0xF2});     // WRTD r2
    steps(6);
    EXPECT_EQ(port_reads, (std::vector<u32>{0x42, 256, 257}));
    EXPECT_EQ(cpu_regs[0], 0x43);
    EXPECT_EQ(cpu_regs[1], 0x01); // port 256 + 1, in a byte
    EXPECT_EQ(cpu_regs[2], 0x02);
    EXPECT_EQ(port_writes, (std::vector<Access>{{0x99, 0x43}, {256, 0x01}, {257, 0x02}}));
}

// A port write can hand control elsewhere once the instruction is complete.
TEST_F(Bus, PortWriteRedirectsAfterTheInstruction) {
    cpu_bus.port_write = [](u32 port, u8) {
        if (port == 256) cpu_redirect_after(0x1800);
    };
    at(0x0200, {0xB0, 0xF0}); // WRTC r0, then WRTD r0 (not redirected)
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_iar, 0x1800);
    EXPECT_EQ(cpu_prev_iar, 0x0200);
    at(0x0300, {0xF0});
    step();
    EXPECT_EQ(cpu_iar, 0x0301);
}

TEST_F(Bus, TheVectorComesFromTheBoardWithOrWithoutIndirection) {
    struct Case {
        CpuVector vector;
        bool plain_jump;
        u16 target;
        u32 clocks;
        bool pointer_read;
    } cases[] = {
        {{0x0003, false}, false, 0x0003, 9, false},
        {{0x0012, false}, true, 0x0012, 9, false},
        {{0x0010, true}, false, 0x0134, 15, true}, // $E1 masked to $01, then $34
        {{0x0010, true}, true, 0x0134, 15, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vector.address);
        cpu_reset();
        mem_clear_access();
        guest_memory[0x0010] = 0xE1;
        guest_memory[0x0011] = 0x34;
        next_vector = c.vector;
        cpu_bus.interrupt_plain_jump = c.plain_jump;
        cpu_iar = 0x0456;
        cpu_irq_pending = 1;
        const u32 before = cpu_cycles;
        cpu_interrupt();
        EXPECT_EQ(cpu_iar, c.target);
        EXPECT_EQ(cpu_cycles - before, c.clocks);
        EXPECT_EQ(cpu_ras[0], 0x0456);
        EXPECT_EQ(cpu_psu & (PSU_II | PSU_SP), PSU_II | 1);
        EXPECT_EQ(cpu_irq_pending, 0u);
        EXPECT_EQ((mem_access[0x0010] & ACC_INDIRECT) != 0, c.pointer_read);
    }
}

TEST_F(Bus, NoEligibleSourceAcceptsNothing) {
    vector_eligible = false;
    cpu_iar = 0x0456;
    cpu_irq_pending = 1;
    cpu_interrupt();
    EXPECT_EQ(cpu_iar, 0x0456);
    EXPECT_EQ(cpu_psu, 0);
    EXPECT_EQ(cpu_irq_pending, 1u);
}

TEST_F(Bus, FlagChangesAreSeenAfterCpsuAndLpsuOnly) {
    struct Case {
        std::vector<u8> code;
        u8 psu_before, r0;
        bool seen;
        u8 psu_after;
    } cases[] = {
        {{0x74, 0x40}, 0x40, 0, true, 0x00},  // CPSU: FLAG falls
        {{0x74, 0x10}, 0x40, 0, true, 0x40},  // CPSU of another bit: FLAG stays
        {{0x92}, 0x00, 0x40, true, 0x40},     // LPSU: FLAG rises
        {{0x76, 0x40}, 0x00, 0, false, 0x40}, // PPSU is not wired
        {{0x12}, 0x40, 0, false, 0x40},       // SPSU reads only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code[0]));
        flags.clear();
        cpu_psu = c.psu_before;
        cpu_regs[0] = c.r0;
        cpu_iar = 0x0100;
        for (size_t i = 0; i < c.code.size(); ++i)
            guest_memory[0x0100 + i] = c.code[i];
        step();
        if (c.seen)
            EXPECT_EQ(flags, (std::vector<std::pair<u8, u8>>{{c.psu_before, c.psu_after}}));
        else
            EXPECT_TRUE(flags.empty());
    }
}

TEST_F(Bus, HaltIsAnnouncedEachTimeItIsCharged) {
    at(0x0100, {0x40});
    cpu_bus.halt = [] {
        ++halts;
        EXPECT_EQ(cpu_op_cycles, 2u); // already charged
    };
    steps(3);
    EXPECT_EQ(halts, 3);
    EXPECT_EQ(cpu_iar, 0x0100);
}

namespace {
bool count_trap() {
    ++trap_runs;
    return false;
}
// Executes "LODI r0,$99" in place of whatever the instruction is.
bool replace_trap() {
    ++trap_runs;
    cpu_regs[0] = 0x99;
    cpu_prev_iar = cpu_iar;
    cpu_iar = page_add(cpu_iar, 2);
    cpu_op_cycles = 2;
    cpu_cycles += 6;
    return true;
}
} // namespace

TEST_F(Bus, TrapFiresOnceAtItsAddressAndOpcode) {
    ASSERT_TRUE(cpu_trap_add(0x0102, 0x05, count_trap)); // LODI r1
    at(0x0100, {0x04, 0x01,                              // $0100 LODI r0,1
                0x05, 0x02,                              // $0102 LODI r1,2  <- trapped
                0x05, 0x03}); // $0104 LODI r1,3  (same opcode, other address)
    steps(3);
    EXPECT_EQ(trap_runs, 1);
    EXPECT_EQ(cpu_regs[1], 0x03);

    guest_memory[0x0102] = 0x06; // another opcode at the address: no trap
    cpu_iar = 0x0102;
    step();
    EXPECT_EQ(trap_runs, 1);
    EXPECT_EQ(cpu_regs[2], 0x02);
}

TEST_F(Bus, TrapThatExecutesTheInstructionReplacesIt) {
    ASSERT_TRUE(cpu_trap_add(0x0200, 0x0C, replace_trap));
    at(0x0200, {0x0C, 0x03, 0x00}); // LODA r0,$0300 would take 12 clock periods
    guest_memory[0x0300] = 0x11;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_regs[0], 0x99);
    EXPECT_EQ(cpu_iar, 0x0202);
}

// A machine's loop step says when a trap has executed the instruction, and
// runs it itself otherwise, a trap that only looks included.
TEST_F(Bus, StepTellsWhetherATrapExecutedTheInstruction) {
    ASSERT_TRUE(cpu_trap_add(0x0200, 0x04, replace_trap));
    ASSERT_TRUE(cpu_trap_add(0x0202, 0x05, count_trap));
    at(0x0200, {0x04, 0x11, 0x05, 0x22}); // LODI r0,$11 ; LODI r1,$22
    EXPECT_TRUE(cpu_step());
    EXPECT_EQ(cpu_regs[0], 0x99);
    EXPECT_EQ(cpu_iar, 0x0202);
    EXPECT_FALSE(cpu_step());
    EXPECT_EQ(trap_runs, 2);
    EXPECT_EQ(cpu_regs[1], 0x22);
    EXPECT_EQ(cpu_iar, 0x0204);
    // An IAR beyond 15 bits runs from its 15 bits, past the trap there too.
    cpu_iar = 0x8202;
    EXPECT_FALSE(cpu_step());
    EXPECT_EQ(trap_runs, 3);
    EXPECT_EQ(cpu_iar, 0x0204);
}

TEST_F(Bus, TrapRangesMarksAndTheTableLimit) {
    ASSERT_TRUE(cpu_trap_add_range(0x0300, 0x0302, 0xC0, count_trap)); // NOP anywhere in it
    at(0x0300, {0xC0, 0xC0, 0xC0, 0xC0});
    steps(4);
    EXPECT_EQ(trap_runs, 3);

    mem_reset_tables(); // a new memory map keeps the installed traps
    EXPECT_TRUE(mem_attributes[0x0301] & MEM_TRAP);
    mem_attributes[0x0301] |= MEM_BREAKPOINT;
    cpu_iar = 0x0301;
    pausebreak = 0;
    {
        OutputCapture out; // the breakpoint reports, then the trap runs
        step();
        EXPECT_NE(out.text().find("Hit code breakpoint at $301!"), std::string::npos);
    }
    EXPECT_EQ(trap_runs, 4);

    cpu_traps_clear();
    EXPECT_FALSE(mem_attributes[0x0300] & MEM_TRAP);
    EXPECT_TRUE(mem_attributes[0x0301] & MEM_BREAKPOINT);
    for (int i = 0; i < CPU_TRAPS; ++i)
        EXPECT_TRUE(cpu_trap_add(static_cast<u16>(0x1000 + i), 0xC0, count_trap));
    EXPECT_FALSE(cpu_trap_add(0x2000, 0xC0, count_trap));
    EXPECT_FALSE(mem_attributes[0x2000] & MEM_TRAP);
}

// A game's trap comes with its games-database row and leaves with it.
TEST_F(Bus, GameTrapsFollowTheLoadedGame) {
    known_game_id = 555; // prints r0 through its ZBSR at $1771
    machine_bus_install();
    at(0x1771, {0xBB, 0x40}); // ZBSR $0040
    cpu_regs[0] = 'Q';
    {
        OutputCapture out;
        step();
        EXPECT_EQ(out.text(), "Q");
    }
    known_game_id = -1;
    machine_bus_install();
    EXPECT_FALSE(mem_attributes[0x1771] & MEM_TRAP);
}

TEST(CpuStateTest, SaveAndLoadCoverEveryProcessorGlobal) {
    fresh_state();
    auto scramble = [](u8 seed) {
        cpu_iar = static_cast<u16>(0x1234 + seed);
        cpu_prev_iar = static_cast<u16>(0x0101 + seed);
        for (int i = 0; i < 7; ++i)
            cpu_regs[i] = static_cast<u8>(seed + i);
        cpu_psu = static_cast<u8>(0x20 | (seed & 7));
        cpu_psl = static_cast<u8>(0xC3 ^ seed);
        for (int i = 0; i < 8; ++i)
            cpu_ras[i] = static_cast<u16>(0x0800 + 2 * i + seed);
        cpu_irq_pending = seed & 1;
        cpu_irq_level = seed & 7;
        cpu_halt_reported = seed & 1;
        cpu_saved_context = {
            static_cast<u8>(seed), static_cast<u8>(seed + 1), {1, 2, 3, 4, 5, 6, seed}};
        cpu_cycles = 0xFFFFFF00u + seed;
        cpu_cycle_budget = -seed;
        cpu_op_cycles = seed % 7;
        cpu_slice_start = 1000u * seed;
    };
    auto snapshot = [] {
        CpuState s{};
        cpu_state_save(s);
        return s;
    };
    auto same = [](const CpuState& a, const CpuState& b) {
        return a.iar == b.iar && a.prev_iar == b.prev_iar &&
               std::memcmp(a.regs, b.regs, sizeof a.regs) == 0 && a.psu == b.psu &&
               a.psl == b.psl && std::memcmp(a.ras, b.ras, sizeof a.ras) == 0 &&
               a.irq_pending == b.irq_pending && a.irq_level == b.irq_level &&
               a.halt_reported == b.halt_reported &&
               std::memcmp(&a.saved_context, &b.saved_context, sizeof a.saved_context) == 0 &&
               a.cycles == b.cycles && a.cycle_budget == b.cycle_budget &&
               a.op_cycles == b.op_cycles && a.slice_start == b.slice_start;
    };
    scramble(3);
    const CpuState first = snapshot();
    scramble(6);
    const CpuState second = snapshot();
    EXPECT_FALSE(same(first, second)); // every field moved
    cpu_state_load(first);
    EXPECT_TRUE(same(snapshot(), first));
    EXPECT_EQ(cpu_regs[6], 9);
    EXPECT_EQ(cpu_saved_context.regs[6], 3);
    cpu_state_load(second);
    EXPECT_TRUE(same(snapshot(), second));
    fresh_state();
}

// Two processors sharing the core by swapping their states run as if each ran alone.
TEST_F(Bus, SwappedStatesRunIndependently) {
    load(0x0100, {0x84, 0x01, 0x1B, 0x7C}); // loop: ADDI r0,1; BCTR,un loop
    load(0x0200, {0xA4, 0x03, 0x1B, 0x7C}); // loop: SUBI r0,3; BCTR,un loop
    cpu_iar = 0x0100;
    CpuState a{}, b{};
    cpu_state_save(a);
    cpu_iar = 0x0200;
    cpu_state_save(b);
    for (int round = 0; round < 5; ++round) {
        cpu_state_load(a);
        steps(2);
        cpu_state_save(a);
        cpu_state_load(b);
        steps(2);
        cpu_state_save(b);
    }
    EXPECT_EQ(a.regs[0], 5);
    EXPECT_EQ(b.regs[0], static_cast<u8>(-15));
    EXPECT_EQ(a.cycles, 5u * (6 + 9));
    EXPECT_EQ(b.cycles, 5u * (6 + 9));
}
