// The TWIN: the two boards taking turns, the interrupt levels, the banks, the
// console, printer, reader and floppy ports, the SDOS disks, the MOD files and
// the system views, with small programs of our own (no ROM, no system disk).
#include "core/machine_debug.h"
#include "computers/twin.h"

#include "computers/twin_mod.h"
#include "computers/twin_sdos.h"
#include "computers/terminal_rows.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/text_screen.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "debugger/commands.h"
#include "input/controls.h"
#include "input/key_events.h"
#include "peripherals/floppy.h"
#include "peripherals/papertape.h"
#include "peripherals/printer.h"
#include "display/frame.h"
#include "display/host.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"
#include "tests/support/state_load.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

class Twin : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        twin_dosversion = 6; // no system: blank disks
        post = 0;
        queuekeystrokes = 0;
        ASSERT_TRUE(machine_switch(TWIN, MAP_TWIN, true, true, false));
        machine_reset();
    }
    void TearDown() override {
        filebuf_free();
        fresh_state();
    }
    static void poke(u32 address, std::initializer_list<u8> bytes) {
        for (u8 b : bytes)
            guest_memory[address++] = b;
    }
    static void frames(int n) {
        for (int i = 0; i < n; i++)
            emu_run_frame();
    }
};

// ---- The two boards ------------------------------------------------------------------------

TEST_F(Twin, MasterHaltStartsTheSlaveAndAServiceCallReturnsAtItsLevel) {
    // Level 16 (the first service call) vectors to $0020.
    poke(0x0020, {0x1F, 0x02, 0x00});                   // BCTA,UN $0200
    poke(0x0200, {0x05, 0xAA, 0xCD, 0x03, 0x00, 0x40}); // LODI,r1 $AA; STRA,r1 $0300; HALT
    // Slave: its program at common $0000, the master's $4000 in bank 0.
    poke(0x4000, {0x04, 0x55, 0xD4, 0xF7, 0x1B, 0x7E}); // LODI,r0 $55; WRTE,r0 $F7; BCTR,UN $
    poke(0x0100, {0x40});
    frames(2);
    EXPECT_EQ(twin_irq_current, 16);
    EXPECT_EQ(twin_irq_pending[16], 0);
    twin_sync_stores();
    EXPECT_EQ(twin_master_memory[0x0300], 0xAA) << "the master ran its service routine";
    // It halted again: the slave runs on, past its service call.
    EXPECT_EQ(twin_slave_active, 1u);
    EXPECT_EQ(cpu_iar, 0x0004);
    EXPECT_EQ(cpu_regs[0], 0x55);
}

TEST_F(Twin, TheSlaveTakesNoneOfTheMastersLevels) {
    poke(0x0100, {0x76, 0x20, 0x04, 'A', 0xD4, 0xE8, 0x40}); // PPSU $20; LODI 'A'; WRTE $E8; HALT
    poke(0x4000, {0x1B, 0x7E});                             // the slave loops
    frames(1);
    EXPECT_EQ(twin_slave_active, 1u);
    EXPECT_EQ(twin_irq_pending[5], 1) << "teletype out waits for the master";
    EXPECT_EQ(cpu_iar, 0x0000);
    EXPECT_EQ(vdu_cell(0, 0), 'A');
}

TEST_F(Twin, ASwitchKeepsEveryStackEntryAndTheViews) {
    for (int i = 0; i < 8; i++)
        cpu_ras[i] = static_cast<u16>(0x1000 + i);
    cpu_regs[3] = 0x33;
    guest_memory[0x4123] = 0x77; // common bank 0 in the master's view
    guest_memory[0x0123] = 0x66; // the master's own
    twin_switch_to_slave();
    EXPECT_EQ(twin_slave_active, 1u);
    EXPECT_EQ(guest_memory[0x0123], 0x77) << "the slave sees common memory from $0000";
    for (int i = 0; i < 8; i++)
        cpu_ras[i] = static_cast<u16>(0x2000 + i);
    cpu_regs[3] = 0x44;
    twin_switch_to_master();
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(cpu_ras[i], 0x1000 + i) << i;
    EXPECT_EQ(cpu_regs[3], 0x33);
    EXPECT_EQ(guest_memory[0x0123], 0x66);
    twin_switch_to_slave();
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(cpu_ras[i], 0x2000 + i) << i;
    // The CPU monitor's second panel: the parked master.
    int running = -1;
    const CpuState* parked = machine_debug().parked_cpu(&running);
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(parked->regs[3], 0x33);
}

TEST_F(Twin, AKeyTypedWhileTheSlaveRunsSwitchesFirstThenRaisesLevel4) {
    poke(0x4000, {0x1B, 0x7E}); // the slave loops
    twin_switch_to_slave();
    cpu_psu = PSU_II;
    guest_key_latch = 'A';
    frames(1);
    EXPECT_EQ(twin_slave_active, 0u);
    EXPECT_EQ(twin_irq_pending[4], 1);
    EXPECT_EQ(twin_console_status & 1, 1);
    EXPECT_EQ(twin_io_read(0xE8), 'A');
    EXPECT_EQ(twin_io_read(0xE8), 255) << "no key";
    EXPECT_EQ(twin_console_status & 1, 0);
}

TEST_F(Twin, InterruptLevelsWaitForTheirEnablesAndTheInhibit) {
    poke(0x0100, {0x76, 0x20, 0x1B, 0x7E}); // PPSU $20 (inhibit); BCTR,UN $
    poke(0x0016, {0x1B, 0x7E});             // level 11's vector: a loop
    twin_switch_to_master_if_needed(11);
    frames(1);
    EXPECT_EQ(twin_irq_pending[11], 1) << "inhibited";
    cpu_psu = 0;
    frames(1);
    EXPECT_EQ(twin_irq_pending[11], 1) << "the floppy level waits for bit 4 of $EA";
    twin_io_write(0xEA, 0x17);
    frames(1);
    EXPECT_EQ(twin_irq_pending[11], 0);
    EXPECT_EQ(twin_irq_current, 11);
}

TEST_F(Twin, AStateSavedWhileTheSlaveRunsRestoresItsView) {
    twin_sdos_format(1); // both drives full: the largest state fits the buffer
    drives[1].image[SDOS_IMAGE_BYTES - 1] = 0x99;
    twin_switch_to_slave();
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        guest_memory[a] = static_cast<u8>(a * 7);
    cpu_iar = 0x1234;
    std::vector<u8> state;
    ASSERT_TRUE(state_write_buffer(0, &state));
    std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
    drives[1].image[SDOS_IMAGE_BYTES - 1] = 0;
    twin_switch_to_master();
    std::string error;
    ASSERT_TRUE(test_state_load(state.data(), static_cast<u32>(state.size()), &error)) << error;
    EXPECT_EQ(twin_slave_active, 1u);
    EXPECT_EQ(cpu_iar, 0x1234);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a += 97)
        ASSERT_EQ(guest_memory[a], static_cast<u8>(a * 7)) << a;
    EXPECT_EQ(drives[1].image[SDOS_IMAGE_BYTES - 1], 0x99);
}

// ---- Ports --------------------------------------------------------------------------------

TEST_F(Twin, BankSwitchesKeepBothBanks) {
    guest_memory[0x4000] = 0x11;
    twin_io_write(0xEE, 0); // the same bank again loses nothing
    EXPECT_EQ(guest_memory[0x4000], 0x11);
    twin_io_write(0xEE, 1);
    EXPECT_EQ(guest_memory[0x4000], 0);
    guest_memory[0x4000] = 0x22;
    twin_io_write(0xEE, 0);
    EXPECT_EQ(guest_memory[0x4000], 0x11);
    twin_sync_stores();
    EXPECT_EQ(twin_common_memory[0x4000], 0x22);
}

TEST_F(Twin, ConsoleOutputPrinterAndReader) {
    twin_io_write(0xE8, 'H' | 0x80);
    EXPECT_EQ(vdu_cell(0, 0), 'H');
    EXPECT_EQ(twin_irq_pending[5], 1);
    twin_io_write(0xEB, 'X');
    twin_io_write(0xEA, 0x02);
    EXPECT_EQ(printer_units[0].line_buffer_count, 1u);
    EXPECT_EQ(twin_irq_pending[10], 1);
    twin_io_write(0xEB, 13);
    twin_io_write(0xEA, 0x02);
    EXPECT_EQ(printer_units[0].line_buffer_count, 0u);
    // A lone carriage return prints the (empty) line too.
    const u32 serial = printer_view_serial;
    twin_io_write(0xEA, 0x02);
    EXPECT_NE(printer_view_serial, serial);
    // The high-speed reader.
    papertape_buffer[1][0] = 0x5A;
    papertape_length[1] = 2;
    papertape_position[1] = 0;
    papertape_state[1] = TAPE_READING;
    EXPECT_EQ(twin_io_read(0xD1), 0x5A);
    EXPECT_EQ(papertape_position[1], 1u);
    EXPECT_EQ(twin_io_read(0xD0), 127);
    // The slave reads nothing and writes only its service ports: the
    // master's bank stays.
    twin_switch_to_slave();
    EXPECT_EQ(twin_io_read(0xE9), 0);
    twin_io_write(0xEE, 1);
    EXPECT_EQ(port_records[0xEE].last_value, 0);
    guest_memory[0x0010] = 0x3C; // common bank 0
    twin_switch_to_master();
    EXPECT_EQ(guest_memory[0x4010], 0x3C);
}

TEST_F(Twin, SectorsMoveThroughTheFloppyPorts) {
    ASSERT_TRUE(drives[0].present);
    auto setup = [](u8 command) {
        twin_io_write(0xEA, 0x16); // command, disk interrupts on
        twin_io_write(0xEB, command);
        twin_io_write(0xEA, 0x14);
        twin_io_write(0xEB, 0); // drive
        twin_io_write(0xEB, 3); // sector
        twin_io_write(0xEB, 5); // track
    };
    setup(0x0E);
    for (int i = 0; i < 128; i++)
        twin_io_write(0xEB, static_cast<u8>(i + 1));
    EXPECT_EQ(drives[0].image[5 * 4096 + 3 * 128], 1);
    EXPECT_EQ(drives[0].image[5 * 4096 + 3 * 128 + 127], 128);
    EXPECT_EQ(drives[0].head_sector, 4) << "the head moved on to the next sector";
    EXPECT_EQ(twin_irq_pending[11], 1);
    setup(0x88);
    EXPECT_EQ(twin_io_read(0xEB) & 0x20, 0) << "function 4: the status";
    twin_io_write(0xEA, 0x10);
    std::vector<u8> got;
    for (int i = 0; i < 128; i++)
        got.push_back(twin_io_read(0xEB));
    EXPECT_EQ(got[0], 1);
    EXPECT_EQ(got[127], 128);
    // Every drive byte stays with the TWIN's two drives.
    twin_io_write(0xEA, 0x16);
    twin_io_write(0xEB, 0x88);
    twin_io_write(0xEA, 0x14);
    twin_io_write(0xEB, 0xFF);
    EXPECT_EQ(fdc_current_drive, 1u);
    twin_io_write(0xEB, 40); // sector 40: out of range
    twin_io_write(0xEB, 0);
    EXPECT_EQ(twin_io_read(0xEB) & 0x20, 0x20);
}

// ---- SDOS disks -------------------------------------------------------------------------------

class TwinDisks : public Twin {
  protected:
    TempHome home{"twin"};
    std::string host(const std::string& name, size_t size, u8 fill) {
        const std::string path = (home.path() / name).string();
        test_write_file(path, std::string(size, static_cast<char>(fill)));
        return path;
    }
};

TEST_F(TwinDisks, EntryPlacesAndTheCheckedListing) {
    EXPECT_EQ(twin_sdos_entry_offset(0), 768u);
    EXPECT_EQ(twin_sdos_entry_offset(4), 768u + 128 + 41);
    EXPECT_EQ(twin_sdos_entry_offset(75), 3973u);
    EXPECT_EQ(twin_sdos_entry_offset(76), 4014u);
    EXPECT_EQ(twin_sdos_entry_offset(77), 4055u);
    drives[0].image[2] = 3; // three files claimed, none named
    capture_output();
    twin_sdos_list_directory(0, 0);
    EXPECT_NE(captured_output().find("Number of files: 3 (!)"), std::string::npos) << captured_output();
}

TEST_F(TwinDisks, AFileOfOneClusterGoesOnAndComesBack) {
    const std::string path = host("ONE", 1024, 0x42);
    capture_output();
    twin_sdos_put_file(path.c_str(), 0);
    EXPECT_NE(captured_output().find("OK."), std::string::npos) << captured_output();
    const u8* e = drives[0].image + twin_sdos_entry_offset(0);
    EXPECT_EQ(e[0], 0x80) << "cluster 0";
    EXPECT_EQ((e[38] << 8) | e[39], 8);
    EXPECT_EQ(e[40], 128);
    EXPECT_STREQ(drives[0].name_cache[0], "ONE");
    EXPECT_EQ(drives[0].image[4096], 0x42);
    std::filesystem::remove(path);
    DiskFile file;
    ASSERT_TRUE(twin_sdos_extract_file(0, 0, &file));
    EXPECT_EQ(file.name, "ONE");
    EXPECT_EQ(file.bytes, std::vector<u8>(1024, 0x42));
    twin_sdos_delete_file(0, 0);
    EXPECT_EQ(drives[0].name_cache[0][0], 0);
    EXPECT_EQ(drives[0].image[4096], 0);
    EXPECT_EQ(drives[0].image[90], 0);
}

TEST_F(TwinDisks, APutChangesOnlyItsDriveAndAFullDriveRefusesBeforeWriting) {
    twin_sdos_format(1);
    const std::vector<u8> drive0(drives[0].image, drives[0].image + SDOS_IMAGE_BYTES);
    twin_sdos_put_file(host("SMALL", 10, 1).c_str(), 1);
    EXPECT_STREQ(drives[1].name_cache[0], "SMALL");
    EXPECT_TRUE(std::equal(drive0.begin(), drive0.end(), drives[0].image));
    // 303 clusters are left on drive 1: a file of 304 KB does not fit.
    const std::vector<u8> drive1(drives[1].image, drives[1].image + SDOS_IMAGE_BYTES);
    capture_output();
    twin_sdos_put_file(host("BIG", 304 * 1024, 2).c_str(), 1);
    EXPECT_NE(captured_output().find("Disk is too full!"), std::string::npos);
    EXPECT_TRUE(std::equal(drive1.begin(), drive1.end(), drives[1].image));
    EXPECT_EQ(twin_sdos_check_filename(0, 1, "TOOLONGNAME"), 0);
    EXPECT_EQ(twin_sdos_check_filename(0, 1, "new"), 1);
    EXPECT_STREQ(drives[1].name_cache[0], "NEW");
}

TEST_F(TwinDisks, TwinImagesWarnOncePerBadRecord) {
    std::vector<u8> file(SDOS_TWIN_BYTES, 0);
    for (u32 t = 0; t < 77; t++)
        for (u32 s = 0; s < 32; s++) {
            const u32 at = t * 4160 + s * 130;
            file[at] = static_cast<u8>(t + 1); // every track number wrong
            file[at + 1] = static_cast<u8>(s);
            file[at + 2] = static_cast<u8>(t ^ s);
        }
    std::vector<u8> image(SDOS_IMAGE_BYTES);
    capture_output();
    ASSERT_TRUE(twin_image_from_file(file, image.data()));
    EXPECT_EQ(count(captured_output(), "bad track number"), 77u * 32);
    EXPECT_EQ(count(captured_output(), "bad sector number"), 0u);
    EXPECT_EQ(image[5 * 4096 + 7 * 128], 5 ^ 7);
    EXPECT_FALSE(twin_image_from_file(std::vector<u8>(1000), image.data()));
}

// ---- MOD files ------------------------------------------------------------------------------

class TwinMod : public TwinDisks {
  protected:
    int parse(const std::vector<u8>& bytes) {
        EXPECT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size() + 1)));
        std::memcpy(filebuf, bytes.data(), bytes.size());
        filebuf_length = static_cast<u32>(bytes.size());
        return twin_parse_mod(filebuf_length);
    }
};

TEST_F(TwinMod, SavedRangeHasItsCommandsAndLoadsBack) {
    for (u32 a = 0x1500; a <= 0x15FF; a++)
        guest_memory[a] = static_cast<u8>(a ^ 0x5A);
    const std::string path = (home.path() / "t.mod").string();
    ASSERT_EQ(twin_save_mod(path.c_str(), 0x1500, 0x15FF, 0x1510), 1);
    const std::string text = test_read_file(path);
    ASSERT_EQ(text.size(), 128u + 256);
    const std::vector<u8> file(text.begin(), text.end());
    EXPECT_EQ(file[3], 1) << "the 1st overlay area";
    capture_output();
    EXPECT_EQ(twin_mod_process(file.data(), static_cast<u32>(file.size()), true, nullptr), 1);
    const std::string described = captured_output();
    EXPECT_NE(described.find("Set Base:  bank of 0, dest base addr of $1500"), std::string::npos);
    EXPECT_NE(described.find("Read Data: 2 sectors, each of 128 bytes."), std::string::npos);
    EXPECT_NE(described.find("Load End."), std::string::npos);
    EXPECT_NE(described.find("Start address: $1510"), std::string::npos);
    std::memset(guest_memory + 0x1500, 0, 0x100);
    ASSERT_EQ(parse(file), 1);
    EXPECT_EQ(guest_memory[0x1501], 0) << "the parse changes nothing";
    twin_commit_mod();
    for (u32 a = 0x1500; a <= 0x15FF; a++)
        ASSERT_EQ(guest_memory[a], static_cast<u8>(a ^ 0x5A));
    EXPECT_EQ(game_start_address, 0x1510);
    // More than one Read Data command can carry is refused.
    EXPECT_EQ(twin_save_mod(path.c_str(), 0x1000, 0x3100, 0x1000), 0);
    // On a disk, the listing describes it with "verbosedisk" on.
    twin_sdos_put_file(path.c_str(), 0);
    verbose_log = 1;
    capture_output();
    twin_sdos_list_directory(0, 0);
    EXPECT_NE(captured_output().find("   T.MOD            384 0\n Load address:  Master RAM $1500..$187F"),
              std::string::npos)
        << captured_output();
}

TEST_F(TwinMod, ShortFilesOtherBanksAndRunawayDataAreRefused) {
    EXPECT_EQ(parse(std::vector<u8>(127, 'M')), 0);
    EXPECT_NE(captured_output().find("File is too short!"), std::string::npos);
    std::vector<u8> file(128, 0);
    std::memcpy(file.data(), "MOD", 3);
    file[32] = 0x40; // Set Base, bank 1
    file[33] = 0x15;
    file[34] = 0x00;
    file[35] = 4;
    capture_output();
    EXPECT_EQ(parse(file), 0);
    EXPECT_NE(captured_output().find("  Only bank 0 is currently supported!\n"), std::string::npos);
    file[32] = 0; // bank 0, then 64 sectors of 255 bytes from a file that has none
    file[35] = 0xFB;
    file[36] = 255;
    file[37] = 4;
    EXPECT_EQ(parse(file), 0);
}

// ---- Views -------------------------------------------------------------------------------------

TEST_F(Twin, ServiceCallsPortsAndNotesAreDescribed) {
    // Service call 2's request block at slave $0100 (master $4100).
    guest_memory[0x4044] = 0x01;
    guest_memory[0x4045] = 0x00;
    poke(0x4100, {0x42, 9, 0, 0, 0, 16, 0x12, 0x34});
    capture_output();
    twin_describe_svc(2);
    const std::string svc = captured_output();
    EXPECT_NE(svc.find("SVC number:             2 (slave extended I/O port $F6)"), std::string::npos) << svc;
    EXPECT_NE(svc.find("Master priority:        17"), std::string::npos);
    EXPECT_NE(svc.find("$4100 in master RAM"), std::string::npos);
    EXPECT_NE(svc.find("Write (srbFnWrite)"), std::string::npos);
    EXPECT_NE(svc.find("Binary?        Yes"), std::string::npos);
    EXPECT_NE(svc.find("Logical channel number: 9!"), std::string::npos);
    EXPECT_NE(svc.find("I/O buffer pointer:     $5234 in master RAM"), std::string::npos);

    capture_output();
    twin_describe_analyzer(0xEA, 0x21, 1);
    twin_describe_analyzer(0xF5, 0, 1);
    twin_describe_analyzer(0x40, 0, 0);
    const std::string ports = captured_output();
    EXPECT_NE(ports.find("Disk/printer control:\n Printer interrupt:"), std::string::npos) << ports;
    EXPECT_NE(ports.find(std::string(" Printer interrupt:") + std::string(42 - 19, ' ') + "%1=Enabled\n"),
              std::string::npos);
    EXPECT_NE(ports.find("SVC3\n"), std::string::npos);
    EXPECT_NE(ports.find("Unknown port!\n"), std::string::npos);

    capture_output();
    twin_api_notes(0x2003);
    twin_api_notes(0x2004);
    EXPECT_EQ(captured_output(), ";API_IntSaveState\n;Save registers\n");
}

TEST_F(Twin, CommandTableAndOverlaysFromTheMasterMemory) {
    twin_dosversion = 1; // the table at $0E7D
    // "ABORT" (A/BORT), "DUP" + space, a debug-only marker, "TEST"; then the
    // locations: master $1234, overlay B in the 1st area, slave memory overlay C.
    poke(0x0E7D, {0xC1, 'B', 'O', 'R', 0xD4, 'D', 'U', 0xD0, 0xA0, 0xA0, 7, 1, 0xD4, 'E', 'S', 0xD4, 0,
                  0x12, 0x34, 0x43, 'B', 0xC0, 'C'});
    capture_output();
    EXPECT_EQ(twin_sdos_commands(0), 3);
    const std::string table = captured_output();
    EXPECT_NE(table.find("Abort   Address $1234        (master memory)\n"), std::string::npos) << table;
    EXPECT_NE(table.find("DUP     File @B + offset $03 (1st overlay area)\n"), std::string::npos);
    EXPECT_NE(table.find("Test    File @C              (slave memory) (debug only)\n"), std::string::npos);
    std::snprintf(drives[0].name_cache[5], sizeof drives[0].name_cache[5], "@B");
    std::snprintf(drives[1].name_cache[5], sizeof drives[1].name_cache[5], "@B");
    std::string out;
    twin_sdos_overlay_commands(0, 5, 0, &out);
    EXPECT_EQ(out, " (DUP)");
    out.clear();
    twin_sdos_overlay_commands(1, 5, 0, &out);
    EXPECT_EQ(out, "") << "an overlay on drive 1 has no commands";
}

TEST_F(Twin, TheSystemTablesViewReadsSyntheticTables) {
    twin_dosversion = 1;
    guest_memory[0x2050] = 3; // job 0 running
    guest_memory[0x2150] = 2; // file 0 open
    guest_memory[0x2166] = 5; // its job out of range
    std::memcpy(guest_memory + 0x2346 + 288, "CONS", 4);
    guest_memory[0x24A3] = 1; // drive 0 valid
    capture_output();
    twin_view_jobs();
    const std::string v = captured_output();
    EXPECT_NE(v.find("  0  Runnng Idle  "), std::string::npos) << v;
    EXPECT_NE(v.find("  0 Real Open    5!"), std::string::npos);
    EXPECT_NE(v.find("\"CONS\"\n"), std::string::npos);
    EXPECT_NE(v.find("(Disk)\n"), std::string::npos);
    EXPECT_NE(v.find("    0 Valid  "), std::string::npos);
    EXPECT_NE(v.find("Command Location\n"), std::string::npos);
}

TEST_F(Twin, TheConsoleReaderFeedsOneCharacterPerSwitchOn) {
    papertape_buffer[0][0] = 'A';
    papertape_buffer[0][1] = 'B';
    papertape_length[0] = 2;
    papertape_position[0] = 0;
    papertape_state[0] = TAPE_READING;
    tty_reader_on = 1;
    guest_key_latch = 128;
    cpu_psu = PSU_II;
    frames(1);
    EXPECT_EQ(twin_console_status & 1, 0) << "the reader is off";
    twin_io_write(0xE9, 0x01);
    frames(1);
    EXPECT_EQ(twin_io_read(0xE8), 'A');
    EXPECT_EQ(port_records[0xE9].last_value & 1, 0) << "switched off by the character";
    frames(1);
    EXPECT_EQ(twin_io_read(0xE8), 255);
    EXPECT_EQ(papertape_position[0], 1u);
}

TEST_F(TwinDisks, PortTrapsDescribeTheAccessAndSaveModWritesTheFile) {
    dbg_commands_reset();
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "IP EA");
    dbg_execute();
    watchwrites = 2;
    capture_output();
    twin_io_write(0xEA, 0x30);
    EXPECT_NE(captured_output().find("Disk/printer control:\n"), std::string::npos) << captured_output();
    std::snprintf(projects_path, sizeof projects_path, "%s", home.path().string().c_str());
    capture_output();
    std::snprintf(g_dbg_line, sizeof g_dbg_line, "SAVECMD 1500 15FF prog");
    dbg_execute();
    EXPECT_NE(captured_output().find("Assuming you meant SAVEMOD.\nOK."), std::string::npos)
        << captured_output();
    EXPECT_EQ(test_read_file(home.path() / "prog.mod").size(), 128u + 256);
}

TEST_F(Twin, TheOnScreenKeyboardTypesToTheConsole) {
    int key = -1;
    for (int i = 0; i < controls_mark_count() && key < 0; i++)
        if (controls_terminal_char(i) == 'Q' && controls_current_layout().rects[i].x >= 0) key = i;
    ASSERT_GE(key, 0) << "the TWIN picture has a Q key";
    const ControlsKeyRect& r = controls_current_layout().rects[key];
    cpu_psu = PSU_II;
    guest_controls_click(r.x + r.width / 2, r.y + r.height / 2, false);
    frames(1);
    vkey_release();
    EXPECT_EQ(twin_console_status & 1, 1);
    EXPECT_EQ(twin_io_read(0xE8), 'Q');
}

// ---- The console picture ---------------------------------------------------------------

std::vector<std::array<u32, 3>> console_plots;
void record_console_plot(u32 x, u32 y, u32 colour) {
    console_plots.push_back({x, y, colour});
}

// A busy console (every code, reversed ones too, and the cursor) with the
// DRAW grid: a frame puts each changed pixel once, with the colour it ends
// with, and the same screen again puts nothing.
TEST_F(Twin, TheConsolePutsEachPixelOnceWithItsFinalColour) {
    for (int c = 0; c < 80; c++)
        for (int r = 0; r < 25; r++)
            vdu_cell(c, r) = static_cast<u8>(c * 3 + r * 41);
    vdu_cursor_col = 33;
    vdu_cursor_row = 12;
    pipbug_blink = 0;
    draw_mode = 1;
    for (u32 i = 0; i < sizeof guest_frame; i++)
        guest_frame[i] = static_cast<u8>(i % 23);
    display_frame_rewritten();
    plotter_fn = record_console_plot;
    frames(1);
    std::vector<int> times(sizeof guest_frame);
    for (const auto& [x, y, colour] : console_plots) {
        EXPECT_EQ(++times[x * GUEST_FRAME_ROWS + y], 1) << x << "," << y;
        EXPECT_EQ(guest_frame[x * GUEST_FRAME_ROWS + y], colour);
    }
    // The console draws in the terminal's own colours (display_ink belongs to
    // the machines that take the palette's text colours, and keeps the last one's).
    u8 ink, paper;
    display_terminal_colours(&ink, &paper);
    EXPECT_NE(ink, paper);
    EXPECT_EQ(guest_frame[(33 * 7 + 3) * GUEST_FRAME_ROWS + 12 * 10 + 7], ink); // cursor
    EXPECT_EQ(guest_frame[(33 * 7) * GUEST_FRAME_ROWS + 12 * 10 + 5], 8);               // grid
    const size_t plots = console_plots.size();
    EXPECT_GT(plots, 10000u);
    frames(1);
    EXPECT_EQ(console_plots.size(), plots);
    draw_mode = 0;
    display_select_plotter();
}

} // namespace
