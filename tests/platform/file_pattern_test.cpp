// AmigaDOS patterns turned into the file dialog's name filters.
#include "platform/file_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(FilePattern, PatternsBecomeTheFiltersThatMatchTheSameNames) {
    struct Case {
        const char* pattern;
        std::vector<std::string> globs;
    };
    const Case cases[] = {
        {"#?.(BIN|ROM)", {"*.BIN", "*.ROM"}},
        {"#?.rexx", {"*.rexx"}},
        {"#?", {"*"}},
        {"#?.(bin|rom|(tv|p)c)", {"*.bin", "*.rom", "*.tvc", "*.pc"}},
        {"(a|b)(c|d).x", {"ac.x", "ad.x", "bc.x", "bd.x"}},
        {"game?.aof", {"game?.aof"}},
        {"f[0-9].sym", {"f[0-9].sym"}},
        {"f[~0-9].sym", {"f[!0-9].sym"}},
        {"'#1.txt", {"#1.txt"}},
        {"x*y", {"x[*]y"}},        // a star is an ordinary character here
        {"#a.txt", {"*.txt"}},     // any number of "a": only "anything" says it
        {"(#?.bin|%)", {"*.bin"}}, // the empty name is no file
        {"(a|a).b", {"a.b"}},      // the same filter once
    };
    for (const Case& c : cases)
        EXPECT_EQ(file_pattern_globs(c.pattern), c.globs) << c.pattern;
}

TEST(FilePattern, WhatAFilterCannotSayShowsEveryName) {
    const char* widened[] = {
        "",           // no pattern
        "~(#?.info)", // negation
        "(a|b",       // unbalanced
        "a|b)",
        "[abc",
        "#",
        "'",
        "(a|b)(a|b)(a|b)(a|b)(a|b)(a|b)(a|b)", // 128 filters
    };
    for (const char* p : widened)
        EXPECT_EQ(file_pattern_globs(p), std::vector<std::string>{"*"}) << p;
}

// The dialog shows what the files are, never the pattern itself, and lets
// every name be shown besides.
TEST(FilePattern, TheDialogNamesTheKindsAndListsTheirFilters) {
    struct Case {
        const char* pattern;
        std::vector<std::string> filters;
    };
    const Case cases[] = {
        {"#?.COR", {"Recordings (*.cor)", "All files (*)"}},
        {"#?.(WAV|WAVE)", {"WAV sounds (*.wav *.wave)", "All files (*)"}},
        {"#?.(BIN|ROM)", {"Game images (*.bin *.rom)", "All files (*)"}},
        {"#?.(AOF|OBJ|TVC)", {"Programs (*.aof *.obj *.tvc)", "All files (*)"}},
        {"#?.(IFF|8SVX|8SV|AIFF|AIF|WAV)",
         {"Sounds (*.iff *.8svx *.8sv *.aiff *.aif *.wav)", "All files (*)"}},
        {"#?.(IMG|TWIN)", {"Disk images (*.img *.twin)", "All files (*)"}},
        {"#?.(COS|PNG)", {"Supported files (*.cos *.png)", "All files (*)"}},
        {"#?.rexx", {"REXX scripts (*.rexx)", "All files (*)"}},
        {"#?.xyz", {"XYZ files (*.xyz)", "All files (*)"}},
        {"#?.(xyz|COS)", {"Matching files (*.xyz *.cos)", "All files (*)"}},
        {"game?.AOF", {"Matching files (game?.aof)", "All files (*)"}},
        {"#?", {"All files (*)"}},
        {"~(#?.info)", {"All files (*)"}},
        {"", {"All files (*)"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(file_pattern_dialog_filters(c.pattern), c.filters) << c.pattern;
}
