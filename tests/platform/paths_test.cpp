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
