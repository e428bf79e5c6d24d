// Every writer of the port, in the running program, into a place that cannot
// be written: the command fails (rc 5 or more, never "OK.") and the user's
// file there stays as it was. The rows are the program's own: the debugger's
// commands with the command table's `writes` column, the port's SAVE commands
// (the file kind after SAVE; AS the state), the menu items that write without
// a requester (the log modes, the quick save) and a recording made over the
// one being played. Two places refuse the write:
// - a folder at each name the writer makes (the user's file inside it);
// - as an ordinary user, a folder that user may not write, holding the
//   user's own file at the name (the new file cannot be made beside it).
#include "commands/arexx.h"
#include "commands/command_actions.h"
#include "commands/command_table.h"
#include "commands/menu_table.h"
#include "core/filekinds.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "debugger/commands.h"
#include "tests/record/tools.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One writer: the request that makes it write into `dir` the files `names`
// (the last word of each is a suffix where it starts with a dot: the writer
// picks the one its machine takes), and the machine it needs ("" any).
struct WriterRow {
    std::string what;
    std::function<std::string(const fs::path& dir)> line;  // the request writing into `dir`
    std::vector<std::string> names;
    bool on_machine = false; // tried on the machines of the machine table until one takes it
    bool in_place = true;    // a folder at its name can be tried
    bool read_only = true;   // a folder the user may not write can be tried
    std::function<fs::path(const fs::path& home)> dir; // its drawer, when fixed
};

using LineOf = std::function<std::string(const fs::path& dir)>;
WriterRow writer(std::string what, LineOf line, std::vector<std::string> names) {
    WriterRow row;
    row.what = std::move(what);
    row.line = std::move(line);
    row.names = std::move(names);
    return row;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The debugger line of `w` writing `file`, as the file writers test makes it.
std::string debugger_line(const DbgFileWriter& w, const std::string& file) {
    std::string names = w.names, line = names.substr(0, names.find('|'));
    std::istringstream words(w.arguments);
    for (std::string word; words >> word;) {
        std::erase(word, '[');
        std::erase(word, ']');
        if (word == "<filename>") return "DEBUGGER \"" + line + " " + file + "\"";
        line += word.find("end") != std::string::npos ? " $90F" : " $900";
    }
    return "";
}

std::vector<WriterRow> writer_rows() {
    std::vector<WriterRow> rows;
    int n = 0;
    for (const DbgFileWriter& w : dbg_file_writers()) {
        const std::string stem = "d" + std::to_string(n++);
        // EXTRACT writes under the disk's names: the disk refusal tests try it.
        if (!w.suffixes[0]) continue;
        WriterRow row = writer(w.names, nullptr, {});
        row.on_machine = true;
        std::istringstream suffixes(w.suffixes);
        for (std::string s; suffixes >> s;)
            row.names.push_back(stem + s);
        const bool assembles = std::string(w.names) == "ASM";
        row.line = [w, stem, assembles](const fs::path& dir) {
            // ASM reads its source there and writes beside it.
            if (assembles) test_write_file(dir / (stem + ".s"), "\tORG $900\n\tDB 1\n\tEND\n");
            return debugger_line(w, (dir / (stem + (assembles ? ".s" : ""))).string());
        };
        rows.push_back(row);
    }
    for (const ArexxCmd* c = g_arexx_commands; c->name; c++) {
        const std::string name = c->name;
        if (name.rfind("SAVE", 0) != 0) continue;
        const std::string word = name.substr(4);
        int kind = word == "AS" ? KIND_COS : KIND_NONE;
        for (int k = 0; k < FILE_KINDS && kind == KIND_NONE; k++)
            if (upper(file_kinds[k].extension + 1) == word) kind = k;
        if (kind == KIND_NONE) continue;
        const std::string file = "p" + word + file_kinds[kind].extension;
        rows.push_back(writer(
            name, [name, file](const fs::path& dir) { return name + " " + (dir / file).string(); },
            {file}));
    }
    // HELP is the one other command of the port that writes a file.
    rows.push_back(writer(
        "HELP", [](const fs::path& dir) { return "HELP " + (dir / "help.txt").string(); },
        {"help.txt"}));
    for (const CmdRow& r : cmd_rows) {
        const MenuCommandName* item = r.check >= 0 ? &menu_check_names[r.check]
                                      : r.plain >= 0 ? &menu_plain_names[r.plain]
                                                     : nullptr;
        if (!item || !item->name || !item->name[0]) continue;
        const std::string line = std::string("MENU ") + item->name;
        if (r.run == act_log_mode && r.value != LOG_OFF) {
            // The log is appended to in place by design: a log of the user's
            // own in a folder the user may not write is written all the same.
            WriterRow row = writer(line, [line](const fs::path&) { return line; }, {"Brindlemox.log"});
            row.read_only = false;
            row.dir = [](const fs::path& home) { return home; };
            rows.push_back(row);
        } else if (r.run == act_quicksave) {
            WriterRow row = writer(line, [line](const fs::path&) { return line; }, {"QUICKSAV.COS"});
            row.dir = [](const fs::path& home) { return home / "Games"; };
            rows.push_back(row);
        }
    }
    return rows;
}

// A folder that would be written into is the user's own: what is in it stays.
constexpr const char* USERS = "the user's own file\n";
// A folder of the superuser's that everyone else may only read.
constexpr fs::perms READABLE_ONLY = fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec;

class FailedWrites : public ProgramTest {
  protected:
    // One request: through the kept connection, or as the ordinary user
    // `nobody` from a client run as that user (the port answers its own user).
    int ask(const std::string& line, std::string* said) {
        said->clear();
        if (!as_nobody) return send(line, said);
        const std::string command =
            "setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 -c '"
            "import socket, sys\n"
            "s = socket.socket(socket.AF_UNIX)\n"
            "s.connect(sys.argv[1])\n"
            "s.sendall(sys.argv[2].encode() + b\"\\n\")\n"
            "got = b\"\"\n"
            "while b\"\\n\" not in got: got += s.recv(4096)\n"
            "head, _, rest = got.partition(b\"\\n\")\n"
            "rc, size = head.split()[:2]\n"
            "while len(rest) < int(size): rest += s.recv(4096)\n"
            "sys.stdout.write(rc.decode() + \"\\n\" + rest.decode(errors=\"replace\"))' '" +
            (home.path() / "brindlemox" / "E2E").string() + "' \"$LINE\" 2>/dev/null";
        setenv("LINE", line.c_str(), 1);
        FILE* client = popen(command.c_str(), "r");
        std::string got;
        char buffer[4096];
        for (std::size_t k; client && (k = std::fread(buffer, 1, sizeof buffer, client)) > 0;)
            got.append(buffer, k);
        if (client) pclose(client);
        const std::size_t header = got.find('\n');
        if (header == std::string::npos) return -1;
        *said = got.substr(header + 1);
        return std::atoi(got.c_str());
    }
    void start_program() {
        if (as_nobody) {
            prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
            ASSERT_EQ(std::system(("chown -R nobody:nogroup '" + home.path().string() + "'").c_str()), 0);
            fs::permissions(home.path(), fs::perms::owner_all);
        }
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        if (!as_nobody) {
            ASSERT_TRUE(port_up());
            return;
        }
        std::string said;
        for (int i = 0; i < 500 && ask("GETMACHINE", &said) != 0; i++)
            usleep(40000);
        ASSERT_EQ(ask("GETMACHINE", &said), 0) << log();
    }
    // The drawer `row` writes into, made as the place to try says: a folder
    // of the superuser's (with the user's files at the names, which the user
    // may write), or folders at the names.
    fs::path place(const WriterRow& row, const std::string& tag) {
        const fs::path dir = row.dir ? row.dir(home.path()) : home.path() / tag;
        fs::create_directories(dir);
        for (const std::string& name : row.names) {
            if (as_nobody) {
                test_write_file(dir / name, USERS);
                EXPECT_EQ(chown((dir / name).c_str(), 65534, 65534), 0);
            } else {
                fs::create_directories(dir / name);
                test_write_file(dir / name / "inside", USERS);
            }
        }
        if (as_nobody) {
            EXPECT_EQ(chown(dir.c_str(), 0, 0), 0);
            fs::permissions(dir, READABLE_ONLY);
        }
        return dir;
    }
    void expect_kept(const fs::path& dir, const WriterRow& row) {
        for (const std::string& name : row.names) {
            const fs::path file = as_nobody ? dir / name : dir / name / "inside";
            EXPECT_EQ(test_read_file(file), USERS) << file;
        }
    }
    // Every row of the table: its request fails and the user's files stay.
    void walk(bool read_only) {
        int row_number = 0, tried = 0;
        for (const WriterRow& row : writer_rows()) {
            const std::string tag = "w" + std::to_string(row_number++);
            if (read_only ? !row.read_only : !row.in_place) continue;
            SCOPED_TRACE(row.what);
            const fs::path dir = place(row, tag);
            const std::string line = row.line(dir);
            std::string said;
            int rc = ask(line, &said);
            // A debugger command goes from machine to machine until one takes it.
            for (std::size_t m = 0; row.on_machine && said == "Wrong guest machine!\n\n" &&
                                    m < MACHINES;
                 m++) {
                const MachineDesc& machine = machine_table[m];
                if (!machine.keyword || !machine.keyword[0]) continue;
                ask(std::string("SETMACHINE ") + machine.keyword, &said);
                rc = ask(line, &said);
            }
            tried++;
            EXPECT_GE(rc, 5) << line << ": " << said;
            EXPECT_EQ(said.find("OK."), std::string::npos) << line << ": " << said;
            expect_kept(dir, row);
            if (row.on_machine) ask("SETMACHINE ARCADIA", &said);
        }
        EXPECT_GE(tried, 15);
    }
    bool as_nobody = false;
};

} // namespace

TEST_F(FailedWrites, AFolderAtTheNameFailsEveryWriter) {
    ASSERT_NO_FATAL_FAILURE(start_program());
    walk(false);
}

TEST_F(FailedWrites, AFolderTheUserMayNotWriteFailsEveryWriter) {
    if (geteuid() != 0 || !fs::exists("/usr/bin/setpriv") || !fs::exists("/usr/bin/python3"))
        GTEST_SKIP() << "only the superuser can run the program as an ordinary user";
    as_nobody = true;
    ASSERT_NO_FATAL_FAILURE(start_program());
    walk(true);
    // A recording made over the one being played, from the part played: the
    // played file is replaced whole or not at all.
    const fs::path dir = home.path() / "played", take = dir / "take.cor";
    fs::create_directories(dir);
    std::string said;
    ASSERT_EQ(ask("SAVEAS " + (home.path() / "s.cos").string(), &said), 0) << said;
    ASSERT_TRUE(write_recording(home.path() / "s.cos", take, 2000, std::vector<u8>(6, 0)));
    const std::string recorded = test_read_file(take);
    ASSERT_EQ(chown(take.c_str(), 65534, 65534), 0);
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
    std::string stopped;
    const int rc = std::max(opened, ask("MENU MACRO.STOP", &stopped));
    EXPECT_GE(rc, 5) << said << stopped;
    EXPECT_NE((said + stopped).find("Can't write to " + (dir / "take.").string()), std::string::npos)
        << said << stopped;
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path(), take) << "left behind";
}
