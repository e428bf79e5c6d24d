#include "tests/support/quiet_output.h"
#include "computers/binbug_dos.h"
#include "computers/cd2650_dos.h"
#include "computers/phunsy.h"
#include "computers/twin_mod.h"
#include "cpu/exec.h"
#include "machines/elektor.h"
#include "computers/phunsy_image.h"
#include "computers/pipbug_vdu.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "input/key_events.h"
#include "core/objfile.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "display/host.h"
#include "core/machine_table.h"
#include "loading_support.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

using loading_test::bytes;
using loading_test::forge_row;

namespace {

std::vector<u8> pattern(std::size_t size, u8 seed) {
    std::vector<u8> data(size);
    for (std::size_t i = 0; i < size; i++)
        data[i] = static_cast<u8>(seed + i * 7);
    return data;
}

std::vector<u8> tvc(u16 load, u16 start, const std::vector<u8>& program) {
    std::vector<u8> file(5 + program.size());
    file[0] = 2;
    file[1] = static_cast<u8>(load >> 8);
    file[2] = static_cast<u8>(load);
    file[3] = static_cast<u8>(start >> 8);
    file[4] = static_cast<u8>(start);
    for (std::size_t i = 0; i < program.size(); i++)
        file[5 + i] = program[i];
    return file;
}

std::string aof(u16 address, const std::vector<u8>& data, u16 start) {
    return loading_test::aof_record(address, data) + "\r\n" + loading_test::aof_end(start) + "\r\n";
}

// Every test runs in a program home and a games drawer of its own.
class Loader : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fs::create_directories(home / "home");
        setenv("BRINDLEMOX_HOME", (home / "home").c_str(), 1);
        stubprograms = 0;
        guest_key_queue_len = 0;
        switch_to(ARCADIA, 6);
    }
    void switch_to(u32 m, u32 map) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
        std::memset(guest_memory, 0x5A, sizeof guest_memory);
    }
    std::string put(const std::string& name, const std::vector<u8>& data) {
        loading_test::write_file(home / name, data);
        return (home / name).string();
    }
    std::string zip(const std::string& name, const std::string& member,
                    const std::vector<u8>& data) {
        loading_test::write_zip(home / name, {{"readme.txt", bytes("hello")}, {member, data}});
        return (home / name).string();
    }
    // Loads by name; the warnings shown go to `output`.
    int load(const std::string& path) {
        capture_output();
        const int result = file_load_by_name(path.c_str(), 0);
        output = captured_output();
        return result;
    }
    bool memory_untouched() const { return guest_memory_all(0x5A); }
    void expect_refused(const std::string& path, const std::string& warning, u32 m, u32 map) {
        SCOPED_TRACE(path);
        EXPECT_EQ(load(path), LOAD_FAILED);
        EXPECT_EQ(output, warning);
        EXPECT_EQ(machine, m);
        EXPECT_EQ(memmap, map);
        EXPECT_TRUE(memory_untouched());
    }
    std::string output;
};

} // namespace

TEST_F(Loader, KnownImagesSwitchToTheirMachineAndMap) {
    switch_to(PIPBUG, 9);
    const std::vector<u8> shoot_out = forge_row(130);
    ASSERT_EQ(load(put("shoot.bin", shoot_out)), LOAD_GAME);
    EXPECT_EQ(output, "");
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(memmap, 0u);
    EXPECT_EQ(known_game_id, 130);
    EXPECT_EQ(file_loaded, 1);
    EXPECT_EQ(std::memcmp(guest_memory, shoot_out.data(), shoot_out.size()), 0);
    EXPECT_STREQ(game_info_fields[0], "Shoot Out");
    EXPECT_EQ(tvc_copy_length, 2048u);
    EXPECT_EQ(filebuf, nullptr); // the buffer is freed after the load

    switch_to(PIPBUG, 9);
    ASSERT_EQ(load(put("baseball.bin", forge_row(1))), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(ARCADIA));
    EXPECT_EQ(memmap, 6u);
    EXPECT_EQ(known_game_id, 1);

    // With "sensegame" off nothing is identified, and the PIPBUG refuses an unknown image.
    sensegame = 0;
    switch_to(PIPBUG, 9);
    expect_refused((home / "baseball.bin").string(),
                   "This file format is not supported for this guest!\n", PIPBUG, 9);
}

TEST_F(Loader, UnknownImagesGoOnlyToMachinesThatTakeThem) {
    const std::string path = put("mine.bin", pattern(300, 1));
    switch_to(PIPBUG, 9);
    expect_refused(path, "This file format is not supported for this guest!\n", PIPBUG, 9);
    EXPECT_EQ(known_game_id, -1);

    switch_to(INSTRUCTOR, 15);
    ASSERT_EQ(load(path), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(INSTRUCTOR));
    EXPECT_EQ(memmap, 15u);
    EXPECT_EQ(std::memcmp(guest_memory, pattern(300, 1).data(), 300), 0);
    EXPECT_STREQ(game_info_fields[0], "-");
}

TEST_F(Loader, BinOfAtMost32KB) {
    switch_to(INSTRUCTOR, 15);
    ASSERT_EQ(load(put("full.bin", pattern(32768, 3))), LOAD_GAME);
    EXPECT_EQ(guest_memory[32767], pattern(32768, 3)[32767]);
    switch_to(INSTRUCTOR, 15);
    const std::string over = put("over.bin", pattern(32769, 3));
    expect_refused(over, "Can't load \"" + over + "\" (too large)!\n\n", INSTRUCTOR, 15);
}

TEST_F(Loader, TvcProgramsRunOnTheExpandedElektor) {
    const std::vector<u8> program = pattern(40, 9);
    const std::vector<u8> file = tvc(0x0900, 0x0902, program); // into the RAM
    ASSERT_EQ(load(put("prog.tvc", file)), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(ELEKTOR));
    EXPECT_EQ(memmap, 5u);
    EXPECT_EQ(game_start_address, 0x0902);
    EXPECT_EQ(std::memcmp(guest_memory + 0x0900, program.data(), program.size()), 0);
    EXPECT_EQ(tvc_copy_length, file.size());
    EXPECT_EQ(std::memcmp(tvc_copy, file.data(), file.size()), 0);
}

// Each program file that names a start address is running from it after the
// load: the Elektor's reset branches there through $08BD, the monitor
// computers start there.
TEST_F(Loader, ProgramFilesStartWhereTheySay) {
    const u8 jump[] = {0x1F, 0x09, 0x00};
    // A TVC as SAVETVC writes it (a branch to itself at $0900), opened on
    // another machine and on the Elektor itself, basic or expanded.
    const std::string q = put("q.tvc", tvc(0x0900, 0x0900, {0x1B, 0x7E}));
    for (const auto& [m, map] : {std::pair{ARCADIA, 6}, {ELEKTOR, 5}, {ELEKTOR, 4}}) {
        SCOPED_TRACE(map);
        switch_to(m, map);
        ASSERT_EQ(load(q), LOAD_GAME);
        EXPECT_EQ(known_game_id, -1);
        EXPECT_EQ(cpu_iar, 0x08BD);
        EXPECT_EQ(guest_memory[0x08B9], 9);
        EXPECT_EQ(guest_memory[0x08BA], 3);
        EXPECT_EQ(std::memcmp(guest_memory + 0x08BD, jump, 3), 0);
        cpu_execute_one();
        EXPECT_EQ(cpu_iar, 0x0900);
        cpu_execute_one();
        EXPECT_EQ(cpu_iar, 0x0900);
    }
    // An Elektor tape file with an end block.
    switch_to(ELEKTOR, 5);
    guest_memory[0x0900] = 0x1B;
    guest_memory[0x0901] = 0x7E;
    const std::string eof = (home / "e.eof").string();
    capture_output();
    ASSERT_EQ(elektor_save_eof(eof, 0x0900, 0x0901, 0x0900, 256), 1);
    captured_output();
    switch_to(ARCADIA, 6);
    ASSERT_EQ(load(eof), LOAD_MEDIUM);
    EXPECT_EQ(machine, static_cast<u32>(ELEKTOR));
    EXPECT_EQ(cpu_iar, 0x08BD);
    EXPECT_EQ(std::memcmp(guest_memory + 0x08BD, jump, 3), 0);

    // The monitor computers' program files start at their start address.
    const std::string cmd = (home / "p.cmd").string(), imag = (home / "p.imag").string(),
                      mod = (home / "p.mod").string();
    switch_to(BINBUG, MAP_BINBUG);
    ASSERT_EQ(binbug_save_cmd(cmd.c_str(), 0x1000, 0x10FF, 0x1004), 1);
    switch_to(CD2650, MAP_CD2650);
    ASSERT_EQ(cd2650_save_imag(imag.c_str(), 0x2000, 0x20FF, 0x2003), 1);
    switch_to(TWIN, MAP_TWIN);
    ASSERT_EQ(twin_save_mod(mod.c_str(), 0x1500, 0x15FF, 0x1510), 1);
    const std::string aof_path = put("p.aof", bytes(aof(0x0440, {0x07, 0x08, 0x09}, 0x0441)));
    const struct {
        std::string path;
        u32 machine, map;
        u16 start;
    } programs[] = {{cmd, BINBUG, MAP_BINBUG, 0x1004},
                    {imag, CD2650, MAP_CD2650, 0x2003},
                    {mod, TWIN, MAP_TWIN, 0x1510},
                    {aof_path, PIPBUG, MAP_PIPBUG_1, 0x0441}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.path);
        switch_to(p.machine == PIPBUG ? PIPBUG : ARCADIA, p.machine == PIPBUG ? p.map : 6);
        ASSERT_NE(load(p.path), LOAD_FAILED) << output;
        EXPECT_EQ(machine, p.machine);
        EXPECT_EQ(cpu_iar, p.start);
    }
}

TEST_F(Loader, TvcRefusalsChangeNothing) {
    std::vector<u8> wrong = tvc(0x0900, 0x0900, {1, 2, 3});
    wrong[0] = 3;
    expect_refused(put("wrong.tvc", wrong), "Corrupt TVC file!\n", ARCADIA, 6);
    expect_refused(put("short.tvc", {2, 9, 0, 9}), "Corrupt TVC file!\n", ARCADIA, 6);
    expect_refused(put("past.tvc", tvc(0x7FFE, 0, {1, 2, 3})), "Corrupt TVC file!\n", ARCADIA, 6);
    ASSERT_EQ(load(put("edge.tvc", tvc(0x7FFD, 0, {1, 2, 3}))), LOAD_GAME);
    EXPECT_EQ(guest_memory[0x7FFF], 0xFF); // accepted; the unwritable top keeps its bytes
}

TEST_F(Loader, AofProgramsOnTheMonitorComputers) {
    const std::string path = put("prog.aof", bytes(aof(0x0440, {0x07, 0x08, 0x09}, 0x0441)));
    expect_refused(path, "This file format is not supported for this guest!\n", ARCADIA, 6);

    switch_to(PIPBUG, 9);
    ASSERT_EQ(load(path), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(PIPBUG));
    EXPECT_EQ(guest_memory[0x0440], 0x07);
    EXPECT_EQ(guest_memory[0x0442], 0x09);
    EXPECT_EQ(game_start_address, 0x0441);
    EXPECT_EQ(file_loaded, 1);
    EXPECT_EQ(guest_key_queue_len, 0); // no auto-run for an unknown program

    // A faulty record refuses the whole file before anything changes.
    std::string text = aof(0x0500, {1, 2, 3, 4}, 0x0500);
    text[12] = text[12] == '0' ? '1' : '0';
    switch_to(PIPBUG, 9);
    expect_refused(put("bad.aof", bytes(text)),
                   "Error: BCC is incorrect!\nFailed to load AOF file!\n\nCorrupt AOF file!\n",
                   PIPBUG, 9);
    EXPECT_EQ(file_loaded, 1); // still the program loaded before
    expect_refused(put("notaof.obj", bytes("hello")), "Corrupt AOF file!\n", PIPBUG, 9);
}

// Byte-exact HEX reading is the object-file reader's test; here the loader's dispatch.
TEST_F(Loader, IntelHexLoadsIntoTheCurrentMachine) {
    switch_to(CD2650, 16);
    const u8 after = guest_memory[0x1011];
    ASSERT_EQ(load(put("image.hex", bytes(":01101000429D\r\n:00000001FF\r\n"))), LOAD_MEDIUM);
    EXPECT_EQ(machine, static_cast<u32>(CD2650));
    EXPECT_EQ(guest_memory[0x1010], 0x42);
    EXPECT_EQ(guest_memory[0x1011], after);
    EXPECT_NE(output.find("Successfully loaded Intel HEX file."), std::string::npos);

    switch_to(CD2650, 16);
    expect_refused(put("ext.hex", bytes(":020000040000FA\r\n:0100100042AD\r\n:00000001FF\r\n")),
                   "Unrecognized block type $04!\nFailed to load Intel HEX file!\n\n"
                   "Corrupt HEX file!\n",
                   CD2650, 16);
    expect_refused(put("text.hex", bytes("hello")), "Corrupt HEX file!\n", CD2650, 16);
}

TEST_F(Loader, GamesAndProgramsFromZipArchives) {
    switch_to(PIPBUG, 9);
    const std::vector<u8> shoot_out = forge_row(130);
    ASSERT_EQ(load(zip("shoot.zip", "GAME.ROM", shoot_out)), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(known_game_id, 130);
    EXPECT_EQ(std::memcmp(guest_memory, shoot_out.data(), shoot_out.size()), 0);

    ASSERT_EQ(load(zip("prog.zip", "prog.tvc", tvc(0x0800, 0x0800, {0x1F, 0x08, 0x00}))),
              LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(ELEKTOR));
    EXPECT_EQ(guest_memory[0x0800], 0x1F);

    switch_to(BINBUG, 11);
    ASSERT_EQ(load(zip("obj.zip", "x.aof", bytes(aof(0x0600, {0xAA}, 0x0600)))), LOAD_GAME);
    EXPECT_EQ(guest_memory[0x0600], 0xAA);

    switch_to(BINBUG, 11);
    expect_refused(zip("hex.zip", "x.hex", bytes(":00000001FF")),
                   "No Signetics files found in ZIP archive!\n", BINBUG, 11);
    capture_output();
    EXPECT_EQ(file_load_by_name((home / "hex.zip").c_str(), 1), LOAD_FAILED);
    EXPECT_EQ(captured_output(), ""); // quiet
}

TEST_F(Loader, KindsWithoutAReaderYetChangeNothing) {
    switch_to(ELEKTOR, 5);
    const char* unsupported = "This file format is not supported for loading!\n";
    const std::pair<const char*, std::string> files[] = {
        {"tape.wav", "File is too short!\n"},
        {"disk.raw", "This file format is not supported for this guest!\n"},
        {"notes.txt", unsupported},
        {"README", unsupported}};
    for (const auto& [name, warning] : files) {
        const std::string path = put(name, bytes("data"));
        // A file no loader takes is named on the console too, as every file not loaded is.
        const std::string named = warning == unsupported
                                      ? "Can't load \"" + path +
                                            "\" (no loader takes a file of this kind)!\n\n"
                                      : "";
        expect_refused(path, warning + named, ELEKTOR, 5);
    }
}

// What cannot be read is named once, nothing is read from it and nothing
// changes; a FIFO without a writer must not hold the loader up.
TEST_F(Loader, UnreadableFilesAreNamedOnce) {
    const std::string fifo = (home / "pipe.bin").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = put("huge.bin", {});
    fs::resize_file(huge, std::uintmax_t{1} << 30); // sparse: nothing is written
    // Each is named with the reason it was refused.
    const std::pair<std::string, const char*> paths[] = {
        {(home / "missing.bin").string(), "not found"},
        {put("empty.bin", {}), "empty"},
        {put("empty.zip", {}), "empty"},
        {home.string(), "a directory"},
        {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {huge, "too large"},
        {put("big.tvc", std::vector<u8>(TVC_COPY_BYTES + 1, 2)), "too large"},
        {put("big.aof", std::vector<u8>(PROGRAM_FILE_MAX_SIZE + 1, ':')), "too large"}};
    for (const auto& [path, why] : paths)
        expect_refused(path, "Can't load \"" + path + "\" (" + why + ")!\n\n", ARCADIA, 6);
    const std::string long_name(600, 'x');
    expect_refused(long_name, "", ARCADIA, 6);
    capture_output();
    EXPECT_EQ(file_load_by_name(fifo.c_str(), 1), LOAD_FAILED); // quiet, as for the autosave
    EXPECT_EQ(captured_output(), "");
}

// A ZIP member larger than its kind allows is refused by the directory's
// size before anything is inflated.
TEST_F(Loader, OversizedZipMembersAreRefusedByTheirKind) {
    const std::string big = zip("big.zip", "game.bin", std::vector<u8>(BIN_MAX_SIZE + 1, 7));
    expect_refused(big, "Can't load \"" + big + "\" (too large)!\n\n", ARCADIA, 6);
    switch_to(ELEKTOR, 5);
    const std::string fits = zip("fits.zip", "game.tvc", tvc(0x0900, 0x0900, pattern(0x7000, 1)));
    EXPECT_EQ(load(fits), LOAD_GAME) << output;
    EXPECT_EQ(guest_memory[0x0900 + 0x0100], pattern(0x7000, 1)[0x0100]);
    // The expanded map's unwritable area above $2200 keeps its $FF.
    EXPECT_EQ(guest_memory[0x0900 + 0x6FFF], 0xFF);
}

TEST(LoadKinds, EveryKindTheLoaderReadsHasALimitNoOtherHas) {
    for (int kind = 0; kind < FILE_KINDS; kind++) {
        SCOPED_TRACE(kind);
        const u32 limit = load_kind_max_size(kind);
        const bool read = kind == KIND_BIN || kind == KIND_TVC || kind == KIND_COS ||
                          kind == KIND_COR || kind == KIND_AOF || kind == KIND_HEX ||
                          kind == KIND_EOF || kind == KIND_CMD || kind == KIND_MOD ||
                          kind == KIND_IMAG || kind == KIND_BPNF || kind == KIND_SMS ||
                          kind == KIND_SYM;
        EXPECT_EQ(limit != 0, read);
        EXPECT_LE(limit, LOAD_MAX_SIZE);
    }
    EXPECT_EQ(load_kind_max_size(KIND_BIN), BIN_MAX_SIZE);
    EXPECT_EQ(load_kind_max_size(KIND_COS), STATE_BUFFER_SIZE);
}

TEST_F(Loader, PhunsyPlacement) {
    switch_to(PHUNSY, 19);
    const std::vector<u8> program = pattern(9000, 5);
    ASSERT_EQ(load(put("big.bin", program)), LOAD_GAME);
    EXPECT_EQ(game_start_address, 0x2000);
    EXPECT_EQ(std::memcmp(guest_memory + 0x2000, program.data(), 8192), 0); // at most 8 KB
    EXPECT_EQ(phunsy_bank_control, 0);

    // A known game: its row's blocks (here the whole file at $0000).
    switch_to(ARCADIA, 6);
    const std::vector<u8> phcsrd = forge_row(650);
    ASSERT_EQ(load(put("phcsrd.bin", phcsrd)), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(PHUNSY));
    EXPECT_EQ(known_game_id, 650);
    EXPECT_EQ(std::memcmp(guest_memory, phcsrd.data(), 512), 0);
}

TEST_F(Loader, PhunsyBlocksMustFitTheFileAndTheirPlace) {
    KnownGame g{};
    g.block1_address = 0x0400;
    EXPECT_TRUE(phunsy_blocks_fit(g, 0x7C00));
    EXPECT_FALSE(phunsy_blocks_fit(g, 0x7C01)); // past $7FFF
    g.block1_length = 100;
    g.block2_length = 50;
    g.block2_address = 0x8000 + 32768 - 50; // the end of the U-bank store
    EXPECT_TRUE(phunsy_blocks_fit(g, 150));
    EXPECT_FALSE(phunsy_blocks_fit(g, 149)); // the second block is longer than the file
    EXPECT_FALSE(phunsy_blocks_fit(g, 99));
    g.block2_address = 0x8000 + 32768 - 49;
    EXPECT_FALSE(phunsy_blocks_fit(g, 150));
    g.block2_address = 0x10000 + 16 * 16384 - 50; // the end of the Q-bank store
    EXPECT_TRUE(phunsy_blocks_fit(g, 150));
    g.block2_address = 0x50000;
    EXPECT_FALSE(phunsy_blocks_fit(g, 150));
}

TEST_F(Loader, OpenRequesterAddsTheDefaultSuffixThenZip) {
    switch_to(ELEKTOR, 5);
    loading_test::write_zip(home / "game.zip", {{"game.tvc", tvc(0x0900, 0x0900, {0x42})}});
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", (home / "game").c_str());
    capture_output();
    EXPECT_EQ(file_open_chosen(0), LOAD_GAME);
    captured_output();
    EXPECT_EQ(std::string(file_name_buffer), (home / "game.zip").string());
    EXPECT_EQ(guest_memory[0x0900], 0x42);

    switch_to(INTERTON, 3);
    put("cart.bin", pattern(2048, 4));
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", (home / "cart").c_str());
    EXPECT_EQ(file_open_chosen(0), LOAD_GAME);
    EXPECT_EQ(std::string(file_name_buffer), (home / "cart.bin").string());
    EXPECT_EQ(guest_memory[2047], pattern(2048, 4)[2047]);
}

TEST_F(Loader, SaveStatesComeBackWithTheirGame) {
    switch_to(INTERTON, 0); // a new game: the Interton's default map, type "D"
    ASSERT_EQ(memmap, 3u);
    known_game_id = 130;
    guest_memory[0x1234] = 0x77;
    const std::string path = (home / "snap.cos").string();
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", path.c_str());
    capture_output();
    ASSERT_TRUE(state_save_file(FILE_KIND_COS, 0));
    captured_output();

    switch_to(PIPBUG, 9);
    known_game_id = -1;
    ASSERT_EQ(load(path), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(memmap, 3u); // the state's own map wins over its game's
    EXPECT_EQ(known_game_id, 130);
    EXPECT_EQ(guest_memory[0x1234], 0x77);
    EXPECT_EQ(file_loaded, 1);

    switch_to(PIPBUG, 9);
    std::vector<u8> bad = {0x12, 0x34, 0, 0};
    EXPECT_EQ(load(put("bad.cos", bad)), LOAD_FAILED);
    EXPECT_NE(output, "");
    EXPECT_EQ(machine, static_cast<u32>(PIPBUG));
    EXPECT_TRUE(memory_untouched());
}

// A PIPBUG state of another display type brings the picture buffer to the
// size of its frame as it loads, so the next frame draws inside it.
TEST_F(Loader, AStateOfAnotherDisplayTypeFitsThePictureToItsFrame) {
    const std::string path = (home / "vdu.cos").string();
    for (i32 saved = 0; saved <= 5; saved++)
        for (i32 shown = 0; shown <= 5; shown++) {
            if (saved == shown) continue;
            SCOPED_TRACE("saved with display " + std::to_string(saved) + ", shown " +
                         std::to_string(shown));
            switch_to(PIPBUG, 9);
            vdu_select_type(155 + saved);
            std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", path.c_str());
            capture_output();
            ASSERT_TRUE(state_save_file(FILE_KIND_COS, 0));
            captured_output();
            const i32 width = machine_live_row().width, height = machine_live_row().height;
            vdu_select_type(155 + shown);
            ASSERT_NE(machine_live_row().width * 1000 + machine_live_row().height,
                      width * 1000 + height);

            ASSERT_EQ(load(path), LOAD_GAME);
            ASSERT_EQ(pipbug_vdu, saved);
            EXPECT_EQ(machine_live_row().width, width);
            EXPECT_EQ(display_host_width,
                      width * static_cast<i32>(display_scale * (display_aspect == 2 ? 2 : 1)));
            EXPECT_EQ(display_host_height, height * static_cast<i32>(display_scale));
            emu_run_frame();
        }
}

TEST_F(Loader, OpenCommandHandlesTheRequestersAnswer) {
    std::snprintf(games_path, sizeof games_path, "%s", (home / "elsewhere").c_str());
    viewbuiltin = 0;

    put("shot.bin", forge_row(130));
    games_count = 0;
    EXPECT_EQ(file_open_answer(5, games_path), LOAD_FAILED); // confirmed without a name
    EXPECT_EQ(games_count, 2); // the drawer was audited again (it is empty)
    EXPECT_EQ(file_open_answer(1, games_path), LOAD_FAILED);

    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", (home / "shot").c_str());
    const std::string previous = games_path;
    EXPECT_EQ(file_open_answer(0, previous.c_str()), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(std::string(games_path), home.string());
    EXPECT_STREQ(game_file_name, "shot.bin");
    bool listed = false; // the new drawer was audited into the list
    for (int i = 0; i < games_count; i++)
        listed |= games_found[i].game_row == 130;
    EXPECT_TRUE(listed);

    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", (home / "none").c_str());
    EXPECT_EQ(file_open_answer(0, games_path), LOAD_FAILED);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
}

TEST_F(Loader, AutoRunKeysOfKnownPrograms) {
    switch_to(PIPBUG, 9);
    known_game_id = 520;
    aof_auto_run();
    ASSERT_EQ(guest_key_queue_len, 1);
    EXPECT_EQ(guest_key_queue[0], '\r');
    guest_key_queue_len = 0;
    for (int row : {-1, 457, 859}) {
        known_game_id = row;
        aof_auto_run();
    }
    EXPECT_EQ(guest_key_queue_len, 0);
}

// A request travels by value: what loads is the file it names, and the games
// database row it finds becomes the known game only once the file is taken.
TEST_F(Loader, RequestsCommitTheirRowOnlyWhenTheFileIsTaken) {
    switch_to(PIPBUG, 9);
    LoadRequest request = load_request(zip("shoot.zip", "GAME.ROM", forge_row(130)).c_str());
    const std::string named = request.path;
    capture_output();
    ASSERT_EQ(file_load_request(std::move(request)), LOAD_GAME);
    captured_output();
    EXPECT_EQ(known_game_id, 130);
    EXPECT_EQ(std::string(file_name_buffer), named);
    EXPECT_EQ(filebuf, nullptr); // a game image leaves nothing in the file buffer

    // Refused on a machine that takes no unknown image: the known game stays.
    switch_to(PIPBUG, 9);
    known_game_id = 130;
    std::memset(guest_memory, 0x5A, sizeof guest_memory);
    capture_output();
    EXPECT_EQ(file_load_request(load_request(put("mine.bin", pattern(300, 1)).c_str())),
              LOAD_FAILED);
    EXPECT_EQ(captured_output(), "This file format is not supported for this guest!\n");
    EXPECT_EQ(known_game_id, 130);
    EXPECT_TRUE(memory_untouched());

    // A quiet request names no file it cannot read.
    capture_output();
    EXPECT_EQ(file_load_request(load_request((home / "none.bin").c_str(), 1)), LOAD_FAILED);
    EXPECT_EQ(captured_output(), "");
}

// A recording that plays from the file buffer runs again from its start, from
// the bytes it holds, whatever became of the file it was read from.
TEST_F(Loader, AKeptRecordingRunsAgainFromTheFileBuffer) {
    switch_to(INTERTON, 0);
    guest_memory[0x1234] = 0x77;
    const std::string path = (home / "play.cor").string();
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", path.c_str());
    capture_output();
    ASSERT_TRUE(state_save_file(FILE_KIND_COR, 0));
    captured_output();

    switch_to(PIPBUG, 9);
    ASSERT_EQ(load(path), LOAD_GAME);
    ASSERT_EQ(rec_state, REC_PLAYBACK);
    fs::remove(path);
    const u8* kept = filebuf;
    guest_memory[0x1234] = 0x11;
    filebuf_cursor = filebuf_length;
    rec_restart_playback();
    EXPECT_EQ(rec_state, REC_PLAYBACK);
    EXPECT_EQ(filebuf, kept);
    EXPECT_EQ(filebuf_cursor, state_length);
    EXPECT_EQ(guest_memory[0x1234], 0x77);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
}

// A file that cannot be read leaves a playing recording and the buffer it
// plays from as they were; one that is read replaces the buffer with its bytes.
TEST_F(Loader, AFailedReadLeavesAPlayingRecordingAlone) {
    switch_to(INTERTON, 0);
    const std::string path = (home / "play.cor").string();
    std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", path.c_str());
    capture_output();
    ASSERT_TRUE(state_save_file(FILE_KIND_COR, 0));
    captured_output();
    ASSERT_EQ(load(path), LOAD_GAME);
    ASSERT_EQ(rec_state, REC_PLAYBACK);
    const std::vector<u8> played(filebuf, filebuf + filebuf_length);
    const u8* kept = filebuf;
    for (const std::string& bad : {(home / "missing.bin").string(), put("empty.bin", {}),
                                   put("big.tvc", std::vector<u8>(TVC_COPY_BYTES + 1, 2))}) {
        EXPECT_EQ(load(bad), LOAD_FAILED) << bad;
        EXPECT_EQ(rec_state, REC_PLAYBACK) << bad;
        ASSERT_EQ(filebuf, kept) << bad;
        EXPECT_EQ(std::vector<u8>(filebuf, filebuf + filebuf_length), played) << bad;
    }

    // The same recording read again plays from a buffer of its own bytes.
    ASSERT_EQ(load(path), LOAD_GAME);
    EXPECT_EQ(rec_state, REC_PLAYBACK);
    EXPECT_EQ(filebuf_size, played.size());
    EXPECT_EQ(std::vector<u8>(filebuf, filebuf + filebuf_length), played);
    EXPECT_EQ(filebuf_cursor, state_length);
}
