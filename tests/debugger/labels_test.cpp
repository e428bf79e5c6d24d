// Labels: the formatter's sources and their order, user label validation, SYM
// text read and written, the symbol commands, Tab completion and the audit.
#include "core/machine.h"
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "debugger/commands.h"
#include "debugger/debugger.h"
#include "debugger/labels.h"
#include "debugger/literals.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

class LabelsTest : public DebuggerTest {
  protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        saved_elektor = machine_live[ELEKTOR];
    }
    void TearDown() override {
        machine_live[ELEKTOR] = saved_elektor;
        DebuggerTest::TearDown();
    }
    static std::string format(u32 address, int sources, int with_value = 0, char* kind = nullptr) {
        char out[DBG_ADDRESS_TEXT_SIZE];
        const char k = dbg_format_address(address, out, with_value, 0, sources, 1);
        if (kind) *kind = k;
        return out;
    }
    // The Elektor with its second BIOS: ten machine label rows.
    static void elektor_with_labels() {
        machine = ELEKTOR;
        machine_bus_install();
        machine_live[ELEKTOR].first_label_row = 1707;
        machine_live[ELEKTOR].last_label_row = 1716;
    }
    static std::string parse(const std::string& text) {
        captured.clear();
        sym_text_length = static_cast<u32>(text.size());
        sym_parse_file(text.c_str(), "t.sym");
        return captured;
    }
    MachineLive saved_elektor{};
};

TEST_F(LabelsTest, FormatterTriesTheSourcesInOrder) {
    char kind = 0;
    // Processor flag names only with sources 0; sources 15 falls back to the number.
    EXPECT_EQ(format(1, 0, 0, &kind), "C");
    EXPECT_EQ(kind, 'D');
    EXPECT_EQ(label_match, LABEL_CPU_FIRST);
    EXPECT_EQ(format(1, 15, 0, &kind), "$1");
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(label_match, -1);
    // Control names on a terminal machine only, and only with sources 0.
    EXPECT_EQ(format(0x0D, 0, 0, &kind), "CR");
    EXPECT_EQ(kind, 'D');
    EXPECT_EQ(format(0x0D, 15), "$D");
    machine = ARCADIA;
    machine_bus_install();
    EXPECT_EQ(format(0x0D, 0), "$D");
    // Register pseudo-addresses name the register, without a value suffix.
    EXPECT_EQ(format(MEM_REG_BASE + 1, 0, 1, &kind), "R1");
    EXPECT_EQ(kind, 'R');
    EXPECT_EQ(label_match, 0x10014);

    // Machine rows, with and without the value suffix; the notation's prefix without dollar.
    elektor_with_labels();
    EXPECT_EQ(format(0x0575, 15, 1, &kind), "CLRSCR ($575)");
    EXPECT_EQ(kind, 'C');
    EXPECT_EQ(label_match, 1713);
    char out[DBG_ADDRESS_TEXT_SIZE];
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(dbg_format_address(0x0576, out, 1, 0, 15, 0), 0);
    EXPECT_STREQ(out, "H'576");
    dis_notation = NOTATION_SIGNETICS;
    // A user label at the same address wins over the machine's.
    sym_add("wipe", 0x0575, 'P');
    EXPECT_EQ(format(0x0575, 15, 1, &kind), "WIPE ($575)");
    EXPECT_EQ(kind, 'P');
    EXPECT_EQ(label_match, 1000000);
    // And over the flag names.
    sym_add("ONE", 1, 'D');
    EXPECT_EQ(format(1, 0), "ONE");
    // No processor, no text.
    machine = PONG;
    machine_bus_install();
    EXPECT_EQ(dbg_format_address(0x0575, out, 1, 0, 0, 1), 0);
}

TEST_F(LabelsTest, ListModesPrintEveryMatch) {
    elektor_with_labels();
    sym_add("WIPE", 0x0575, 'C');
    captured.clear();
    char out[DBG_ADDRESS_TEXT_SIZE];
    EXPECT_EQ(dbg_format_address(0x0575, out, 0, 1, 0, 1), 0);
    EXPECT_EQ(captured, "WIPE (code)\nCLRSCR (code)\n");
    EXPECT_STREQ(out, "$575");
    captured.clear();
    label_list_count = 0;
    dbg_format_address(0x0575, out, 0, 2, 0, 1);
    EXPECT_EQ(captured,
              std::string(26, ' ') + "WIPE C $0575 " + std::string(24, ' ') + "CLRSCR C $0575\n");
    EXPECT_EQ(label_list_count, 2u);
}

TEST_F(LabelsTest, AddingUserLabelsValidatesAndReports) {
    struct Case {
        const char* name;
        u32 address;
        u8 kind;
        const char* said;
    };
    const std::string long_name(41, 'A');
    const Case cases[] = {
        {"start", 0x100, 'C', "Adding user-defined code label START as $100.\n"},
        {"START", 0x100, 'C', ""},
        {"Start", 0x200, 'D',
         "Redefining user-defined label START (was $100 (C), now $200 (D)).\n"},
        {"", 0x100, 'C', "Error: symbol has zero-length name\n"},
        {long_name.c_str(), 0x100, 'C', "Error: symbol name is too long\n"},
        {"1UP", 0x100, 'C', "Error: illegal symbol name \"1UP\"\n"},
        {"A-B", 0x100, 'C', "Error: illegal symbol name \"A-B\"\n"},
        {"_P1_2", 0x300, 'U', "Adding user-defined unknown label _P1_2 as $300.\n"},
        {"car", 1, 'D', "Ignoring redundant definition of CAR as $1.\n"},
        {"flag", 0x1234, 'D', "Overriding built-in label FLAG as $1234.\n"},
    };
    for (const Case& c : cases) {
        captured.clear();
        sym_add(c.name, c.address, c.kind);
        EXPECT_EQ(captured, c.said) << c.name;
    }
    ASSERT_EQ(user_label_count, 3u);
    EXPECT_STREQ(user_labels[0].name, "START");
    EXPECT_EQ(user_labels[0].address, 0x200);
    EXPECT_EQ(user_labels[0].kind, 'D');
    EXPECT_STREQ(user_labels[2].name, "FLAG");

    // A full table refuses new names but still redefines.
    char name[16];
    while (user_label_count < USER_LABEL_ROWS) {
        std::snprintf(name, sizeof name, "L%u", user_label_count);
        sym_add_quiet(name, user_label_count, 'C');
    }
    captured.clear();
    sym_add("ONEMORE", 5, 'C');
    EXPECT_EQ(captured, "Error: too many user-defined symbols\n");
    sym_add("START", 0x400, 'D');
    EXPECT_EQ(user_labels[0].address, 0x400);
    EXPECT_EQ(user_label_count, static_cast<u32>(USER_LABEL_ROWS));
}

TEST_F(LabelsTest, SymTextReadsEveryKeywordAndValueForm) {
    const std::string text = "; a comment line\n"
                             "   ;indented comment\n"
                             "code          0x0100  START\n"
                             "Vector\t0x0200\tVEC\r\n"
                             "vectab 000770 OCT\n"
                             "addrtab 10000 DEC\n"
                             "byte 0x0001 B\n"
                             "stringy 0x0002 S\n"
                             "WORD 0x0003 W\n"
                             "symbol 0x0004 U\n"
                             "data   0x0005 D\n"
                             "label 0x0006 SKIPPED\n"
                             "code 0x100 SHORT\n"
                             "code $0100 DOLLAR\n"
                             "code 0x0007 " +
                             std::string(45, 'N') + "\n" + "code 0x0008 LAST";
    const std::string said = parse(text);
    struct Want {
        const char* name;
        u16 address;
        u8 kind;
    };
    const Want wants[] = {{"START", 0x100, 'C'}, {"VEC", 0x200, 'P'}, {"OCT", 0x1F8, 'P'},
                          {"DEC", 10000, 'D'},   {"B", 1, 'D'},       {"S", 2, 'D'},
                          {"W", 3, 'D'},         {"U", 4, 'U'},       {"D", 5, 'D'},
                          {nullptr, 7, 'C'},     {"LAST", 8, 'C'}};
    ASSERT_EQ(user_label_count, std::size(wants)) << said;
    for (size_t i = 0; i < std::size(wants); i++) {
        const std::string name = wants[i].name ? wants[i].name : std::string(40, 'N');
        EXPECT_EQ(user_labels[i].name, name) << i;
        EXPECT_EQ(user_labels[i].address, wants[i].address) << name;
        EXPECT_EQ(user_labels[i].kind, wants[i].kind) << name;
    }
    // Values in no recognised form are reported, not given the last line's value,
    // and so is a line that is no label line; each with its line.
    const std::string forms = " (0x and four hex digits, 0 and five octal digits, or five "
                              "decimal digits)!\n\n";
    for (const std::string& message :
         {"Label SHORT on line 13 of t.sym has a value that can't be read: \"0x100\"" + forms,
          "Label DOLLAR on line 14 of t.sym has a value that can't be read: \"$0100\"" + forms,
          std::string("Line 12 of t.sym is skipped: \"label\" is no keyword of a label line!\n")})
        EXPECT_NE(said.find(message), std::string::npos) << message << "\n" << said;
    EXPECT_EQ(said.find("Line 4"), std::string::npos) << said; // CRLF lines are label lines
}

TEST_F(LabelsTest, SaveAndLoadKeepEveryUserLabel) {
    TempHome home("labels");
    std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
    elektor_with_labels();
    const struct {
        const char* name;
        u32 address;
        u8 kind;
    } defined[] = {{"MAIN", 0x0123, 'C'},
                   {"TABLE", 0x1F80, 'D'},
                   {"JUMPS", 0x0400, 'P'},
                   {"ODD", 0x7FFF, 'U'}};
    for (const auto& d : defined)
        sym_add(d.name, d.address, d.kind);
    EXPECT_EQ(run("SAVESYM labels"), "OK.\n\n");
    std::ifstream in(home.path() / "labels.sym");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.rfind(";CPU flags:\ndata            0x0001  C\n", 0), 0u) << text;
    EXPECT_NE(text.find(";Guest-specific:\ncode            0x0057  OUTPUT1\n"), std::string::npos);
    EXPECT_NE(text.find(";User-defined:\ncode            0x0123  MAIN\n"
                        "data            0x1F80  TABLE\nvector          0x0400  JUMPS\n"
                        "symbol          0x7FFF  ODD\n"),
              std::string::npos)
        << text;

    EXPECT_EQ(run("CLEARSYM"), "OK.\n\n");
    EXPECT_EQ(user_label_count, 0u);
    const std::string said = run("LOADSYM labels");
    EXPECT_EQ(said.substr(said.size() - 5), "OK.\n\n") << said;
    ASSERT_EQ(user_label_count, std::size(defined)) << said;
    for (size_t i = 0; i < std::size(defined); i++) {
        EXPECT_STREQ(user_labels[i].name, defined[i].name);
        EXPECT_EQ(user_labels[i].address, defined[i].address);
        EXPECT_EQ(user_labels[i].kind, defined[i].kind);
    }
    EXPECT_EQ(run("LOADSYM missing"), "Failed! Can't read " + (home.path() / "missing.sym").string() +
                                          ": No such file or directory!\n\n");
    EXPECT_EQ(run("LOADSYM"), "OK.\n\n");
    EXPECT_EQ(user_label_count, 0u);
}

TEST_F(LabelsTest, TheLoaderReadsSymFilesIntoTheUserLabels) {
    TempHome home("labels-loader");
    const std::string path = (home.path() / "game.sym").string();
    std::ofstream(path) << "code          0x0140  ENTRY\ndata          0x1F00  SCREEN";
    EXPECT_EQ(file_load_by_name(path.c_str(), 1), LOAD_MEDIUM);
    ASSERT_EQ(user_label_count, 2u);
    EXPECT_STREQ(user_labels[1].name, "SCREEN");
    EXPECT_EQ(user_labels[1].address, 0x1F00);
}

TEST_F(LabelsTest, SymbolCommands) {
    expect_answers({
        {"DEFSYM ?", "Define symbol\nUsage: DEFSYM <label> <address> [C|D|P|U]\n\n"},
        {"DEFSYM ONLY", "Define symbol\nUsage: DEFSYM <label> <address> [C|D|P|U]\n\n"},
        {"DEFSYM A 1 X", "Define symbol\nUsage: DEFSYM <label> <address> [C|D|P|U]\n\n"},
        {"DEFSYM A 1 C D", "Define symbol\nUsage: DEFSYM <label> <address> [C|D|P|U]\n\n"},
        {"defsym big 8000", "Label BIG is out of range!\nValid range is $0..$7FFF!\n\n"},
        {"defsym main 100 c", "Adding user-defined code label MAIN as $100.\n\n"},
        {"DEFSYM Main 200 d",
         "Redefining user-defined label MAIN (was $100 (C), now $200 (D)).\n\n"},
        {"DEFSYM NEXT MAIN", "Adding user-defined unknown label NEXT as $200.\n\n"},
        {"CLEARSYM A B", "Clear symbol(s)\nUsage: CLEARSYM [<label>]\n\n"},
        {"CLEARSYM nope", "Label not found.\n\n"},
        {"clearsym main", "Clearing user-defined label MAIN (was $200).\n"},
        {"SAVESYM", "Save symbol table as filename\nUsage: SAVESYM <filename>\n\n"},
        {"LOADSYM a b", "Load symbol table from filename\nUsage: LOADSYM [<filename>]\n\n"},
        {"CLEARSYM", "OK.\n\n"},
        {"CLEARSYM", "No user-defined labels to clear!\n\n"},
    });
    EXPECT_EQ(run("H S"), "Symbols:\n"
                          "CLEARSYM [<label>]              clear one or all user labels\n"
                          "DEFSYM <label> <address> [C|D|P|U]\n"
                          "                                define a user label\n"
                          "LOADSYM [<filename>]            load a symbol file\n"
                          "SAVESYM <filename>              save the user labels\n\n");
    machine = PONG;
    machine_bus_install();
    EXPECT_EQ(run("DEFSYM A 1"), "Wrong guest machine!\n\n");
}

TEST_F(LabelsTest, ClearingOneLabelMovesTheRestUp) {
    for (const char* name : {"A1", "B2", "C3"})
        sym_add_quiet(name, 0x10, 'C');
    run("CLEARSYM b2");
    ASSERT_EQ(user_label_count, 2u);
    EXPECT_STREQ(user_labels[0].name, "A1");
    EXPECT_STREQ(user_labels[1].name, "C3");
    EXPECT_EQ(user_labels[2].name[0], '\0');
}

TEST_F(LabelsTest, TabCompletesOnlyAUniquePrefix) {
    elektor_with_labels();
    sym_add_quiet("PLAYER", 0x10, 'D');
    struct Case {
        const char* line;
        const char* after;
    };
    const Case cases[] = {
        {"BP clr", "BP clrSCR"},    // one machine label
        {"D play", "D playER"},     // one user label
        {"BP SCROLL", "BP SCROLL"}, // two candidates: unchanged
        {"BP SCROLL1", "BP SCROLL15"},
        {"sen", "senS"},    // the whole line when it has no blank
        {"BP QQ", "BP QQ"}, // no candidate
    };
    for (const Case& c : cases) {
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", c.line);
        dbg_complete_label();
        EXPECT_STREQ(g_dbg_line, c.after) << c.line;
    }
    // A line at its longest is not overrun.
    std::memset(g_dbg_line, 'x', DBG_LINE_LENGTH - 1);
    g_dbg_line[DBG_LINE_LENGTH - 1] = '\0';
    g_dbg_line[DBG_LINE_LENGTH - 5] = ' ';
    std::memcpy(g_dbg_line + DBG_LINE_LENGTH - 4, "CLR", 3);
    dbg_complete_label();
    EXPECT_EQ(std::strlen(g_dbg_line), static_cast<size_t>(DBG_LINE_LENGTH - 1));
}

TEST_F(LabelsTest, OperandsReadLabelNames) {
    elektor_with_labels();
    EXPECT_EQ(dbg_parse_register_operand("keyscn", 0x7FFF, 0), 0x014Eu);
    sym_add_quiet("HIGH", 0x7FF0, 'C');
    EXPECT_EQ(run("BP high"), "Added code breakpoint at HIGH ($7FF0).\n\n");
}

TEST_F(LabelsTest, AuditNamesEveryClash) {
    elektor_with_labels();
    sym_add_quiet("R1", 0x10, 'D');     // a register name of notation 0
    sym_add_quiet("KEYSCN", 0x20, 'C'); // a machine label
    captured.clear();
    dbg_audit_labels();
    EXPECT_EQ(captured, "Built-in token R1 matches user-defined label!\n"
                        "User-defined label KEYSCN ($20) matches machine label KEYSCN ($14E)!\n");
    machine = PIPBUG;
    machine_bus_install();
    sym_add_quiet("CR", 0x30, 'D');
    captured.clear();
    dbg_audit_labels();
    EXPECT_EQ(captured.rfind("ASCII name CR ($D) matches user-defined label CR ($30)!\n", 0), 0u)
        << captured;
}

} // namespace
