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
// The file dialog's choices for a pattern, each a readable name and its
// filters in lower case (the dialog matches names in any case, as the
// patterns do): "#?.COR" gives "Recordings (*.cor)" and "All files (*)";
// a pattern that shows every name gives only "All files (*)".
std::vector<std::string> file_pattern_dialog_filters(const std::string& pattern);
