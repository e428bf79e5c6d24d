// Checked data access: mirrors, special bytes, board routing, coverage, watches
// and the texts of the access reports.
#include "tests/support/file_buffer.h"
#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "machines/coinop.h"
#include "machines/pvi_consoles.h"
#include "cpu/debug_state.h"
#include "debugger/debugger.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class MemoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        use(ARCADIA, 6);
    }
    void TearDown() override { fresh_state(); }

    // Fresh tables and switches for a machine and memory map.
    void use(u32 m, u32 map) {
        fresh_cpu(m, map);
        cpu_iar = 0x0100;
        cpu_prev_iar = 0x00FE;
        raster_line = 0;
        pvi_base = 0x1F00;
        dis_notation = 0;
    }

    // The output of one read, and its value in *value.
    std::string read_out(u32 a, u8* value) {
        capture_output();
        *value = cpu_read_checked(a);
        return captured_output();
    }
    std::string write_out(u32 a, u8 v) {
        capture_output();
        cpu_write_checked(a, v);
        return captured_output();
    }

    void watch(u32 a, u8 condition = COND_ALWAYS, u16 value = 0) {
        mem_attributes[a] |= MEM_WATCH;
        watch_conditions[a] = WatchCondition{a, condition, value};
    }
};

TEST_F(MemoryTest, PlainRamReadsAndWritesAndRecordsHistory) {
    cpu_write_checked(0x1234, 0x5A);
    EXPECT_EQ(guest_memory[0x1234], 0x5A);
    EXPECT_EQ(mem_access[0x1234], ACC_WRITTEN);
    EXPECT_EQ(cpu_read_checked(0x1234), 0x5A);
    EXPECT_EQ(mem_access[0x1234], ACC_WRITTEN | ACC_READ);
    // Addresses beyond 15 bits stay inside guest memory.
    EXPECT_EQ(cpu_read_checked(0x9234), 0x5A);
    mem_attributes[0x19FD] = MEM_SOUND | MEM_HW_REGISTER; // sound registers store too
    cpu_write_checked(0x19FD, 0x42);
    EXPECT_EQ(guest_memory[0x19FD], 0x42);
}

TEST_F(MemoryTest, MirrorsResolveToTheCanonicalAddress) {
    guest_memory[0x1800] = 0x42;
    mem_read_mirror[0x1A00] = 0x1800;
    mem_write_mirror[0x1A00] = 0x1800;
    u8 v;
    EXPECT_EQ(read_out(0x1A00, &v), "");
    EXPECT_EQ(v, 0x42);
    EXPECT_TRUE(mem_access[0x1A00] & ACC_READ);
    EXPECT_TRUE(mem_access[0x1800] & ACC_READ);
    EXPECT_EQ(write_out(0x1A00, 0x99), "");
    EXPECT_EQ(guest_memory[0x1800], 0x99);
    EXPECT_EQ(guest_memory[0x1A00], 0x00);
    EXPECT_TRUE(mem_access[0x1A00] & ACC_WRITTEN);
    EXPECT_TRUE(mem_access[0x1800] & ACC_WRITTEN);
    EXPECT_EQ(pause_pending, 0);

    logreadwrites = 1;
    raster_line = 17;
    EXPECT_EQ(read_out(0x1A00, &v), "Instruction at $100 (raster 17) read from mirrored address "
                                    "$1A00 (resolves to $1800)!\n\n");
    EXPECT_EQ(v, 0x99);
    EXPECT_EQ(pause_pending, 0); // "pauselog" is off
    raster_line = 0;
    EXPECT_EQ(write_out(0x1A00, 0x07), "Instruction at $100 (raster 0) is writing $07 to mirrored "
                                       "address $1A00 (resolves to $1800)!\n\n");
    EXPECT_EQ(guest_memory[0x1800], 0x07);
    pauselog = 1;
    read_out(0x1A00, &v);
    EXPECT_EQ(pause_pending, 1);

    // Read and write mirrors are independent.
    mem_read_mirror[0x0500] = 0x0100;
    mem_write_mirror[0x0500] = 0x0200;
    guest_memory[0x0100] = 0x11;
    cpu_write_checked(0x0500, 0x22);
    EXPECT_EQ(guest_memory[0x0200], 0x22);
    EXPECT_EQ(cpu_read_checked(0x0500), 0x11);
}

TEST_F(MemoryTest, ReadOnceRegisterResetsToMachineValueAndReportsIt) {
    mem_attributes[0x19FC] = MEM_HW_REGISTER | MEM_READ_ONCE;
    guest_memory[0x19FC] = 0x37;
    EXPECT_EQ(cpu_read_checked(0x19FC), 0x37);
    EXPECT_EQ(guest_memory[0x19FC], 0xFF); // Arcadia
    EXPECT_EQ(cpu_read_checked(0x19FC), 0xFF);

    use(INTERTON, 0);
    mem_attributes[0x1FCA] = MEM_HW_REGISTER | MEM_READ_ONCE;
    guest_memory[0x1FCA] = 0x81;
    EXPECT_EQ(cpu_read_checked(0x1FCA), 0x81);
    EXPECT_EQ(guest_memory[0x1FCA], 0x00); // PVI machines

    // A watch reports the reset.
    use(ARCADIA, 6);
    watchreads = 0;
    mem_attributes[0x19FC] = MEM_HW_REGISTER | MEM_READ_ONCE;
    watch(0x19FC);
    guest_memory[0x19FC] = 0x12;
    u8 v;
    EXPECT_EQ(read_out(0x19FC, &v), "Read-once register BGCOLLIDE ($19FC) has been reset to $FF!\n\n");
    EXPECT_EQ(v, 0x12);
    EXPECT_EQ(pause_pending, 1);
    watchwrites = 1; // the value read equals the reset value: no change to report
    EXPECT_EQ(read_out(0x19FC, &v), "");
    watchwrites = 2;
    EXPECT_NE(read_out(0x19FC, &v), "");
}

TEST_F(MemoryTest, UnreadableValuesPerMachine) {
    struct Case {
        u32 machine, address;
        u8 value;
    };
    const Case cases[] = {
        {ARCADIA, 0x1900, 0xFF},  {INTERTON, 0x1E80, 0x0C}, {INTERTON, 0x1F35, 0xFF},
        {INTERTON, 0x1F6E, 0xFF}, {INTERTON, 0x1FBF, 0xFF}, {INTERTON, 0x1F40, 0x00},
        {ELEKTOR, 0x1000, 0xFF},  {ELEKTOR, 0x15FF, 0xFF},  {ELEKTOR, 0x1D80, 0x80},
        {ELEKTOR, 0x1DBE, 0x80},  {ELEKTOR, 0x1DBF, 0x00},  {ELEKTOR, 0x1DC0, 0xC0},
        {ELEKTOR, 0x1E80, 0x0C},  {ELEKTOR, 0x1E8F, 0x0F},  {ELEKTOR, 0x1E98, 0x00},
        {ELEKTOR, 0x1EFF, 0x0F},  {PIPBUG, 0x1E80, 0x00},   {MALZAK, 0x1000, 0x00},
    };
    for (const Case& c : cases) {
        use(c.machine, 0);
        mem_attributes[c.address] = MEM_UNREADABLE | MEM_UNWRITABLE;
        guest_memory[c.address] = 0x5A;
        EXPECT_EQ(cpu_read_checked(c.address), c.value)
            << "machine " << c.machine << " address " << std::hex << c.address;
    }
    use(ARCADIA, 6);
    mem_attributes[0x1900] = MEM_UNREADABLE;
    logreadwrites = 1;
    u8 v;
    EXPECT_EQ(read_out(0x1900, &v),
              "Instruction at $100 (raster 0) is reading $FF from unreadable address P1LEFTKEYS "
              "($1900)!\n\n");
}

TEST_F(MemoryTest, UnwritableByteKeepsValueAndReportsOnce) {
    mem_attributes[0x0010] = MEM_UNWRITABLE;
    guest_memory[0x0010] = 0xAB;
    EXPECT_EQ(write_out(0x0010, 0x01), "");
    EXPECT_EQ(guest_memory[0x0010], 0xAB);
    EXPECT_TRUE(mem_access[0x0010] & ACC_WRITTEN);

    logreadwrites = 1;
    pauselog = 1;
    watch(0x0010); // a watch on ROM never reports the write
    EXPECT_EQ(write_out(0x0010, 0x02), "Instruction at $100 (raster 0) is attempting to write $02 "
                                       "to unwritable address $10!\n\n");
    EXPECT_EQ(guest_memory[0x0010], 0xAB);
    EXPECT_EQ(pause_pending, 1);
}

TEST_F(MemoryTest, UninitialisedByteReport) {
    logillegal = 1;
    u8 v;
    EXPECT_EQ(read_out(0x1810, &v),
              "Uninitialized byte at $1810 has been read by code at $100!\n\n");
    cpu_write_checked(0x1810, 3);
    EXPECT_EQ(read_out(0x1810, &v), "");
    mem_attributes[0x0020] = MEM_UNWRITABLE; // ROM is never uninitialised
    EXPECT_EQ(read_out(0x0020, &v), "");
    // Written through a mirror counts for the canonical address.
    mem_read_mirror[0x1A20] = 0x1820;
    mem_write_mirror[0x1A20] = 0x1820;
    cpu_write_checked(0x1A20, 1);
    EXPECT_EQ(read_out(0x1A20, &v), "");
    EXPECT_EQ(v, 1);

    use(PIPBUG, 9); // only the Arcadia and the Interton check
    logillegal = 1;
    EXPECT_EQ(read_out(0x0440, &v), "");
}

// A chip register sets its coverage bit for the instruction that reads or writes
// it; the PVI's registers move with the PVI.
TEST_F(MemoryTest, ChipCoverageBits) {
    mem_attributes[0x19F8] = MEM_HW_REGISTER;
    mem_attributes[0x1950] = MEM_HW_REGISTER; // a register outside the table
    cpu_iar = 0x0200;
    cpu_read_checked(0x19F8);
    cpu_write_checked(0x19F8, 1);
    EXPECT_EQ(coverage_read_flags[0x0200], 1u << 21);
    EXPECT_EQ(coverage_flags[0x0200], 1u << 21);
    cpu_iar = 0x0300;
    cpu_read_checked(0x1950);
    EXPECT_EQ(coverage_read_flags[0x0300], 0u);

    use(INTERTON, 0);
    mem_attributes[0x1E8E] = MEM_HW_REGISTER;
    cpu_iar = 0x0400;
    cpu_read_checked(0x1E8E);
    EXPECT_EQ(coverage_read_flags[0x0400], 1u << 31);
    // Each register range of the page has its own bits; the gaps have none.
    const struct {
        u32 address, bit;
    } registers[] = {{0x1F4D, 1u << 15}, {0x1FC2, 1u << 18}, {0x1FCB, 1u << 25},
                     {0x1F0E, 0},        {0x1FC4, 0},        {0x1FCE, 0}};
    for (const auto& r : registers) {
        mem_attributes[r.address] = MEM_HW_REGISTER;
        cpu_iar = 0x0600;
        coverage_read_flags[0x0600] = 0;
        cpu_read_checked(r.address);
        EXPECT_EQ(coverage_read_flags[0x0600], r.bit) << std::hex << r.address;
    }
    pvi_base = 0x1E00;
    mem_attributes[0x1E0A] = MEM_HW_REGISTER;
    cpu_iar = 0x0500;
    cpu_write_checked(0x1E0A, 0);
    EXPECT_EQ(coverage_flags[0x0500], 1u);
}

TEST_F(MemoryTest, ArcadiaRedrawChecks) {
    logreadwrites = 1;
    mem_attributes[0x18F0] = MEM_HW_REGISTER;
    mem_attributes[0x18FF] = MEM_HW_REGISTER;
    mem_attributes[0x19FE] = MEM_HW_REGISTER;
    u8 v;
    guest_memory[0x18FF] = 0xF3; // a character row is drawn
    EXPECT_EQ(read_out(0x18F0, &v),
              "Instruction at $100 (raster 0) read from UVI address SPRITE0Y ($18F0) during "
              "redraw!\n\n");
    EXPECT_EQ(read_out(0x18FF, &v), ""); // the line register itself
    EXPECT_EQ(write_out(0x18F0, 0x12),
              "Instruction at $100 (raster 0) wrote $12 to UVI address SPRITE0Y ($18F0) during "
              "redraw!\n\n");
    guest_memory[0x18FF] = 0xFD; // below the last row
    EXPECT_EQ(read_out(0x18F0, &v), "");
    EXPECT_EQ(write_out(0x18F0, 0x12), "");
    guest_memory[0x18FF] = 0xFF; // top of the frame: only the paddles count
    EXPECT_EQ(read_out(0x18F0, &v), "");
    EXPECT_NE(read_out(0x19FE, &v), "");
}

// A scroll past the end wraps inside the playfield instead of overrunning it.
TEST_F(MemoryTest, MalzakWriteAlsoFillsThePlayfieldAndWrapsInIt) {
    use(MALZAK, 26);
    mem_attributes[0x1610] = MEM_ROUTED;
    mem_attributes[0x16F0] = MEM_ROUTED;
    std::memset(malzak_playfield, 0, sizeof malzak_playfield);
    const struct {
        int scroll;
        u16 address;
        u8 value;
        u32 cell;
    } rows[] = {{0x37, 0x1610, 0x5A, 0x31},
                {0x1F5, 0x16F0, 0x77, (0x0F + 0x1F0) & 0xFF},
                {-1, 0x1610, 0x66, (1 + 0xFFFFFFF0u) & 0xFF}};
    for (const auto& r : rows) {
        malzak_scroll = r.scroll;
        cpu_write_checked(r.address, r.value);
        EXPECT_EQ(guest_memory[r.address], r.value);
        EXPECT_EQ(malzak_playfield[r.cell], r.value) << r.scroll;
    }
    EXPECT_EQ(cpu_read_checked(0x1610), 0x66);
}

TEST_F(MemoryTest, ElektorRandomByteIsReadOnlyRecordedAndPlayedBack) {
    use(ELEKTOR, 4);
    mem_attributes[0x1E7F] = MEM_ROUTED;
    guest_memory[0x1E7F] = 0x12;
    cpu_write_checked(0x1E7F, 0x99);
    EXPECT_EQ(guest_memory[0x1E7F], 0x12);
    rec_file = std::tmpfile();
    ASSERT_NE(rec_file, nullptr);
    rec_state = REC_RECORDING;
    const u8 first = cpu_read_checked(0x1E7F);
    const u8 second = cpu_read_checked(0x1E7F);
    rec_state = REC_IDLE;
    std::rewind(rec_file);
    EXPECT_EQ(std::fgetc(rec_file), first);
    EXPECT_EQ(std::fgetc(rec_file), second);
    EXPECT_EQ(std::fgetc(rec_file), EOF);
    std::fclose(rec_file);
    rec_file = nullptr;

    ASSERT_TRUE(test_filebuf_alloc(3));
    std::memcpy(filebuf, "\x11\x22\x33", 3);
    rec_length = 3;
    rec_state = REC_PLAYBACK;
    EXPECT_EQ(cpu_read_checked(0x1E7F), 0x11);
    EXPECT_EQ(cpu_read_checked(0x1E7F), 0x22);
    EXPECT_EQ(filebuf_cursor, 2u);
    rec_state = REC_IDLE;
    rec_length = 0;
    filebuf_free();
}

TEST_F(MemoryTest, WatchedReadsReportsConditionsAndAnnotations) {
    use(PIPBUG, 9);
    ASSERT_EQ(cpu_char_style(), CHARS_ASCII); // the terminal's character set
    watch(0x0440);
    guest_memory[0x0440] = 0x0D;
    u8 v;
    EXPECT_EQ(read_out(0x0440, &v), "Instruction at $100 (raster 0) is reading $D [CR] from $440! "
                                    "Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(pause_pending, 1);
    pause_pending = 0;
    guest_memory[0x0440] = 'A';
    EXPECT_EQ(read_out(0x0440, &v), "Instruction at $100 (raster 0) is reading $41 ['A'] from "
                                    "$440! Previous IAR/PC was $FE.\n\n");
    pausebreak = 0;
    pause_pending = 0;
    read_out(0x0440, &v);
    EXPECT_EQ(pause_pending, 0);
    watchreads = 0;
    EXPECT_EQ(read_out(0x0440, &v), "");
    watchreads = 1; // a condition judges the stored byte
    pausebreak = 1;
    watch(0x0500, COND_GT, 0x10);
    guest_memory[0x0500] = 0x10;
    EXPECT_EQ(read_out(0x0500, &v), "");
    guest_memory[0x0500] = 0x11;
    EXPECT_NE(read_out(0x0500, &v), "");
}

TEST_F(MemoryTest, WatchedWriteModesAndConditions) {
    use(PIPBUG, 9);
    watch(0x0600);
    guest_memory[0x0600] = 0x20;
    const std::string report = "Instruction at $100 (raster 0) is writing $20 [' '] to $600! "
                               "Previous IAR/PC was $FE.\n\n";
    watchwrites = 1; // changes only
    EXPECT_EQ(write_out(0x0600, 0x20), "");
    EXPECT_EQ(pause_pending, 0);
    watchwrites = 2; // every write
    EXPECT_EQ(write_out(0x0600, 0x20), report);
    EXPECT_EQ(pause_pending, 1);
    watchwrites = 0;
    EXPECT_EQ(write_out(0x0600, 0x21), "");
    EXPECT_EQ(guest_memory[0x0600], 0x21);

    watchwrites = 2;
    guest_memory[0x0700] = 0x05;
    // Comparisons look at the byte before the write.
    watch(0x0700, COND_EQ, 0x05);
    EXPECT_NE(write_out(0x0700, 0x06), "");
    EXPECT_EQ(write_out(0x0700, 0x07), ""); // now 6
    // Condition 7: only writes that change a bit of the mask.
    guest_memory[0x0700] = 0x01;
    watch(0x0700, COND_CHANGED, 0x80);
    EXPECT_EQ(write_out(0x0700, 0x00), ""); // only bit 0 changes
    EXPECT_NE(write_out(0x0700, 0x80), "");
    EXPECT_EQ(write_out(0x0700, 0x81), ""); // bit 7 already set
}

TEST_F(MemoryTest, ResetTablesRestoresPlainRam) {
    mem_attributes[0x100] = MEM_UNWRITABLE;
    mem_attributes[MEM_REG_BASE + 3] = MEM_WATCH;
    mem_read_mirror[0x200] = 0x100;
    mem_access[0x300] = ACC_OPCODE;
    coverage_flags[0x300] = 1;
    mem_reset_tables();
    EXPECT_EQ(mem_attributes[0x100], 0);
    EXPECT_EQ(mem_attributes[MEM_REG_BASE + 3], 0);
    EXPECT_EQ(mem_read_mirror[0x200], 0x200);
    EXPECT_EQ(mem_access[0x300], 0u);
    EXPECT_EQ(coverage_flags[0x300], 0u);
}

} // namespace
