// The cassette deck: sample files made here and by outside tools, the
// headers it refuses, the machines' tape rules both ways, write protection,
// the end of the tape, and the Elektor's frame while a tape plays.
#include "peripherals/tape.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "tests/core/home_fixture.h"
#include "tests/record/tools.h"
#include "tests/support/small_disk.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string last_warning;

void put_le(std::vector<u8>& o, u32 v, int n) {
    for (int i = 0; i < n; i++)
        o.push_back(static_cast<u8>(v >> (8 * i)));
}
void put_be(std::vector<u8>& o, u32 v, int n) {
    for (int i = n - 1; i >= 0; i--)
        o.push_back(i < 4 ? static_cast<u8>(v >> (8 * i)) : 0);
}
void put_id(std::vector<u8>& o, const char* id) {
    o.insert(o.end(), id, id + 4);
}

// A WAV tape; with `fact` the 18-byte fmt chunk and a chunk named `fact` after it.
std::vector<u8> wav(u32 rate, const std::vector<u8>& samples, const char* fact = nullptr,
                    u32 format = 1, u32 channels = 1, u32 bits = 8) {
    std::vector<u8> o;
    put_id(o, "RIFF");
    put_le(o, 0, 4);
    put_id(o, "WAVE");
    put_id(o, "fmt ");
    put_le(o, fact ? 18 : 16, 4);
    put_le(o, format, 2);
    put_le(o, channels, 2);
    put_le(o, rate, 4);
    put_le(o, rate, 4);
    put_le(o, 1, 2);
    put_le(o, bits, 2);
    if (fact) {
        put_le(o, 0, 2);
        put_id(o, fact);
        put_le(o, 4, 4);
        put_le(o, static_cast<u32>(samples.size()), 4);
    }
    put_id(o, "data");
    put_le(o, static_cast<u32>(samples.size()), 4);
    o.insert(o.end(), samples.begin(), samples.end());
    return o;
}

std::vector<u8> svx(u32 rate, u8 octaves = 1, u8 compression = 0) {
    std::vector<u8> o;
    put_id(o, "FORM");
    put_be(o, 40, 4);
    put_id(o, "8SVX");
    put_id(o, "VHDR");
    put_be(o, 20, 4);
    put_be(o, 0, 12);
    put_be(o, rate, 2);
    o.push_back(octaves);
    o.push_back(compression);
    put_be(o, 0x10000, 4);
    put_id(o, "BODY");
    put_be(o, 0, 4);
    return o;
}

std::vector<u8> aiff(u32 channels, u32 bits) {
    std::vector<u8> o;
    put_id(o, "FORM");
    put_be(o, 46, 4);
    put_id(o, "AIFF");
    put_id(o, "COMM");
    put_be(o, 18, 4);
    put_be(o, channels, 2);
    put_be(o, 0, 4);
    put_be(o, bits, 2);
    const u8 rate[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    o.insert(o.end(), rate, rate + 10);
    put_id(o, "SSND");
    put_be(o, 8, 4);
    put_be(o, 0, 8);
    return o;
}

u32 le32_at(const std::vector<u8>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<u32>(b[at + 3]) << 24;
}
u32 be32_at(const std::vector<u8>& b, std::size_t at) {
    return static_cast<u32>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

class Tape : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        last_warning.clear();
        ui_host.warning = [](const char* text) { last_warning = text; };
        on(PIPBUG, MAP_PIPBUG_1);
    }
    void on(u32 m, u32 map) {
        machine_switch(static_cast<int>(m), static_cast<int>(map), true, false, false);
    }
    std::string file(const char* name, const std::vector<u8>& bytes) {
        write_bytes(home / name, bytes);
        return (home / name).string();
    }
    // Runs the tick every `step` clock periods until `samples` more passed.
    static void run_samples(u32 samples, u32 step = 3) {
        const double until = tape_accumulator + samples;
        while (tape_accumulator < until && tape_state >= CASSETTE_PLAYING) {
            cpu_cycles += step;
            tape_sample_tick();
        }
    }
    // A tape of samples at 44100 Hz: a square wave of `period` clock periods
    // (1 MHz) for `count` cycles, high first.
    static void add_tone(std::vector<u8>& s, u32 period, u32 cycles) {
        const double per_sample = 1000000.0 / 44100;
        const std::size_t first = s.size();
        const auto n = static_cast<std::size_t>(period * cycles / per_sample);
        for (std::size_t i = 0; i < n; i++) {
            const double t = std::fmod((i) * per_sample, period);
            s.push_back(t < period / 2.0 ? 224 : 32);
        }
        (void)first;
    }
};

} // namespace

// Created tapes of each kind, recorded and ejected, carry the sizes in their
// headers where the outside tools read them.
TEST_F(Tape, CreatedTapesAreFinishedForOutsideTools) {
    const bool sox = tool_present("/usr/bin/soxi");
    for (int kind : {KIND_WAV, KIND_8SVX, KIND_AIFF}) {
        SCOPED_TRACE(file_kinds[kind].extension);
        const std::string path = (home / (std::string("made") + file_kinds[kind].extension)).string();
        ASSERT_TRUE(tape_create_at(kind, path.c_str()));
        EXPECT_EQ(tape_state, CASSETTE_STOPPED);
        EXPECT_EQ(tape_sample_rate, 44100u);
        tape_record();
        while (tape_length < 44100) {
            cpu_cycles += 5;
            tape_sample_tick();
        }
        tape_stop(); // 44100 is even: nothing is added
        EXPECT_EQ(tape_length, 44100u);
        ASSERT_TRUE(tape_close_sample_file());
        const std::vector<u8> b = read_bytes(path);
        if (kind == KIND_WAV) {
            ASSERT_EQ(b.size(), 44u + 44100);
            EXPECT_EQ(le32_at(b, 4), 36u + 44100);
            EXPECT_EQ(le32_at(b, 40), 44100u);
            int rc = -1;
            const std::string frames = run_tool(
                "python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
                "print(w.getnframes(), w.getframerate(), w.getsampwidth())\" '" + path + "'",
                &rc);
            EXPECT_EQ(frames, "44100 44100 1\n");
        } else if (kind == KIND_8SVX) {
            ASSERT_EQ(b.size(), 48u + 44100);
            EXPECT_EQ(be32_at(b, 4), 40u + 44100);
            EXPECT_EQ(be32_at(b, 20), 44100u);
            EXPECT_EQ(be32_at(b, 44), 44100u);
        } else {
            ASSERT_EQ(b.size(), 54u + 44100);
            EXPECT_EQ(be32_at(b, 4), 46u + 44100);
            EXPECT_EQ(be32_at(b, 22), 44100u);
            EXPECT_EQ(be32_at(b, 42), 44100u + 8);
            EXPECT_EQ(std::vector<u8>(b.begin() + 28, b.begin() + 32),
                      (std::vector<u8>{0x40, 0x0E, 0xAC, 0x44}));
        }
        if (sox) {
            int rc = -1;
            EXPECT_EQ(run_tool("soxi -s '" + path + "'", &rc), "44100\n");
            EXPECT_EQ(run_tool("soxi -r '" + path + "'", &rc), "44100\n");
            EXPECT_EQ(run_tool("soxi -c '" + path + "'", &rc), "1\n");
        }
        // And it goes in again as it came out.
        ASSERT_EQ(tape_insert_file(path.c_str()), 1);
        EXPECT_EQ(tape_kind, kind);
        EXPECT_EQ(tape_length, 44100u);
        tape_close_sample_file();
    }
}

// The readers take what they can play and name what they refuse; a refused
// file leaves the tape in the deck, its name and its counters as they were.
TEST_F(Tape, HeadersAreCheckedAndARefusalLeavesTheDeckAlone) {
    const std::vector<u8> some(100, 0x80);
    ASSERT_EQ(tape_insert_file(file("kept.wav", wav(22050, some)).c_str()), 1);
    tape_wind_to(40);
    const std::string kept = tape_file_name;

    const std::pair<std::vector<u8>, const char*> refused[] = {
        {wav(44100, some, "LIST"), "Unsupported file format!"},
        {wav(11024, some), "Unsupported sample rate!"},
        {wav(48001, some), "Unsupported sample rate!"},
        {wav(44100, some, nullptr, 3), "Compression must be 1!"},
        {wav(44100, some, nullptr, 1, 2), "Number of channels must be 1!"},
        {wav(44100, some, nullptr, 1, 1, 16), "Bits per sample must be 8!"},
        {svx(22050, 2), "Number of octaves must be 1!"},
        {svx(22050, 1, 1), "Compression must be 0!"},
        {aiff(2, 8), "Number of channels must be 1!"},
        {aiff(1, 16), "Bits per sample must be 8!"},
        {std::vector<u8>{'R', 'I', 'F', 'F', 0, 0}, "File is too short!"},
        {std::vector<u8>(64, 'x'), "Unsupported file format!"},
        {std::vector<u8>{}, "Can't open file for input!"},
    };
    int n = 0;
    for (const auto& [bytes, warning] : refused) {
        SCOPED_TRACE(warning);
        last_warning.clear();
        const std::string path = file(("bad" + std::to_string(n++) + ".wav").c_str(), bytes);
        EXPECT_EQ(tape_insert_file(path.c_str()), 0);
        EXPECT_EQ(last_warning, warning);
        EXPECT_EQ(tape_file_name, kept);
        EXPECT_EQ(tape_state, CASSETTE_STOPPED);
        EXPECT_EQ(tape_length, 100u);
        EXPECT_EQ(tape_position, 40u);
        EXPECT_EQ(tape_sample_rate, 22050u);
    }
    EXPECT_EQ(tape_insert_file((home / "missing.wav").string().c_str()), 0);
    EXPECT_EQ(last_warning, "Can't open file for input!");

    // Accepted: the 58-byte header with its "fact" chunk and both ends of the rates.
    ASSERT_EQ(tape_insert_file(file("fact.wav", wav(11025, some, "fact")).c_str()), 1);
    EXPECT_EQ(tape_header_size, 58u);
    EXPECT_EQ(tape_length, 100u);
    ASSERT_EQ(tape_insert_file(file("fast.wav", wav(48000, some)).c_str()), 1);
    EXPECT_EQ(tape_sample_rate, 48000u);
    // An 8SVX tape with a comment before its samples, whose size is wrong.
    std::vector<u8> noted = svx(22050);
    const u8 anno[12] = {'A', 'N', 'N', 'O', 0, 0, 0x81, 0x68, 'n', 'o', 't', 'e'};
    noted.insert(noted.begin() + 40, anno, anno + 12);
    noted.insert(noted.end(), some.begin(), some.end());
    ASSERT_EQ(tape_insert_file(file("noted.8svx", noted).c_str()), 1) << last_warning;
    EXPECT_EQ(tape_header_size, 60u);
    EXPECT_EQ(tape_length, 100u);
    // The extended rate: below one, above 2^31, and 44100.
    const u8 half[10] = {0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0};
    const u8 huge[10] = {0x40, 0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0};
    const u8 rate[10] = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(tape_extended_to_int(half), 0);
    EXPECT_EQ(tape_extended_to_int(huge), 2147483647);
    EXPECT_EQ(tape_extended_to_int(rate), 44100);
}

// A chunk's name inside another chunk is no chunk: where a comment's size
// runs past the header and the chunks are looked for by name, the samples'
// chunk is the one after the header chunk, not a name within it. Recorded on
// and ejected, such a tape goes in again with every sample; the sizes are
// written where the reader found the chunks. The WAV reader wants its "data"
// chunk where the header puts it.
TEST_F(Tape, NamesInsideAChunkAreNoChunks) {
    const std::vector<u8> some(100, 0x10);
    const u8 anno[12] = {'A', 'N', 'N', 'O', 0, 0, 0x81, 0x68, 'n', 'o', 't', 'e'};
    // 8SVX: a VHDR of 40 bytes whose last 20 hold a BODY header.
    std::vector<u8> svx_tape = svx(22050);
    svx_tape[19] = 40;
    const u8 inner[8] = {'B', 'O', 'D', 'Y', 0, 0, 0, 4};
    svx_tape.insert(svx_tape.begin() + 40, 20, 0);
    std::copy(inner, inner + 8, svx_tape.begin() + 40);
    svx_tape.insert(svx_tape.begin() + 60, anno, anno + 12);
    svx_tape.insert(svx_tape.end(), some.begin(), some.end());
    // AIFF: a COMM of 30 bytes whose last 12 hold an SSND header.
    std::vector<u8> aiff_tape = aiff(1, 8);
    aiff_tape[19] = 30;
    const u8 inner_ssnd[12] = {'S', 'S', 'N', 'D', 0, 0, 0, 12, 0, 0, 0, 0};
    aiff_tape.insert(aiff_tape.begin() + 38, inner_ssnd, inner_ssnd + 12);
    aiff_tape.insert(aiff_tape.begin() + 50, anno, anno + 12);
    aiff_tape.insert(aiff_tape.end(), some.begin(), some.end());
    for (const auto& [name, bytes, header] :
         {std::tuple{"inner.8svx", svx_tape, 80u}, std::tuple{"inner.aiff", aiff_tape, 78u}}) {
        SCOPED_TRACE(name);
        const std::string path = file(name, bytes);
        ASSERT_EQ(tape_insert_file(path.c_str()), 1) << last_warning;
        EXPECT_EQ(tape_header_size, header);
        EXPECT_EQ(tape_length, 100u);
        tape_wind_to(tape_length);
        tape_record();
        run_samples(50);
        tape_stop();
        const u32 recorded = tape_length;
        ASSERT_TRUE(tape_close_sample_file());
        ASSERT_EQ(tape_insert_file(path.c_str()), 1) << last_warning;
        EXPECT_EQ(tape_header_size, header);
        EXPECT_EQ(tape_length, recorded);
        tape_close_sample_file();
    }
    // A VHDR too short for what is read of it, and a WAV whose data chunk is
    // not where its header says.
    std::vector<u8> short_vhdr = svx(22050);
    short_vhdr[19] = 12;
    std::vector<u8> listed = wav(22050, some);
    std::copy_n("LIST", 4, listed.begin() + 36);
    for (const auto& bytes : {short_vhdr, listed}) {
        last_warning.clear();
        EXPECT_EQ(tape_insert_file(file("refused.tape", bytes).c_str()), 0);
        EXPECT_EQ(last_warning, "Unsupported file format!");
    }
}

// Tapes made by an outside tool load, each kind with its sample form.
TEST_F(Tape, TapesMadeBySoxLoad) {
    if (!tool_present("/usr/bin/sox")) GTEST_SKIP() << "sox is missing";
    for (const char* ext : {"wav", "8svx", "aiff"}) {
        SCOPED_TRACE(ext);
        const std::string path = (home / (std::string("tone.") + ext)).string();
        int rc = -1;
        run_tool("sox -n -r 22050 -c 1 -b 8 '" + path + "' synth 0.1 square 1000", &rc);
        ASSERT_EQ(rc, 0);
        ASSERT_EQ(tape_insert_file(path.c_str()), 1) << last_warning;
        EXPECT_EQ(tape_sample_rate, 22050u);
        EXPECT_NEAR(tape_length, 2205u, 2u);
        // Played, a full-scale square wave reads as high and low levels.
        tape_play();
        u32 highs = 0, lows = 0;
        for (int i = 0; i < 400; i++) {
            run_samples(1);
            (tape_level > 192 ? highs : lows) += tape_level > 192 || tape_level < 64;
        }
        EXPECT_GT(highs, 150u);
        EXPECT_GT(lows, 150u);
        // Recorded on past its end and ejected, its chunks count every sample.
        tape_stop();
        tape_wind_to(tape_length);
        tape_record();
        run_samples(1000);
        tape_stop();
        const u32 length = tape_length;
        ASSERT_TRUE(tape_close_sample_file());
        EXPECT_EQ(run_tool("soxi -s '" + path + "'", &rc), std::to_string(length) + "\n");
    }
}

// The PIPBUG reads its tape on SENSE, once per cycle on the falling crossing:
// a 416-period tone sets it, an 832-period tone clears it.
TEST_F(Tape, PipbugSenseFollowsTheToneOfEachCycle) {
    std::vector<u8> s;
    add_tone(s, 416, 40);
    add_tone(s, 832, 40);
    add_tone(s, 416, 40);
    ASSERT_EQ(tape_insert_file(file("tones.wav", wav(44100, s)).c_str()), 1);
    tape_play();
    cpu_psu &= static_cast<u8>(~PSU_S);
    const u32 fast = 416 * 40 * 44100 / 1000000, slow = 832 * 40 * 44100 / 1000000;
    run_samples(fast / 2);
    EXPECT_TRUE(cpu_psu & PSU_S);
    run_samples(fast / 2 + slow / 2);
    EXPECT_FALSE(cpu_psu & PSU_S);
    run_samples(slow / 2 + fast / 2);
    EXPECT_TRUE(cpu_psu & PSU_S);
    // Played past its end, the tape stops at its full length.
    run_samples(tape_length);
    EXPECT_EQ(tape_state, CASSETTE_STOPPED);
    EXPECT_EQ(tape_position, tape_length);
    char full[24];
    tape_format_time(tape_length, full, sizeof full);
    EXPECT_STREQ(tape_position_text(), full);
}

// What each machine's output rule records, and that playing it back gives
// the machine what it wrote.
TEST_F(Tape, EveryRuleRecordsAndPlaysBack) {
    // PIPBUG: FLAG chooses the tone; SENSE reads it back.
    {
        ASSERT_TRUE(tape_create_at(KIND_WAV, (home / "pipbug.wav").string().c_str()));
        cpu_cycles = 0;
        tape_restart_clock();
        tape_record();
        const bool pattern[] = {true, false, false, true, false, true, true, false};
        for (bool one : pattern) {
            if (one)
                cpu_psu |= PSU_F;
            else
                cpu_psu &= static_cast<u8>(~PSU_F);
            const u32 end = cpu_cycles + 20 * 832;
            while (cpu_cycles < end) {
                cpu_cycles += 6;
                const u32 before = tape_position;
                tape_sample_tick();
                if (tape_position == before) continue; // no sample passed the head
                // The square wave: 832 clock periods with F clear, 416 with F set.
                const u32 period = one ? 416 : 832;
                const bool high = (cpu_cycles % period) < period / 2;
                ASSERT_EQ(tape_level, high ? TAPE_HIGH : TAPE_LOW) << cpu_cycles;
            }
        }
        tape_stop();
        tape_wind_to(0);
        tape_play();
        for (bool one : pattern) {
            run_samples(static_cast<u32>(20 * 832 * 0.0441 / 2));
            EXPECT_EQ((cpu_psu & PSU_S) != 0, one);
            run_samples(static_cast<u32>(20 * 832 * 0.0441 / 2));
        }
        tape_close_sample_file();
    }
    // Elektor: the byte at $1DFF is recorded; played, $1DBF tells high from low.
    {
        on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
        ASSERT_TRUE(tape_create_at(KIND_8SVX, (home / "elektor.8svx").string().c_str()));
        tape_record();
        const u8 levels[] = {0x20, 0xE0, 0x90, 0x10, 0xFF};
        for (u8 v : levels) {
            guest_memory[0x1DFF] = v;
            run_samples(50);
            EXPECT_EQ(tape_level, v);
        }
        tape_stop();
        tape_wind_to(0);
        tape_play();
        for (u8 v : levels) {
            run_samples(25);
            EXPECT_EQ(tape_level, v);
            EXPECT_EQ(guest_memory[0x1DBF], v >= 128 ? 0xFF : 0x00);
            run_samples(25);
        }
        tape_close_sample_file();
    }
    // Instructor 50: the port 248 latch writes 16 low, 24 high, else silence;
    // SENSE reads the level.
    {
        on(INSTRUCTOR, MAP_INSTRUCTOR_EXPANDED);
        ASSERT_TRUE(tape_create_at(KIND_AIFF, (home / "si50.aiff").string().c_str()));
        tape_record();
        const std::pair<u8, u8> latches[] = {{16, TAPE_LOW}, {24, TAPE_HIGH}, {7, TAPE_SILENCE}};
        for (const auto& [latch, level] : latches) {
            port_records[248].last_value = latch;
            run_samples(40);
            EXPECT_EQ(tape_level, level);
        }
        tape_stop();
        tape_wind_to(0);
        tape_play();
        for (const auto& [latch, level] : latches) {
            run_samples(20);
            EXPECT_EQ((cpu_psu & PSU_S) != 0, level >= 128) << int(latch);
            run_samples(20);
        }
        tape_close_sample_file();
    }
    // BINBUG with the ACOS interface: bit 0 of the port-50 latch written
    // (set is low), bit 7 read (high is set).
    {
        on(BINBUG, MAP_BINBUG);
        binbug_interface = 1;
        ASSERT_TRUE(tape_create_at(KIND_WAV, (home / "acos.wav").string().c_str()));
        tape_record();
        for (u8 bit : {1, 0, 1}) {
            port_records[50].last_value = bit;
            run_samples(40);
            EXPECT_EQ(tape_level, bit ? TAPE_LOW : TAPE_HIGH);
        }
        tape_stop();
        tape_wind_to(0);
        tape_play();
        for (u8 bit : {1, 0, 1}) {
            run_samples(20);
            EXPECT_EQ((port_records[50].last_value & 0x80) != 0, bit == 0);
            run_samples(20);
        }
        binbug_interface = 0;
        tape_close_sample_file();
    }
}

// Write protection keeps what is on the tape and runs silence onto its end;
// a recording is evened out only where it ends the tape.
TEST_F(Tape, WriteProtectionAndTheEvenEnd) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    std::vector<u8> old(200);
    for (u32 i = 0; i < old.size(); i++)
        old[i] = static_cast<u8>(i);
    const std::string path = file("old.wav", wav(44100, old));
    ASSERT_EQ(tape_insert_file(path.c_str()), 1);
    tape_write_protect = 1;
    guest_memory[0x1DFF] = 0xEE;
    tape_wind_to(150);
    tape_record();
    run_samples(100);
    tape_stop();
    tape_write_protect = 0;
    EXPECT_EQ(tape_level, TAPE_SILENCE);
    ASSERT_GE(tape_length, 250u);
    for (u32 i = 0; i < 200; i++)
        ASSERT_EQ(tape_buffer[i], old[i]) << i;
    for (u32 i = 200; i < tape_length; i++)
        ASSERT_EQ(tape_buffer[i], 128) << i;

    // An odd recording at the end gets one more sample; one inside gets none.
    tape_wind_to(tape_length);
    tape_record();
    while (!(tape_position & 1)) {
        cpu_cycles += 3;
        tape_sample_tick();
    }
    const u32 odd = tape_position;
    tape_stop();
    EXPECT_EQ(tape_length, odd + 1);
    EXPECT_EQ(tape_buffer[odd], 0xEE);
    tape_wind_to(11);
    tape_record();
    run_samples(20);
    const u32 inside = tape_length;
    tape_stop();
    EXPECT_EQ(tape_length, inside);
    ASSERT_TRUE(tape_close_sample_file());
    EXPECT_EQ(read_bytes(path).size(), 44u + inside);
}

// The file is written only by a recording: played, recorded on without a
// sample passing and ejected, a tape keeps its bytes, even sizes that other
// programs left wrong. A recording that plays on without a stop and runs out
// still gets its sizes at the eject.
TEST_F(Tape, OnlyARecordingWritesTheFile) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    std::vector<u8> bytes = wav(44100, std::vector<u8>(101, 0x40));
    bytes[40] = 0; // the data chunk's size left at 0
    const std::string path = file("kept.wav", bytes);
    ASSERT_EQ(tape_insert_file(path.c_str()), 1);
    tape_play();
    run_samples(200);
    tape_record();
    tape_stop();
    ASSERT_TRUE(tape_close_sample_file());
    EXPECT_TRUE(read_bytes(path) == bytes);

    ASSERT_EQ(tape_insert_file(path.c_str()), 1);
    tape_wind_to(90);
    tape_record();
    run_samples(20);
    tape_play();
    run_samples(100);
    EXPECT_EQ(tape_state, CASSETTE_STOPPED);
    const u32 length = tape_length;
    ASSERT_TRUE(tape_close_sample_file());
    const std::vector<u8> b = read_bytes(path);
    EXPECT_EQ(b.size(), 44u + length);
    EXPECT_EQ(le32_at(b, 40), length);
    EXPECT_EQ(le32_at(b, 4), 36u + length);
}

// Skipped samples: a tick that jumps over samples still leaves the file
// holding every sample its header counts.
TEST_F(Tape, ASkippedSampleLeavesNoHole) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    const std::string path = (home / "skip.wav").string();
    ASSERT_TRUE(tape_create_at(KIND_WAV, path.c_str()));
    guest_memory[0x1DFF] = 0x99;
    tape_record();
    for (int i = 0; i < 30; i++) {
        cpu_cycles += 100; // five samples at a time
        tape_sample_tick();
    }
    tape_stop();
    ASSERT_TRUE(tape_close_sample_file());
    const std::vector<u8> b = read_bytes(path);
    ASSERT_EQ(b.size() - 44, le32_at(b, 40));
    for (std::size_t i = 44; i < b.size(); i++)
        ASSERT_EQ(b[i], 0x99) << i;
}

// A tape rewritten while it is in the deck (its size kept, its header not) is
// not recorded on: the deck stays stopped, says so and writes nothing. One
// removed while it records says so at the stop. The deck's own writing
// (recorded, played on without a stop, recorded again) is no change.
TEST_F(Tape, ATapeChangedUnderTheDeckIsNotRecordedOn) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    last_warning.clear(); // its missing monitor
    const std::string path = file("tape.wav", wav(44100, std::vector<u8>(100, 0x40)));
    ASSERT_EQ(tape_insert_file(path.c_str()), 1);
    tape_wind_to(tape_length);
    tape_record();
    run_samples(51);
    tape_play();
    tape_record();
    EXPECT_EQ(tape_state, CASSETTE_RECORDING) << last_warning;
    run_samples(20);
    tape_stop();
    EXPECT_EQ(last_warning, "");

    std::vector<u8> bytes = read_bytes(path);
    bytes[24] = 0x22; // 22050 Hz
    bytes[25] = 0x56;
    write_bytes(path, bytes);
    tape_record();
    EXPECT_EQ(tape_state, CASSETTE_STOPPED);
    EXPECT_EQ(last_warning,
              "Can't record on this tape: its file " + path + " was changed since it went in.");
    run_samples(50);
    EXPECT_TRUE(tape_close_sample_file());
    EXPECT_TRUE(read_bytes(path) == bytes);

    ASSERT_EQ(tape_insert_file(path.c_str()), 1);
    tape_record();
    run_samples(20);
    std::filesystem::remove(path);
    tape_stop();
    EXPECT_EQ(last_warning, "Can't finish the recording on this tape: its file " + path +
                                " was removed since it went in.");
    tape_close_sample_file();
}

// A recording that fills the disk stops at the first write the disk refuses,
// naming the file and the system's reason; the header counts exactly the
// samples that reached the disk, and the tape goes in again with them. So it
// is where the disk fills when the stop writes the last samples out.
TEST_F(Tape, ARecordingThatFillsTheDiskStopsWithWhatReachedIt) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    const std::filesystem::path disk = home / "disk";
    SmallDisk small;
    if (!small.mount(disk, "64k")) GTEST_SKIP() << "no small file system can be mounted here";
    int rc = -1;
    auto level = [](u32 slot) { return static_cast<u8>(slot * 7 + slot / 251); };
    // Records until the deck stops or `most` samples passed, then stops.
    auto record_and_check = [&](const std::string& path, u32 most, u32 header) {
        tape_record();
        u32 furthest = 0;
        while (tape_state == CASSETTE_RECORDING && tape_position < most) {
            guest_memory[0x1DFF] = level(tape_position);
            cpu_cycles += 3; // less than a sample
            tape_sample_tick();
            furthest = std::max(furthest, tape_position);
        }
        tape_stop();
        const u32 length = tape_length;
        EXPECT_EQ(last_warning, "Can't write to " + path + ": " + std::strerror(ENOSPC) +
                                    "! The tape was stopped at " + tape_position_text() + ".");
        EXPECT_LE(furthest, length + 8192) << "the deck went on";
        EXPECT_EQ(length % 2, 0u);
        const std::vector<u8> b = read_bytes(path);
        ASSERT_EQ(b.size(), header + length);
        const u32 counted = header == 44   ? le32_at(b, 40)
                            : header == 48 ? be32_at(b, 44)
                                           : be32_at(b, 42) - 8;
        EXPECT_EQ(counted, length);
        for (u32 i = 0; i < length; i++)
            ASSERT_EQ(b[header + i], level(i) ^ (header == 44 ? 0 : 0x80)) << i;
        last_warning.clear();
        EXPECT_TRUE(tape_close_sample_file());
        EXPECT_EQ(last_warning, "");
        if (tool_present("/usr/bin/soxi")) {
            EXPECT_EQ(run_tool("soxi -s '" + path + "'", &rc), std::to_string(length) + "\n");
        }
        ASSERT_EQ(tape_insert_file(path.c_str()), 1) << last_warning;
        EXPECT_EQ(tape_length, length);
        tape_close_sample_file();
    };

    for (const auto& [kind, header] :
         {std::pair{KIND_WAV, 44u}, std::pair{KIND_8SVX, 48u}, std::pair{KIND_AIFF, 54u}}) {
        SCOPED_TRACE(file_kinds[kind].extension);
        const std::string path = (disk / "full").string() + file_kinds[kind].extension;
        ASSERT_TRUE(tape_create_at(kind, path.c_str()));
        if (kind != KIND_WAV) { // a tape put in, as well as one made here
            tape_close_sample_file();
            ASSERT_EQ(tape_insert_file(path.c_str()), 1);
        }
        record_and_check(path, 200000, header);
        std::filesystem::remove(path);
    }

    // Full but for the rest of the header's page.
    const std::string path = (disk / "stop.wav").string();
    ASSERT_TRUE(tape_create_at(KIND_WAV, path.c_str()));
    small.fill();
    record_and_check(path, 4070, 44);
}

TEST_F(Tape, TimesRoundToMicrosecondsBeforeTheMinutes) {
    ASSERT_EQ(tape_insert_file(file("t.wav", wav(44100, {128, 128})).c_str()), 1);
    char text[24];
    tape_format_time(95.5 * 44100, text, sizeof text);
    EXPECT_STREQ(text, "1:35.500000");
    tape_format_time(5.25 * 44100, text, sizeof text);
    EXPECT_STREQ(text, "0:05.250000");
    tape_format_time(59.99999995 * 44100, text, sizeof text);
    EXPECT_STREQ(text, "1:00.000000");
    tape_format_time(1000.0 * 60 * 44100, text, sizeof text);
    EXPECT_STREQ(text, "###:##.######");
}

// While a tape plays, the Elektor's frame runs every instruction: a frame
// that idles on a branch to itself ends as one stepped without the idle skip.
TEST_F(Tape, ElektorFrameWithATapePlayingIsSteppedWhole) {
    std::vector<u8> ramp(60000);
    for (std::size_t i = 0; i < ramp.size(); i++)
        ramp[i] = static_cast<u8>(i * 7);
    const std::string path = file("ramp.wav", wav(44100, ramp));
    struct End {
        u32 cycles, position;
        u8 level, latch;
    } ends[2];
    for (u8 skipping : {1, 0}) {
        fresh_state();
        on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
        guest_memory[0] = 0x1B; // BCTR,UN to itself, interrupts inhibited
        guest_memory[1] = 0x7E;
        cpu_iar = 0;
        cpu_psu |= 0x20;
        cpu_idle_skipping = skipping;
        ASSERT_EQ(tape_insert_file(path.c_str()), 1);
        tape_play();
        machine_row().run_frame();
        ends[skipping] = {cpu_cycles, tape_position, tape_level, guest_memory[0x1DBF]};
        cpu_idle_skipping = 1;
        tape_close_sample_file();
    }
    EXPECT_GT(ends[1].position, 300u);
    EXPECT_EQ(cpu_iar, 0u); // it idled
    EXPECT_EQ(ends[0].cycles, ends[1].cycles);
    EXPECT_EQ(ends[0].position, ends[1].position);
    EXPECT_EQ(ends[0].level, ends[1].level);
    EXPECT_EQ(ends[0].latch, ends[1].latch);
    // The last sample played is the one just behind the head.
    EXPECT_EQ(ends[1].level, ramp[ends[1].position - 1]);
}

// Every machine with a tape records its frames' time, at its own rate and at
// exactly 50 or 60 frames a second: the samples of N frames last N / rate
// seconds, within a sample (and the one that makes the length even).
TEST_F(Tape, ARecordingLastsTheFramesItRan) {
    constexpr u32 FRAMES = 120;
    int machines = 0;
    for (u32 m = 0; m < MACHINES; m++) {
        for (u32 exact : {0u, 1u}) {
            fresh_state();
            on(m, static_cast<u32>(machine_table[m].default_memmap));
            if (!machine_row().tape) continue;
            SCOPED_TRACE(std::string(machine_table[m].keyword) + (exact ? ", exactly 50/60" : ""));
            exactspeed = exact;
            machines += !exact;
            ASSERT_TRUE(tape_create_at(KIND_WAV, (home / "take.wav").string().c_str()));
            tape_record();
            for (u32 f = 0; f < FRAMES; f++)
                emu_run_frame();
            tape_stop();
            EXPECT_NEAR(tape_length, FRAMES * 44100.0 / frame_clock().rate, 2.0)
                << frame_clock().rate;
            tape_close_sample_file();
            exactspeed = 0;
        }
    }
    EXPECT_GE(machines, 7);
}
