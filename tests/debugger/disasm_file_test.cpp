// Disassembly into a source file: code discovery through branches and calls,
// indirect and calculated branches reported, data between code, invented
// labels, equates and the directives of each notation, and the end of the
// address space.
#include "tests/support/quiet_output.h"
#include "core/loader.h"
#include "debugger/disasm_file.h"
#include "tests/cpu/disasm_fixture_test.h"

#include "core/machine_table.h"
#include "core/machine_titles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class DisasmFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dis_test_reset();
        machine = INTERTON;
        memmap = 0;
        home.emplace("disasm-file");
        dir = home->path();
        std::snprintf(projects_path, sizeof projects_path, "%s", dir.c_str());
        std::memset(user_labels, 0, sizeof user_labels);
        std::memset(label_table, 0, sizeof label_table);
    }
    void TearDown() override {
        home.reset();
        fresh_state();
    }

    // Runs dis_to_file into <dir>/name.bin (written as name.asm); returns the file.
    std::string run(u32 first, u32 last, const char* name = "prog.bin") {
        std::string path = (dir / name).string();
        capture_output();
        dis_to_file(first, last, path.c_str());
        console = captured_output();
        std::ifstream in(dir / (fs::path(name).stem().string() + ".asm"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // What the formatter writes for an address in operands.
    static std::string addr(u32 address) {
        char text[DBG_ADDRESS_TEXT_SIZE];
        dbg_format_address(address, text, 0, 0, 15, 0);
        return text;
    }

    static const LabelRow* user_label(const char* name) {
        for (u32 i = 0; i < user_label_count; i++)
            if (std::strcmp(user_labels[i].name, name) == 0) return &user_labels[i];
        return nullptr;
    }

    std::optional<TempHome> home;
    fs::path dir;
    std::string console;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A small program for the Interton (interrupt entry $0003).
void load_program() {
    dis_test_poke(0x0000, {0x1F, 0x00, 0x10}); // BCTA,un $0010
    dis_test_poke(0x0003, {0x37});             // RETE,un (the interrupt entry)
    dis_test_poke(0x0004, {0xAA});             // never reached: data
    dis_test_poke(0x0010, {0x0C, 0x00, 0x40}); // LODA,r0 $0040
    dis_test_poke(0x0013, {0xC8, 0x05});       // STRR,r0 $001A
    dis_test_poke(0x0015, {0x3F, 0x00, 0x30}); // BSTA,un $0030
    dis_test_poke(0x0018, {0x1F, 0x80, 0x50}); // BCTA,un *$0050 (pointer in RAM)
    dis_test_poke(0x0030, {0x0D, 0x60, 0x41}); // LODA,r1 $0041,r1: indexed
    dis_test_poke(0x0033, {0x9F, 0x00, 0x60}); // BXA $0060,r3
    dis_test_poke(0x0050, {0x00, 0x60});       // the pointer
    dis_test_poke(0x0070, {0x00, 0x40});       // LODZ r0, HALT
}

} // namespace

TEST_F(DisasmFile, DiscoversCodeNamesTargetsAndReportsBranches) {
    load_program();
    sym_add("ENTRY", 0x0070, 'C');  // a code label seeds the discovery
    sym_add("SCREEN", 0x1F00, 'D'); // outside the range: listed among the equates
    char entry[DBG_ADDRESS_TEXT_SIZE];
    bool entry_known = dbg_format_address(0x0070, entry, 0, 0, 15, 0) != 0;
    std::string text = run(0x0000, 0x007F);
    ASSERT_FALSE(text.empty());
    EXPECT_FALSE(fs::exists(dir / "prog.asm.tmp"));

    // Invented labels by kind.
    struct Expect {
        const char* name;
        u16 address;
        u8 kind;
    } labels[] = {{"BOOT", 0x0000, 'C'},
                  {"INTERRUPT", 0x0003, 'C'},
                  {"L0010", 0x0010, 'C'},
                  {"L0030", 0x0030, 'C'},
                  {"X0040", 0x0040, 'D'}};
    for (const Expect& e : labels) {
        const LabelRow* row = user_label(e.name);
        ASSERT_NE(row, nullptr) << e.name;
        EXPECT_EQ(row->address, e.address) << e.name;
        EXPECT_EQ(row->kind, e.kind) << e.name;
    }
    EXPECT_EQ(user_label("X0041"), nullptr); // indexed access: no data label
    EXPECT_EQ(user_label("L0060"), nullptr); // indirect target in RAM stays data
    EXPECT_EQ(user_label("P0050"), nullptr);
    // $001A lies inside the BCTA's bytes, where the body cannot define a
    // name: the STRR writes the address.
    EXPECT_EQ(user_label("X001A"), nullptr);
    // An address the formatter already names keeps its name.
    EXPECT_EQ(user_label("L0070") == nullptr, entry_known);

    // Header.
    std::string title = machine_title(INTERTON);
    EXPECT_EQ(
        text.rfind(";" + (dir / "prog.asm").string() + "\n;Disassembled by " + title + " at ", 0),
        0u)
        << text.substr(0, 200);
    EXPECT_TRUE(contains(text, std::string(";Platform: ") + memmap_table[0].name + "\n"));
    EXPECT_TRUE(contains(text, ";Size:     128 bytes ($0000..$007F)\n\n"));

    // Equates: only the label outside the body.
    EXPECT_TRUE(contains(text, ";User Equates-----------------------------------------------------"
                               "--------\nSCREEN:           EQU $1F00 ;data\n"))
        << text;
    EXPECT_FALSE(contains(text, "ENTRY             EQU"));
    EXPECT_TRUE(contains(text, "\n        ORG   $0\n\n"));

    // Body: code lines, the flow ends followed by a blank line, warnings.
    EXPECT_TRUE(contains(text, "        BCTA,un " + addr(0x0010)));
    EXPECT_TRUE(contains(text, "1F 00 10\n\n"));
    EXPECT_TRUE(contains(text, "        RETE,un"));
    EXPECT_TRUE(contains(text, "        DB      $AA\n"));
    EXPECT_TRUE(contains(text, "        LODA,r0 " + addr(0x0040)));
    EXPECT_TRUE(contains(text, "        STRR,r0 " + addr(0x001A)));
    EXPECT_TRUE(contains(text, "        BSTA,un " + addr(0x0030)));
    EXPECT_TRUE(contains(text, "1F 80 50\n;Warning: indirect branch!\n\n"));
    EXPECT_TRUE(contains(text, "9F 00 60\n;Warning: calculated branch!\n\n"));
    EXPECT_TRUE(contains(text, "00      \n;Warning: indeterminate instruction!\n"));
    EXPECT_TRUE(contains(text, "40      \n\n"));
    // The pointer and the bytes after the BXA are data, one per line.
    EXPECT_TRUE(contains(text, "        DB      $00\n        DB      $60\n"));
    EXPECT_TRUE(contains(text, "\n        END     $0000\n"));
    // Every line of the body is either code, data, a label, a warning or blank.
    EXPECT_EQ(text.substr(text.size() - 23), "\n        END     $0000\n");

    // The same text reached the console, followed by a line end.
    EXPECT_TRUE(contains(console, text));
    EXPECT_EQ(dis_mode, static_cast<u32>(DIS_INTERACTIVE));
}

TEST_F(DisasmFile, DirectivesOfEachNotation) {
    load_program();
    sym_add("SCREEN", 0x1F00, 'D');
    dis_notation = NOTATION_OLD_CALM;
    std::string text = run(0x0000, 0x0007);
    EXPECT_TRUE(contains(text, "SCREEN:           .EQU 16'1F00 ;data\n"));
    EXPECT_TRUE(contains(text, "\n        .LOC    16'0\n\n"));
    EXPECT_TRUE(contains(text, "        .DATA    16'AA\n"));
    EXPECT_TRUE(contains(text, "\n        .END     16'0000\n"));
    dis_notation = NOTATION_IEEE;
    game_start_address = 0x0010;
    text = run(0x0000, 0x0007);
    EXPECT_TRUE(contains(text, "SCREEN:           EQU H'1F00 ;data\n"));
    EXPECT_TRUE(contains(text, "\n        ORG    H'0\n\n"));
    EXPECT_TRUE(contains(text, "        DATA   H'AA\n"));
    EXPECT_TRUE(contains(text, "\n        END    H'0010\n"));
}

TEST_F(DisasmFile, DataBytesCarryAddressCommentsAtVerbosityTwo) {
    verbosity = 2;
    dis_test_poke(0x0000, {0x40, 0x12, 0x34});
    std::string text = run(0x0000, 0x0002);
    EXPECT_TRUE(contains(
        text, "        DB      $12                                      ;  0,1 $0001 12\n"
              "        DB      $34                                      ;  0,1 $0002 34\n"))
        << text;
    dis_notation = NOTATION_NEW_CALM;
    text = run(0x0000, 0x0002);
    EXPECT_TRUE(contains(
        text, "        .DATA    16'12                                   ;  0,1 $0001 12\n"))
        << text;
    // The instruction line of a file has the semicolon in column 49 after the indent.
    size_t at = text.find("        WAIT");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text[at + 8 + 49], ';');
}

TEST_F(DisasmFile, TheTopOfTheAddressSpaceEndsTheWalk) {
    machine = PIPBUG; // no interrupt entry
    memmap = 9;
    sym_add("LAST", 0x7FFE, 'C');
    sym_add("EDGE", 0x7FFF, 'C');
    guest_memory[0x7FFE] = 0x04; // LODI,r0 $06 (its operand is $7FFF)
    guest_memory[0x7FFF] = 0x06; // LODI,r2 with its operand at $6000: runs past $7FFF
    guest_memory[0x6000] = 0x99;
    std::string text = run(0x7FF8, 0x7FFF);
    EXPECT_TRUE(contains(text, ";Size:     8 bytes ($7FF8..$7FFF)\n"));
    EXPECT_TRUE(contains(text, "        LODI,r0 6")) << text;
    EXPECT_TRUE(contains(text, "\n        END     $0000\n"));
    EXPECT_TRUE(dis_addr_flags[0x7FFF] & DIS_CODE);
    // A range ending below its start still writes the one item at the start.
    guest_memory[0x0000] = 0x40; // HALT: the rest of page 0 stays data
    text = run(0x0010, 0x000F);
    EXPECT_TRUE(contains(text, ";Size:     0 bytes ($0010..$000F)\n"));
    EXPECT_TRUE(contains(text, "        DB      $00\n\n        END"));
}

TEST_F(DisasmFile, UndefinedOpcodesAndThe2650StopAFlow) {
    dis_test_poke(0x0000, {0xC0, 0x90, 0xC0});
    std::string text = run(0x0000, 0x0002);
    EXPECT_TRUE(contains(text, "        DB      $90"));
    EXPECT_TRUE(contains(text, ";Warning: illegal instruction!\n"));
    EXPECT_FALSE(dis_addr_flags[0x0002] & DIS_CODE);
    cpu_type = CPU_2650;
    dis_test_poke(0x0000, {0x10, 0x12, 0x34});
    text = run(0x0000, 0x0002);
    EXPECT_TRUE(dis_addr_flags[0x0000] & DIS_ILLEGAL);
    cpu_type = CPU_2650B;
    text = run(0x0000, 0x0004);
    EXPECT_TRUE(dis_addr_flags[0x1234] & DIS_DATA_LABEL);
    EXPECT_TRUE(contains(text, "        LDPL    "));
}

TEST_F(DisasmFile, TheProgramStartIsAnEntryNamedGame) {
    game_start_address = 0x0200;
    dis_test_poke(0x0000, {0x40});
    dis_test_poke(0x0200, {0xC0, 0x40});
    run(0x0000, 0x0000);
    EXPECT_TRUE(dis_addr_flags[0x0201] & DIS_CODE);
    ASSERT_NE(user_label("GAME"), nullptr);
    EXPECT_EQ(user_label("GAME")->address, 0x0200);
    // On the Instructor 50 address 0 is no boot entry, and a start address of 0 names nothing.
    user_label_count = 0;
    machine = INSTRUCTOR;
    game_start_address = 0;
    run(0x0000, 0x0000);
    EXPECT_EQ(user_label("BOOT"), nullptr);
    EXPECT_EQ(user_label("GAME"), nullptr);
    EXPECT_NE(user_label("L0000"), nullptr);
    EXPECT_NE(user_label("INTERRUPT"), nullptr); // $0007 on the Instructor 50
    // The Elektor's programs have an entry at $0903 besides.
    user_label_count = 0;
    machine = ELEKTOR;
    dis_test_poke(0x0903, {0xC0, 0x40});
    run(0x0000, 0x0000);
    EXPECT_TRUE(dis_addr_flags[0x0904] & DIS_CODE);
    EXPECT_NE(user_label("BOOT"), nullptr);
}

TEST_F(DisasmFile, IndirectBranchesThroughRomAreFollowed) {
    dis_test_poke(0x0000, {0x1F, 0x80, 0x40}); // BCTA,un *$0040
    dis_test_poke(0x0040, {0x00, 0x50});
    dis_test_poke(0x0050, {0x40});
    mem_attributes[0x0040] = mem_attributes[0x0041] = MEM_UNWRITABLE;
    std::string text = run(0x0000, 0x0050);
    EXPECT_TRUE(dis_addr_flags[0x0050] & DIS_CODE);
    EXPECT_NE(user_label("L0050"), nullptr);
    EXPECT_TRUE(contains(text, ";Warning: indirect branch!\n"));
}

TEST_F(DisasmFile, AFileThatCannotBeOpenedStillGoesToTheConsole) {
    dis_test_poke(0x0000, {0x40});
    EXPECT_EQ(run(0x0000, 0x0000, "missing/prog.bin"), "");
    EXPECT_TRUE(contains(console, "Can't open " + (dir / "missing" / "prog.asm").string() +
                                      ": No such file or directory!\n"));
    EXPECT_TRUE(contains(console, "        HALT"));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_EQ(asm_output_file, nullptr);
}
