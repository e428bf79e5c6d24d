#include "core/serial.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SafeWrites : public HomeTest {
  protected:
    void touch(const char* name) { std::ofstream(home / name) << "old"; }
    bool exists(const char* name) { return fs::exists(home / name); }
};

// A write cut short leaves `<name>.tmp-` and six letters; the next write of that
// file removes them, and only them.
TEST_F(SafeWrites, StaleTemporariesOfTheFileAreRemoved) {
    struct Case {
        const char* name;
        bool removed;
    } const cases[] = {
        {"a.ini.tmp-abcdef", true},   {"a.ini.tmp-Z09xQ1", true},
        {"a.ini.tmp-abcde", false},   {"a.ini.tmp-abcdefg", false},
        {"a.ini.tmp-abc.ef", false},  {"b.ini.tmp-abcdef", false},
        {"xa.ini.tmp-abcdef", false}, {"a.ini", false},
    };
    for (const Case& c : cases)
        touch(c.name);
    std::string error;
    ASSERT_TRUE(file_write_replace((home / "a.ini").string(), "new", 3, &error)) << error;
    for (const Case& c : cases)
        EXPECT_EQ(exists(c.name), !c.removed) << c.name;
    EXPECT_EQ(test_read_file(home / "a.ini"), "new");
    int entries = 0;
    for (const auto& e : fs::directory_iterator(home)) {
        (void)e;
        entries++;
    }
    EXPECT_EQ(entries, 6); // the six kept files, one of them the new a.ini
}

// A new file gets the mode of any new file: 0666 less the umask; written
// again, it keeps it. One made without write permission is write-protected
// from then on: it is not written again.
TEST_F(SafeWrites, ModeFollowsTheUmask) {
    struct Case {
        mode_t mask, mode;
    } const cases[] = {{022, 0644}, {077, 0600}, {002, 0664}, {0, 0666}, {0277, 0400}};
    const mode_t was = umask(0);
    for (const Case& c : cases) {
        umask(c.mask);
        for (const char* name : {"fresh.bin", "fresh.bin"}) {
            const std::string path = (home / name).string();
            const bool again = fs::exists(path);
            EXPECT_EQ(file_write_replace(path, "x", 1), !(again && (c.mode & 0222) == 0)) << path;
            struct stat st;
            ASSERT_EQ(stat(path.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, c.mode) << std::oct << "umask " << c.mask;
        }
        fs::remove(home / "fresh.bin");
    }
    umask(was);
}

// Writing nothing and writing a large file both replace the old contents whole.
TEST_F(SafeWrites, ContentsReplaceTheOldFileWhole) {
    touch("f.dat");
    const std::string big(300000, 'q');
    for (const std::string& contents : {std::string(), big, std::string("short")}) {
        ASSERT_TRUE(
            file_write_replace((home / "f.dat").string(), contents.data(), contents.size()));
        EXPECT_EQ(test_read_file(home / "f.dat"), contents);
    }
}

} // namespace
