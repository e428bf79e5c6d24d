// Whose an entry of a record written before writers were kept is: the one
// writer that makes files of its suffix, by the program's own tables of what
// each writer names (the debugger command table's `writes` column, the
// assembler's object suffix of every machine, the picture kinds, the files a
// playback generates, the printer's pages of an older version), and nobody's
// where two can have made it.
#include "core/filekinds.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/own_outputs.h"
#include "core/settings_vars.h"
#include "debugger/commands.h"
#include "record/recorder.h"
#include "tests/support/writer_lines.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

// Each suffix with the writers that name files with it.
std::map<std::string, std::set<std::string>> writers_of_suffixes() {
    std::map<std::string, std::set<std::string>> writers;
    for (const DbgFileWriter& w : dbg_file_writers()) {
        const std::string who = test_writer_name(w);
        std::istringstream suffixes(w.suffixes);
        for (std::string suffix; suffixes >> suffix;)
            writers[suffix].insert(who);
        if (who == "ASM")
            for (u32 m = 0; m < MACHINES; m++)
                writers[machine_debug(m).object_suffix].insert(who);
    }
    for (int kind : {int(KIND_GIF), int(KIND_PNG), int(KIND_MNG), int(KIND_ANIM)})
        writers[file_kinds[kind].extension].insert("PICTURE"); // and their animations
    for (int kind = KIND_ILBM; kind <= KIND_PNG; kind++)
        writers[file_kinds[kind].extension].insert("PICTURE");
    // What an older version's printer recorded: its text and its pages.
    for (int kind = KIND_ILBM; kind <= KIND_BMP; kind++)
        writers[file_kinds[kind].extension].insert("printer");
    writers[file_kinds[KIND_TXT].extension].insert("printer");
    u32* all[] = {&generatepsg,  &generateym,   &generatemidi, &generatesmus,
                  &generate8svx, &generateaiff, &generatewav,  &generatemng,
                  &generatepng,  &generategif,  &generateanim};
    for (u32* on : all)
        *on = 1;
    for (const std::string& file : rec_generated_files("take", true))
        writers[file.substr(file.rfind('.'))].insert("PLAYBACK");
    for (u32* on : all)
        *on = 0;
    return writers;
}

} // namespace

TEST(OwnOutputs, AnOlderEntryIsTheOneWritersThatMakesItsSuffix) {
    const auto writers = writers_of_suffixes();
    ASSERT_GE(writers.size(), 20u);
    for (const auto& [suffix, who] : writers) {
        SCOPED_TRACE(suffix);
        const std::string only = who.size() == 1 ? *who.begin() : "";
        EXPECT_EQ(own_output_upgraded_writer("/home/u/Projects/a" + suffix),
                  only == "printer" ? "" : only);
    }
    EXPECT_STREQ(own_output_upgraded_writer("/home/u/Projects/a.LST"), "ASM");
    EXPECT_STREQ(own_output_upgraded_writer("/home/u/Pro.lst/a"), "");
}
