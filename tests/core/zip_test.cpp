#include "tests/support/quiet_output.h"
#include "core/filekinds.h"
#include "core/zipfile.h"
#include "loading_support.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <minizip/zip.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

using loading_test::bytes;

namespace {

// One member whose directory entry claims `claimed` bytes and the CRC of the
// first `crc_over` bytes (all when -1), with `data` as its contents, stored or
// deflated.
void write_lying_zip(const fs::path& path, const std::vector<u8>& data, u32 claimed,
                     int crc_over = -1, bool deflated = false) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    zip_fileinfo info{};
    std::vector<u8> body = data;
    if (deflated) {
        uLongf length = compressBound(static_cast<uLong>(data.size()));
        body.resize(length);
        z_stream z{};
        ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
        z.next_in = const_cast<Bytef*>(data.data());
        z.avail_in = static_cast<uInt>(data.size());
        z.next_out = body.data();
        z.avail_out = static_cast<uInt>(body.size());
        ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        body.resize(z.total_out);
        deflateEnd(&z);
    }
    ASSERT_EQ(zipOpenNewFileInZip2_64(zip, "game.bin", &info, nullptr, 0, nullptr, 0, nullptr,
                                      deflated ? Z_DEFLATED : 0, 0, 1, 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, body.data(), static_cast<unsigned>(body.size())), ZIP_OK);
    const uInt over = crc_over < 0 ? static_cast<uInt>(data.size()) : static_cast<uInt>(crc_over);
    const uLong crc = ::crc32(0L, data.data(), over);
    ASSERT_EQ(zipCloseFileInZipRaw64(zip, claimed, crc), ZIP_OK);
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

class Zip : public HomeTest {
  protected:
    // Extracts from `name` in the temporary drawer; the warning goes to `output`.
    int extract(const char* name, bool games_only = false, bool quiet = false) {
        member = ZipMember{};
        capture_output();
        const int result = zip_extract_first((home / name).c_str(), games_only, quiet, member);
        output = captured_output();
        return result;
    }
    ZipMember member;
    std::string output;
};

} // namespace

TEST_F(Zip, RecognisedByItsFirstTwoBytes) {
    loading_test::write_file(home / "pk.bin", bytes("PK"));
    loading_test::write_file(home / "p.zip", bytes("P"));
    loading_test::write_file(home / "text.zip", bytes("Hello"));
    EXPECT_TRUE(zip_is_archive((home / "pk.bin").c_str()));
    EXPECT_FALSE(zip_is_archive((home / "p.zip").c_str()));
    EXPECT_FALSE(zip_is_archive((home / "text.zip").c_str()));
    EXPECT_FALSE(zip_is_archive((home / "missing.zip").c_str()));
}

TEST_F(Zip, FirstLoadableMemberIsTaken) {
    loading_test::write_zip(home / "a.zip", {{"notes.txt", bytes("read me")},
                                             {"a.b.bin", bytes("not taken")},
                                             {"game.bin", bytes("the game")},
                                             {"other.bin", bytes("later")}});
    ASSERT_EQ(extract("a.zip"), 1);
    EXPECT_EQ(member.name, "game.bin");
    EXPECT_EQ(member.kind, KIND_BIN);
    EXPECT_EQ(member.data, bytes("the game"));
    EXPECT_EQ(output, "");

    loading_test::write_zip(home / "b.zip", {{"GAME.ROM", bytes("rom")}});
    ASSERT_EQ(extract("b.zip"), 1);
    EXPECT_EQ(member.kind, KIND_BIN);

    // Only the three characters after the first dot count.
    loading_test::write_zip(home / "c.zip", {{"prog.tvcx", bytes("\2")}, {"x.bin", bytes("b")}});
    ASSERT_EQ(extract("c.zip"), 1);
    EXPECT_EQ(member.kind, KIND_TVC);
}

TEST_F(Zip, ProgramsAndStatesUnlessGamesOnly) {
    loading_test::write_zip(
        home / "p.zip",
        {{"prog.aof", bytes(":000000")}, {"save.cos", bytes("s")}, {"tape.tvc", bytes("\2")}});
    ASSERT_EQ(extract("p.zip"), 1);
    EXPECT_EQ(member.kind, KIND_AOF);
    ASSERT_EQ(extract("p.zip", true), 1);
    EXPECT_EQ(member.kind, KIND_TVC);
    EXPECT_EQ(member.name, "tape.tvc");

    loading_test::write_zip(home / "s.zip", {{"rec.COR", bytes("r")}, {"old.eof", bytes("e")}});
    ASSERT_EQ(extract("s.zip"), 1);
    EXPECT_EQ(member.kind, KIND_COR);
    EXPECT_EQ(extract("s.zip", true, true), 0);
    EXPECT_EQ(output, ""); // quiet
}

TEST_F(Zip, MembersWithoutADotArePassedOver) {
    loading_test::write_zip(
        home / "d.zip",
        {{"README", bytes("r")}, {"games/", {}}, {"games/pong.bin", bytes("pong")}});
    ASSERT_EQ(extract("d.zip"), 1);
    EXPECT_EQ(member.name, "games/pong.bin");
    EXPECT_EQ(member.data, bytes("pong"));
}

// Member names fill a fixed buffer: one that fits loads, longer ones are
// passed over whole, even when their only dot lies beyond the buffer.
TEST_F(Zip, MemberNamesTooLongForTheBufferArePassedOver) {
    const std::string fits = std::string(251, 'a') + ".bin"; // 255 bytes
    loading_test::write_zip(home / "fits.zip", {{fits, bytes("fits")}});
    ASSERT_EQ(extract("fits.zip"), 1);
    EXPECT_EQ(member.name, fits);
    EXPECT_EQ(member.data, bytes("fits"));

    const std::string at_limit = std::string(252, 'b') + ".bin";   // 256 bytes
    const std::string dot_beyond = std::string(296, 'c') + ".bin"; // 300 bytes
    for (const std::string& name : {at_limit, dot_beyond}) {
        loading_test::write_zip(home / "long.zip", {{name, bytes("long")}});
        EXPECT_EQ(extract("long.zip"), 0) << name.size();
        EXPECT_EQ(output, "No Signetics files found in ZIP archive!\n");
    }
    // A long name does not hide the loadable member after it.
    loading_test::write_zip(home / "both.zip",
                            {{dot_beyond, bytes("long")}, {"x.bin", bytes("x")}});
    ASSERT_EQ(extract("both.zip"), 1);
    EXPECT_EQ(member.name, "x.bin");
}

TEST_F(Zip, FailuresAreReported) {
    loading_test::write_zip(home / "empty.zip", {});
    loading_test::write_zip(home / "none.zip",
                            {{"notes.txt", bytes("x")}, {"pic.png", bytes("y")}});
    loading_test::write_file(home / "junk.zip", bytes("PK but nothing more"));
    const std::pair<const char*, const char*> cases[] = {
        {"empty.zip", "No Signetics files found in ZIP archive!\n"},
        {"none.zip", "No Signetics files found in ZIP archive!\n"},
        {"junk.zip", "Can't open ZIP archive!\n"},
        {"missing.zip", "Can't open ZIP archive!\n"}};
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(extract(name), 0) << name;
        EXPECT_EQ(output, message);
    }
    EXPECT_EQ(extract("missing.zip", false, true), 0);
    EXPECT_EQ(output, "");
}

TEST_F(Zip, AMemberWhoseHeaderSizeLiesIsRefused) {
    const std::vector<u8> data = bytes("ABCDEFGHABCDEFGHABCDEFGH");
    const struct {
        u32 claimed;
        int crc_over; // bytes the stored CRC covers; -1 all
        bool deflated;
    } lies[] = {
        {100, -1, false}, {4, -1, false},
        {4, 4, false}, // understated, with the CRC of what that size leaves
        {100, -1, true},  {4, -1, true},  {4, 4, true},
        {23, 23, true}, // one byte short
    };
    for (const auto& lie : lies) {
        SCOPED_TRACE(testing::Message() << lie.claimed << " bytes claimed, CRC over "
                                        << lie.crc_over << (lie.deflated ? ", deflated" : ""));
        write_lying_zip(home / "lying.zip", data, lie.claimed, lie.crc_over, lie.deflated);
        EXPECT_EQ(extract("lying.zip"), 0);
        EXPECT_EQ(output, "Corrupt ZIP file!\n");
        EXPECT_TRUE(member.data.empty());
        EXPECT_EQ(member.refusal, nullptr);
    }
    // The loader's "Can't load" line says why: a member bigger than any file
    // it reads is too large, and one whose bytes miss their CRC is corrupt
    // with a bad checksum.
    write_lying_zip(home / "huge.zip", data, 0xF0000000u);
    EXPECT_EQ(extract("huge.zip"), 0);
    EXPECT_EQ(output, "");
    EXPECT_STREQ(member.refusal, "too large");
    for (bool deflated : {false, true}) {
        write_lying_zip(home / "crc.zip", data, static_cast<u32>(data.size()), 4, deflated);
        EXPECT_EQ(extract("crc.zip"), 0);
        EXPECT_EQ(output, "Corrupt ZIP file!\n");
        EXPECT_STREQ(member.refusal, "bad checksum");
    }
    for (bool deflated : {false, true}) {
        write_lying_zip(home / "true.zip", data, static_cast<u32>(data.size()), -1, deflated);
        ASSERT_EQ(extract("true.zip"), 1) << deflated;
        EXPECT_EQ(member.data, data);
    }
}
