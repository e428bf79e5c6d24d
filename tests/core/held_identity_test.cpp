// The write-back of every held medium, by the kinds of files in use
// (FileUse): a file that another program put at the medium's name since it
// went in is kept, and the medium says why it did not write there. Each
// medium is put in, and written on, through the port as a script does.
#include "commands/arexx.h"
#include "computers/phunsy.h"
#include "core/files_in_use.h"
#include "core/ui_host.h"
#include "peripherals/changed_media.h"
#include "peripherals/papertape.h"
#include "tests/core/home_fixture.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string replies; // what the port's commands answered

int port(const std::string& line) {
    std::string result;
    const int rc = ui_unattended_run(arexx_execute, line.c_str(), &result);
    replies += result;
    return rc;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Medium {
    const char* file;    // its name in the home, and
    std::string bytes;   // what is in it
    const char* machine; // the machine that takes it
    std::function<void()> write_on, write_back;
    const char* lead; // the write-back's refusal, before ": its file ..."
};

// Each kind of medium that writes its file back; the others, with why not.
const std::map<FileUse, Medium> media = {
    {FileUse::tape,
     {"t.wav",
      std::string("RIFF$\0\0\0WAVEfmt \x10\0\0\0\1\0\1\0\x22\x56\0\0\x22\x56\0\0\1\0\x08\0data\0\0\0\0",
                  44),
      "CD2650", [] {},
      [] { // the motor on at the monitor's save routine: the deck records
          port("DEBUGGER \"JUMP 1FD\"");
          port("DEBUGGER \"WRITEPORT DATA 8\"");
      },
      "Can't record on this tape"}},
    {FileUse::papertape,
     {"k.pap", "OLD", "TWIN",
      [] {
          papertape_punch_run(0); // the window's Record
          port("DEBUGGER \"WRITEPORT E8 4E\"");
      },
      [] { papertape_close(0); }, "Can't write the papertape back"}},
    {FileUse::disk,
     {"d.raw", std::string(80640, '\0'), "CD2650",
      [] { port("DEBUGGER \"FPOKE 10 55\""); }, media_update_all,
      "Can't write the disk in drive 0 back"}},
    {FileUse::mdcr,
     {"t.mdcr", std::string(256, '\1'), "PHUNSY",
      [] {
          port("DEBUGGER \"WRITEPORT DATA 60\""); // forward, writing
          for (int i = 0; i < 4; i++)
              phunsy_run_frame();
      },
      media_update_all, "Can't write the MDCR tape back"}},
};
const std::map<FileUse, const char*> not_written_back = {
    {FileUse::playback, "a recording played is only read"},
    {FileUse::state, "the state just loaded is only read"},
    {FileUse::recording, "written by its recorder, which checks its own file as it closes it"},
};

class HeldIdentity : public HomeTest {};

} // namespace

TEST_F(HeldIdentity, NoMediumIsWrittenBackOverAFileThatReplacedItsOwn) {
    for (int u = 0; u < static_cast<int>(FileUse::count); u++) {
        const FileUse use = static_cast<FileUse>(u);
        SCOPED_TRACE(u);
        if (not_written_back.count(use)) continue;
        const auto row = media.find(use);
        ASSERT_NE(row, media.end()) << "no row for the files in use of kind " << u;
        const Medium& m = row->second;
        const fs::path file = home / m.file, theirs = home / "theirs";
        std::ofstream(file, std::ios::binary) << m.bytes;
        ASSERT_LE(port(std::string("SETMACHINE ") + m.machine), 5);
        ASSERT_EQ(port("OPEN " + file.string()), 0);
        EXPECT_FALSE(file_in_use(file.string()).empty()) << m.file << " is held";
        m.write_on();
        std::ofstream(theirs, std::ios::binary) << "THEIRS";
        fs::rename(theirs, file); // another program saves there
        capture_output();
        replies.clear();
        m.write_back();
        const std::string said = captured_output() + replies;
        EXPECT_NE(said.find(std::string(m.lead) + ": its file " + file.string() +
                            " was replaced by another file since it went in."),
                  std::string::npos)
            << said;
        EXPECT_EQ(contents(file), "THEIRS");
        fresh_state(); // the kept medium let go before the next
    }
}
