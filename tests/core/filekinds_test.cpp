#include "core/emu.h"
#include "core/filekinds.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string with_extension(const char* name, const char* ext, int mode, const char* infix = "") {
    char buffer[64];
    std::strcpy(buffer, name);
    EXPECT_TRUE(file_set_extension(ext, buffer, sizeof buffer, mode, infix));
    return buffer;
}

} // namespace

TEST(FileKinds, SuffixDecidesTheKindIgnoringCase) {
    const struct {
        const char* name;
        int kind;
    } rows[] = {{"game.Bin", KIND_BIN},   {"x.tar.bin", KIND_BIN},
                {".bin", KIND_BIN},       {"game.bin.txt", KIND_TXT},
                {"tape.wave", KIND_NONE}, {"README", KIND_NONE},
                {"", KIND_NONE}};
    for (const auto& r : rows)
        EXPECT_EQ(file_type_from_name(r.name), r.kind) << r.name;
}

TEST(FileKinds, EveryRowIsFoundByItsOwnSuffixes) {
    for (int k = 0; k < FILE_KINDS; k++) {
        std::string name = std::string("file") + file_kinds[k].extension;
        EXPECT_EQ(file_type_from_name(name.c_str()), k) << name;
        if (file_kinds[k].alt_extension) {
            name = std::string("FILE") + file_kinds[k].alt_extension;
            for (char& c : name)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(file_type_from_name(name.c_str()), k) << name;
        }
    }
}

// Mode 0 adds the suffix unless the name has it already; a save never keeps the
// suffix of a loadable image, so that it cannot overwrite the game. Modes 1 and 2
// replace the suffix, and a dot in a drawer name is not the file's suffix.
TEST(FileKinds, AddingAndReplacingASuffix) {
    const struct {
        const char *name, *ext;
        int mode;
        const char *infix, *expected;
    } rows[] = {
        {"prog", ".aof", 0, "", "prog.aof"},
        {"prog.AOF", ".aof", 0, "", "prog.AOF"},
        {"prog.obj", ".aof", 0, "", "prog.obj.aof"},
        {".aof", ".aof", 0, "", ".aof.aof"},     // the name must be longer
        {"shot.gif", ".png", 0, "", "shot.gif"}, // never loaded: stays as typed
        {"game.bin", ".png", 0, "", "game.bin.png"},
        {"game.tvc", ".cos", 0, "", "game.tvc.cos"},
        {"prog.aof", ".txt", 0, "", "prog.aof.txt"},
        {"save.COS", ".cos", 0, "", "save.COS"},
        {"a.b.c", ".zip", 1, "", "a.b.zip"},
        {"game", ".zip", 1, "", "game.zip"},
        {"shot.bin", ".png", 1, "_1", "shot_1.png"},
        {"/home/me/v1.2/game", ".zip", 1, "", "/home/me/v1.2/game.zip"},
        {"Work:old.games/tank", ".bin", 2, "", "Work:old.games/tank.bin"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(with_extension(r.name, r.ext, r.mode, r.infix), r.expected)
            << r.name << " " << r.ext << " mode " << r.mode;
}

TEST(FileKinds, ANameThatWouldNotFitIsLeftAlone) {
    char buffer[8] = "abcdef";
    EXPECT_FALSE(file_set_extension(".aof", buffer, sizeof buffer, 0, ""));
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_FALSE(file_set_extension(".zip", buffer, sizeof buffer, 1, "xy"));
    EXPECT_STREQ(buffer, "abcdef");
    char exact[10] = "abc";
    EXPECT_TRUE(file_set_extension(".zip", exact, sizeof exact, 1, "_1"));
    EXPECT_STREQ(exact, "abc_1.zip");
}

TEST(FileKinds, TitlesComeFromTheCatalogForSavedKindsOnly) {
    file_kinds_load_titles();
    EXPECT_STREQ(file_kinds[KIND_TVC].save_title, "Save Program (TVC)");
    EXPECT_STREQ(file_kinds[KIND_ZIP].save_title, "");
}
