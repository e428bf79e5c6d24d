// The TWIN's debugger views: the console dump, the slave's service calls, the
// port descriptions of the port traps, the programming-interface notes, the
// system's tables and its command table with the commands of each overlay.
#include "computers/twin.h"

#include "core/message.h"
#include "core/settings_vars.h"
#include "core/text_screen.h"
#include "cpu/cpu.h"
#include "cpu/debug_state.h"
#include "peripherals/floppy.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A byte of the master's view, whichever processor runs.
u8 master_byte(u32 address) {
    address &= 0x7FFF;
    if (!twin_slave_active) return guest_memory[address];
    if (address < 0x4000) return twin_master_memory[address];
    const u32 bank = port_records[0xEE].last_value & 1;
    return twin_common_memory[bank * 0x4000 + address - 0x4000];
}

u16 master_word(u32 address) {
    return static_cast<u16>((master_byte(address) << 8) | master_byte(address + 1));
}

// ---- The command table ----------------------------------------------------------------

constexpr int MAX_COMMANDS = 78;
struct SdosCommand {
    char name[9];
    u8 kind;   // 0 master memory, 1 1st overlay area, 2 2nd, 3 slave memory
    u8 high;   // the address's high byte, or the overlay offset
    u8 low;    // the address's low byte, or the overlay letter
    u8 letter; // 0 for master memory
};
SdosCommand commands[MAX_COMMANDS];
int command_count;
int debug_from = MAX_COMMANDS;

u32 table_address() {
    static constexpr u16 TABLES[6] = {0x075E, 0x0E7D, 0x0E2A, 0x0E23, 0x07F6, 0x0E1D};
    return twin_dosversion >= 0 && twin_dosversion <= 5 ? TABLES[twin_dosversion] : 0;
}

// One group of name bytes, up to and including the first with bit 7 set.
u32 name_group(u32 at, std::string* out) {
    while (at < 0x4000) {
        const u8 b = master_byte(at++);
        out->push_back(con_shown_char(b & 0x7F));
        if (b & 0x80) break;
    }
    return at;
}

} // namespace

int twin_sdos_commands(int quiet) {
    command_count = 0;
    debug_from = MAX_COMMANDS;
    if (!twin_has_dos()) return 0;
    u32 at = table_address();
    if (!quiet) con_printf("Command Location\n------- --------\n");
    while (command_count < MAX_COMMANDS && at < 0x4000) {
        if (master_byte(at) == 0) {
            at++;
            break;
        }
        if (master_byte(at) == 0xA0) {
            debug_from = command_count < debug_from ? command_count : debug_from;
            at++;
            while (at < 0x4000 && master_byte(at++) != 1) {
            }
            continue;
        }
        std::string abbreviation, rest;
        at = name_group(at, &abbreviation);
        at = name_group(at, &rest);
        if (rest == " ") rest.clear();
        std::string name;
        for (char ch : abbreviation)
            name.push_back(static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch));
        for (char ch : rest)
            name.push_back(static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch));
        std::snprintf(commands[command_count].name, sizeof commands[0].name, "%s", name.c_str());
        command_count++;
    }
    for (int c = 0; c < command_count && at + 1 < 0x4000; c++) {
        if (master_byte(at) == 0 && master_byte(at + 1) == 0) at += 2;
        SdosCommand& s = commands[c];
        const u8 first = master_byte(at), second = master_byte(at + 1);
        at += 2;
        s.kind = first >> 6;
        s.high = s.kind == 0 ? first : first & 0x3F;
        s.low = second;
        s.letter = s.kind == 0 ? 0 : second;
    }
    if (quiet) return command_count;
    static const char* const areas[4] = {"", "(1st overlay area)", "(2nd overlay area)", "(slave memory)"};
    for (int c = 0; c < command_count; c++) {
        const SdosCommand& s = commands[c];
        if (s.kind == 0)
            con_printf("%-7s Address $%02X%02X        (master memory)", s.name, s.high, s.low);
        else if (s.high)
            con_printf("%-7s File @%c + offset $%02X %s", s.name, con_shown_char(s.letter), s.high,
                       areas[s.kind]);
        else
            con_printf("%-7s File @%c              %s", s.name, con_shown_char(s.letter), areas[s.kind]);
        con_printf(c >= debug_from ? " (debug only)\n" : "\n");
    }
    if (command_count == 0) con_printf("\n");
    return command_count;
}

void twin_sdos_overlay_commands(int drive, int entry, int mode, std::string* out) {
    if (mode == 1) out->clear();
    if (drive != 0 || entry < 0 || entry >= FLOPPY_ENTRIES) return;
    const char* name = drives[0].name_cache[entry];
    if (name[0] != '@' || !name[1] || name[2]) return;
    int found = 0;
    for (int c = 0; c < command_count; c++) {
        if (!commands[c].letter || commands[c].letter != static_cast<u8>(name[1])) continue;
        char piece[24];
        if (mode == 1)
            std::snprintf(piece, sizeof piece, found ? "\n         %-7s" : "%-7s", commands[c].name);
        else
            std::snprintf(piece, sizeof piece, found ? ", %s" : " (%s", commands[c].name);
        out->append(piece);
        found++;
    }
    if (mode == 0 && found) out->append(")");
}

// ---- Console dump ----------------------------------------------------------------------

void twin_view_vdu_ram() {
    for (int r = 0; r < 25; r++) {
        for (int c0 = 0; c0 < 80; c0 += 16) {
            u8 cell[16];
            char text[17];
            for (int i = 0; i < 16; i++) {
                cell[i] = vdu_cell(c0 + i, r);
                text[i] = con_shown_char(cell[i] & 0x7F);
            }
            text[16] = 0;
            if (c0 == 0)
                con_printf("%2d: ", r);
            else
                con_printf("    ");
            con_printf("%02X %02X %02X %02X %02X %02X %02X %02X  %02X %02X %02X %02X %02X %02X %02X %02X %s\n",
                       cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], cell[6], cell[7], cell[8],
                       cell[9], cell[10], cell[11], cell[12], cell[13], cell[14], cell[15], text);
        }
        con_printf("\n");
    }
}

// ---- Service calls ------------------------------------------------------------------------

void twin_describe_svc(int call) {
    if (call < 1 || call > 6) return;
    static const char* const functions[32] = {
        "Undefined command",
        "Read (srbFnRead)",
        "Write (srbFnWrite)",
        "Close device or file on channel (srbFnClose)",
        "Rewind file on channel (srbFnRewind)",
        "Delete file on channel (srbFnDelete)",
        "Rename file on channel (srbFnRename)",
        "srbFnDirectIO (for the floppy disk device)",
        "Undefined command", "Undefined command", "Undefined command", "Undefined command",
        "Undefined command", "Undefined command", "Undefined command", "Undefined command",
        "Assign channel to device or file (srbFnAssign)",
        "Get time (milliseconds (srbFnTime)",
        "Get overlay addresses (srbFnOvlAddr",
        "Get parameter (srbFnParam)",
        "Get device type (srbFnDevType)",
        "Get device status (srbFnDevStatus)",
        "Get last console input char (srbFnLastChar)",
        "Load overlay (srbFnLoadOvl)",
        "Execute overlay (srbFnExecOvl)",
        "Suspend execution (srbFnSuspend)",
        "Exit (srbFnExit)",
        "srbFnPause",
        "srbFnSlvParam",
        nullptr,
        nullptr,
        "Abort (srbFnAbort)",
    };
    const u16 p = master_word(0x4040 + 2 * static_cast<u32>(call));
    const u32 block = (p + 0x4000u) & 0xFFFF;
    const u8 function = master_byte(block);
    con_printf("SVC number:             %d (slave extended I/O port $%02X)\nMaster priority:        %d\n"
               "Slave priority:         %d\nSRB pointer:            $%04X in master RAM\n"
               "                        $%04X in slave RAM\nSVC function code:      $%02X (",
               call, 248 - call, call + 15, call - 1, block, p, function);
    const int code = function & 31;
    const char* text = functions[code];
    if (code == 29) text = twin_dosversion == 4 ? "srbFnClkTime" : "srbFnSlvMem";
    if (code == 30) text = twin_dosversion == 4 ? "srbFnClkDate" : "";
    con_printf("%s", text);
    con_printf("Block/special? %s\n", function & 0x20 ? "Yes" : "No");
    con_printf("Binary?        %s\n", function & 0x40 ? "Yes" : "No");
    con_printf("Proceed?       %s\n", function & 0x80 ? "Yes" : "No");
    const u8 channel = master_byte(block + 1);
    con_printf(")\nLogical channel number: %d", channel);
    if (channel > 7) con_printf("!");
    const u8 high = master_byte(block + 6), low = master_byte(block + 7);
    con_printf("\nI/O buffer length:      %d bytes\nI/O buffer pointer:     $%02X%02X in master RAM\n"
               "                        $%02X%02X in slave RAM\n\n",
               master_byte(block + 5), static_cast<u8>(high + 0x40), low, high, low);
}

// ---- Programming-interface notes --------------------------------------------------------------

// Each line a comment, as the other boards' notes are: a disassembly that
// holds them assembles back.
void twin_api_notes(u32 address) {
    static const struct {
        u16 address;
        const char* note;
    } NOTES[12] = {
        {0x136A, ";Set up DCB from the FCB\n"},
        {0x136C, ";Set channel I/O complete\n"},
        {0x2000, ";API_SupervisorCall\n"},
        {0x2003, ";API_IntSaveState\n;Save registers\n"},
        {0x2006, ";API_IntRestrState\n;Restore registers\n"},
        {0x2009, ";API_ConvertASCtoNum\n"},
        {0x200C, ";API_FileReadyIOComplete\n"},
        {0x200F, ";API_Dispatcher\n"},
        {0x2012, ";API_QueueError\n"},
        {0x2015, ";API_LookupDeviceName\n"},
        {0x2018, ";API_ParseCommand\n"},
        {0x201B, ";API_SkipToCmdBuff1Param\n"},
    };
    for (const auto& n : NOTES)
        if (n.address == address) con_printf("%s", n.note);
}

// ---- Port descriptions ---------------------------------------------------------------------------

namespace {

// A field of a port: its label (with its ":" or "?"), the bits it spans, and
// the texts of a set and a clear bit (nullptr: the field's value as a number).
struct PortField {
    const char* label;
    u8 bit;
    const char* set;
    const char* clear;
    u8 width = 1;
};

void print_fields(const char* title, const PortField* fields, int count, u8 value) {
    con_printf("%s:\n", title);
    for (int i = 0; i < count; i++) {
        const PortField& f = fields[i];
        std::string line = " ";
        line += f.label;
        while (line.size() < 42)
            line.push_back(' ');
        if (f.set) {
            line += (value >> f.bit) & 1 ? f.set : f.clear;
        } else {
            char number[8];
            std::snprintf(number, sizeof number, "%d", (value >> f.bit) & ((1 << f.width) - 1));
            line += number;
        }
        con_printf("%s\n", line.c_str());
    }
}

constexpr const char *YES = "%1=Yes", *NO = "%0=No", *ENABLED = "%1=Enabled", *DISABLED = "%0=Disabled";

constexpr PortField ANALYZER[] = {
    {"R/W polarity:", 7, "%1=Set", "%0=Unset"},
    {"M/IO polarity:", 5, "%1=Set", "%0=Unset"},
    {"Fetch don't care:", 3, "%1=Set", "%0=Unset"},
    {"Arm stop on address compare plus count:", 2, "%1=Set", "%0=Unset"},
    {"Trace mode:", 1, "%1=Set", "%0=Unset"},
    {"Access mode:", 0, "%1=Set", "%0=Unset"},
};
constexpr PortField SLAVE_COMMAND[] = {
    {"Active/inactive:", 7, "%=1=Active", "%0=Inactive"},
    {"User mode:", 6, YES, NO},
    {"ICE mode:", 5, YES, NO},
    {"Interrupt enable:", 4, "%=1=Enabled", DISABLED},
    {"Memory protect block size:", 2, nullptr, nullptr, 2},
    {"Memory protect base:", 0, nullptr, nullptr, 2},
};
constexpr PortField STATUS_FIELDS[] = {
    {"Parity error?", 4, YES, NO},        {"Framing error?", 3, YES, NO},
    {"Data overrun?", 2, YES, NO},        {"Transmit buffer empty?", 1, YES, NO},
    {"Data available?", 0, YES, NO},
};
constexpr PortField CONSOLE_CONTROL[] = {
    {"Teletype interrupts:", 2, ENABLED, DISABLED},
    {"Parity select?", 1, YES, NO},
    {"Paper tape reader on?", 0, YES, NO},
};
constexpr PortField DISK_STATUS_EA[] = {
    {"Controller has data or can accept data?", 7, YES, NO},
    {"Printer fault?", 1, YES, NO},
    {"Printer ready?", 0, YES, NO},
};
constexpr PortField DISK_CONTROL[] = {
    {"Printer interrupt:", 5, ENABLED, DISABLED},
    {"Disk interrupt:", 4, ENABLED, DISABLED},
    {"C1..C0:", 1, nullptr, nullptr, 2},
    {"Strobe?", 0, "%1=No", "%0=Yes"},
};
constexpr PortField DISK_STATUS_EB[] = {
    {"Illegal operation?", 5, YES, NO}, {"Error recovery?", 4, YES, NO},
    {"Write protect?", 3, YES, NO},     {"Device busy?", 2, YES, NO},
    {"Unit check?", 1, YES, NO},
};
constexpr PortField DEBUG_CONTROL[] = {
    {"Debugging active/sequencer:", 5, "%1=Disabled", "%0=Enabled"},
    {"Tracing active, single cycle?", 4, "%1=No", "%0=Yes"},
    {"2nd write breakpoint:", 3, "%1=Off", "%0=On"},
    {"2nd read breakpoint:", 2, "%1=Off", "%0=On"},
    {"1st write breakpoint:", 1, "%1=Off", "%0=On"},
    {"1st read breakpoint:", 0, "%1=Off", "%0=On"},
};
constexpr PortField DEBUG_COMMAND[] = {
    {"Intrpt mask (tracing & brkpnts intrpts):", 3, "%1=Off", "%0=On ($F7)"},
    {"Forced jump:", 2, "%1=Off", "%0=On ($FB)"},
    {"Forced interrupt (unused):", 1, "%1=Off", "%0=On ($FD)"},
    {"Forced reset:", 0, "%1=Off", "%0=On ($FE)"},
};
constexpr PortField GPIO_STATUS[] = {
    {"CTS (Clear To Send):", 7, "%1=On", "%0=Off"},
    {"DSR (Data Set Ready):", 6, "%1=On", "%0=Off"},
    {"Carrier detect:", 5, "%1=On", "%0=Off"},
    {"Ring indicator:", 4, "%1=On", "%0=Off"},
};
// The RS-232 labels carry their note from the 28th character of the line.
constexpr PortField GPIO_CONTROL[] = {
    {"RTS (Request To Send)     (RS-232 only):", 7, "%1=On", "%0=Off"},
    {"DTR (Data Terminal Ready) (RS-232 only):", 6, "%1=On", "%0=Off"},
    {"Send restraint            (RS-232 only):", 5, "%1=On", "%0=Off"},
    {"Originate/answer mode     (RS-232 only):", 4, "%1=Answer", "%0=Originate"},
    {"Local mode                (RS-232 only):", 3, "%1=On", "%0=Off"},
    {"Teletype interrupts:", 2, ENABLED, DISABLED},
    {"Parity select:", 1, "%1=Even", "%0=Odd"},
    {"Paper tape reader:", 0, "%1=On", "%0=Off"},
};

template <size_t N> void fields(const char* title, const PortField (&f)[N], u8 value) {
    print_fields(title, f, static_cast<int>(N), value);
}

void title(const char* text) {
    con_printf("%s\n", text);
}

} // namespace

void twin_describe_analyzer(u32 port, u8 value, int is_write) {
    static const char* const ordinals[4] = {"1st", "2nd", "3rd", "4th"};
    switch (port) {
    case 0x05:
        if (is_write) break;
        fields("GPIO RS-232 status", GPIO_STATUS, value);
        return;
    case 0x06:
        if (is_write)
            fields("GPIO teletype/RS-232 control", GPIO_CONTROL, value);
        else
            fields("GPIO teletype/RS-232 status", STATUS_FIELDS, value);
        return;
    case 0xC0:
        fields("Hardware analyzer control status", ANALYZER, value);
        return;
    case 0xE0:
    case 0xE1:
    case 0xE2:
    case 0xE3: {
        char text[32];
        std::snprintf(text, sizeof text, "%s slave command", ordinals[port - 0xE0]);
        fields(text, SLAVE_COMMAND, value);
        return;
    }
    case 0xE8:
        title("Console data");
        return;
    case 0xE9:
        if (is_write)
            fields("Console control", CONSOLE_CONTROL, value);
        else
            fields("Console status", STATUS_FIELDS, value);
        return;
    case 0xEA:
        if (is_write)
            fields("Disk/printer control", DISK_CONTROL, value);
        else
            fields("Disk/printer status", DISK_STATUS_EA, value);
        return;
    case 0xEB:
        if (is_write)
            title("Disk/printer data");
        else
            fields("Disk status (read after Start I/O, Reset or Printer strobe)", DISK_STATUS_EB, value);
        return;
    case 0xEC: title("Interval timer control"); return;
    case 0xED: title("Master memory protect"); return;
    case 0xEE: title("Common memory bank"); return;
    case 0xF2: case 0xF3: case 0xF4: case 0xF5: case 0xF6: case 0xF7: {
        char text[8];
        std::snprintf(text, sizeof text, "SVC%u", 6 - (port - 0xF2));
        title(text);
        return;
    }
    case 0xF8: fields("Debug control", DEBUG_CONTROL, value); return;
    case 0xF9: fields("Debug command", DEBUG_COMMAND, value); return;
    case 0xFA: title("Low byte of jump address"); return;
    case 0xFB: title("High byte of jump address"); return;
    case 0xFC: title(is_write ? "Low byte of 1st breakpoint address" : "Low byte of Last Program Counter"); return;
    case 0xFD: title(is_write ? "High byte of 1st breakpoint address" : "High byte of Last Program Counter"); return;
    case 0xFE: title(is_write ? "Low byte of 2nd breakpoint address" : "Low byte of Next Program Counter"); return;
    case 0xFF: title(is_write ? "High byte of 2nd breakpoint address" : "High byte of Next Program Counter"); return;
    default:
        break;
    }
    con_printf("Unknown port!\n");
}

// ---- The system's tables ---------------------------------------------------------------------

void twin_view_jobs() {
    auto b = master_byte;
    static const char* const job_states[9] = {"Idle  ", "Loaded", "Ready ", "Runnng", "Waitng",
                                              "SRB OK", "Suspnd", "Abortg", "Paused"};
    auto job_state = [](u8 v) { return v <= 8 ? job_states[v] : "?     "; };
    con_printf("Jobs ($2050..$20CF):\nJob  CurSta PrvSta Asgd Actv Wtng Cplt JobWtng Vec Bank Ofs SAddr SRBRt JobRt\n"
               "---  ------ ------ ---- ---- ---- ---- ------- --- ---- --- ----- ----- -----\n");
    for (u32 j = 0; j < 4; j++)
        con_printf("  %d  %s %s  $%02X  $%02X  $%02X  $%02X     %3d $%02X  %3d %3d $%02X%02X $%02X%02X $%02X%02X \n",
                   j, job_state(b(0x2050 + j)), job_state(b(0x2054 + j)), b(0x2058 + j), b(0x205C + j),
                   b(0x2060 + j), b(0x2064 + j), b(0x2068 + j), b(0x206C + j), b(0x2070 + j), b(0x2074 + j),
                   b(0x2078 + 2 * j), b(0x2079 + 2 * j), b(0x2080 + 2 * j), b(0x2081 + 2 * j),
                   b(0x2088 + 2 * j), b(0x2089 + 2 * j));
    con_printf("\n     ----File index per channel-----  ---Device index per channel----\n"
               "Job  Ch0 Ch1 Ch2 Ch3 Ch4 Ch5 Ch6 Ch7  Ch0 Ch1 Ch2 Ch3 Ch4 Ch5 Ch6 Ch7\n"
               "---  --- --- --- --- --- --- --- ---  --- --- --- --- --- --- --- ---\n");
    for (u32 j = 0; j < 4; j++) {
        u8 v[16];
        for (u32 k = 0; k < 16; k++)
            v[k] = b(0x2090 + 4 * k + j);
        con_printf("  %d  %3d %3d %3d %3d %3d %3d %3d %3d  %3d %3d %3d %3d %3d %3d %3d %3d\n", j, v[0], v[1],
                   v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15]);
    }
    static const char* const file_states[7] = {"Free ", "Asgnd", "Open ", "Busy ", "Ready", "EOF/D", "Abort"};
    con_printf("\nFile handles ($2150..$2345):\nFil Type FStat Job Bank Chan SVC DStat OStat Done BfAdr SRBAd SRBRt FilRt Cmd\n"
               "--- ---- ----- --- ---- ---- --- ----- ----- ---- ----- ----- ----- ----- ---\n");
    for (u32 f = 0; f < 22; f++) {
        const u8 state = b(0x2150 + f), job = b(0x2166 + f);
        con_printf(" %2d %s%s", f, f <= 7 ? "Real " : "Virt ", state <= 6 ? file_states[state] : "?    ");
        con_printf(" %3d%c %3d  %3d $%02X   $%02X   $%02X  %3d $%02X%02X $%02X%02X $%02X%02X $%02X%02X $%02X \n",
                   job, job > 3 ? '!' : ' ', b(0x217C + f), b(0x2192 + f), b(0x21A8 + f), b(0x21BE + f),
                   b(0x21D4 + f), b(0x21EA + f), b(0x2200 + 2 * f), b(0x2201 + 2 * f), b(0x222C + 2 * f),
                   b(0x222D + 2 * f), b(0x2258 + 2 * f), b(0x2259 + 2 * f), b(0x2284 + 2 * f),
                   b(0x2285 + 2 * f), b(0x22B0 + f));
    }
    con_printf("\nFil Drv Sec Trk IOBuf Seq BytToDo LenSec SecToDo LenLst BlkByt BlkBit Bitmap\n"
               "--- --- --- --- ----- --- ------- ------ ------- ------ ------ ------ ------\n");
    for (u32 f = 0; f < 8; f++)
        con_printf(" %2d %3d %3d %3d $%02X%02X %3d     %3d  $%02X%02X   $%02X%02X    %3d    %3d    %3d  $%02X%02X\n",
                   f, b(0x22C6 + f), b(0x22CE + f), b(0x22D6 + f), b(0x22DE + 2 * f), b(0x22DF + 2 * f),
                   b(0x22EE + f), b(0x22F6 + f), b(0x22FE + 2 * f), b(0x22FF + 2 * f), b(0x230E + 2 * f),
                   b(0x230F + 2 * f), b(0x231E + f), b(0x2326 + f), b(0x232E + f), b(0x2336 + 2 * f),
                   b(0x2337 + 2 * f));
    const u32 devices = twin_dosversion == 0 ? 0x235C : 0x2346;
    con_printf("\nDevices ($%X..$%X):\nDev Rdyns Sta.Done ToDo Ech Actv SVC Bnk IOAdr RgAdr DID Avl Typ HnAdr  Name\n"
               "--- ----- --- ---- ---- --- ---- --- --- ----- ----- --- --- --- ----- ------\n",
               devices, devices + 347);
    static const char* const device_states[4] = {"Ready", "Busy ", "Down ", "?    "};
    for (u32 d = 0; d < 16; d++) {
        const u32 B = devices;
        const u8 state = b(B + d);
        con_printf(" %2d %s", d, state <= 3 ? device_states[state] : "");
        con_printf(" $%02X  %3d  %3d %3d  %3d $%02X $%02X $%02X%02X $%02X%02X $%02X $%02X $%02X $%02X%02X ",
                   b(B + 16 + d), b(B + 32 + d), b(B + 48 + d), b(B + 64 + d), b(B + 80 + d), b(B + 96 + d),
                   b(B + 112 + d), b(B + 128 + 2 * d), b(B + 129 + 2 * d), b(B + 160 + 2 * d),
                   b(B + 161 + 2 * d), b(B + 192 + d), b(B + 208 + d), b(B + 224 + d), b(B + 241 + 3 * d),
                   b(B + 242 + 3 * d));
        if (d == 15)
            con_printf("(Disk)\n");
        else
            con_printf("\"%c%c%c%c\"\n", con_shown_char(b(B + 288 + 4 * d)),
                       con_shown_char(b(B + 289 + 4 * d)), con_shown_char(b(B + 290 + 4 * d)),
                       con_shown_char(b(B + 291 + 4 * d)));
    }
    const u32 floppies = twin_dosversion == 0                          ? 0x24B9
                         : twin_dosversion == 2 || twin_dosversion == 3 ? 0x24B7
                                                                        : 0x24A3;
    con_printf("\nFloppy disk drives ($%X..$%X):\nDrive Status  Files    ID Bitmap\n----- ------- ----- ----- ------\n",
               floppies, floppies + 47);
    static const char* const drive_states[3] = {"Invalid", "Valid  ", "Unavail"};
    for (u32 d = 0; d < 8; d++) {
        const u8 state = b(floppies + d);
        con_printf("    %d %s   %3d %5d  $%02X%02X\n", d, state <= 2 ? drive_states[state] : "?      ",
                   b(floppies + 8 + d), master_word(floppies + 16 + 2 * d), b(floppies + 32 + 2 * d),
                   b(floppies + 33 + 2 * d));
    }
    con_printf("\n");
    twin_sdos_commands(0);
}
