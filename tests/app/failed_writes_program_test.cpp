// Every writer of the port, in the running program, into a place that cannot
// be written: the command fails (rc 5 or more, never "OK.") and the user's
// file there stays as it was. The rows are the program's own: the debugger's
// commands with the command table's `writes` column (EXTRACT, which writes
// under the disk's names, is the disk refusal tests'), the port's SAVE
// commands (the file kind after SAVE; AS the state), HELP, and the menu items
// that write without a requester (the log modes, the quick save). Two places
// refuse the write: a folder at each name the writer makes, and, as an
// ordinary user, a folder that user may not write holding the user's own file
// at the name (the new file cannot be made beside it).
#include "commands/arexx.h"
#include "commands/command_actions.h"
#include "commands/command_table.h"
#include "commands/menu_table.h"
#include "core/filekinds.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "debugger/commands.h"
#include "tests/record/tools.h"
#include "tests/support/port_client.h"
#include "tests/support/program_test.h"
#include "tests/support/writer_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct WriterRow {
    std::string line;                  // the request, with DIR for the folder it writes into
    std::vector<std::string> names;    // the files it writes there (all its suffixes)
    const char* home_drawer = nullptr; // a fixed folder of the home in place of DIR
    bool read_only = true;             // false: written in place by design (the log)
    std::string source = "";           // a source it reads in DIR ("" none)
};

std::vector<WriterRow> writer_rows() {
    std::vector<WriterRow> rows;
    int n = 0;
    for (const DbgFileWriter& w : dbg_file_writers()) {
        const std::string stem = "d" + std::to_string(n++);
        if (!w.suffixes[0]) continue;
        WriterRow row;
        std::istringstream suffixes(w.suffixes);
        for (std::string s; suffixes >> s;)
            row.names.push_back(stem + s);
        // Its words up to <filename>, a range where they name one; ASM reads
        // DIR/<stem>.s and writes beside it.
        std::string words = test_writer_name(w);
        std::istringstream arguments(w.arguments);
        for (std::string a; arguments >> a && a.find("<filename>") == std::string::npos;)
            words += a.find("end") != std::string::npos ? " $90F" : " $900";
        if (words == "ASM") row.source = stem + ".s";
        row.line =
            "DEBUGGER \"" + words + " DIR/" + (row.source.empty() ? stem : row.source) + "\"";
        rows.push_back(row);
    }
    for (const ArexxCmd* c = g_arexx_commands; c->name; c++) {
        const std::string name = c->name;
        for (int k = 0; k < FILE_KINDS && name.rfind("SAVE", 0) == 0; k++) {
            std::string word = file_kinds[k].extension + 1;
            for (char& ch : word)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (name.substr(4) == (k == KIND_COS ? "AS" : word))
                rows.push_back({name + " DIR/p" + word + file_kinds[k].extension,
                                {"p" + word + file_kinds[k].extension}});
        }
    }
    rows.push_back({"HELP DIR/help.txt", {"help.txt"}}); // the port's one other writer
    for (const CmdRow& r : cmd_rows) {
        const MenuCommandName* item = r.check >= 0   ? &menu_check_names[r.check]
                                      : r.plain >= 0 ? &menu_plain_names[r.plain]
                                                     : nullptr;
        const std::string line = std::string("MENU ") + (item && item->name ? item->name : "");
        if (r.run == act_log_mode && r.value != LOG_OFF)
            rows.push_back({line, {"Brindlemox.log"}, "", false});
        else if (r.run == act_quicksave)
            rows.push_back({line, {"QUICKSAV.COS"}, "Games"});
    }
    return rows;
}

constexpr const char* USERS = "the user's own file\n";
// A folder of the superuser's that everyone else may only read.
constexpr fs::perms READABLE_ONLY = fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec;
constexpr uid_t NOBODY = 65534;

std::string with_dir(std::string line, const fs::path& dir) {
    for (std::size_t at; (at = line.find("DIR")) != std::string::npos;)
        line.replace(at, 3, dir.string());
    return line;
}

class FailedWrites : public ProgramTest {
  protected:
    // One request: through the kept connection, or from a client run as
    // `nobody` (the port answers its own user only).
    int ask(const std::string& line, std::string* said) {
        said->clear();
        if (!as_nobody) return send(line, said);
        return test_port_send_as_nobody((home.path() / "brindlemox" / "E2E").string(), line,
                                        said);
    }
    void start_program() {
        if (as_nobody) {
            prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            ASSERT_EQ(
                std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()), 0);
            fs::permissions(home.path(), fs::perms::owner_all);
        }
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        std::string said;
        ASSERT_TRUE(wait_until([&] { return ask("GETMACHINE", &said) == 0; }, TEST_HANG_SECONDS, 40))
            << log();
    }
    // Every row's request into its place fails, and the user's files stay.
    void walk() {
        int number = 0;
        for (const WriterRow& row : writer_rows()) {
            const fs::path dir = row.home_drawer ? home.path() / row.home_drawer
                                                 : home.path() / ("w" + std::to_string(number++));
            if (as_nobody && !row.read_only) continue;
            SCOPED_TRACE(row.line);
            fs::create_directories(dir);
            if (!row.source.empty())
                test_write_file(dir / row.source, "\tORG $900\n\tDB 1\n\tEND\n");
            for (const std::string& name : row.names) {
                const fs::path file = as_nobody ? dir / name : dir / name / "inside";
                fs::create_directories(file.parent_path());
                test_write_file(file, USERS);
                if (as_nobody) {
                    EXPECT_EQ(chown(file.c_str(), NOBODY, NOBODY), 0);
                }
            }
            if (as_nobody) {
                EXPECT_EQ(chown(dir.c_str(), 0, 0), 0);
                fs::permissions(dir, READABLE_ONLY);
            }
            const std::string line = with_dir(row.line, dir);
            std::string said;
            int rc = ask(line, &said);
            // A command of other machines goes from machine to machine until one takes it.
            for (int m = 0; said == "Wrong guest machine!\n\n" && m < static_cast<int>(MACHINES);
                 m++)
                if (machine_table[m].keyword && machine_table[m].keyword[0]) {
                    ask(std::string("SETMACHINE ") + machine_table[m].keyword, &said);
                    rc = ask(line, &said);
                }
            EXPECT_GE(rc, 5) << said;
            EXPECT_EQ(said.find("OK."), std::string::npos) << said;
            for (const std::string& name : row.names)
                EXPECT_EQ(test_read_file(as_nobody ? dir / name : dir / name / "inside"), USERS);
        }
        EXPECT_GE(number, 20);
    }
    bool as_nobody = false;
};

} // namespace

TEST_F(FailedWrites, AFolderAtTheNameFailsEveryWriter) {
    ASSERT_NO_FATAL_FAILURE(start_program());
    walk();
}

TEST_F(FailedWrites, AFolderTheUserMayNotWriteFailsEveryWriter) {
    if (geteuid() != 0 || !fs::exists("/usr/bin/setpriv") || !fs::exists("/usr/bin/python3"))
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    as_nobody = true;
    ASSERT_NO_FATAL_FAILURE(start_program());
    walk();
    // A recording made over the one being played, from the part played: the
    // played file is replaced whole or not at all.
    const fs::path dir = home.path() / "played", take = dir / "take.cor";
    fs::create_directories(dir);
    std::string said, stopped;
    ASSERT_EQ(ask("SAVEAS " + (home.path() / "s.cos").string(), &said), 0) << said;
    ASSERT_TRUE(write_recording(home.path() / "s.cos", take, 2000, std::vector<u8>(6, 0)));
    const std::string recorded = test_read_file(take);
    ASSERT_EQ(chown(take.c_str(), NOBODY, NOBODY), 0);
    fs::permissions(dir, READABLE_ONLY);
    ASSERT_EQ(ask("OPEN " + take.string(), &said), 0) << said;
    EXPECT_GE(ask("MENU MACRO.STARTRECORDING", &said), 5) << said;
    ask("MENU MACRO.STOP", &said);
    EXPECT_TRUE(test_read_file(take) == recorded) << "the played recording was changed";

    // Every output of the recorders that the Macro menu offers, generated
    // from a recording played there: each is named, none is left behind.
    for (const MenuCommandName& named : menu_plain_names) {
        const std::string item = named.name ? named.name : "";
        if (item.rfind("MACRO.ANIMS.", 0) == 0 || item.rfind("MACRO.SOUNDS.", 0) == 0)
            ask("MENU " + item, &said); // 5 for the outputs of another machine's chips
    }
    ASSERT_EQ(ask("MENU MACRO.GENERATE", &said), 0) << said;
    const int opened = ask("OPEN " + take.string(), &said);
    EXPECT_GE(std::max(opened, ask("MENU MACRO.STOP", &stopped)), 5) << said << stopped;
    EXPECT_NE((said + stopped).find("Can't write to " + (dir / "take.").string()),
              std::string::npos)
        << said << stopped;
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path(), take) << "left behind";
}
