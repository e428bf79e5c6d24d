// The object-file and hex-tape writers and the tape readers: record layout and
// check bytes, the page rule of AOF records, Intel HEX read back by a
// standard tool, SMS and BPNF both ways, and the readers' refusals.
#include "core/objfile.h"
#include "core/loader.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

class ObjfileWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        home.emplace("objwrite");
        dir = home->path();
    }
    void TearDown() override {
        home.reset();
        fresh_state();
    }
    // Puts `text` into the file buffer.
    void buffer(const std::string& text) {
        ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(text.size() + 1)));
        std::memcpy(filebuf, text.data(), text.size());
        filebuf_length = static_cast<u32>(text.size());
    }
    std::optional<TempHome> home;
    fs::path dir;
};

TEST_F(ObjfileWrite, AofRecordsCarryCheckBytesAndNeverCrossAPage) {
    guest_memory[0x0900] = 0;
    EXPECT_EQ(objfile_aof_text(0x0900, 0x0900, 0x0900, 30), ":0900014A0000\r\n:090000\r\n");
    for (u32 a = 0x1FF0; a <= 0x2010; a++)
        guest_memory[a] = static_cast<u8>(a * 3);
    const std::string text = objfile_aof_text(0x1FF0, 0x2010, 0x1FF0, 30);
    // $1FF0..$1FFF (16 bytes), then $2000..$2010 (17 bytes).
    EXPECT_EQ(text.substr(0, 7), ":1FF010");
    const size_t second = text.find(":200011");
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_EQ(second, 13u + 2 * 16); // a record is 13 + 2n characters
    // The text reads back through the loader's reader to the same bytes.
    const std::vector<u8> before(guest_memory + 0x1FF0, guest_memory + 0x2011);
    std::memset(guest_memory + 0x1FF0, 0, 0x21);
    buffer(text);
    EXPECT_EQ(objfile_load(filebuf_length, OBJ_AOF), 2);
    EXPECT_EQ(std::vector<u8>(guest_memory + 0x1FF0, guest_memory + 0x2011), before);
    EXPECT_EQ(objfile_save_aof((dir / "p.aof").c_str(), 0x1FF0, 0x2010, 0x1FF0, 30), 1);
    EXPECT_EQ(test_read_file(dir / "p.aof"), text);
    EXPECT_EQ(objfile_save_aof((dir / "no/such/p.aof").c_str(), 0, 1, 0, 30), 0);
}

TEST_F(ObjfileWrite, IntelHexReadsBackWithAStandardTool) {
    for (u32 a = 0x0100; a < 0x0125; a++)
        guest_memory[a] = static_cast<u8>(a ^ 0x5A);
    const fs::path hex = dir / "p.hex";
    ASSERT_EQ(objfile_save_hex(hex.c_str(), 0x0100, 0x0124), 1);
    const std::string text = test_read_file(hex);
    EXPECT_EQ(text.substr(text.size() - 13), ":00000001FF\r\n");
    EXPECT_EQ(text.substr(0, 9), ":10010000");
    if (std::system("command -v objcopy > /dev/null 2>&1") != 0) GTEST_SKIP() << "no objcopy";
    const fs::path bin = dir / "p.bin";
    const std::string command = "objcopy -I ihex -O binary " + hex.string() + " " + bin.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test_read_file(bin),
              std::string(reinterpret_cast<const char*>(guest_memory) + 0x100, 0x25));
}

TEST_F(ObjfileWrite, SmsTapesGoBothWays) {
    guest_memory[0] = 0x00;
    guest_memory[1] = 0xAB;
    guest_memory[2] = 0x0A;
    ASSERT_EQ(file_save_sms((dir / "t.sms").c_str(), 2), 1);
    const std::string text = test_read_file(dir / "t.sms");
    EXPECT_EQ(text, "\x12"
                    "0'AB'A'\x14");
    std::memset(guest_memory, 0x77, 3);
    buffer(text);
    ASSERT_EQ(file_parse_sms(filebuf_length), 1);
    file_commit_sms();
    EXPECT_EQ(guest_memory[1], 0xAB);
    EXPECT_EQ(guest_memory[2], 0x0A);

    // Refusals change nothing.
    const std::string bad[] = {"\x12"
                               "0'AB'",
                               "0'\x14",
                               "\x12"
                               "0'ABC\x14",
                               "\x12"
                               "G'\x14"};
    for (const std::string& b : bad) {
        guest_memory[0] = 0x55;
        buffer(b);
        EXPECT_EQ(file_parse_sms(filebuf_length), 0) << b;
        EXPECT_EQ(guest_memory[0], 0x55);
    }
    // A tape longer than guest memory is refused rather than written past it.
    std::string big = "\x12";
    for (u32 i = 0; i <= GUEST_MEMORY_SIZE; i++)
        big += "1'";
    big += '\x14';
    buffer(big);
    EXPECT_EQ(file_parse_sms(filebuf_length), 0);
}

TEST_F(ObjfileWrite, BpnfTapesGoBothWays) {
    guest_memory[0x10] = 0xA5;
    guest_memory[0x11] = 0x01;
    ASSERT_EQ(file_save_bpnf((dir / "t.bpnf").c_str(), 0x10, 0x11), 1);
    const std::string text = test_read_file(dir / "t.bpnf");
    EXPECT_EQ(text, "BPNPNNPNPF BNNNNNNNPF");
    buffer(text + "\r\n");
    ASSERT_EQ(file_parse_bpnf(filebuf_length, 0x7000), 1);
    file_commit_bpnf();
    EXPECT_EQ(guest_memory[0x7000], 0xA5);
    EXPECT_EQ(guest_memory[0x7001], 0x01);
    buffer("BPPPPPPPPF");
    EXPECT_EQ(file_parse_bpnf(filebuf_length, 0), 1);
    const std::string bad[] = {"BPPPPPPPP", "XPPPPPPPPF", "BPPPPXPPPF", "BPPPPPPPPX",
                               "BPPPPPPPPF,BPPPPPPPPF"};
    for (const std::string& b : bad) {
        buffer(b);
        EXPECT_EQ(file_parse_bpnf(filebuf_length, 0), 0) << b;
    }
    buffer("BPPPPPPPPF BPPPPPPPPF");
    EXPECT_EQ(file_parse_bpnf(filebuf_length, 0x7FFF), 0); // the second byte is past $7FFF
}

} // namespace
