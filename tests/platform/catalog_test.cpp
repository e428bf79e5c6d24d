#include "platform/catalog.h"
#include "platform/catalog_file.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class Catalog : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        setenv("BRINDLEMOX_HOME", (dir + "/home").c_str(), 1);
        setenv("BRINDLEMOX_CATALOG", (dir + "/test.catalog").c_str(), 1);
        cat_reload();
    }
    void write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        cat_reload();
    }
};

TEST_F(Catalog, WithoutAFileEveryTextIsTheEnglishDefault) {
    const char* english = "Closed %s at %s.\n\n";
    EXPECT_EQ(cat_str(462, english), english);
}

TEST_F(Catalog, FileOverridesWithEscapesAndLastEntryWins) {
    write(dir + "/test.catalog", "# comment line\n"
                                 "\n"
                                 "178=am\n"
                                 "462=Geschlossen: %s um %s.\\n\\n\n"
                                 "  500 =a\\tb\\\\c\r\n"
                                 "501=first\n"
                                 "501=second\n"
                                 "502=\n");
    EXPECT_STREQ(cat_str(178, "on"), "am");
    EXPECT_STREQ(cat_str(462, "Closed %s at %s.\n\n"), "Geschlossen: %s um %s.\n\n");
    EXPECT_STREQ(cat_str(500, "x"), "a\tb\\c");
    EXPECT_STREQ(cat_str(501, "x"), "second");
    EXPECT_STREQ(cat_str(502, "x"), "");
    EXPECT_STREQ(cat_str(503, "untouched"), "untouched");
}

TEST_F(Catalog, MalformedLinesAreIgnored) {
    write(dir + "/test.catalog", "no equals sign\n"
                                 "abc=letters\n"
                                 "-5=negative\n"
                                 "=empty number\n"
                                 "12x=mixed\n"
                                 "100000=too large\n"
                                 "99999999999999999999999=overflow\n"
                                 "10=bad escape \\q\n"
                                 "11=trailing backslash\\\n"
                                 "12=good\n");
    EXPECT_STREQ(cat_str(10, "ten"), "ten");
    EXPECT_STREQ(cat_str(11, "eleven"), "eleven");
    EXPECT_STREQ(cat_str(12, "twelve"), "good");
    EXPECT_STREQ(cat_str(5, "five"), "five");
    EXPECT_STREQ(cat_str(0, "zero"), "zero");
}

TEST_F(Catalog, OverridesThatWouldMisreadTheArgumentsAreRefused) {
    write(dir + "/test.catalog", "1=%s und %s\n"
                                 "2=%d\n"
                                 "3=%s %n\n"
                                 "4=Wert %04X (%-5s) 100%%\n"
                                 "5=%2$s %1$s\n"
                                 "6=%ld\n"
                                 "7=ends in %\n");
    EXPECT_STREQ(cat_str(1, "%s and %s"), "%s und %s");
    EXPECT_STREQ(cat_str(2, "%s"), "%s");       // int where a text is passed
    EXPECT_STREQ(cat_str(3, "%s %d"), "%s %d"); // %n never accepted
    EXPECT_STREQ(cat_str(4, "value %X (%s) 100%%"), "Wert %04X (%-5s) 100%%");
    EXPECT_STREQ(cat_str(5, "%s %s"), "%s %s");
    EXPECT_STREQ(cat_str(6, "%d"), "%d"); // long versus int
    EXPECT_STREQ(cat_str(7, "ends in"), "ends in");
    EXPECT_TRUE(cat_formats_match("%d%s%02d", "%u%s%x"));
    EXPECT_TRUE(cat_formats_match("%*d %.*s", "%*i %.*s"));
    EXPECT_FALSE(cat_formats_match("%*d", "%d"));
    EXPECT_TRUE(cat_formats_match("%hhu %f", "%d %g"));
}

TEST_F(Catalog, DefaultLocationIsInTheProgramHomeAndTextsOutliveReloads) {
    unsetenv("BRINDLEMOX_CATALOG");
    fs::create_directories(dir + "/home/catalogs");
    write(dir + "/home/catalogs/Brindlemox.catalog", "20=from home\n");
    const char* text = cat_str(20, "default");
    EXPECT_STREQ(text, "from home");
    write(dir + "/home/catalogs/Brindlemox.catalog", "20=changed\n");
    EXPECT_STREQ(cat_str(20, "default"), "changed");
    EXPECT_STREQ(text, "from home"); // the earlier pointer still holds its text
}

} // namespace
