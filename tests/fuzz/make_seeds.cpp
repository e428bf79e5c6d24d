// Writes the starting inputs of every fuzz target into <folder>/<target>/:
// what the program itself writes (a save state of every memory map, its
// settings and high-score files) and small files of every kind it reads.
#include "commands/menu_table.h"
#include "computers/twin_mod.h"
#include "computers/twin_sdos.h"
#include "core/hiscore.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/machine_ops.h"
#include "peripherals/floppy.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "peripherals/floppy.h"
#include "cpu/optables.h"
#include "peripherals/tape.h"
#include "core/filekinds.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/file_buffer.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<u8>;

fs::path out_root;
int written = 0;

void put(const char* target, const std::string& name, const Bytes& data) {
    const fs::path dir = out_root / target;
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", (dir / name).c_str());
        std::exit(1);
    }
    written++;
}

Bytes text_bytes(const std::string& t) {
    return Bytes(t.begin(), t.end());
}

Bytes read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes with_prefix(u8 first, const Bytes& rest) {
    Bytes b(rest.size() + 1, first);
    std::copy(rest.begin(), rest.end(), b.begin() + 1);
    return b;
}

std::string hex2(u32 v) {
    char b[3];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

// A small 2650 program: loads, stores, branches, a subroutine and HALT.
const Bytes program = {0x04, 0x12, 0xCC, 0x18, 0x00, 0x3F, 0x00, 0x10, 0x1B, 0x7A,
                       0xE4, 0x55, 0x98, 0x04, 0x0C, 0x18, 0x00, 0x84, 0x01, 0x17,
                       0x77, 0x10, 0x75, 0xFF, 0xB4, 0x40, 0xC0, 0x40};

std::string aof_record(u16 address, const Bytes& data) {
    const u8 header[3] = {static_cast<u8>(address >> 8), static_cast<u8>(address),
                          static_cast<u8>(data.size())};
    std::string r = ":" + hex2(address >> 8) + hex2(address) + hex2(static_cast<u32>(data.size()));
    r += hex2(aof_check_byte(header, 3));
    for (u8 b : data)
        r += hex2(b);
    return r + hex2(aof_check_byte(data.data(), static_cast<u32>(data.size()))) + "\n";
}

std::string hex_record(u16 address, u8 type, const Bytes& data) {
    u32 sum = static_cast<u32>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string r =
        ":" + hex2(static_cast<u32>(data.size())) + hex2(address >> 8) + hex2(address) + hex2(type);
    for (u8 b : data) {
        r += hex2(b);
        sum += b;
    }
    return r + hex2((0x100 - (sum & 0xFF)) & 0xFF) + "\n";
}

Bytes aof_file(u16 start) {
    return text_bytes(aof_record(start, program) + aof_record(start + 0x100, Bytes(16, 0xC0)) +
                      ":" + hex2(start >> 8) + hex2(start) + "00\n");
}

Bytes hex_file(u16 start) {
    return text_bytes(hex_record(start, 0, program) + hex_record(start + 0x40, 0, Bytes(8, 0x55)) +
                      hex_record(0, 1, {}));
}

Bytes zip_of(const std::vector<std::pair<std::string, Bytes>>& members, int method) {
    const std::string path = fuzz_home() + "/seed.zip";
    fs::remove(path);
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) std::exit(1);
    for (const auto& [name, data] : members) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                  method ? 6 : 0, 0) != ZIP_OK ||
            (!data.empty() &&
             zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK) ||
            zipCloseFileInZip(zip) != ZIP_OK)
            std::exit(1);
    }
    if (zipClose(zip, nullptr) != ZIP_OK) std::exit(1);
    return read_all(path);
}

// One state of every memory map, as the program saves it; COR files carry a
// few recorded input bytes after the state.
void states() {
    for (u32 map = 0; map < MEMMAPS; map++) {
        if (memmap_is_empty(map)) continue;
        fuzz_reset();
        if (!machine_switch(static_cast<int>(memmap_table[map].machine), static_cast<int>(map),
                            true, true, false))
            continue;
        for (u32 i = 0; i < program.size(); i++)
            guest_memory[0x100 + i] = program[i];
        std::snprintf(file_name_buffer, FILE_NAME_SIZE, "%s/seed.cos", fuzz_home().c_str());
        if (!state_save_file(FILE_KIND_COS, 0)) {
            std::fprintf(stderr, "make_seeds: memory map %u was not saved\n", map);
            std::exit(1);
        }
        const Bytes cos = read_all(file_name_buffer);
        Bytes cor = cos;
        cor[2] = 1;
        cor.insert(cor.end(), {0x11, 0x22, 0x00, 0x80});
        std::string error;
        if (!state_check(cos.data(), static_cast<u32>(cos.size()), &error) ||
            !state_check(cor.data(), static_cast<u32>(cor.size()), &error)) {
            std::fprintf(stderr, "make_seeds: the state of map %u is refused: %s\n", map,
                         error.c_str());
            std::exit(1);
        }
        const std::string name = "map" + std::to_string(map);
        put("savestate", name + ".cos", cos);
        put("savestate", name + ".cor", cor);
        put("loader", name + ".cos", with_prefix(6, cos));
        put("loader", name + ".cor", with_prefix(7, cor));
        put("zip", name + ".zip", zip_of({{"state.cos", cos}}, Z_DEFLATED));
    }
}

void settings_and_scores() {
    for (u32 map : {6u, 2u, 5u}) {
        fuzz_reset();
        machine_switch(static_cast<int>(memmap_table[map].machine), static_cast<int>(map), true,
                       true, false);
        put("settings", "map" + std::to_string(map) + ".ini", text_bytes(ini_write_text()));
    }
    fuzz_reset();
    const std::string scores = fuzz_home() + "/Configs/Brindlemox.hgh";
    if (!hiscore_write_file()) std::exit(1);
    put("hiscore", "empty.hgh", read_all(scores));
    for (int slot = 0; slot < HISCORE_SLOTS; slot += 5) {
        hiscore_raise(slot, 1000u * static_cast<u32>(slot + 1));
        hiscore_add_play_time(slot, 2500000u * static_cast<u32>(slot));
    }
    if (!hiscore_write_file()) std::exit(1);
    put("hiscore", "played.hgh", read_all(scores));
}

// An object file the reader must take up to its end record, or the seeds mean nothing.
void must_parse(const Bytes& file, int format) {
    fuzz_reset();
    if (!test_filebuf_alloc(static_cast<u32>(file.size()))) std::exit(1);
    std::copy(file.begin(), file.end(), filebuf);
    if (objfile_parse(static_cast<u32>(file.size()), format) != 2) {
        std::fprintf(stderr, "make_seeds: an object file seed is refused\n");
        std::exit(1);
    }
}

void object_files_and_archives() {
    for (u16 start : {u16(0x0000), u16(0x0900), u16(0x1F80), u16(0x7E00)}) {
        const std::string at = std::to_string(start);
        must_parse(aof_file(start), OBJ_AOF);
        must_parse(hex_file(start), OBJ_HEX);
        put("objfile_aof", at + ".aof", aof_file(start));
        put("objfile_hex", at + ".hex", hex_file(start));
        put("loader", at + ".aof", with_prefix(3, aof_file(start)));
        put("loader", at + ".hex", with_prefix(5, hex_file(start)));
    }
    Bytes image(4096, 0);
    for (u32 i = 0; i < image.size(); i++)
        image[i] = program[i % program.size()];
    put("loader", "image.bin", with_prefix(0, image));
    put("loader", "image32k.bin", with_prefix(0x20, Bytes(32768, 0xC0)));
    put("loader", "image.tvc", with_prefix(0x42, with_prefix(0, Bytes(600, 0x3F))));
    const Bytes games = zip_of({{"readme.txt", text_bytes("x")}, {"GAME.BIN", image}}, Z_DEFLATED);
    const Bytes stored = zip_of({{"dir/prog.aof", aof_file(0x900)}}, 0);
    const Bytes mixed =
        zip_of({{"noext", image}, {"a.hex", hex_file(0)}, {"b.rom", image}}, Z_DEFLATED);
    put("zip", "games.zip", games);
    put("zip", "stored.zip", stored);
    put("zip", "mixed.zip", mixed);
    put("zip", "empty.zip", zip_of({}, Z_DEFLATED));
    put("loader", "games.zip", with_prefix(8, games));
    put("loader", "stored.zip", with_prefix(8, stored));
}

void texts() {
    put("catalog", "plain.catalog",
        text_bytes("# test\n0=Kaputte %s-Datei!\n1=%d von %d\n2=Stufe %u bei $%04X\n3=Keine\\n"
                   "Argumente\\t\\\\\n4=%c%s %ld%%\n5=%-10s|%5.2f\n895=Bad %s\n\n"));
    put("catalog", "mismatched.catalog", text_bytes("0=%d\n1=%s %s\n2=%n\n4=%c%s\n7=\\x\n=\n"));
    // Arguments are separated by NUL bytes, as the target splits them.
    using namespace std::string_literals;
    const std::string lines[] = {
        "game.bin"s,
        "FILE=game.bin\0LOCKCONFIG"s,
        "DISGAME\0prog.bin\0SETTINGS\0my.ini"s,
        "PRI=-5\0CLIPUNIT\0"
        "255\0FULLSCREEN=ON\0PORT=2650"s,
        "ASM=source.asm\0SYM\0x.sym\0STARTUP\0s.rexx\0PORTNAME\0PORT1"s,
        "UPGRADE\0NOLOWLEVEL\0PUBSCREEN=Work"s,
        "?"s,
        "PROGDIR:Games/x.bin\0COUNT=3\0QUIET\0ALL\0D\0"
        "7"s,
    };
    for (std::size_t i = 0; i < std::size(lines); i++)
        put("cmdline", "line" + std::to_string(i), text_bytes(lines[i]));
}

// Requests of the scripting port: every template kind, quotes and their
// escapes, for the parser; for the port itself the same lines one by one, a
// session across the command families, and every menu command by its name.
void port_requests() {
    const char* const lines[] = {
        "GETVERSION INTEGER",
        "PEEK 32767",
        "MOVEWINDOW LEFTEDGE=-1 TOPEDGE 20",
        "DEBUGGER QUIET D 0",
        "REQUESTNOTIFY TITLE=\"A *\"quoted*\" title\" PROMPT \"line*Nbreak\"",
        "STATUS the rest of the line",
        "CMDSHELL OPEN",
        "SETMACHINE \"unclosed",
    };
    for (std::size_t i = 0; i < std::size(lines); i++) {
        put("rexx_request", "line" + std::to_string(i), text_bytes(lines[i]));
        put("port", "line" + std::to_string(i), text_bytes(std::string(lines[i]) + "\n"));
    }
    put("port", "session",
        text_bytes("GETVERSION\nGETMACHINE\nSETMACHINE PIPBUG\nGETMEMMAP\nPEEK 32768\n"
                   "DEBUGGER T\nDEBUGGER BP 100\nDEBUGGER H\nPAUSE\nUNPAUSE\nSETSPEED 200\n"
                   "TURBO ON\nTURBO OFF\nSETMACHINE ZACCARIA\nDEBUGGER T\nNEW\nCLEAR\n"
                   "OPENMEMORY\nCLOSEMEMORY\nOPENCONTROLS\nCLOSECONTROLS\nGETATTR\nHELP\n"
                   "WRITE hello\nCOPYTEXT\nPASTE\nLOCKGUI\nUNLOCKGUI\nSETPORT 70000\n"
                   "SAVEAS state.cos\nOPEN state.cos\nRELOAD\nJUMPTOMONITOR\n\r\n"
                   "NOSUCHCOMMAND\n" +
                   std::string(5000, 'x') + std::string("\nBAD\0LINE\nQUIT\n", 15)));
    for (int id = 0; id < MENU_PLAIN_IDS; id++)
        if (menu_plain_names[id].name[0])
            put("port", std::string("menu_") + menu_plain_names[id].name,
                text_bytes(std::string("MENU ") + menu_plain_names[id].name + "\nGETVERSION\n"));
    for (int id = 0; id < MENU_CHECK_IDS; id++)
        if (menu_check_names[id].name[0])
            put("port", std::string("check_") + menu_check_names[id].name,
                text_bytes(std::string("MENU ") + menu_check_names[id].name + "\nGETVERSION\n"));
}

// Floppy controller traffic: a seek and a sector read, a write, a Read
// Address, each on every layout, and the head moved off the disk.
void floppy_traffic() {
    const auto w = [](u8 reg, u8 v) { return Bytes{static_cast<u8>(0x60 + reg), v}; };
    Bytes read = w(3, 12);
    for (const Bytes& b : {w(0, 0x18), w(2, 3), w(0, 0x94)})
        read.insert(read.end(), b.begin(), b.end());
    for (int i = 0; i < 300; i++)
        read.insert(read.end(), {3, 0});
    Bytes write = read;
    write[write.size() - 601] = 0xB4; // Write Sector, multiple records, instead
    for (int i = 0; i < 300; i += 2)
        write[write.size() - 600 + i] = 0x63;
    Bytes address = {0x60, 0xC4, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 3, 0, 0xA1, 200, 0xC2, 40, 0xC3, 90, 0xE0, 30};
    for (u8 layout = 0; layout < 3; layout++) {
        for (const auto& [name, body] :
             {std::pair{"read", read}, std::pair{"write", write}, std::pair{"address", address}}) {
            Bytes seed = {layout, 1};
            seed.insert(seed.end(), body.begin(), body.end());
            put("floppy", std::string(name) + std::to_string(layout), seed);
        }
    }
}

// Disks of both FD1771 machines as their formats write them, with a file on
// each; CMD and IMAG programs for the loader.
void guest_disks_and_programs() {
    const u8 loop[] = {0x04, 0x41, 0xCC, 0x78, 0x00, 0x1B, 0x7E};
    for (u8 machine = 0; machine < 2; machine++) {
        fuzz_reset();
        const bool cd2650 = machine == 1;
        machine_switch(cd2650 ? CD2650 : BINBUG, cd2650 ? MAP_CD2650 : MAP_BINBUG, true, true,
                       false);
        const DiskSystem* s = floppy_disk_system();
        s->format(0);
        const std::string file = fuzz_home() + "/PROG.CMD";
        const Bytes body(300, 0x42);
        if (FILE* f = std::fopen(file.c_str(), "wb")) {
            std::fwrite(body.data(), 1, body.size(), f);
            std::fclose(f);
        }
        s->put(file.c_str(), 0, nullptr);
        const u32 bytes = floppy_geometry().image_bytes;
        Bytes image(drives[0].image, drives[0].image + bytes);
        put("dos_disks", cd2650 ? "cd2650.raw" : "binbug.raw", with_prefix(machine, image));
        put("dos_disks", cd2650 ? "cd2650v.raw" : "binbugv.raw", with_prefix(machine | 2, image));
    }
    Bytes cmd = {0x04, 0x40, sizeof loop};
    cmd.insert(cmd.end(), loop, loop + sizeof loop);
    cmd.insert(cmd.end(), {0x04, 0x40, 0x00});
    Bytes imag = {0x15, 0x10, 0x00, sizeof loop};
    imag.insert(imag.end(), loop, loop + sizeof loop);
    imag.insert(imag.end(), {0x15, 0x10, 0x00, 0x00});
    put("loader", "prog.cmd", with_prefix(10, cmd));
    put("loader", "prog.imag", with_prefix(12 | 0x60, imag));
}

// Every opcode with operand bytes after it, in each notation and variant.
void listings() {
    Bytes all;
    for (int op = 0; op < 256; op++)
        all.insert(all.end(),
                   {static_cast<u8>(op), static_cast<u8>(op * 7 + 1), static_cast<u8>(0xFF - op)});
    for (u8 notation = 0; notation < NOTATIONS; notation++)
        for (u8 variant : {u8(0), u8(8)}) {
            const u8 setup = static_cast<u8>(notation | variant | (notation % 3) << 4);
            Bytes b(all.size() + 4);
            b[0] = setup;
            b[1] = static_cast<u8>(notation * 6);
            b[2] = 0x01;
            std::copy(all.begin(), all.end(), b.begin() + 4);
            put("disasm", "ops" + std::to_string(notation) + "_" + std::to_string(variant), b);
        }
    Bytes prog(program.size() + 4);
    prog[0] = 0x02;
    prog[1] = 6;
    std::copy(program.begin(), program.end(), prog.begin() + 4);
    put("disasm", "program", prog);
}

// Assembler sources: the first byte is the notation (and bit 3 the 2650B);
// the Signetics ones in both Signetics notations, one program in each of the
// others, each also for the 2650B.
void sources() {
    const std::string signetics[] = {
        "        ORG $100\nSTART:  LODI,r1 -1\n        LODA,r0 TAB,r2,+\n"
        "        BCTR,un START\n        ZBRR $1FF0\nX       EQU LATER-START\n"
        "TAB     DB 1,'AB',H'1,2F',A\"z\"\n        DW $1234\n        DBX \".#.#.#.#\"\n"
        "LATER   RES 4\n        ORGF $200,$FF\n        END START\n",
        "        ORG $7FFE\n        DB 1,2,3\n        LODI,r0 5/0\n        ORG -1\n"
        "        INCLUDE \"nothere.asm\"\n",
        "  * comment\r\nL BR L\r\n        LDPL $1234\r\n        .PROC S2650B\r\n",
    };
    const std::pair<u8, std::string> others[] = {
        {NOTATION_OLD_CALM, "        .LOC 256\nLOOP:   LOAD B,#5\n        LOAD TAB,B\n"
                            "        DECJ,NE B,.+LOOP\n        LOAD A,(-C)+@TAB\n"
                            "        SET IOF\n        JUMP LOOP\nTAB:    .DATA 0,16'9C\n"
                            "        .END\n"},
        {NOTATION_NEW_CALM, "        .LOC 256\nLOOP:   MOVE #5,r1\n        MOVE r1,U^TAB\n"
                            "        DJ,NE r1,R^LOOP\n        TEST r2:#16'0F\n"
                            "        BIC #16'80,PSU\n        JUMP U^LOOP\nTAB:    .DATA 0\n"
                            "        .END\n"},
        {NOTATION_IEEE, "        ORG 256\nLOOP:   LD .1,#5\n        ST .1,/TAB\n"
                        "        IBNZ .2,$LOOP\n        LD .0,/TAB(+.2)\n        CALL !1FF0H\n"
                        "        BR /LOOP\nTAB:    DATA 0,20H\n        END\n"},
    };
    const auto put_source = [](const std::string& name, u8 setup, const std::string& text) {
        put("assembler", name, with_prefix(setup, text_bytes(text)));
    };
    for (std::size_t i = 0; i < std::size(signetics); i++)
        for (u8 setup : {u8(0), u8(1), u8(9)})
            put_source("src" + std::to_string(i) + "_" + std::to_string(setup), setup,
                       signetics[i]);
    for (const auto& [notation, text] : others)
        for (u8 variant : {u8(0), u8(8)})
            put_source("notation" + std::to_string(notation) + "_" + std::to_string(variant),
                       static_cast<u8>(notation | variant), text);
}

// Debugger command lines: the first byte is the memory map, then one command
// a line. A trace on every machine family (the coin-op boards turned and not),
// and every command with good and bad operands.
void debugger_lines() {
    const auto put_lines = [](const std::string& name, u32 map, const std::string& lines) {
        put("debugger", name, with_prefix(static_cast<u8>(map), text_bytes(lines)));
    };
    for (u32 map = 0; map < MEMMAPS; map++)
        if (!memmap_is_empty(map))
            put_lines("trace_map" + std::to_string(map), map, "T\n\n\nVB 1\n\nT\nS\nS\n");
    const std::string every =
        "H\nH 5\nCPU 1\nBASE 16\nBASE %\nBP 100\nBP 200 210 r0 == 5\nBP 7FFF 0\nBL\nBC\n"
        "WP 1800 18FF\nWP 1900 1900 $1800 > $10\nWL\nWR\nWW ALL\nWC\nIP 0 FF\nIP 10 10 r1 != 0\n"
        "IL\nIC\nDEFSYM LOOP 100 C\nDEFSYM LOOP\nCLEARSYM LOOP\nJ 0\nJ 99999\nS\nO\nI\nL A\n"
        "L N\nN 2\nN 4\nN 9\nTU 1\nVB 2\nV CPU\nV RAM\nV SCRN\nV BIOS\nV PSG\nV UDG\nSPR 1\n"
        "R 100\nR F\nR I\nG\nG 100\nGI\nGR\nPB\nPL\nDR\nHISTORY\nCLS\nWARN\nSAY hello\n"
        "SAVEAOF 0 FF\nSAVEEOF 100 80\nSAVESYM syms\nLOADSYM syms\nLOADSYM nothere\n*echo\n"
        "ED file\n\"net\nX 1 2 3 4 5 6 7 8\nbp 1000:F0\nSYS\n";
    for (u32 map : {6u, 0u, 4u, 9u, 11u, 19u, 22u, 26u, 28u})
        put_lines("every_map" + std::to_string(map), map, every);
}

// Tapes the deck writes itself, recorded and finished, of each kind; one
// with a chunk before its samples, as other programs write them; MDCR images.
void tapes() {
    const struct {
        int kind;
        const char* target;
    } kinds[] = {{KIND_WAV, "tape_wav"}, {KIND_8SVX, "tape_8svx"}, {KIND_AIFF, "tape_aiff"}};
    for (const auto& k : kinds) {
        fuzz_reset();
        const std::string path = fuzz_home() + "/seed" + file_kinds[k.kind].extension;
        if (!tape_create_at(k.kind, path.c_str())) std::exit(1);
        put(k.target, "empty", read_all(path));
        tape_record();
        for (int i = 0; i < 200; i++) {
            cpu_cycles += 3;
            tape_sample_tick();
        }
        tape_close_sample_file();
        const Bytes recorded = read_all(path);
        put(k.target, "recorded", recorded);
        if (k.kind != KIND_WAV) {
            // "ANNO" of 5 bytes (and its pad byte) before the samples' chunk.
            Bytes noted(recorded.begin(), recorded.begin() + 12);
            const char anno[] = "ANNO\0\0\0\5notes\0";
            noted.insert(noted.end(), anno, anno + 14);
            noted.insert(noted.end(), recorded.begin() + 12, recorded.end());
            put(k.target, "noted", noted);
        }
    }
    put("mdcr", "one_block", Bytes(256, 0xA5));
    Bytes full(32768);
    for (std::size_t i = 0; i < full.size(); i++)
        full[i] = static_cast<u8>(i * 7 + i / 256);
    put("mdcr", "full", full);
}

// A netplay peer's streams: whole records with and without chat, a record cut
// short, a chat length above 80, random bytes before an Elektor record; and
// the update server's responses.
void netplay_and_updates() {
    const Bytes chat = text_bytes("hello");
    Bytes arcadia = {0x00, 0x12, 0x34, 0x80, 0x07, 0x00, 0x56, 0x78, 0x40, 0x00, 0x05};
    arcadia.insert(arcadia.end(), chat.begin(), chat.end());
    put("netplay_stream", "arcadia_client", arcadia);
    put("netplay_stream", "arcadia_server", with_prefix(0x01, Bytes(arcadia.begin() + 1, arcadia.end())));
    put("netplay_stream", "interton_server", {0x03, 0x84, 0x42, 0x33, 0x00, 0xF1, 0x0E, 0x44, 0x02, 'h', 'i'});
    put("netplay_stream", "elektor_client", {0x04, 0x11, 0x84, 0x42, 0x33, 0x00, 0x22, 0xF1, 0x0E});
    put("netplay_stream", "long_chat", {0x00, 0x12, 0x34, 0x80, 0x07, 0x51});
    put("netplay_stream", "cut_short", {0x02, 0x12});
    put("update_reply", "newer", text_bytes("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n36.41"));
    put("update_reply", "same", text_bytes("HTTP/1.1 200 OK\r\n\r\n\xEF\xBB\xBF" "36.4\n"));
    put("update_reply", "no_body", text_bytes("HTTP/1.1 404 Not Found\r\n\r\n"));
    put("update_reply", "letter", text_bytes("HTTP/1.1 200 OK\r\n\r\nv37"));
}

// The TWIN's files: a disk holding a file (as ".img" and as ".twin"), the
// same disk's start for the lister, and a MOD file.
void twin_files() {
    fuzz_reset();
    twin_dosversion = 6;
    if (!machine_switch(TWIN, MAP_TWIN, true, true, false)) std::exit(1);
    const std::string file = fuzz_write_file("GAME", program.data(), program.size());
    twin_sdos_put_file(file.c_str(), 0);
    const Bytes image(drives[0].image, drives[0].image + SDOS_IMAGE_BYTES);
    Bytes twin;
    for (u32 t = 0; t < 77; t++)
        for (u32 s = 0; s < 32; s++) {
            twin.push_back(static_cast<u8>(t));
            twin.push_back(static_cast<u8>(s == 5 ? 7 : s));
            twin.insert(twin.end(), image.begin() + t * 4096 + s * 128, image.begin() + t * 4096 + s * 128 + 128);
        }
    put("twin", "image", with_prefix(0, image));
    put("twin", "twinfile", with_prefix(0, twin));
    put("twin", "list", with_prefix(0x41, Bytes(image.begin(), image.begin() + 4096 + 1024)));
    for (u32 i = 0; i < program.size(); i++)
        guest_memory[0x4100 + i] = program[i];
    const std::string mod = fuzz_home() + "/seed.mod";
    if (!twin_save_mod(mod.c_str(), 0x4100, 0x4100 + static_cast<u32>(program.size()) - 1, 0x4100))
        std::exit(1);
    put("twin", "mod", with_prefix(2, read_all(mod)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    out_root = argv[1];
    fs::remove_all(out_root);
    states();
    settings_and_scores();
    object_files_and_archives();
    texts();
    port_requests();
    floppy_traffic();
    twin_files();
    guest_disks_and_programs();
    listings();
    sources();
    tapes();
    debugger_lines();
    netplay_and_updates();
    std::printf("make_seeds: %d inputs\n", written);
    return 0;
}
