// The FD1771 on a test machine that maps it onto ports 12-16: the command
// table of the data sheet, head stepping at the disk's limits, sector
// transfers with their status sequence, Read Address, and a 2650 program that
// reads and writes sectors.
#include "core/frame.h"
#include "cpu/dbg_hooks.h"
#include "tests/support/fdc_machine.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

using namespace fdc_machine;

namespace {

class Fd1771Test : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        install();
    }
    void TearDown() override { fresh_state(); }
    static void command(u8 v) { fdc_port_write(0, v); }
    static u8 status() { return fdc_port_read(0); }
    static u8 data() { return fdc_port_read(3); }
    // Head over track t, sector s of drive 0, spinning with the head loaded.
    static void seek(u8 t, u8 s) {
        fdc_port_write(3, t);
        command(0x18); // Seek, load head
        fdc_port_write(2, s);
    }
};

} // namespace

TEST_F(Fd1771Test, CommandsDecodeAsTheDataSheetLists) {
    struct Case {
        u8 value;
        bool defined;
    };
    const Case cases[] = {{0x84, true},  {0x8C, true},  {0x9C, true},  {0x81, false},
                          {0x85, false}, {0xA0, true},  {0xBF, true},  {0xC0, false},
                          {0xC4, true},  {0xC5, false}, {0xD0, true},  {0xE4, true},
                          {0xE5, true},  {0xE6, false}, {0xF4, true},  {0xF5, false},
                          {0xFF, false}, {0x7F, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.value));
        fdc.status_type = -1;
        fdc_spin_down_frame = -1;
        command(c.value);
        EXPECT_EQ(fdc.status_type != -1, c.defined);
        EXPECT_EQ(fdc_spin_down_frame != -1, c.defined); // only a command renews the deadline
        command(0xD0); // Force Interrupt: idle again
    }
    // $84 and $8C are sector reads: data mode 1 and the data request.
    for (u8 v : {0x84, 0x8C}) {
        seek(2, 3);
        command(v);
        EXPECT_EQ(fdc_mode, FDC_READING);
        EXPECT_EQ(status(), FDC_DRQ);
    }
}

TEST_F(Fd1771Test, StepsStopAtTheDiskLimitsWhileTheTrackRegisterFollowsU) {
    seek(39, 1);
    command(0x58); // Step In, u set, load head
    EXPECT_EQ(drives[0].head_track, 39);
    EXPECT_EQ(fdc.track_reg, 40); // counted although the head stayed
    command(0x78); // Step Out, u set
    EXPECT_EQ(drives[0].head_track, 38);
    EXPECT_EQ(fdc.track_reg, 39);
    command(0x08); // Restore
    EXPECT_EQ(fdc.track_reg, 0);
    command(0x78);
    EXPECT_EQ(drives[0].head_track, 0);
    EXPECT_EQ(fdc.track_reg, 0);
    // Type I status: head engaged and track zero on a disk, not ready without one.
    EXPECT_EQ(status() & (FDC_HEAD | FDC_TRACK0 | FDC_NOT_READY), FDC_HEAD | FDC_TRACK0);
    drives[0].present = 0;
    command(0x08);
    EXPECT_TRUE(status() & FDC_NOT_READY);
    // Step continues the last direction: in after a Step In.
    drives[0].present = 1;
    command(0x48);
    command(0x38);
    EXPECT_EQ(drives[0].head_track, 2);
}

TEST_F(Fd1771Test, ASectorReadsByteByByteAndEndsWithDataRequestAlone) {
    seek(4, 6);
    command(0x84);
    const u32 start = 4 * 2560 + 5 * 256;
    for (u32 i = 0; i < 256; i++) {
        ASSERT_EQ(data(), pattern(start + i)) << i;
        ASSERT_EQ(fdc.status, i < 255 ? 0x03 : 0x02) << i;
    }
    EXPECT_EQ(fdc_mode, FDC_IDLE);
    EXPECT_EQ(drives[0].head_sector, 7);
    EXPECT_EQ(drives[0].view_offset, 4 * 2560 + 6 * 256u);
    // After the end, reads give 0 and report the wrong mode.
    EXPECT_EQ(data(), 0);

    // Multiple records from the last sector wrap to sector 1 and end.
    seek(4, 10);
    command(0x94);
    for (int i = 0; i < 256; i++)
        data();
    EXPECT_EQ(drives[0].head_sector, 1);
    EXPECT_EQ(fdc_mode, FDC_IDLE);
    EXPECT_EQ(fdc.status, 0x02);
    // Multiple records elsewhere run on into the next sector.
    seek(4, 2);
    command(0x94);
    for (int i = 0; i < 256; i++)
        data();
    EXPECT_EQ(drives[0].head_sector, 3);
    EXPECT_EQ(fdc_mode, FDC_READING);
    EXPECT_EQ(data(), pattern(4 * 2560 + 2 * 256));
}

TEST_F(Fd1771Test, EmptyDrivesInvalidPositionsAndProtectedDisksAnswerWithTheirStatus) {
    drives[0].present = 0;
    seek(1, 1);
    command(0x84);
    EXPECT_EQ(status(), FDC_NOT_READY);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(data(), 0);
    EXPECT_EQ(fdc.status, FDC_NOT_READY);

    drives[0].present = 1;
    for (u8 sector : {0, 11}) {
        seek(1, sector);
        command(0x84);
        EXPECT_EQ(status(), FDC_NOT_FOUND) << int(sector);
        EXPECT_EQ(data(), 0);
    }
    seek(40, 1); // one past the last track
    command(0xA4);
    EXPECT_EQ(status(), FDC_NOT_FOUND);
    fdc_port_write(3, 0x55);
    EXPECT_EQ(fdc.status, FDC_NOT_FOUND);

    write_protect[0] = 1;
    seek(2, 2);
    command(0xA4);
    EXPECT_EQ(status(), FDC_PROTECTED);
    const u32 start = 2 * 2560 + 256;
    for (int i = 0; i < 256; i++)
        fdc_port_write(3, 0xEE);
    for (u32 i = 0; i < 256; i++)
        ASSERT_EQ(drives[0].image[start + i], pattern(start + i));
    EXPECT_EQ(drives[0].changed, 0);
    EXPECT_EQ(drives[0].head_sector, 3); // the transfer went through the sector
    EXPECT_EQ(fdc_mode, FDC_IDLE);
}

TEST_F(Fd1771Test, ReadAddressGivesTheIdFieldThenOrdinaryData) {
    seek(7, 4);
    command(0x84); // a sector read takes the sector register
    command(0xD0);
    command(0xC4);
    EXPECT_EQ(fdc.status_type, 3);
    EXPECT_EQ(fdc.sector_reg, 4);
    const u8 id[6] = {7, 0, 4, 16, 0, 0};
    for (u8 b : id)
        EXPECT_EQ(data(), b);
    EXPECT_EQ(fdc.id_index, 0u);
    EXPECT_EQ(data(), pattern(7 * 2560 + 3 * 256)); // the sector's first byte
}

TEST_F(Fd1771Test, ForceInterruptEndsATransferAndDriveSelectObeysTheUserDrives) {
    seek(3, 3);
    command(0x84);
    data();
    EXPECT_EQ(fdc.status, 0x03);
    command(0xD0);
    EXPECT_EQ(fdc_mode, FDC_IDLE);
    EXPECT_EQ(fdc.status & FDC_BUSY, 0);
    EXPECT_EQ(fdc.status_type, 1);

    binbug_userdrives = 1;
    const i32 deadline_before = fdc_spin_down_frame;
    frame_counter += 5;
    fdc_port_write(4, 1);
    EXPECT_EQ(fdc_current_drive, 0u); // refused
    EXPECT_NE(fdc_spin_down_frame, deadline_before);
    binbug_userdrives = 2;
    fdc_port_write(4, 1);
    EXPECT_EQ(fdc_current_drive, 1u);
    EXPECT_EQ(drives[0].spinning, 0); // the change stopped drive 0
}

// A guest program reads a sector into memory, writes one back from memory,
// and reads the status the controller leaves.
TEST_F(Fd1771Test, AGuestProgramReadsAndWritesSectors) {
    Program p;
    p.out(16, 0);    // drive 0
    p.out(15, 12);   // data register: track 12
    p.out(12, 0x18); // Seek, load head
    p.out(14, 5);    // sector 5
    p.out(12, 0x84); // Read Sector
    p.transfer(false, 0x1000);
    p.in(12, 0x1100);
    p.out(14, 6);    // sector 6
    p.out(12, 0xA4); // Write Sector from the buffer just read
    p.transfer(true, 0x1000);
    p.in(12, 0x1101);
    p.out(14, 11);   // no such sector
    p.out(12, 0x84);
    p.in(12, 0x1102);
    p.halt();
    run(p);
    const u32 read_from = 12 * 2560 + 4 * 256, written_to = 12 * 2560 + 5 * 256;
    for (u32 i = 0; i < 256; i++) {
        ASSERT_EQ(guest_memory[0x1000 + i], pattern(read_from + i)) << i;
        ASSERT_EQ(drives[0].image[written_to + i], pattern(read_from + i)) << i;
    }
    EXPECT_EQ(guest_memory[0x1100], 0x02);
    EXPECT_EQ(guest_memory[0x1101], 0x02);
    EXPECT_EQ(guest_memory[0x1102], FDC_NOT_FOUND);
    EXPECT_EQ(drives[0].image[written_to + 256], pattern(written_to + 256)); // sector 7 untouched
    EXPECT_EQ(drives[0].changed, 1);
}

TEST_F(Fd1771Test, WatchedBytesStopTheGuestAndVerboseNarrates) {
    seek(1, 1);
    command(0x84);
    floppy_set_watch(0, 2560 + 1, true);
    watchreads = 1;
    capture_output();
    data();
    EXPECT_EQ(pause_pending, 0);
    data();
    EXPECT_NE(pause_pending, 0);
    EXPECT_NE(captured_output().find("from floppy byte $A01."), std::string::npos);
    pause_pending = 0;

    verbose_log = 1;
    capture_output();
    command(0xF5);
    command(0xE4);
    const std::string said = captured_output();
    EXPECT_NE(said.find("undefined command ($f5)!"), std::string::npos);
    EXPECT_NE(said.find("Read Track command ($E4) (unimplemented!):\n Synchronize to AM?       Yes"),
              std::string::npos);
}
