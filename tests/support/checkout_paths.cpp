#include "tests/support/checkout_paths.h"

const char* test_program() { return BRINDLEMOX_PROGRAM; }
const char* test_data() { return BRINDLEMOX_TEST_DATA; }
const char* test_virtual_pad() { return BRINDLEMOX_VIRTUAL_PAD; }
