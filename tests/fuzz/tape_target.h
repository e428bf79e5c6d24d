// The body of the cassette readers' fuzz targets: a file of one kind goes
// into the deck; one that is taken plays and is ejected with every byte as
// it was, goes in again, records on past its end and is ejected, and must
// then go in again with every sample it was given.
#pragma once

#include "cpu/cpu.h"
#include "peripherals/tape.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

inline int fuzz_tape(const char* name, const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    const std::string path = fuzz_write_file(name, data, size);
    if (!tape_insert_file(path.c_str())) return 0;
    tape_play();
    for (int i = 0; i < 300 && tape_state == CASSETTE_PLAYING; i++) {
        cpu_cycles += 7;
        tape_sample_tick();
    }
    tape_stop();
    tape_record(); // and stopped before a sample passed: nothing is written
    tape_stop();
    if (!tape_close_sample_file()) std::abort();
    std::ifstream played(path, std::ios::binary);
    const std::vector<char> kept{std::istreambuf_iterator<char>(played), {}};
    if (kept.size() != size || (size && std::memcmp(kept.data(), data, size) != 0)) std::abort();
    if (!tape_insert_file(path.c_str())) std::abort();
    tape_wind_to(tape_length);
    tape_record();
    for (int i = 0; i < 101; i++) {
        cpu_cycles += 5;
        tape_sample_tick();
    }
    tape_stop();
    const u32 recorded = tape_length;
    if (recorded & 1) std::abort(); // a recording at the end is evened out
    if (!tape_close_sample_file()) std::abort();
    if (!tape_insert_file(path.c_str()) || tape_length != recorded) std::abort();
    tape_close_sample_file();
    return 0;
}
