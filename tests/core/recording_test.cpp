#include "core/recording.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Recording : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    // Loads what was recorded into the file buffer behind `state_bytes` bytes
    // of save state, as the loader does for a ".cor" file, and starts playback.
    static void start_playback(std::FILE* f, u32 state_bytes) {
        std::fflush(f);
        long size = std::ftell(f);
        ASSERT_GE(size, 0);
        ASSERT_TRUE(test_filebuf_alloc(state_bytes + static_cast<u32>(size)));
        std::rewind(f);
        ASSERT_EQ(std::fread(filebuf + state_bytes, 1, size, f), static_cast<size_t>(size));
        rec_length = state_bytes + static_cast<u32>(size);
        filebuf_cursor = state_bytes;
        rec_state = REC_PLAYBACK;
    }
};

TEST_F(Recording, FileBufferIsReplacedNotLeakedAndStartsZeroed) {
    ASSERT_TRUE(filebuf_alloc(16));
    std::memset(filebuf, 0xAA, 16);
    filebuf_cursor = 9;
    EXPECT_TRUE(filebuf_alloc(0)); // size 0 keeps the current buffer
    EXPECT_EQ(filebuf_size, 16u);
    EXPECT_EQ(filebuf[15], 0xAA);
    EXPECT_EQ(filebuf_cursor, 9u);

    ASSERT_TRUE(filebuf_alloc(683008));
    EXPECT_EQ(filebuf_size, 683008u);
    EXPECT_EQ(filebuf_cursor, 0u);
    EXPECT_EQ(filebuf[0], 0);
    EXPECT_EQ(filebuf[683007], 0);
    filebuf_free();
}

TEST_F(Recording, ResetFreesTheFileBufferAndForgetsTheFile) {
    ASSERT_TRUE(test_filebuf_alloc(16));
    filebuf_cursor = 9;
    filebuf_length = 12;
    rec_length = 12;
    rec_state = REC_PLAYBACK;
    std::snprintf(file_name_buffer, sizeof file_name_buffer, "game.cor");
    rec_reset();
    EXPECT_EQ(filebuf, nullptr);
    EXPECT_EQ(filebuf_size, 0u);
    EXPECT_EQ(filebuf_cursor, 0u);
    EXPECT_EQ(filebuf_length, 0u);
    EXPECT_EQ(rec_state, REC_IDLE);
    EXPECT_STREQ(file_name_buffer, "");
    EXPECT_EQ(rec_read_byte(), 0);
    filebuf_free(); // twice is harmless
}

TEST_F(Recording, RecordedInputPlaysBackIdentically) {
    rec_file = std::tmpfile();
    ASSERT_NE(rec_file, nullptr);
    rec_state = REC_RECORDING;
    std::vector<u8> written;
    for (int i = 0; i < 300; i++) {
        u8 b = static_cast<u8>(i * 37 + 5);
        rec_write_byte(b);
        written.push_back(b);
    }
    start_playback(rec_file, 100);
    std::vector<u8> read;
    for (size_t i = 0; i < written.size(); i++)
        read.push_back(rec_read_byte());
    EXPECT_EQ(read, written);
    EXPECT_EQ(filebuf_cursor, rec_length);
}

TEST_F(Recording, RandomBytesReplayWithoutTheHostGenerator) {
    rec_file = std::tmpfile();
    ASSERT_NE(rec_file, nullptr);
    rec_state = REC_RECORDING;
    std::srand(12345);
    const u32 ranges[] = {2, 3, 7, 100, 255, 256, 1000, 1};
    std::vector<u8> recorded;
    for (int i = 0; i < 200; i++) {
        u32 n = ranges[i % 8];
        u8 b = rng_byte(n);
        if (n <= 256) {
            EXPECT_LT(b, n);
        }
        recorded.push_back(b);
    }
    ASSERT_EQ(std::ftell(rec_file), 200);

    start_playback(rec_file, 0);
    std::srand(999); // a different host sequence must not matter
    for (int i = 0; i < 200; i++) {
        u32 before = filebuf_cursor;
        EXPECT_EQ(rng_byte(ranges[i % 8]), recorded[i]) << i;
        EXPECT_EQ(filebuf_cursor, before + 1); // one byte per call, whatever n is
    }
}

TEST_F(Recording, PlaybackNeverReadsPastTheRecordingOrTheBuffer) {
    ASSERT_TRUE(test_filebuf_alloc(4));
    const u8 data[] = {10, 20, 30, 40};
    std::memcpy(filebuf, data, 4);
    rec_length = 3;
    rec_state = REC_PLAYBACK;
    EXPECT_EQ(rec_read_byte(), 10);
    EXPECT_EQ(rec_read_byte(), 20);
    EXPECT_EQ(rec_read_byte(), 30);
    EXPECT_EQ(rec_read_byte(), 0); // past the end within a frame
    EXPECT_EQ(filebuf_cursor, 3u);

    rec_length = 1000; // longer than the buffer
    EXPECT_EQ(rec_read_byte(), 40);
    EXPECT_EQ(rec_read_byte(), 0);
    EXPECT_EQ(filebuf_cursor, 4u);

    filebuf_free();
    EXPECT_EQ(rec_read_byte(), 0);
    EXPECT_EQ(rng_byte(10), 0);
}

TEST_F(Recording, DamagedOrDegenerateRandomRequestsStayInRange) {
    ASSERT_TRUE(test_filebuf_alloc(2));
    filebuf[0] = 250; // cannot come from rng_byte(6)
    filebuf[1] = 9;
    rec_length = 2;
    rec_state = REC_PLAYBACK;
    EXPECT_LT(rng_byte(6), 6);
    EXPECT_EQ(rng_byte(0), 0);
    EXPECT_EQ(filebuf_cursor, 2u);

    rec_state = REC_IDLE;
    EXPECT_EQ(rng_byte(0), 0);
    EXPECT_EQ(rng_byte(1), 0);
    rec_write_byte(1); // no recording file: nothing happens
}

} // namespace
