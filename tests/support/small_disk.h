// Test support: a small file system of the test's own (tmpfs), to fill up or
// to make read-only, detached when the object goes, even while a failed
// check left a file open on it. Mounting needs root: where it cannot be
// done, mount() is false and the test skips that part.
//
//   SmallDisk disk;
//   if (!disk.mount(home / "disk", "64k")) GTEST_SKIP() << "no small disk here";
//   disk.fill();            // not a byte left
//   disk.make_read_only();
#pragma once

#include "tests/record/tools.h"

#include <cstdio>
#include <filesystem>
#include <string>

class SmallDisk {
  public:
    SmallDisk() = default;
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk() {
        int ignored;
        if (!at_.empty()) run_tool("umount -l '" + at_.string() + "'", &ignored);
    }
    // A tmpfs of `size` ("64k") at `dir` (made when missing).
    bool mount(const std::filesystem::path& dir, const char* size) {
        std::filesystem::create_directories(dir);
        int rc = -1;
        run_tool("mount -t tmpfs -o size=" + std::string(size) + " tmpfs '" + dir.string() + "'",
                 &rc);
        if (rc != 0) return false;
        at_ = dir;
        return true;
    }
    // Fills what is left with one file, "filler".
    void fill() const {
        std::FILE* f = std::fopen((at_ / "filler").c_str(), "wb");
        if (!f) return;
        while (std::fputc('f', f) != EOF) {
        }
        std::fclose(f);
    }
    bool make_read_only() const {
        int rc = -1;
        run_tool("mount -o remount,ro '" + at_.string() + "'", &rc);
        return rc == 0;
    }

  private:
    std::filesystem::path at_;
};
