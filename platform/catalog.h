// Localised texts: catalog strings by number with the English default compiled in.
#pragma once

// The text of catalog entry `number`, or `english_default` when no catalog
// file overrides it. The returned pointer stays valid for the program's life.
const char* cat_str(int number, const char* english_default);
