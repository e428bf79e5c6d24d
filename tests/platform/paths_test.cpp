#include "platform/paths.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Redirects environment variables for one test and restores them afterwards.
class EnvGuard {
  public:
    ~EnvGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void set(const char* name, const std::string& value) {
        save(name);
        setenv(name, value.c_str(), 1);
    }
    void unset(const char* name) {
        save(name);
        unsetenv(name);
    }

  private:
    void save(const char* name) {
        const char* v = std::getenv(name);
        saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class Paths : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        env.set("BRINDLEMOX_HOME", dir + "/home");
        env.set("XDG_RUNTIME_DIR", dir + "/run");
    }
    EnvGuard env;
};

TEST_F(Paths, ProgramHomeFollowsTheEnvironmentInOrder) {
    EXPECT_EQ(path_progdir(), dir + "/home");
    env.set("BRINDLEMOX_HOME", dir + "/home//");
    EXPECT_EQ(path_progdir(), dir + "/home");

    env.set("BRINDLEMOX_HOME", "");
    env.set("XDG_DATA_HOME", dir + "/data/");
    EXPECT_EQ(path_progdir(), dir + "/data/brindlemox");

    env.set("XDG_DATA_HOME", "relative/data"); // not absolute: ignored
    env.set("HOME", dir + "/user");
    EXPECT_EQ(path_progdir(), dir + "/user/.local/share/brindlemox");
    env.unset("XDG_DATA_HOME");
    EXPECT_EQ(path_progdir(), dir + "/user/.local/share/brindlemox");
}

TEST_F(Paths, RamFollowsTheRuntimeFolderElseTmp) {
    EXPECT_EQ(path_ram(), dir + "/run");
    env.set("XDG_RUNTIME_DIR", "/");
    EXPECT_EQ(path_to_host("RAM:Brindlemox.log"), "/Brindlemox.log");
    env.unset("XDG_RUNTIME_DIR");
    EXPECT_EQ(path_ram(), "/tmp");
    env.set("XDG_RUNTIME_DIR", "");
    EXPECT_EQ(path_to_host("RAM:Brindlemox.log"), "/tmp/Brindlemox.log");
}

TEST_F(Paths, VolumeNamesBecomeHostFolders) {
    EXPECT_EQ(path_to_host("PROGDIR:"), dir + "/home");
    EXPECT_EQ(path_to_host("PROGDIR:Configs/x.ini"), dir + "/home/Configs/x.ini");
    EXPECT_EQ(path_to_host("progdir:Configs"), dir + "/home/Configs");
    EXPECT_EQ(path_to_host("PROGDIR:/roms/a.bin"), dir + "/home/roms/a.bin");
    EXPECT_EQ(path_to_host("RAM:Brindlemox.log"), dir + "/run/Brindlemox.log");
    EXPECT_EQ(path_to_host("RAM:"), dir + "/run");
}

TEST_F(Paths, HostPathsAndUnknownVolumesStayUnchanged) {
    for (const char* p : {"/abs/PROGDIR:x", "/usr/share/file.bin", "games/a:b.bin", "relative.cos",
                          "WORK:games/x.bin", "PROGDIRX:y", ":x", ""})
        EXPECT_EQ(path_to_host(p), p);
}

TEST_F(Paths, ProgramHomeIsCreatedWithItsParents) {
    env.set("BRINDLEMOX_HOME", dir + "/a/b/c");
    EXPECT_FALSE(fs::exists(dir + "/a"));
    EXPECT_TRUE(path_make_progdir());
    EXPECT_TRUE(fs::is_directory(dir + "/a/b/c"));
    EXPECT_TRUE(path_make_progdir()); // already there

    std::ofstream(dir + "/plainfile") << "x";
    EXPECT_FALSE(path_make_dirs(dir + "/plainfile"));
    EXPECT_FALSE(path_make_dirs(dir + "/plainfile/sub"));
    EXPECT_FALSE(path_make_dirs(""));
}

// The lock holds on the file at its path: a removed file is made again and
// locked, a file of another run in its place ends the lock for good.
TEST_F(Paths, TheLockHoldsOnlyTheFileAtItsPath) {
    const std::string lock = dir + "/home.lock";
    const auto other_locks = [&] {
        const int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0644);
        const bool taken = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (!taken && fd >= 0) close(fd);
        return taken ? fd : -1;
    };
    ASSERT_EQ(path_lock_file(lock), 1);
    EXPECT_TRUE(path_lock_holds());
    EXPECT_EQ(other_locks(), -1);

    fs::remove(lock);
    EXPECT_TRUE(path_lock_holds());
    EXPECT_TRUE(fs::exists(lock));
    EXPECT_EQ(other_locks(), -1); // the new file is held too

    // Replaced while nobody locks it: the lock is lost all the same.
    std::ofstream(dir + "/other") << "x";
    fs::rename(dir + "/other", lock);
    EXPECT_FALSE(path_lock_holds());
    int other = other_locks();
    EXPECT_GE(other, 0);
    close(other);

    // Removed, then another run's file in its place: lost, and not taken back
    // once that file goes too.
    ASSERT_EQ(path_lock_file(lock), 1);
    fs::remove(lock);
    other = other_locks();
    ASSERT_GE(other, 0);
    EXPECT_FALSE(path_lock_holds());
    close(other);
    fs::remove(lock);
    EXPECT_FALSE(path_lock_holds());
    EXPECT_FALSE(fs::exists(lock));

    other = other_locks();
    EXPECT_EQ(path_lock_file(lock), 0);
    close(other);
    EXPECT_EQ(path_lock_file(lock), 1);
    path_unlock_file();
    EXPECT_FALSE(path_lock_holds());
}

// The shipped files are found beside the binary first, then in the installed
// data folder next to the binary's folder, then in the configured data folder.
TEST_F(Paths, ShippedFilesAreFoundBesideTheBinaryThenWhereInstalled) {
    const std::string prefix = dir + "/usr";
    const std::string bin = prefix + "/bin";
    const std::string configured = dir + "/configured/brindlemox";
    fs::create_directories(bin);
    fs::create_directories(configured);
    fs::create_directories(dir + "/resources"); // above the binary's folder: not taken
    struct Case {
        const char* make; // folder created before the search ("" none)
        std::string expected;
    };
    const Case cases[] = {
        {"", configured},                                        // only the configured folder
        {"/usr/share/brindlemox", prefix + "/share/brindlemox"}, // installed beside the binary
        {"/usr/bin/resources", bin + "/resources"},              // beside the binary wins
    };
    for (const Case& c : cases) {
        if (c.make[0]) fs::create_directories(dir + c.make);
        EXPECT_EQ(path_find_resources(bin, configured), c.expected) << c.make;
    }
    EXPECT_EQ(path_find_resources(bin + "/", ""), bin + "/resources");
    fs::remove_all(bin + "/resources");
    fs::remove_all(prefix + "/share");
    EXPECT_EQ(path_find_resources(bin, dir + "/missing"), "");
    EXPECT_EQ(path_find_resources("", ""), "");
}

// The test program lives in a build folder, where the shipped images must be found.
TEST_F(Paths, TheBuildFolderFindsTheShippedFiles) {
    const std::string found = path_resources();
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(fs::is_directory(found + "/images")) << found;
}

} // namespace
