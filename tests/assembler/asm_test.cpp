// The assembler: operand forms and their range errors, directives, labels and
// equates, the listing, line ends, the object files per machine, the batch
// results, the shipped stub source, and the round trip through the
// disassembler's source files.
#include "assembler/asm.h"
#include "tests/support/checkout_paths.h"

#include "core/emu.h"
#include "core/machine.h"
#include "app/mainloop.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/disasm_file.h"
#include "debugger/labels.h"
#include "machines/arcadia.h"
#include "machines/interton.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class Assembler : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        machine = 3; // a monitor computer: object files are ".aof"
        cpu_type = CPU_2650;
        warn = 1;
        home.emplace("assembler");
        dir = home->path();
        std::snprintf(projects_path, sizeof projects_path, "%s", dir.c_str());
    }
    void TearDown() override {
        home.reset();
        fresh_state();
    }

    // Assembles `source` as <dir>/name; returns the bytes from `first` on.
    std::vector<u8> assemble(const std::string& source, u32 first = 0, u32 count = 0,
                             const char* name = "prog.asm") {
        test_write_file(dir / name, source);
        std::snprintf(asm_source_name, sizeof asm_source_name, "%s", (dir / name).c_str());
        asm_assemble_file();
        return std::vector<u8>(guest_memory + first, guest_memory + first + count);
    }
    std::string listing(const char* name = "prog.lst") { return test_read_file(dir / name); }

    std::optional<TempHome> home;
    fs::path dir;
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct LineCase {
    const char* source; // assembled after "        ORG $100" (and an origin label)
    std::vector<u8> bytes;
    const char* message; // expected error or warning text, "" none
};

TEST_F(Assembler, OperandFormsGiveTheirBytesAndRangeErrors) {
    const LineCase cases[] = {
        {"        LODI,r1 -1", {0x05, 0xFF}, ""},
        {"        LODI,r1 256", {0x05, 0x00}, "immediate value out of range"},
        {"        LODI,r2 $FF80", {0x06, 0x80}, ""},
        {"        LODA,r0 TAB,r2,+", {0x0E, 0x21, 0x23}, ""},
        {"        LODA,r1 TAB,r2", {0x0E, 0x61, 0x23}, "r0 is required as first register"},
        {"        ADDA TAB,r1", {0x8D, 0x61, 0x23}, ""},
        {"        STRA,r3 *TAB,-", {0xCF, 0xC1, 0x23}, ""},
        {"        ZBRR $1FF0", {0x9B, 0x70}, ""},
        {"        ZBSR *$12", {0xBB, 0x92}, ""},
        {"        ZBRR $80", {0x9B, 0x00}, "zero page address out of range"},
        {"        BCTA,gt *$1234", {0x1D, 0x92, 0x34}, ""},
        {"        BCTR,un $100+2+63", {0x1B, 0x3F}, ""},
        {"        BCTR,un $100+2+64", {0x1B, 0x00}, "relative address out of range (too far)"},
        {"        BCTR,un $100+2-64", {0x1B, 0x40}, ""},
        {"        BCTR,un $100+2-65", {0x1B, 0x00}, "relative address out of range (too far)"},
        {"        BCTR,eq $2000", {0x18, 0x00}, "relative address out of range (wrong page)"},
        {"        BCFR,un $100", {0x98, 0x7E}, "un is not allowed for this opcode"},
        {"        BXA     $1234,r3", {0x9F, 0x12, 0x34}, ""},
        {"        BSXA    $1234,r1", {0xBF, 0x12, 0x34}, "r1 is not allowed for this opcode"},
        {"        STRZ    r0", {}, "r0 is not allowed for this opcode"},
        {"        ANDZ    r0", {}, "r0 is not allowed for this opcode"},
        {"        LODZ    r0", {0x00}, "r0 is not allowed for this opcode"},
        {"        LODZ    r6", {0x03}, ""},
        {"        RETC,lt", {0x16}, ""},
        {"        RETE", {0x37}, ""},
        {"        CPSU    %00100000", {0x74, 0x20}, ""},
        {"        LDPL    $1234", {0x10, 0x12, 0x34}, "2650B only"},
        {"        DB      1,'AB',H'1,2F',A\"z\"", {0x01, 0x41, 0x42, 0x01, 0x2F, 0x7A}, ""},
        {"        DW      $1234,-1", {0x12, 0x34, 0xFF, 0xFF}, ""},
        {"        .ADDR   $1234", {0x34, 0x12}, "wrong endianness"},
        {"        DBX     \".#.#.#.#\"", {0x55}, ""},
        {"        ASCI    /hi/", {0x68, 0x69}, ""},
        {"        DB      'AB", {0x41, 0x42}, "string not terminated"},
        {"        LODI,r0 5/0", {0x04, 0x00}, "divide by zero"},
        {"        TITL    Whatever", {}, "ignoring directive TITL"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.source);
        const std::string source = std::string("        ORG $100\n") + c.source +
                                   "\n        ORG $123\nTAB     DB 0\n        END\n";
        std::memset(guest_memory + 0x100, 0xEE, 8);
        const auto bytes = assemble(source, 0x100, c.bytes.size() + 1);
        EXPECT_EQ(std::vector<u8>(bytes.begin(), bytes.end() - 1), c.bytes);
        EXPECT_EQ(bytes.back(), 0xEE); // nothing more was emitted
        const std::string lst = listing();
        if (*c.message)
            EXPECT_TRUE(has(lst, std::string(": ") + c.message + "!\n")) << lst;
        else
            EXPECT_EQ(asm_error_count + asm_warning_count, 0u) << lst;
    }
}

struct NotationCase {
    u32 notation;
    const char* source; // assembled at $100, with TAB at $123 and LOOP at $100
    std::vector<u8> bytes;
    const char* message; // expected error or warning text, "" none
};

TEST_F(Assembler, CalmAndIeeeFrontEndsGiveTheirBytesAndMessages) {
    cpu_type = CPU_2650;
    const u32 O = NOTATION_OLD_CALM, N = NOTATION_NEW_CALM, I = NOTATION_IEEE;
    const NotationCase cases[] = {
        {O, "        LOAD    A,#5", {0x04, 0x05}, ""},
        {O, "        LOAD    B,A", {0xC1}, ""},
        {O, "        LOAD    A,B", {0x01}, ""},
        {O, "        LOAD    A,A", {0x00}, "indeterminate opcode"},
        {O, "        LOAD    B,C", {}, "one register must be A"},
        {O, "        OR      A,B", {0x61}, ""},
        {O, "        XOR     A,C", {0x22}, ""},
        {O, "        LOAD    A,(B)+TAB", {0x0D, 0x61, 0x23}, ""},
        {O, "        LOAD    A,(-C)+@TAB", {0x0E, 0xC1, 0x23}, ""},
        {O, "        LOAD    TAB,L", {0x11, 0x01, 0x23}, "2650B only"},
        {O, "        LOAD    .+LOOP,C", {0xCA, 0x7E}, ""},
        {O, "        LOAD    $DATA,B", {0xF1}, ""},
        {O, "        LOAD    D,$16'9C", {0x57, 0x9C}, ""},
        {O, "        JUMP,EQ .+LOOP", {0x18, 0x7E}, ""},
        {O, "        JUMP,ANE TAB", {0x5C, 0x01, 0x23}, ""},
        {O, "        JUMP,XX TAB", {}, "condition code expected"},
        {O, "        CALL    (D)+TAB", {0xBF, 0x01, 0x23}, ""},
        {O, "        JUMP    0+16'1FF0", {0x9B, 0x70}, ""},
        {O, "        INCJ,NE C,.+LOOP", {0xDA, 0x7E}, ""},
        {O, "        RETION,GT", {0x35}, ""},
        {O, "        CLR     CARRY", {0x75, 0x01}, ""},
        {O, "        SET     IOF", {0x76, 0x20}, ""},
        {O, "        TEST    HALFCARRY", {0xB5, 0x20}, ""},
        {O, "        SET     NOTHING", {0x76, 0x00}, "bad operand"},
        {O, "        BIC     U,#16'80", {0x74, 0x80}, ""},
        {O, "        TEST    B,#3", {0xF5, 0x03}, ""},
        {O, "        NOT     D", {0x27, 0xFF}, ""},
        {N, "        MOVE    #5,r1", {0x05, 0x05}, ""},
        {N, "        MOVE    r1,R^LOOP", {0xC9, 0x7E}, ""},
        {N, "        MOVE    r0,r2", {0xC2}, ""},
        {N, "        MOVE    r1,r2", {}, "one register must be r0"},
        {N, "        MOVE    U^{r2}+TAB,r0", {0x0E, 0x61, 0x23}, ""},
        {N, "        MOVE    r3,U^{TAB}", {0xCF, 0x81, 0x23}, ""},
        {N, "        MOVE    PSL,r0", {0x13}, ""},
        {N, "        XOR     r2,r0", {0x22}, ""},
        {N, "        AND     r0,r0", {}, "r1 or r2 or r3 expected"},
        {N, "        ADD     U^{r1}+TAB,r0", {0x8D, 0x61, 0x23}, ""},
        {N, "        ADD     U^{r1}+TAB,r2", {0x8D, 0x61, 0x23}, ",r0 expected"},
        {N, "        COMP    #7,r3", {0xE7, 0x07}, ""},
        {N, "        BIC     #16'80,PSU", {0x74, 0x80}, ""},
        {N, "        BIC     #1,r0", {0x00, 0x01}, "PSU or PSL expected"},
        {N, "        TEST    r2:#16'0F", {0xF6, 0x0F}, ""},
        {N, "        TEST    PSL:#1", {0xB5, 0x01}, ""},
        {N, "        JUMP,NE r2,R^LOOP", {0x5A, 0x7E}, ""},
        {N, "        JUMP,GT TAB", {}, "R^ or U^ expected"},
        {N, "        CALL    U^{r3}+TAB", {0xBF, 0x01, 0x23}, ""},
        {N, "        DJ,NE   r1,U^TAB", {0xFD, 0x01, 0x23}, ""},
        {N, "        JUMP    TAB", {}, "0+ or R^ or U^ expected"},
        {N, "        CLR     SP", {0x74, 0x07}, ""},
        {I, "        BEQ     $LOOP", {0x18, 0x7E}, ""},
        {I, "        BGT     /TAB", {0x1D, 0x01, 0x23}, ""},
        {I, "        LD      .1,#20H", {0x05, 0x20}, ""},
        {I, "        LD      .0,/TAB(+.2)", {0x0E, 0x21, 0x23}, ""},
        {I, "        LD      .1,/TAB(.2)", {0x0E, 0x61, 0x23}, ".0 is required as first register"},
        {I, "        LD      .1,TAB", {}, "#, $ or / expected"},
        {I, "        MOV     .0,.3", {0x03}, ""},
        {I, "        MOV     .2,.0", {0xC2}, ""},
        {I, "        MOV     .1,.2", {}, "unsupported operation"},
        {I, "        AND     .L,#0F7H", {0x75, 0x08}, ""},
        {I, "        AND     .0,.0", {}, "unsupported operation"},
        {I, "        BR      /TAB(.3)", {0x9F, 0x01, 0x23}, ""},
        {I, "        CALL    !1FF0H", {0xBB, 0x70}, ""},
        {I, "        BR      TAB", {}, "$, ! or / expected"},
        {I, "        IBNZ    .2,$LOOP", {0xDA, 0x7E}, ""},
        {I, "        OUT     .1,12H", {0xD5, 0x12}, ""},
        {I, "        TEST    .3,#1", {0xF7, 0x01}, ""},
        {I, "        ST      .L,/TAB", {0x11, 0x01, 0x23}, "2650B only"},
        {I, "        DATA    H'24,1", {0x24, 0x01}, ""},
    };
    for (const NotationCase& c : cases) {
        SCOPED_TRACE(c.source);
        dis_notation = c.notation;
        const bool calm = c.notation != NOTATION_IEEE;
        const std::string org = calm ? "        .LOC    256\n" : "        ORG     256\n";
        const std::string table = calm ? "        .LOC    16'123\nTAB:    .DATA   0\n        .END\n"
                                       : "        ORG     123H\nTAB:    DATA    0\n        END\n";
        const std::string source = org + "LOOP:\n" + c.source + "\n" + table;
        std::memset(guest_memory + 0x100, 0xEE, 8);
        const auto bytes = assemble(source, 0x100, c.bytes.size() + 1);
        EXPECT_EQ(std::vector<u8>(bytes.begin(), bytes.end() - 1), c.bytes);
        EXPECT_EQ(bytes.back(), 0xEE); // nothing more was emitted
        const std::string lst = listing();
        if (*c.message)
            EXPECT_TRUE(has(lst, std::string(": ") + c.message + "!\n")) << lst;
        else
            EXPECT_EQ(asm_error_count + asm_warning_count, 0u) << lst;
    }
}

// Every opcode with an absolute address, in every notation, as the program's
// own disassembler writes it, with the address changed: a branch (and LDPL,
// STPL) reaches every address up to $7FFF, a load, store or arithmetic form
// only the 8 KB page it stands in. What it reaches assembles to the bytes that
// the disassembler reads back as the line written, indirect only where the
// prefix says so; what it cannot reach is an error, never another address.
TEST_F(Assembler, AnAbsoluteAddressIsReachedOrAnError) {
    constexpr u32 at = 0x4440; // page 2
    const struct {
        u32 address;
        bool branch_reaches, page_form_reaches;
        const char* message;
    } rows[] = {
        {0x4123, true, true, ""},
        {0x5FFF, true, true, ""},
        {0x2123, true, false, "absolute address out of range (wrong page)"},
        {0x7FFF, true, false, "absolute address out of range (wrong page)"},
        {0x8123, false, false, "absolute address out of range (beyond 32K)"},
        {0xC123, false, false, "absolute address out of range (beyond 32K)"},
    };
    // The disassembler's line of the instruction at `at`, without comments.
    auto line_at = [](u32 address) {
        cpu_iar = address;
        dis_mode = DIS_FILE;
        dis_cc_context = DIS_CTX_UNKNOWN; // which picks the extended branch words
        dis_instruction(0, 1);
        std::string line = dis_line;
        line = line.substr(0, line.find(';'));
        line.erase(line.find_last_not_of(' ') + 1);
        return line;
    };
    cpu_type = CPU_2650B; // with LDPL and STPL
    for (u32 notation = 0; notation < NOTATIONS; notation++) {
        dis_notation = notation;
        machine_adapt_opcode_tables();
        struct Line {
            u8 bytes[3]; // as written for the address $4123
            bool branch;
            std::string text;
        };
        std::vector<Line> lines;
        for (int op = 0; op < 256; op++) {
            if (op_length[op] != 3) continue;
            const bool branch = (op & 0x10) != 0; // the odd rows: branches, LDPL, STPL
            // Plain, indirect, and for the page forms indirect and indexed (the
            // page forms take the page from the instruction's address).
            for (u8 flags : {0x00, 0x80, 0xE0}) {
                if (branch && (flags & 0x60)) continue;
                Line l{{static_cast<u8>(op), static_cast<u8>((branch ? 0x41 : 0x01) | flags), 0x23},
                       branch,
                       ""};
                std::memcpy(guest_memory + at, l.bytes, 3);
                l.text = line_at(at);
                ASSERT_NE(l.text.find("4123"), std::string::npos) << l.text;
                lines.push_back(l);
            }
        }
        const bool calm = notation == NOTATION_OLD_CALM || notation == NOTATION_NEW_CALM;
        for (const auto& row : rows) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%04X", row.address);
            std::string source = calm ? "        .LOC    16'4440\n"
                                 : notation == NOTATION_IEEE ? "        ORG     4440H\n"
                                                             : "        ORG     $4440\n";
            std::vector<std::string> texts;
            for (const Line& l : lines) {
                texts.push_back(l.text);
                texts.back().replace(l.text.find("4123"), 4, hex);
                source += "        " + texts.back() + "\n";
            }
            source += calm ? "        .END\n" : "        END\n";
            std::memset(guest_memory + at, 0xEE, 3 * lines.size());
            assemble(source);
            const std::string lst = listing();
            u32 errors = 0;
            for (size_t i = 0; i < lines.size(); i++) {
                const Line& l = lines[i];
                const u32 address = at + 3 * static_cast<u32>(i);
                SCOPED_TRACE(testing::Message() << "notation " << notation << ": " << texts[i]);
                if (!(l.branch ? row.branch_reaches : row.page_form_reaches)) {
                    errors++;
                    EXPECT_TRUE(has(lst, "Error at line " + std::to_string(i + 2) + ": " +
                                             row.message + "!\n"));
                    continue;
                }
                // The indirect bit and the index mode as written, then the address.
                const u8 flags = l.bytes[1] & (l.branch ? 0x80 : 0xE0);
                const u8 hi = static_cast<u8>(row.address >> 8 & (l.branch ? 0x7F : 0x1F));
                EXPECT_EQ(std::vector<u8>(guest_memory + address, guest_memory + address + 3),
                          (std::vector<u8>{l.bytes[0], static_cast<u8>(hi | flags),
                                           static_cast<u8>(row.address)}));
                EXPECT_EQ(line_at(address), texts[i]);
            }
            EXPECT_EQ(asm_error_count, errors) << lst;
            if (!errors) {
                EXPECT_EQ(asm_warning_count, 0u) << lst;
            }
        }
    }
}

// One program written in all five notations gives the same bytes.
TEST_F(Assembler, OneProgramInEveryNotationGivesTheSameBytes) {
    const char* const sources[NOTATIONS] = {
        "        ORG $100\nLOOP    LODI,r1 5\n        STRA,r1 TAB\n        BDRR,r1 LOOP\n"
        "        BCTA,un LOOP\nTAB     DB 0\n        END\n",
        "        ORG $100\nLOOP    LODI,r1 5\n        STRA,r1 TAB\n        BDRR,r1 LOOP\n"
        "        BA LOOP\nTAB     DB 0\n        END\n",
        "        .LOC 256\nLOOP:   LOAD B,#5\n        LOAD TAB,B\n        DECJ,NE B,.+LOOP\n"
        "        JUMP LOOP\nTAB:    .DATA 0\n        .END\n",
        "        .LOC 256\nLOOP:   MOVE #5,r1\n        MOVE r1,U^TAB\n        DJ,NE r1,R^LOOP\n"
        "        JUMP U^LOOP\nTAB:    .DATA 0\n        .END\n",
        "        ORG 100H\nLOOP:   LD .1,#5\n        ST .1,/TAB\n        DBNZ .1,$LOOP\n"
        "        BR /LOOP\nTAB:    DATA 0\n        END\n",
    };
    const std::vector<u8> expected = {0x05, 0x05, 0xCD, 0x01, 0x0A, 0xF9,
                                      0x79, 0x1F, 0x01, 0x00, 0x00};
    for (u32 n = 0; n < NOTATIONS; n++) {
        SCOPED_TRACE(n);
        dis_notation = n;
        std::memset(guest_memory + 0x100, 0xEE, 16);
        EXPECT_EQ(assemble(sources[n], 0x100, expected.size()), expected);
        EXPECT_EQ(asm_error_count + asm_warning_count, 0u) << listing();
    }
}

TEST_F(Assembler, LabelsEquatesAndDirectives) {
    const std::string source = "        ORG $200\n"
                               "START:  BCTR,un NEXT\n"
                               "SIZE    EQU LAST-START\n"
                               "NEXT    LODI,r0 SIZE\n"
                               "        RES 2\n"
                               "        ORGF $20A,$99\n"
                               "LAST    HALT\n"
                               "        END START\n";
    const auto bytes = assemble(source, 0x200, 11);
    // SIZE refers to a later label: it holds its real value, not 0.
    EXPECT_EQ(bytes, (std::vector<u8>{0x1B, 0x00, 0x04, 0x0A, 0, 0, 0x99, 0x99, 0x99, 0x99, 0x40}));
    EXPECT_EQ(asm_error_count, 0u) << listing();
    EXPECT_EQ(cpu_iar, 0x200);
    EXPECT_TRUE(asm_start_set);

    // A syntax error (BR is no mnemonic in the plain notation) ends the pass.
    dis_notation = NOTATION_SIGNETICS;
    assemble("        ORG 0\n        BR $10\n        HALT\n        END\n");
    EXPECT_EQ(asm_error_count, 1u);
    EXPECT_TRUE(has(listing(), "Error at line 2: syntax error!"));
    EXPECT_TRUE(has(listing(), "Assembled 1 line(s)"));
    dis_notation = NOTATION_EXTENDED; // there it is the unconditional branch
    const auto br = assemble("        ORG 0\n        BR $10\n        END\n", 0, 2);
    EXPECT_EQ(br, (std::vector<u8>{0x1B, 0x0E}));

    // A label of 40 characters is kept; 41 are too long.
    const std::string l40(40, 'L');
    assemble("        ORG 0\n" + l40 + " HALT\n        END\n");
    EXPECT_EQ(asm_error_count, 0u);
    assemble("        ORG 0\n" + l40 + "X HALT\n        END\n");
    EXPECT_TRUE(has(listing(), "label too long"));

    // Labels of an earlier symbol file are gone after an assembly.
    sym_add_quiet("OLDLABEL", 0x1234, 'C');
    assemble("        ORG 0\n        HALT\n        END\n");
    i32 value;
    EXPECT_FALSE(sym_lookup("OLDLABEL", 8, &value));
}

TEST_F(Assembler, LocationsOutsideGuestMemoryAreErrors) {
    guest_memory[0x7FFF] = 0x11;
    assemble("        ORG $7FFF\n        DB 1,2\n        ORG -1\n        RES $9000\n        END\n");
    EXPECT_EQ(guest_memory[0x7FFF], 1);
    const std::string lst = listing();
    EXPECT_TRUE(has(lst, "Error at line 2: attempted to emit code/data beyond 32K!")) << lst;
    EXPECT_TRUE(has(lst, "Error at line 3: location $FFFFFFFF outside guest memory!")) << lst;
    EXPECT_TRUE(has(lst, "Error at line 4: location")) << lst;
    EXPECT_EQ(asm_error_count, 3u);

    // A line longer than the buffer is cut and reported.
    assemble("        ORG 0\n        DB 1 ;" + std::string(400, 'x') + "\n" + "        DB " +
             std::string(300, '1') + "\n        END\n");
    EXPECT_TRUE(has(listing(), "Error at line 3: line too long")) << listing();
}

// On the cartridge consoles code belongs in ROM: bytes assembled anywhere
// else are warned about. The other machines take code anywhere.
TEST_F(Assembler, CartridgeCodeOutsideRomIsWarnedAbout) {
    const std::string source = "        ORG $1800\n        DB 1\n        END\n";
    for (u32 m : {ARCADIA, INTERTON, ELEKTOR, PIPBUG}) {
        machine = m;
        mem_attributes[0x1800] = 0; // plain RAM
        assemble(source);
        EXPECT_EQ(has(listing(), "code or data in non-ROM area"), m == ARCADIA || m == INTERTON)
            << m;
    }
    machine = INTERTON;
    mem_attributes[0x1800] = MEM_UNWRITABLE;
    assemble(source);
    EXPECT_FALSE(has(listing(), "non-ROM")) << listing();
}

TEST_F(Assembler, ListingShowsCodeColumnsCommentsAndSummary) {
    warn = 0; // warnings are counted without being shown
    const std::string source = "; a program\n"
                               "  * a comment line\n"
                               "\n"
                               "        ORG $100\n"
                               "X       EQU 5\n"
                               "        DB 1,2,3,4 ; four bytes\n"
                               "        LODI,r1 X\n"
                               "        HALT\n";
    assemble(source);
    const std::string lst = listing();
    EXPECT_TRUE(lst.rfind("Assembled by Brindlemox 36.4 at ", 0) == 0) << lst;
    EXPECT_EQ(lst.find('\n'), 74u);
    EXPECT_TRUE(has(lst, "\n              :; a program\n"));
    EXPECT_TRUE(has(lst, "\n              :  * a comment line\n"));
    EXPECT_TRUE(has(lst, "\n\n0000          :        ORG $100\n"));
    EXPECT_TRUE(has(lst, "\n              :X       EQU 5\n"));
    EXPECT_TRUE(has(lst, "\n0100  010203  :        DB 1,2,3,4 ; four bytes\n"));
    EXPECT_TRUE(has(lst, "\n0104  0505    :        LODI,r1 X\n"));
    EXPECT_TRUE(has(lst, "\n0106  40      :        HALT\n"));
    EXPECT_TRUE(has(lst, "\nSymbol Table" + std::string(62, '-') + "\n\n"));
    EXPECT_FALSE(has(lst, "Warning at line"));
    EXPECT_TRUE(has(lst, "Assembled 8 line(s) (1 warning(s), 0 error(s)).\n")) << lst;
    EXPECT_EQ(asm_warning_count, 1u); // missing END
}

// A small program's whole listing against the reviewed file, line by line;
// BRINDLEMOX_UPDATE_GOLDEN=1 rewrites it from the current output. The time in
// the header and the folder of the source vary and are left out.
TEST_F(Assembler, ListingMatchesTheReviewedFile) {
    const fs::path data = fs::path(test_data()) / "assembler";
    test_write_file(dir / "listing_part.asm", test_read_file(data / "listing_part.asm"));
    assemble(test_read_file(data / "listing.asm"), 0, 0, "listing.asm");
    EXPECT_EQ(asm_error_count, 1u);
    EXPECT_EQ(asm_warning_count, 1u);
    std::string fresh = listing("listing.lst");
    const std::string header = "Assembled by Brindlemox 36.4 at ";
    ASSERT_EQ(fresh.rfind(header, 0), 0u) << fresh;
    fresh = fresh.substr(fresh.find('\n') + 1);
    for (std::size_t at; (at = fresh.find(dir.string() + "/")) != std::string::npos;)
        fresh.replace(at, dir.string().size() + 1, "");
    const fs::path golden = data / "listing.lst";
    if (std::getenv("BRINDLEMOX_UPDATE_GOLDEN")) {
        test_write_file(golden, fresh);
        return;
    }
    const std::string expected = test_read_file(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    std::istringstream a(expected), b(fresh);
    std::string want, got;
    for (int number = 2;; number++) {
        const bool more_a = static_cast<bool>(std::getline(a, want));
        const bool more_b = static_cast<bool>(std::getline(b, got));
        if (!more_a && !more_b) break;
        ASSERT_EQ(want, got) << "line " << number << " of\n" << fresh;
    }
}

TEST_F(Assembler, LineEndsAndByteOrderMarkDoNotMatter) {
    const std::string lines[] = {"        ORG $10", "L       BCTR,un L", "        DB 'x'",
                                 "        END"};
    std::string outputs[4];
    const char* ends[] = {"\n", "\r\n", "\r", "\r\n"};
    for (int v = 0; v < 4; v++) {
        std::string text = v == 3 ? "\xEF\xBB\xBF" : "";
        for (const std::string& l : lines)
            text += l + ends[v];
        const auto bytes = assemble(text, 0x10, 3);
        EXPECT_EQ(bytes, (std::vector<u8>{0x1B, 0x7E, 0x78})) << v;
        std::string lst = listing();
        outputs[v] = lst.substr(lst.find('\n')); // the header holds the time
    }
    for (int v = 1; v < 4; v++)
        EXPECT_EQ(outputs[v], outputs[0]) << v;
}

TEST_F(Assembler, SourceNameIsSearchedWithTheUsualExtensions) {
    test_write_file(dir / "prog.2650", "        ORG 0\n        DB 7\n        END\n");
    std::snprintf(asm_source_name, sizeof asm_source_name, "%s", (dir / "prog").c_str());
    asm_assemble_file();
    EXPECT_EQ(std::string(asm_source_name), (dir / "prog.2650").string());
    EXPECT_EQ(guest_memory[0], 7);
    EXPECT_TRUE(fs::exists(dir / "prog.lst"));
}

TEST_F(Assembler, ObjectFileFollowsTheMachine) {
    const std::string source = "        ORG $900\n        DB 1,2\n        END\n";
    machine = 3;
    assemble(source);
    EXPECT_EQ(test_read_file(dir / "prog.aof"), ":0900024C010200\r\n:044000\r\n");
    EXPECT_TRUE(has(quiet_output_text(), "Assuming start address of $0440."));
    EXPECT_EQ(cpu_iar, 0x0440);

    machine = 2;
    assemble(source);
    EXPECT_EQ(test_read_file(dir / "prog.tvc"), std::string("\x02\x09\x00\x09\x00\x01\x02", 7));

    machine = 0;
    assemble("        ORG $2000\n        DB 1\n        ORG $2800\n        END\n");
    const std::string bin = test_read_file(dir / "prog.bin");
    ASSERT_EQ(bin.size(), 6144u);
    EXPECT_EQ(bin[0x1000], 1);

    // No bytes at all: no object file.
    machine = 3;
    fs::remove(dir / "prog.aof");
    assemble("X EQU 1\n        END\n");
    EXPECT_FALSE(fs::exists(dir / "prog.aof"));
    EXPECT_TRUE(has(quiet_output_text(), "no object file written"));
}

TEST_F(Assembler, IncludesExpandAndAreListedInTheTree) {
    test_write_file(dir / "inner.asm", "        DB 3\n");
    test_write_file(dir / "middle.asm", "        DB 2\n        INCLUDE inner.asm\n");
    test_write_file(dir / "blob.bin", std::string("\x09\x08", 2));
    const auto bytes = assemble("        ORG 0\n        DB 1\n        INCLUDE \"middle.asm\"\n"
                                "        INCBIN blob.bin\n        DB 4\n        END\n",
                                0, 6);
    EXPECT_EQ(bytes, (std::vector<u8>{1, 2, 3, 9, 8, 4}));
    const std::string lst = listing();
    EXPECT_TRUE(has(lst, "$0000 " + (dir / "prog.asm").string() +
                             "\n $0001 middle.asm\n  $0002 inner.asm\n $0003 blob.bin\n"))
        << lst;
    EXPECT_EQ(asm_error_count, 0u) << lst;

    // A missing include is reported and ends the pass; including itself stops.
    assemble("        ORG 0\n        INCLUDE nothere.asm\n        END\n");
    EXPECT_TRUE(has(listing(), "can't open include file for reading"));
    assemble("        ORG 0\n        DB 1\n        INCLUDE prog.asm\n        END\n");
    EXPECT_GE(asm_error_count, 1u);
}

TEST_F(Assembler, BatchResultsAreTenFiveAndZero) {
    test_write_file(dir / "clean.asm", "        ORG 0\n        HALT\n        END\n");
    test_write_file(dir / "warns.asm", "        ORG 0\n        HALT\n");
    test_write_file(dir / "fails.asm", "        ORG 0\n        LODI,r0 300\n        END\n");
    EXPECT_EQ(asm_assemble_batch((dir / "clean.asm").c_str()), 0);
    EXPECT_EQ(asm_assemble_batch((dir / "warns.asm").c_str()), 5);
    EXPECT_EQ(asm_assemble_batch((dir / "fails.asm").c_str()), 10);
    EXPECT_EQ(asm_assemble_batch((dir / "none.asm").c_str()), 10);
}

// A break (CTRL-C, SIGTERM, SIGHUP) stops the run at the next line: 10, and no
// listing or object file is left.
TEST_F(Assembler, ABreakStopsABatchRunWithTenAndNoFiles) {
    test_write_file(dir / "clean.asm", "        ORG 0\n        HALT\n        END\n");
    app_signal_break();
    EXPECT_EQ(asm_assemble_batch((dir / "clean.asm").c_str()), 10);
    EXPECT_FALSE(fs::exists(dir / "clean.lst"));
    EXPECT_FALSE(fs::exists(dir / "clean.aof"));
    app_loop_reset();
}

// The outputs never go through a name that someone else planted: a link at
// "<name>.tmp" is not followed, and its target keeps its contents.
TEST_F(Assembler, OutputsIgnoreLinksPlantedAtTemporaryNames) {
    test_write_file(dir / "victim", "mine");
    for (const char* planted : {"prog.lst.tmp", "prog.aof.tmp"})
        fs::create_symlink(dir / "victim", dir / planted);
    assemble("        ORG 0\n        HALT\n        END\n");
    EXPECT_EQ(asm_error_count, 0u);
    EXPECT_EQ(test_read_file(dir / "victim"), "mine");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "prog.lst")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "prog.aof")));
}

TEST_F(Assembler, TheArcadiaStubSourceGivesTheStubBytes) {
    machine = 0;
    const fs::path stub = fs::path(test_data()).parent_path().parent_path() / "resources" /
                          "stubs" / "arcadia.asm";
    const std::string text = test_read_file(stub);
    ASSERT_FALSE(text.empty());
    // The padding is reserved, not written: it keeps the zeros of a fresh machine.
    std::memset(guest_memory, 0, sizeof guest_memory);
    assemble(text, 0, 0, "arcadia.asm");
    EXPECT_EQ(asm_error_count, 0u) << listing("arcadia.lst");
    EXPECT_EQ(test_read_file(dir / "arcadia.bin"),
              std::string(reinterpret_cast<const char*>(arcadia_stub_program), ARCADIA_STUB_SIZE));
}

TEST_F(Assembler, TheIntertonStubSourceGivesTheStubBytes) {
    machine = INTERTON;
    const fs::path stub = fs::path(test_data()).parent_path().parent_path() / "resources" /
                          "stubs" / "interton.asm";
    const std::string text = test_read_file(stub);
    ASSERT_FALSE(text.empty());
    // The padding is reserved, not written: it keeps the zeros of a fresh machine.
    std::memset(guest_memory, 0, sizeof guest_memory);
    assemble(text, 0, 0, "interton.asm");
    EXPECT_EQ(asm_error_count, 0u) << listing("interton.lst");
    EXPECT_EQ(
        test_read_file(dir / "interton.bin"),
        std::string(reinterpret_cast<const char*>(interton_stub_program), INTERTON_STUB_SIZE));
}

// Every opcode, each one made an entry point of the disassembler so that it is
// decoded as an instruction, written into a source file by the debugger and
// assembled again, gives the same bytes, in every notation on both processors.
TEST_F(Assembler, DisassembledSourceAssemblesToTheSameBytes) {
    for (u32 notation = 0; notation < NOTATIONS; notation++) {
        for (u32 type : {CPU_2650, CPU_2650B}) {
            SCOPED_TRACE(testing::Message() << "notation " << notation << ", cpu " << type);
            fresh_state();
            machine = 3;
            cpu_type = type;
            machine_adapt_opcode_tables();
            dis_notation = notation;
            std::snprintf(projects_path, sizeof projects_path, "%s", dir.c_str());
            std::memset(guest_memory, 0, sizeof guest_memory);
            for (int op = 0; op < 256; op++) {
                const u32 a = 0x0100 + static_cast<u32>(op) * 4;
                guest_memory[a] = static_cast<u8>(op);
                // Every operand points at the next opcode: a relative or
                // zero-page byte of 2, else the address itself.
                const bool even = !(op & 0x10), odd_branch = !even && (op & 0x0F) >= 8;
                const bool relative = (even && ((op >> 2) & 3) == 2) ||
                                      (odd_branch && (op & 0x0F) < 0xC) || op == 0x9B || op == 0xBB;
                const u8 operands[3] = {static_cast<u8>(relative ? 2 : (a + 4) >> 8),
                                        static_cast<u8>(a + 4), 0xC0};
                // The bytes the opcode does not use are NOPs, so that the
                // flow falls through to the next opcode.
                for (u32 i = 1; i < 4; i++)
                    guest_memory[a + i] = i < op_length[op] ? operands[i - 1] : 0xC0;
                char name[8];
                std::snprintf(name, sizeof name, "OP%02X", op);
                sym_add_quiet(name, a, 'C');
            }
            std::vector<u8> before(guest_memory, guest_memory + 0x2000);
            dis_to_file(0x0000, 0x1FFF, (dir / "round.bin").c_str());
            std::memset(guest_memory, 0x55, sizeof guest_memory);
            std::snprintf(asm_source_name, sizeof asm_source_name, "%s",
                          (dir / "round.asm").c_str());
            asm_assemble_file();
            EXPECT_EQ(asm_error_count, 0u) << listing("round.lst");
            for (u32 i = 0; i < 0x2000; i++)
                if (guest_memory[i] != before[i]) {
                    ADD_FAILURE() << std::hex << "first difference at $" << i;
                    break;
                }
        }
    }
}

// Small programs whose source files once failed to assemble again: status
// instructions with an empty mask, indirect operands whose pointer value the
// disassembler notes, and labels that fall inside another instruction's bytes.
TEST_F(Assembler, AwkwardProgramsSurviveTheRoundTrip) {
    struct Poke {
        u32 address;
        std::vector<u8> bytes;
    };
    struct Case {
        const char* what;
        std::vector<Poke> pokes;
    };
    const Case cases[] = {
        {"empty masks",
         {{0x0000,
           {0x74, 0x00, 0x75, 0x00, 0x76, 0x00, 0x77, 0x00, 0xB4, 0x00, 0xB5, 0x00, 0x40}}}},
        // LODA,r0 *$0040; LODR,r0 *$0040; BSTA,un *$0040; ZBSR *$0030; BCTA,un *$0040
        {"indirect operands",
         {{0x0000, {0x0C, 0x80, 0x40, 0x08, 0xBB, 0x3F, 0x80, 0x40, 0xBB, 0xB0, 0x1F, 0x80, 0x40}},
          {0x0030, {0x5D, 0x00}},
          {0x0040, {0x5D, 0x00}}}},
        // BCTA,un $0010 ... LODA,r0 $0012; BCTR,eq $0011; STRA,r0 $0002; HALT
        {"labels inside instructions",
         {{0x0000, {0x1F, 0x00, 0x10, 0xC0, 0xC0}},
          {0x0010, {0x0C, 0x00, 0x12, 0x18, 0x7C, 0xCC, 0x00, 0x02, 0x40}}}},
    };
    for (const Case& c : cases)
        for (u32 notation = 0; notation < NOTATIONS; notation++)
            for (u32 type : {CPU_2650, CPU_2650B}) {
                SCOPED_TRACE(testing::Message()
                             << c.what << ", notation " << notation << ", cpu " << type);
                fresh_state();
                machine = 3;
                cpu_type = type;
                machine_adapt_opcode_tables();
                dis_notation = notation;
                std::snprintf(projects_path, sizeof projects_path, "%s", dir.c_str());
                std::memset(guest_memory, 0, sizeof guest_memory);
                for (const Poke& poke : c.pokes)
                    std::memcpy(guest_memory + poke.address, poke.bytes.data(), poke.bytes.size());
                std::vector<u8> before(guest_memory, guest_memory + 0x100);
                dis_to_file(0x0000, 0x00FF, (dir / "awkward.bin").c_str());
                const std::string source = test_read_file(dir / "awkward.asm");
                std::memset(guest_memory, 0x55, sizeof guest_memory);
                std::snprintf(asm_source_name, sizeof asm_source_name, "%s",
                              (dir / "awkward.asm").c_str());
                asm_assemble_file();
                EXPECT_EQ(asm_error_count, 0u) << listing("awkward.lst");
                EXPECT_EQ(std::vector<u8>(guest_memory, guest_memory + 0x100), before) << source;
                // Notes such as a pointer's value stay in the comments.
                std::istringstream lines(source);
                for (std::string line; std::getline(lines, line);)
                    EXPECT_EQ(line.substr(0, line.find(';')).find('['), std::string::npos) << line;
            }
}

} // namespace
