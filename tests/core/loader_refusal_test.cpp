// A file the loader refuses leaves the running machine as it was: machine,
// memory map, guest memory, processor, the game it runs. Each kind of file is
// refused here while a machine other than the file's own runs.
#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "home_fixture.h"
#include "loading_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

using loading_test::bytes;

namespace {

// What a refused file must not touch.
struct Running {
    u32 machine, memmap;
    std::vector<u8> memory;
    CpuState cpu;
    i32 game;
    u8 loaded;
    u16 start;

    static Running now() {
        Running r{::machine,
                  ::memmap,
                  {guest_memory, guest_memory + GUEST_MEMORY_SIZE},
                  {},
                  known_game_id,
                  file_loaded,
                  game_start_address};
        cpu_state_save(r.cpu);
        return r;
    }
    void expect_same(const Running& was) const {
        EXPECT_EQ(machine, was.machine);
        EXPECT_EQ(memmap, was.memmap);
        EXPECT_TRUE(memory == was.memory) << "guest memory changed";
        EXPECT_EQ(cpu.iar, was.cpu.iar);
        EXPECT_EQ(std::memcmp(cpu.regs, was.cpu.regs, sizeof cpu.regs), 0) << "registers";
        EXPECT_EQ(cpu.psu, was.cpu.psu);
        EXPECT_EQ(cpu.psl, was.cpu.psl);
        EXPECT_EQ(std::memcmp(cpu.ras, was.cpu.ras, sizeof cpu.ras), 0) << "return stack";
        EXPECT_EQ(cpu.cycles, was.cpu.cycles);
        EXPECT_EQ(game, was.game) << "the running game's row";
        EXPECT_EQ(loaded, was.loaded);
        EXPECT_EQ(start, was.start);
    }
};

struct Refusal {
    const char* name;
    std::vector<u8> data;
    u32 machine, memmap; // what runs meanwhile: never the file's machine
    const char* warning; // part of what is shown
};

class LoaderRefusals : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        stubprograms = 0;
        sensegame = 1;
    }
    // A game of `row` runs on machine `m` with map `map`, mid-way, with
    // memory and registers no load would leave.
    void run_game(u32 m, u32 map, i32 row) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
        known_game_id = row;
        file_loaded = 1;
        game_start_address = 0x0123;
        for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
            guest_memory[a] = static_cast<u8>(a * 13 + 5);
        CpuState cpu;
        cpu_state_save(cpu);
        cpu.iar = 0x0456;
        for (int i = 0; i < 7; i++)
            cpu.regs[i] = static_cast<u8>(0x11 * (i + 1));
        cpu.psu = 0x27;
        cpu.psl = 0xC1;
        cpu.ras[3] = 0x0789;
        cpu.cycles = 123456;
        cpu_state_load(cpu);
    }
    std::string put(const std::string& name, const std::vector<u8>& data) {
        loading_test::write_file(home / name, data);
        return (home / name).string();
    }
    int load(const std::string& path) {
        capture_output();
        const int result = file_load_by_name(path.c_str(), 0);
        output = captured_output();
        return result;
    }
    // The file is refused with its warning while a game runs, and the game is left as it was.
    void expect_refused(const Refusal& r) {
        SCOPED_TRACE(r.name);
        const std::string path = put(r.name, r.data);
        run_game(r.machine, r.memmap, 457);
        const Running was = Running::now();
        EXPECT_EQ(load(path), LOAD_FAILED);
        EXPECT_NE(output.find(r.warning), std::string::npos) << output;
        Running::now().expect_same(was);
    }
    // A save state of an Interton game, as a file.
    std::vector<u8> interton_state(u8 kind) {
        run_game(INTERTON, 3, 130);
        const std::string path = (home / "saved.cos").string();
        std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s", path.c_str());
        capture_output();
        EXPECT_TRUE(state_save_file(FILE_KIND_COS, 0));
        captured_output();
        std::vector<u8> file(std::filesystem::file_size(path));
        FILE* f = std::fopen(path.c_str(), "rb");
        EXPECT_TRUE(f && std::fread(file.data(), 1, file.size(), f) == file.size());
        if (f) std::fclose(f);
        file[2] = kind;
        return file;
    }
    std::string output;
};

std::string bad_aof() {
    std::string text = loading_test::aof_record(0x0440, {1, 2, 3, 4}) + "\r\n" +
                       loading_test::aof_end(0x0440) + "\r\n";
    text[12] = text[12] == '0' ? '1' : '0'; // a data digit: the check byte no longer fits
    return text;
}

std::vector<u8> tvc(u8 type, u16 load, std::size_t length) {
    std::vector<u8> file(5 + length, 0x3F);
    file[0] = type;
    file[1] = static_cast<u8>(load >> 8);
    file[2] = static_cast<u8>(load);
    file[3] = 0x09;
    file[4] = 0x00;
    return file;
}

} // namespace

// Game images, object files and programs.
TEST_F(LoaderRefusals, ImagesObjectFilesAndProgramsChangeNothing) {
    const std::string good_aof =
        loading_test::aof_record(0x0440, {7, 8, 9}) + "\r\n" + loading_test::aof_end(0x0440);
    const Refusal refusals[] = {
        {"unknown.bin", std::vector<u8>(2048, 0x42), PIPBUG, 9, "not supported for this guest"},
        {"over.bin", std::vector<u8>(BIN_MAX_SIZE + 1, 0x42), ARCADIA, 6, "Can't load"},
        {"bad.aof", bytes(bad_aof()), ARCADIA, 6, "Corrupt AOF file!"},
        {"bad.obj", bytes("no records"), INTERTON, 3, "Corrupt AOF file!"},
        {"prog.aof", bytes(good_aof), ARCADIA, 6, "not supported for this guest"},
        {"bad.hex", bytes(":0100100042AE\r\n:00000001FF\r\n"), ARCADIA, 6, "Checksum"},
        {"ext.hex", bytes(":020000040000FA\r\n:00000001FF\r\n"), INTERTON, 3, "block type"},
        {"cut.hex", bytes(":01001000"), PIPBUG, 9, "cut short"},
        {"type.tvc", tvc(3, 0x0900, 8), ARCADIA, 6, "Corrupt TVC file!"},
        {"past.tvc", tvc(2, 0x7FFE, 3), PIPBUG, 9, "Corrupt TVC file!"},
        {"head.tvc", {2, 9, 0, 9}, INTERTON, 3, "Corrupt TVC file!"},
        {"tape.sms", {18, 1, 2}, ARCADIA, 6, "Corrupt SMS file!"},
        {"tape.wav", bytes("data"), ARCADIA, 6, "This file format is not supported for this guest!"},
        {"tape.aiff", bytes("FORM"), ELEKTOR, 5, "File is too short!"},
        {"tape.mdcr", bytes("data"), ELEKTOR, 5, "This file format is not supported for this guest!"},
        // Kinds whose readers are not written yet.
        {"tape.eof", bytes("data"), ARCADIA, 6, "Corrupt EOF file!"},
        {"past.cmd", {0x90, 0x00, 0x01, 0x00}, ELEKTOR, 5, "Corrupt CMD file!"},
        {"prog.mod", bytes("data"), PIPBUG, 9, "Corrupt MOD file!"},
        {"past.imag", {0x7F, 0xFF, 0x00, 0x02, 1, 2}, ARCADIA, 6, "Corrupt IMAG file!"},
        {"disk.img", bytes("data"), ARCADIA, 6, "This file format is not supported for this guest!"},
    };
    for (const Refusal& r : refusals)
        expect_refused(r);
}

// An unknown BIN image runs where the machine starts from an image, an
// unknown AOF program where its monitor loads one; elsewhere both are refused.
TEST_F(LoaderRefusals, UnknownImagesAndProgramsRunOnlyWhereTheyFit) {
    const std::string bin = put("unknown.bin", std::vector<u8>(2048, 0x42));
    const std::string aof = put("unknown.aof", bytes(loading_test::aof_record(0x0440, {7, 8, 9}) +
                                                     "\r\n" + loading_test::aof_end(0x0440)));
    const u32 bin_machines[] = {ARCADIA, INTERTON, INSTRUCTOR, PHUNSY};
    const u32 aof_machines[] = {PIPBUG, BINBUG, INSTRUCTOR, CD2650, SELBST, MIKIT};
    auto in = [](u32 m, const auto& set) {
        return std::find(std::begin(set), std::end(set), m) != std::end(set);
    };
    for (u32 m = 0; m < MACHINES; m++) {
        SCOPED_TRACE(machine_table[m].keyword);
        const u32 map = static_cast<u32>(machine_table[m].default_memmap);
        run_game(m, map, -1);
        EXPECT_EQ(load(bin), in(m, bin_machines) ? LOAD_GAME : LOAD_FAILED) << output;
        EXPECT_EQ(machine, m);
        run_game(m, map, -1);
        EXPECT_EQ(load(aof), in(m, aof_machines) ? LOAD_GAME : LOAD_FAILED) << output;
        EXPECT_EQ(machine, m);
    }
}

// Save states are checked whole before the machine is switched to theirs.
TEST_F(LoaderRefusals, SaveStatesChangeNothing) {
    const std::vector<u8> cos = interton_state(0);
    auto changed = [&cos](std::size_t at, u8 value) {
        std::vector<u8> file = cos;
        file[at] = value;
        return file;
    };
    std::vector<u8> shorter(cos.begin(), cos.end() - 1);
    std::vector<u8> longer = cos;
    longer.push_back(0);
    std::vector<u8> cor_cut(cos.begin(), cos.begin() + 60);
    cor_cut[2] = 1;
    const Refusal refusals[] = {
        {"magic.cos", changed(0, 0xBE), PIPBUG, 9, "Corrupt COS/COR file!"},
        {"version.cos", changed(1, 0xEE), PIPBUG, 9, "made by a newer version"},
        {"foreign.cos", changed(2, 2), ARCADIA, 6, "are not supported"},
        {"nomap.cos", changed(3, 0xFF), PIPBUG, 9, "made by a newer version"},
        {"address.cos", changed(8, 0x80), PIPBUG, 9, "Corrupt COS/COR file!"},
        {"short.cos", shorter, ELEKTOR, 5, "Corrupt COS/COR file!"},
        {"long.cos", longer, PIPBUG, 9, "Corrupt COS/COR file!"},
        {"cut.cor", cor_cut, ARCADIA, 6, "Corrupt COS/COR file!"},
    };
    for (const Refusal& r : refusals)
        expect_refused(r);
    // The same state unspoilt loads, onto its own machine.
    run_game(PIPBUG, 9, 457);
    EXPECT_EQ(load(put("whole.cos", cos)), LOAD_GAME);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(known_game_id, 130);
}

namespace {
u32 parsed_on = ~0u, committed_on = ~0u;
bool accept_program = false;
int planted_parse(u32) {
    parsed_on = machine;
    return accept_program;
}
void planted_commit() {
    committed_on = machine;
    guest_memory[0x0440] = 0x99;
}
} // namespace

// A program reader parses on the machine that runs; only an accepted file
// switches to the reader's machine, where it is committed.
TEST_F(LoaderRefusals, ProgramReadersParseBeforeTheSwitchAndCommitAfter) {
    ProgramReader* reader = loader_program_reader(KIND_CMD);
    ASSERT_NE(reader, nullptr);
    const ProgramReader kept = *reader;
    *reader = ProgramReader{planted_parse, planted_commit};
    const std::string path = put("prog.cmd", bytes("program"));

    run_game(ARCADIA, 6, 457);
    const Running was = Running::now();
    accept_program = false;
    committed_on = ~0u;
    EXPECT_EQ(load(path), LOAD_FAILED);
    EXPECT_EQ(output, "Corrupt CMD file!\n");
    EXPECT_EQ(parsed_on, static_cast<u32>(ARCADIA));
    EXPECT_EQ(committed_on, ~0u);
    Running::now().expect_same(was);

    accept_program = true;
    EXPECT_EQ(load(path), LOAD_MEDIUM);
    EXPECT_EQ(parsed_on, static_cast<u32>(ARCADIA));
    EXPECT_EQ(committed_on, static_cast<u32>(BINBUG));
    EXPECT_EQ(machine, static_cast<u32>(BINBUG));
    EXPECT_EQ(memmap, 11u);
    EXPECT_EQ(guest_memory[0x0440], 0x99);
    *reader = kept;
    EXPECT_FALSE(loader_reader_missing(KIND_CMD)); // the machine's own reader is back
}
