// Base of the fixtures whose tests touch files: the whole program state fresh
// before and after each test, and a program home of the test's own, `home`
// (`dir` as text), removed afterwards.
#pragma once

#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

class HomeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        temp_.emplace("home");
        home = temp_->path();
        dir = home.string();
    }
    void TearDown() override {
        fresh_state(); // leaves the folder, closes the log, before the folder goes
        temp_.reset();
    }
    std::filesystem::path home;
    std::string dir;

  private:
    std::optional<TempHome> temp_;
};
