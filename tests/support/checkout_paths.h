// Where the tests find the checkout they were built from. Only
// checkout_paths.cpp is compiled with these paths, so that every other test
// object is the same whichever folder the checkout lies in, and a compiler
// cache shared by checkouts serves them all.
#pragma once

const char* test_program(); // the program built beside the tests
const char* test_data();    // tests/data of the checkout
const char* test_virtual_pad(); // the SDL pad preloaded into the program
