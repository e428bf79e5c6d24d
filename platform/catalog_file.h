// The catalog file that overrides the English texts of cat_str.
//
// Format: one entry per line, "number=text"; the text may use the escapes
// \n, \t and \\. Empty lines and lines starting with '#' are skipped, and
// any malformed line is ignored. An override whose printf conversions differ
// from the English text's is not used, so a bad translation cannot misread
// the arguments. The file is $BRINDLEMOX_CATALOG, else
// "PROGDIR:catalogs/Brindlemox.catalog"; it is read on the first cat_str call.
#pragma once

// Forgets the loaded overrides; the next cat_str call reads the file again.
// Texts returned earlier stay valid (test support: a test that writes its own
// catalog file; the program reads the catalog once).
void cat_reload();

// True when `override_text` consumes the same printf arguments as `english`.
bool cat_formats_match(const char* english, const char* override_text);
