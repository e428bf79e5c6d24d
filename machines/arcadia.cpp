#include "machines/arcadia.h"

#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "input/collision_feedback.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/netplay.h"
#include "input/paddles.h"
#include "machines/arcadia_editor.h"
#include "machines/arcadia_views.h"
#include "machines/chip_watch.h"
#include "machines/uvi2637.h"
#include "platform/catalog.h"
#include "input/controls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

u32 arcadia_coverage_bit(u32 a) {
    if (in(a, 0x18F0, 0x18F7)) return 1u << (a - 0x18F0);
    if (in(a, 0x18FC, 0x1908)) return 1u << (a - 0x18FC + 8);
    if (in(a, 0x19F8, 0x19FF)) return 1u << (a - 0x19F8 + 21);
    return 0;
}

void arcadia_chip_coverage(ChipCoverage* out) {
    out->title = "UVI accesses:\n";
    out->count = 0;
    for (u32 a = 0x18F0; a <= 0x19FF; a++)
        if (const u32 bit = arcadia_coverage_bit(a)) {
            out->address[out->count] = a;
            out->bit[out->count++] = static_cast<u8>(__builtin_ctz(bit));
        }
}

// Every unmapped or write-only byte reads as $FF on the Arcadia's bus.
static u8 unreadable(u32) {
    return 0xFF;
}

// The UVI draws while its line counter ($18FF) is at or below $FC; the two
// collision registers at $19FE/$19FF are busy during the vertical blank too.
static void redraw_access(u32 a, u8 value, bool write) {
    const u8 line = guest_memory[0x18FF];
    const bool uvi_byte = (mem_attributes[a] & MEM_HW_REGISTER) || in(a, 0x1980, 0x19BF);
    if (write) {
        if (line > 0xFC || !uvi_byte) return;
        con_printf(
            cat_str(
                967,
                "Instruction at %s (raster %d) wrote $%02X to UVI address %s during redraw!\n\n"),
            cpu_address_text(cpu_iar, 0), raster_line, value, cpu_address_text(a, 1));
        dbg_request_pause(PAUSE_LOG);
        return;
    }
    const bool drawing = line <= 0xFC || (line == 0xFF && (a == 0x19FE || a == 0x19FF));
    if (!drawing || a == 0x18FF || !uvi_byte) return;
    con_printf(
        cat_str(966, "Instruction at %s (raster %d) read from UVI address %s during redraw!\n\n"),
        cpu_address_text(cpu_iar, 0), raster_line, cpu_address_text(a, 1));
    dbg_request_pause(PAUSE_LOG);
}

// The watch annotation of a value: its bits as the UVI register uses them.
static void describe_value(u8 value, u32 address, char* out, std::size_t size) {
    uvi_describe_bits(value, address, out, size);
}

constexpr CpuDebugHooks arcadia_debug_hooks{
    .char_style = [] { return CHARS_GUEST; },
    .guest_char = arcadia_guest_char,
    .describe_value = describe_value,
    .redraw_access = redraw_access,
    .report_uninitialised = true,
};

void arcadia_bus_install() {
    // A stop in mid-line shows the line drawn up to the beam.
    cpu_bus.picture_due = uvi_beam_flush;
    cpu_bus.unreadable = unreadable;
    cpu_bus.read_once_value = 0xFF;
    cpu_bus.coverage_bit = arcadia_coverage_bit;
    cpu_bus.strange_ports = true;
}

// ---- memory map, set-up, reset, cartridge ----------------------------------------------

namespace {

// The title-screen program the machine starts when no game is loaded. Source:
// resources/stubs/arcadia.asm. It sets the character area, the colours and
// prints EMERSON and ARCADIA on rows 5 and 7, then loops.
constexpr u8 STUB_CODE[] = {
    0x04,
    0xEF, // 0000 LODI,R0 $EF     area starts 16 lines down
    0xCC,
    0x18,
    0xFC, // 0002 STRA,R0 $18FC
    0x04,
    0x0E, // 0005 LODI,R0 $0E     16-line rows, foreground bit, blue
    0xCC,
    0x19,
    0xF9, // 0007 STRA,R0 $19F9
    0x04,
    0x00, // 000A LODI,R0 0
    0xCC,
    0x19,
    0xF8, // 000C STRA,R0 $19F8   13 rows, normal set
    0xCC,
    0x18,
    0xFE, // 000F STRA,R0 $18FE   no scroll, silent
    0xCC,
    0x18,
    0xFD, // 0012 STRA,R0 $18FD   character mode
    0x07,
    0x07, // 0015 LODI,R3 7
    0x0F,
    0x60,
    0x26, // 0017 LODA,R0 $0026,R3
    0xCF,
    0x78,
    0x53, // 001A STRA,R0 $1853,R3
    0x0F,
    0x60,
    0x2D, // 001D LODA,R0 $002D,R3
    0xCF,
    0x78,
    0x73, // 0020 STRA,R0 $1873,R3
    0xFB,
    0x72, // 0023 BDRR,R3 $0017
    0x1B,
    0x7E, // 0025 BCTR,UN $0025
    // 0027 "EMERSON" in yellow
    0x1E,
    0x26,
    0x1E,
    0x2B,
    0x2C,
    0x28,
    0x27,
    // 002E "ARCADIA" in red
    0x9A,
    0xAB,
    0x9C,
    0x9A,
    0x9D,
    0xA2,
    0x9A,
};

constexpr std::array<u8, ARCADIA_STUB_SIZE> build_stub() {
    std::array<u8, ARCADIA_STUB_SIZE> stub{};
    for (std::size_t i = 0; i < sizeof STUB_CODE; i++)
        stub[i] = STUB_CODE[i];
    return stub;
}

constexpr std::array<u8, ARCADIA_STUB_SIZE> STUB = build_stub();

// The fold of address a onto its canonical address.
u16 mirror_of(u32 a, u32 map) {
    if (map == 8) return static_cast<u16>(in(a, 0x1B00, 0x1BFF) ? a - 0x200 : a);
    if (!(a & 0x1000)) return static_cast<u16>((a & 0x5000) == 0x4000 ? a & 0x0FFF : a);
    u32 m = a & 0x1FFF;
    if (a & 0x0100) m = (a & 0x11FF) + 0x800;
    if (in(m, 0x1400, 0x17FF) || m >= 0x1C00) m -= 0x400;
    if (map == 6 && in(m, 0x1000, 0x13FF)) m += 0x800;
    return static_cast<u16>(m);
}

u32 attributes_of(u32 a, u32 map) {
    u32 f = 0;
    if (in(a, 0x18F0, 0x18F7) || a == 0x18FC)
        f = MEM_HW_REGISTER;
    else if (in(a, 0x18FD, 0x18FE))
        f = MEM_HW_REGISTER | MEM_SOUND;
    else if (in(a, 0x18FF, 0x1908))
        f = MEM_HW_REGISTER | MEM_UNWRITABLE;
    else if (in(a, 0x1909, 0x190F) || in(a, 0x19C0, 0x19F7))
        f = MEM_UNREADABLE | MEM_UNWRITABLE;
    else if (in(a, 0x1910, 0x197F))
        f = MEM_UNWRITABLE;
    else if (in(a, 0x19F8, 0x19FB))
        f = MEM_HW_REGISTER | MEM_UNREADABLE;
    else if (in(a, 0x19FC, 0x19FF))
        f = MEM_HW_REGISTER | MEM_UNWRITABLE | MEM_READ_ONCE;
    else if (a < 0x1000 || a >= 0x1B00)
        f = MEM_UNWRITABLE;
    if (map == 8) {
        f &= ~MEM_UNWRITABLE;
        if (a < 0x1800 || a >= 0x1C00) f |= MEM_UNWRITABLE;
    }
    return f;
}

} // namespace

const u8* const arcadia_stub_program = STUB.data();

static constexpr ArcadiaGameKeys NO_GAME_KEYS = {-1, 0, {-1, -1, -1, -1}};
ArcadiaGameKeys arcadia_game_keys = NO_GAME_KEYS;

void arcadia_take_row(const KnownGame& row) {
    arcadia_game_keys.start_row = row.start_key_row;
    arcadia_game_keys.start_side = row.start_key_side ? 1 : 0;
    for (int i = 0; i < 4; i++)
        arcadia_game_keys.axis[i] = row.paddle_keys[i];
    std::memcpy(uvi_dejitter_lines, row.dejitter_lines, sizeof uvi_dejitter_lines);
    uvi_demux_configure(row.deflicker_sprites, row.deflicker_depth, row.deflicker_second,
                        row.deflicker_first, row.deflicker_last);
}

// ---- what the board hands the UVI ---------------------------------------------------------

namespace {

void report_watched_write(u32 address, u8 value) {
    chip_report_watched_write("UVI", address, value, [](u8 v, u32 a) {
        uvi_describe_bits(v, a, watch_annotation, sizeof watch_annotation);
    });
}

i32 frame_pixel(i32 x, i32 y) {
    if (x < display_window_left || x > display_window_right || y < display_window_top ||
        y > display_window_bottom)
        return -1;
    return guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS + (y - display_window_top)];
}

void uvi_host_install() {
    uvi_host = {
        .clock = &raster_clock,
        .first_visible_line = &first_visible_line,
        .lines_per_frame = &lines_per_frame,
        .border_clocks = &border_clocks,
        .frame_counter = &frame_counter,
        .region = &emu_region,
        .collisions = &collisions,
        .dejitter = &dejitter,
        .flagline = &flagline,
        .artefacts = &artefacts,
        .demultiplex = &demultiplex,
        .sprite_mode = &sprite_mode,
        .plot_row = display_plot_row,
        .fill_row = display_fill_row,
        .plot_pixel = display_plot_clipped,
        .frame_pixel = frame_pixel,
        .watched_write = report_watched_write,
    };
}

} // namespace

void arcadia_take_game() {
    const i32 id = known_game_id;
    std::int8_t glyphs = -1;
    if (id == 5) glyphs = 0;
    if (id == 2) glyphs = 1;
    uvi_game = {
        .known = id != -1,
        .artefact_glyphs = glyphs,
        .keeps_collisions = id == 48 || id == 49,
        .recolours_sprites = id == 31,
        .sprites_stay = id == 1 || id == 3,
        .bitmap = id == 6 || id == 7,
    };
}

void arcadia_setup() {
    uvi_host_install();
    program_loaded = 0;
    if (randomizememory) {
        for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
            guest_memory[a] = static_cast<u8>(std::rand());
        for (u32 a = 0x1909; a <= 0x190F; a++)
            guest_memory[a] = (std::rand() & 1) ? 0xC0 : 0x40;
    } else {
        std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
        std::memset(guest_memory + 0x1909, 0x40, 7);
    }
    if (stubprograms) std::memcpy(guest_memory, STUB.data(), ARCADIA_STUB_SIZE);
    std::memset(guest_memory + 0x19C0, 0xFF, 0x38);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = attributes_of(a, memmap);
        mem_read_mirror[a] = mem_write_mirror[a] = mirror_of(a, memmap);
    }
    cpu_traps_mark();
    // A known game's row sets its own.
    uvi_demux_configure(0, 0, 0, 0, -1);
    std::memset(uvi_dejitter_lines, 0, sizeof uvi_dejitter_lines);
    arcadia_game_keys = NO_GAME_KEYS;
    cpu_beam_clock = 0;
    video_set_line_length(227);
}

void arcadia_reset() {
    uvi_reset();
    std::memset(guest_memory + 0x1800, 0, 0x800);
    std::memset(guest_memory + 0x1909, 0xC0, 7);
    std::memset(guest_memory + 0x19C0, 0xFF, 0x38);
}

// The blocks of a cartridge image, in image order.
static constexpr u16 CART_BLOCKS[][2] = {
    {0x0000, 0x1000}, {0x2000, 0x1000}, {0x4000, 0x1000},
    {0x6000, 0x1000}, {0x3000, 0x1000}, {0x5000, 0x1000},
    {0x7000, 0x1000}, {0x1000, 0x0800}, {0x1C00, 0x8000 - 0x1C00},
};

void arcadia_map_cartridge(bool) {
    const u32 size = filebuf_length < ARCADIA_CART_MAX ? filebuf_length : ARCADIA_CART_MAX;
    u32 placed = 0;
    for (const auto& block : CART_BLOCKS) {
        if (placed >= size) break;
        const u32 length = size - placed < block[1] ? size - placed : block[1];
        std::memcpy(guest_memory + block[0], filebuf + placed, length);
        placed += length;
    }
    if (known_game_id == 0 || known_game_id == 122)
        std::memcpy(guest_memory + 0x4000, guest_memory + 0x2000, 0x800);
}

// ---- inputs ---------------------------------------------------------------------------------

namespace {

// Register and bit of key rows 1-16 for the left player (the right player's
// register is 4 higher).
constexpr u8 KEY_ROWS[17][2] = {
    {0, 0},    {0x00, 8}, {0x01, 8}, {0x02, 8}, {0x00, 4}, {0x01, 4},
    {0x02, 4}, {0x00, 2}, {0x01, 2}, {0x02, 2}, {0x00, 1}, {0x01, 1},
    {0x02, 1}, {0x03, 1}, {0x03, 2}, {0x03, 4}, {0x03, 8},
};

void press_row(u8 keys[4], i32 row) {
    if (row >= 1 && row <= 16) keys[KEY_ROWS[row][0]] |= KEY_ROWS[row][1];
}

bool held(u16 key) {
    return key < RAW_NONE && host_key_down(key);
}

void write_paddle(int side, i32 x, i32 y) {
    const i32 value = (uvi_bg_latch & 0x40) ? x : y;
    uvi_write_register(0x19FF - static_cast<u32>(side), static_cast<u8>(value & 0xFF));
}

} // namespace

void arcadia_read_side(int player, int side) {
    const u32 base = 0x1900 + 4 * static_cast<u32>(side);
    if (rec_state == REC_PLAYBACK) {
        const u8 a = rec_read_byte(), b = rec_read_byte(), c = rec_read_byte();
        uvi_write_register(0x19FF - static_cast<u32>(side), a);
        (uvi_bg_latch & 0x40 ? paddle_x[side] : paddle_y[side]) = a;
        uvi_write_register(base, b >> 4);
        uvi_write_register(base + 1, b & 15);
        uvi_write_register(base + 2, c >> 4);
        uvi_write_register(base + 3, c & 15);
        return;
    }
    // Over a netplay link the peer's side comes from the peer.
    if ((net_mode == NET_CLIENT && side == 0) || (net_mode == NET_SERVER && side == 1)) return;
    const u32 port = input_player_port_bits(player);
    const u16* host = player_keys[player];
    const bool autofire = player == 0 ? autofire_left : autofire_right;
    const bool need_button = player == 0 ? requirebutton_left : requirebutton_right;
    u8 keys[4] = {0, 0, 0, 0};

    i32 fire_row = fire_button_assign[0];
    if (known_game_id == 105 && frame_counter % 30 >= 15) fire_row = fire_button_assign[1];
    bool fire = (port & JOY_BUTTON1) != 0 || held(host[GK_FIRE1]);
    if (fire_row >= 1 && fire_row <= 12 && (port & (1u << (fire_row - 1)))) fire = true;
    if (autofire) {
        const u32 period = autofire_period > 0 ? static_cast<u32>(autofire_period) : 1;
        const bool on = frame_counter % period < static_cast<u32>(autofire_duty);
        fire = on && (fire || !need_button);
    }
    if (fire) press_row(keys, fire_row);
    static constexpr int FIRE_KEYS[3] = {GK_FIRE2, GK_FIRE3, GK_FIRE4};
    for (int b = 1; b < 4; b++)
        if ((port & (JOY_BUTTON1 << b)) || held(host[FIRE_KEYS[b - 1]]))
            press_row(keys, fire_button_assign[b]);

    for (i32 row = 1; row <= 16; row++) {
        if (autofire && row == fire_button_assign[0]) continue;
        const bool pad = row <= 12 && (port & (1u << (row - 1)));
        if (pad || held(host[GK_KEYPAD1 + row - 1])) press_row(keys, row);
    }
    input_update_paddle(player, side);
    // Games steered by keys read a paddle at either end as those keys.
    const std::int8_t* axis = arcadia_game_keys.axis;
    const i32 values[2] = {paddle_y[side], paddle_x[side]};
    for (int a = 0; a < 2; a++) {
        if (values[a] <= 64) press_row(keys, axis[2 * a]);
        if (values[a] >= 192) press_row(keys, axis[2 * a + 1]);
    }
    for (u32 i = 0; i < 4; i++)
        uvi_write_register(base + i, keys[i]);
    write_paddle(side, paddle_x[side], paddle_y[side]);
}

void arcadia_read_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    // $19FD's pair bits come in the order of the feedback table's pairs.
    collision_feedback_request(uvi_collisions_found.pairs, 0, uvi_collisions_found.background);
    uvi_collisions_found = {};
    const int first = swapped ? 1 : 0;
    arcadia_read_side(first, 0);
    arcadia_read_side(1 - first, 1);
    rumble_request[0] = rumble_request[1] = 0;
    if (rec_state == REC_PLAYBACK) {
        uvi_write_register(0x1908, rec_read_byte());
        arcadia_net_exchange(false); // the recording gives the inputs; the link keeps step
    } else {
        u8 console = 0;
        const u32 either = joy_bits[0] | joy_bits[1];
        static constexpr u32 PAD_BITS[3] = {JOY_START, JOY_REVERSE, JOY_FORWARD};
        for (int k = 0; k < 3; k++)
            if (input_console_button_held(k) || (either & PAD_BITS[k]))
                console |= static_cast<u8>(1u << k);
        const i32 start_row = arcadia_game_keys.start_row;
        if ((console & 1) && start_row >= 1 && start_row <= 16) {
            const u32 address = 0x1900 + 4u * arcadia_game_keys.start_side + KEY_ROWS[start_row][0];
            uvi_write_register(address, guest_memory[address] | KEY_ROWS[start_row][1]);
        }
        uvi_write_register(0x1908, console);
        input_virtual_key_apply();
        arcadia_net_exchange(true);
        if (rec_state == REC_RECORDING) {
            for (u8 byte : arcadia_input_record())
                rec_write_byte(byte);
        }
    }
    input_console_buttons_tick();
}

// The netplay record: the own side's keypad nibbles in pairs, its paddle, and
// (from the server only) the console keys. The server's side is player 1's
// registers ($1900-$1903, $19FF), the client's player 2's ($1904-$1907, $19FE).
std::array<u8, ARCADIA_NET_RECORD> arcadia_net_record(bool server) {
    const u8* m = guest_memory;
    const u32 keys = server ? 0x1900 : 0x1904;
    return {static_cast<u8>((m[keys] & 15) << 4 | (m[keys + 1] & 15)),
            static_cast<u8>((m[keys + 2] & 15) << 4 | (m[keys + 3] & 15)),
            m[server ? 0x19FF : 0x19FE], server ? m[0x1908] : u8{0}};
}

void arcadia_net_exchange(bool apply) {
    if (!net_connected()) return;
    const bool server = net_mode == NET_SERVER;
    const auto own = arcadia_net_record(server);
    u8 peer[ARCADIA_NET_RECORD + 1];
    if (!net_exchange(own.data(), ARCADIA_NET_RECORD, peer) || !apply) return;
    const u32 keys = server ? 0x1904 : 0x1900;
    uvi_write_register(keys, peer[0] >> 4);
    uvi_write_register(keys + 1, peer[0] & 15);
    uvi_write_register(keys + 2, peer[1] >> 4);
    uvi_write_register(keys + 3, peer[1] & 15);
    uvi_write_register(server ? 0x19FE : 0x19FF, peer[2]);
    if (!server) uvi_write_register(0x1908, peer[3]); // the server's console keys rule
}

std::array<u8, ARCADIA_RECORD_SIZE> arcadia_input_record() {
    const u8* m = guest_memory;
    return {m[0x19FF],
            static_cast<u8>(m[0x1900] << 4 | (m[0x1901] & 15)),
            static_cast<u8>(m[0x1902] << 4 | (m[0x1903] & 15)),
            m[0x19FE],
            static_cast<u8>(m[0x1904] << 4 | (m[0x1905] & 15)),
            static_cast<u8>(m[0x1906] << 4 | (m[0x1907] & 15)),
            m[0x1908]};
}

// ---- the frame ------------------------------------------------------------------------------

namespace {

// The processor idles on a branch to itself (cpu_idles) and no watch looks at
// the collision registers the UVI writes between its instructions: until the
// line ends, its instructions change nothing that the beam draws from, so the
// beam draws on in one piece and the instructions are counted out.
bool idling() {
    return cpu_idles() && !((mem_attributes[0x19FC] | mem_attributes[0x19FD]) & MEM_WATCH);
}

// The last yes of the idle test in this frame, while no instruction has run:
// an idle line hands it to the next, which need not ask again.
BeamIdleMark idle_mark;

inline bool idling_marked() {
    return beam_idling_marked(idle_mark, idling);
}

// The beam mode's pieces below (the processor up to a clock, the border, the
// visible clocks) run once or more every raster line, and on a busy line
// their calls cost as much as their own work: they are inlined into the frame
// loop.

// The processor's instructions up to beam clock `target`, while it does not
// idle. True when it idles before `target`: its runs are left to count out,
// for a caller that may count them with the runs of what follows at once.
[[gnu::always_inline]] inline bool run_cpu_until_idle(i32 target) {
    raster_clock = cpu_beam_clock;
    while (cpu_beam_clock < target) {
        if (idling_marked()) [[unlikely]]
            return true;
        beam_step_one();
        raster_clock = cpu_beam_clock;
    }
    beam_wrap_to_next_line();
    return false;
}

// The processor up to beam clock `target`, its idle runs counted out.
void run_cpu_to_x(i32 target) {
    if (!run_cpu_until_idle(target)) return;
    beam_idle_to(target);
    raster_clock = cpu_beam_clock;
    beam_wrap_to_next_line();
}

// The processor's instruction at its beam clock when that lies in [x, end):
// that clock, or `end` when the processor does not start one there.
inline i32 next_step(i32 x, i32 end) {
    return cpu_beam_clock >= x && cpu_beam_clock < end ? cpu_beam_clock : end;
}

// The instruction that begins at raster_clock.
inline void step_at_beam() {
    beam_step_one();
    beam_wrap_to_next_line();
}

void run_cpu_line() {
    cpu_cycle_budget += static_cast<i32>(cycles_per_line_table[uvi_line_slice & 3]);
    uvi_line_slice++;
    // The processor's own slice runner: the overshoot stays in the budget.
    cpu_run_cycles();
}

void set_vblank() {
    cpu_psu |= PSU_S;
    uvi_write_register(0x18FF, 0xFD);
}

// The clocks before the visible part of the line, drawn up to each
// instruction the processor begins there; the instruction follows its clock.
// The border's cells stay clear as they are: nothing marks them (a sprite
// begins at clock 29 at the earliest, the picture at 49).
[[gnu::always_inline]] inline void border() {
    i32 x = 0;
    for (;;) {
        const i32 step = cpu_beam_clock;
        const bool due = step >= x && step < border_clocks;
        if (!dejitter) uvi_refresh_colour_row();
        const u32 colour = uvi_colour_table[uvi_colour_row][uvi_bg_latch & 7];
        // The rest in one piece when no instruction begins there, or when the
        // processor idles (an instruction that ran past the line's end put it
        // on this line: its runs are this line's to count).
        if (!due || idling_marked()) {
            display_fill_row(x, raster_line, border_clocks - x, colour);
            if (due) {
                beam_idle_to(border_clocks);
                beam_wrap_to_next_line();
            }
            break;
        }
        display_fill_row(x, raster_line, step + 1 - x, colour);
        x = step + 1;
        raster_clock = step;
        step_at_beam();
    }
    raster_clock = border_clocks;
}

// The visible clocks from x to the line's end while the processor idles:
// drawn in one piece, its runs counted out.
inline void idle_to_line_end(i32 x) {
    uvi_render_span(x, UVI_LINE_CLOCKS);
    beam_idle_to(UVI_LINE_CLOCKS);
    beam_wrap_to_next_line();
}

// The visible clocks of the line in the same way, through the UVI. `idles`:
// the processor was found idling before clock 49 with nothing run since, its
// runs not yet counted out: the whole line is drawn in one piece, and those
// runs are counted with the rest of the line's (nothing the drawing reads
// tells them apart).
[[gnu::always_inline]] inline void visible_pixels(bool idles) {
    i32 x = 49;
    if (idles) {
        idle_to_line_end(x);
        x = UVI_LINE_CLOCKS;
    }
    // Before each instruction below the test is asked afresh, unmarked but
    // for the one that ends the line idle.
    if (!idles) idle_mark.set = false;
    while (x < UVI_LINE_CLOCKS) {
        // While the line drawn ahead stands, an instruction only moves the
        // clock up to which it is handed on: the same as a span up to the
        // instruction's clock, without asking for one. What it stands on is
        // taken once: before its next collision only the Flag, the block set
        // before column 0 and a pause (which hands the line on) can end it.
        if (const i32 until = uvi_beam_stands_until(x); until > x) {
            const u8 flag_mask = uvi_beam.flag_mask, flag_want = uvi_beam.flag_want;
            const u8 block0 = uvi_beam.block0;
            const i32 x0 = uvi_beam.x0, line = raster_line;
            bool stands = true;
            // An instruction that runs past the line's end leaves the beam
            // clock past `until`, which ends the loop; the clock goes on to
            // the next line after it. A pause in an instruction hands the
            // line on, which ends the loop too: uvi_beam_flush leaves no
            // clock to stand until. The line goes on from `x` only as long
            // as it stands, so that is set once after the loop.
            if (cpu_beam_clock >= x) {
                for (i32 step = cpu_beam_clock; step < uvi_beam.next_collision && !idling();
                     step = cpu_beam_clock) {
                    uvi_beam.pending_to = x = step + 1;
                    raster_clock = step;
                    beam_step_one();
                    if ((cpu_psu & flag_mask) != flag_want ||
                        (x <= x0 && guest_memory[0x19F8] >> 7 != block0)) {
                        stands = false;
                        break;
                    }
                }
                uvi_beam.next = x;
                stands = stands && uvi_beam.line == line;
                beam_wrap_to_next_line();
            }
            // The processor's next instruction is on the next line and the
            // line stands with no collision left: the rest of it is handed
            // on, as the span to its end below would be.
            if (stands && until == UVI_LINE_CLOCKS && cpu_beam_clock < x) {
                uvi_beam.next = uvi_beam.pending_to = x = UVI_LINE_CLOCKS;
                break;
            }
        }
        if (cpu_beam_clock >= x && idling()) {
            beam_idle_mark_here(idle_mark);
            idle_to_line_end(x);
            x = UVI_LINE_CLOCKS;
            break;
        }
        const i32 step = next_step(x, UVI_LINE_CLOCKS);
        const i32 end = step < UVI_LINE_CLOCKS ? step + 1 : UVI_LINE_CLOCKS;
        uvi_render_span(x, end);
        x = end;
        if (step < UVI_LINE_CLOCKS) {
            raster_clock = step;
            step_at_beam();
        }
    }
    raster_clock = x;
    uvi_beam_flush();
}

void beam_frame() {
    idle_mark = {}; // between frames anything may change
    raster_line = 0;
    dbg_check_raster_breakpoint();
    border();
    set_vblank();
    uvi_line_status[0] = guest_memory[0x18FF] & 15;
    run_cpu_to_x(UVI_LINE_CLOCKS);
    for (raster_line = 1; raster_line < first_visible_line; raster_line++) {
        dbg_check_raster_breakpoint();
        uvi_line_status[raster_line] = guest_memory[0x18FF] & 15;
        run_cpu_to_x(UVI_LINE_CLOCKS);
    }
    dbg_check_raster_breakpoint();
    run_cpu_to_x(border_clocks);
    uvi_frame_latch();
    uvi_refresh_colour_row();
    uvi_bg_latch = guest_memory[0x19F9];
    uvi_line_start();
    visible_pixels(run_cpu_until_idle(49));
    for (raster_line = first_visible_line + 1; raster_line < lines_per_frame; raster_line++) {
        dbg_check_raster_breakpoint();
        border();
        if (raster_line == input_line) arcadia_read_inputs();
        uvi_line_start();
        visible_pixels(run_cpu_until_idle(49));
    }
}

void line_frame() {
    raster_line = 0;
    set_vblank();
    for (raster_clock = 0; raster_clock < border_clocks; raster_clock++)
        display_plot_beam(uvi_bg_colour);
    for (raster_line = 0; raster_line < first_visible_line; raster_line++) {
        dbg_check_raster_breakpoint();
        uvi_line_status[raster_line] = guest_memory[0x18FF] & 15;
        run_cpu_line();
    }
    uvi_frame_latch();
    for (raster_line = first_visible_line; raster_line < lines_per_frame; raster_line++) {
        dbg_check_raster_breakpoint();
        if (raster_line == input_line) arcadia_read_inputs();
        uvi_render_scanline();
        run_cpu_line();
    }
    if (!uvi_sprites_done) uvi_draw_sprites();
}

} // namespace

void arcadia_run_frame() {
    in_frame = 1;
    arcadia_take_game();
    uvi_line_based = framebased ? 1 : 0;
    uvi_frame_begin();
    if (framebased)
        line_frame();
    else
        beam_frame();
    raster_line = lines_per_frame - 1;
    uvi_frame_end();
    arcadia_frame_overlays();
    emu_end_of_frame();
}

u8 arcadia_guest_char(u8 code) {
    return static_cast<u8>(uvi_char_codes[code & 63]);
}
