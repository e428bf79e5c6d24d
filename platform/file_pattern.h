// AmigaDOS file-name patterns as the file requesters are given them
// ("#?.(BIN|ROM)", "#?.rexx") turned into shell-style name filters for the
// host's file dialog ("*.BIN", "*.ROM"; "*.rexx").
//
// `?` is any one character, `#x` any number of x (`#?` anything), `(a|b)`
// either alternative, `[...]` a character class, `%` nothing and `'` quotes
// the next character. Alternatives are multiplied out into separate filters.
// What a shell filter cannot say (`~` negation, too many alternatives, an
// unbalanced pattern) widens to "*": the dialog then shows every name rather
// than hiding one the pattern would have matched.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> file_pattern_globs(const std::string& pattern);
// The filters joined by blanks, as a dialog's name-filter line takes them.
std::string file_pattern_filter_line(const std::string& pattern);
