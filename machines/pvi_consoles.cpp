#include "machines/pvi_editor.h"
#include "machines/pvi_consoles.h"

#include "core/message.h"
#include "core/recording.h"
#include "core/machine_ops.h"
#include "core/seams_services.h"
#include "peripherals/tape.h"
#include "core/settings_vars.h"
#include "cpu/debug_state.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "machines/chip_watch.h"
#include "machines/elektor_texts.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "cpu/exec.h"
#include "display/frame.h"
#include "input/collision_feedback.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/netplay.h"
#include "input/paddles.h"
#include "platform/catalog.h"
#include "sound/voice_update.h"
#include "input/controls.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

static constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

namespace {

// The coverage bit of each offset in the PVI's page: the four objects'
// position registers (bits 0-15), the size and colour registers (16-19), and
// the background, sound, score and status registers (20-27); 0 elsewhere.
// Every read and write of a chip register asks for it, so it is one lookup.
constexpr std::array<u32, 256> pvi_register_bits = [] {
    std::array<u32, 256> bits{};
    constexpr struct {
        u32 first, last, bit;
    } RANGES[] = {{0x0A, 0x0D, 0},  {0x1A, 0x1D, 4},  {0x2A, 0x2D, 8},
                  {0x4A, 0x4D, 12}, {0xC0, 0xC3, 16}, {0xC6, 0xCD, 20}};
    for (const auto& r : RANGES)
        for (u32 off = r.first; off <= r.last; off++)
            bits[off] = 1u << (off - r.first + r.bit);
    return bits;
}();

} // namespace

u32 pvi_coverage_bit(u32 a) {
    const u32 off = a - pvi_base; // wraps above the page when a < pvi_base
    if (off < 256 && pvi_register_bits[off]) return pvi_register_bits[off];
    if (a == 0x1E80) return 1u << 28;
    if (in(a, 0x1E88, 0x1E8A)) return 1u << 29;
    if (a == 0x1E8B) return 1u << 30;
    if (in(a, 0x1E8C, 0x1E8E)) return 1u << 31;
    return 0;
}

namespace {
// Each PVI names its objects' coordinates and its registers; the second and
// third PVI number their objects on (4-7, 8-11) and their paddles (P3-P6).
constexpr BuiltinLabel PVI_ROWS[] = {
    {325, 0x000A, "SPRITE0AX", 'D'},      {326, 0x000B, "SPRITE0BX", 'D'},
    {327, 0x000C, "SPRITE0AY", 'D'},      {328, 0x000D, "SPRITE0BY", 'D'},
    {329, 0x001A, "SPRITE1AX", 'D'},      {330, 0x001B, "SPRITE1BX", 'D'},
    {331, 0x001C, "SPRITE1AY", 'D'},      {332, 0x001D, "SPRITE1BY", 'D'},
    {333, 0x002A, "SPRITE2AX", 'D'},      {334, 0x002B, "SPRITE2BX", 'D'},
    {335, 0x002C, "SPRITE2AY", 'D'},      {336, 0x002D, "SPRITE2BY", 'D'},
    {337, 0x004A, "SPRITE3AX", 'D'},      {338, 0x004B, "SPRITE3BX", 'D'},
    {339, 0x004C, "SPRITE3AY", 'D'},      {340, 0x004D, "SPRITE3BY", 'D'},
    {341, 0x00C0, "SIZES", 'D'},          {342, 0x00C1, "SPR01COLOURS", 'D'},
    {343, 0x00C2, "SPR23COLOURS", 'D'},   {344, 0x00C3, "SCORECTRL", 'D'},
    {345, 0x00C6, "BGCOLOUR", 'D'},       {346, 0x00C7, "PITCH", 'D'},
    {347, 0x00C8, "SCORELT", 'D'},        {348, 0x00C9, "SCORERT", 'D'},
    {349, 0x00CA, "BGCOLLIDE", 'D'},      {350, 0x00CB, "SPRITECOLLIDE", 'D'},
    {351, 0x00CC, "P1PADDLE", 'D'},       {352, 0x00CD, "P2PADDLE", 'D'},
    {358, 0x010A, "SPRITE4AX", 'D'},      {359, 0x010B, "SPRITE4BX", 'D'},
    {360, 0x010C, "SPRITE4AY", 'D'},      {361, 0x010D, "SPRITE4BY", 'D'},
    {362, 0x011A, "SPRITE5AX", 'D'},      {363, 0x011B, "SPRITE5BX", 'D'},
    {364, 0x011C, "SPRITE5AY", 'D'},      {365, 0x011D, "SPRITE5BY", 'D'},
    {366, 0x012A, "SPRITE6AX", 'D'},      {367, 0x012B, "SPRITE6BX", 'D'},
    {368, 0x012C, "SPRITE6AY", 'D'},      {369, 0x012D, "SPRITE6BY", 'D'},
    {370, 0x014A, "SPRITE7AX", 'D'},      {371, 0x014B, "SPRITE7BX", 'D'},
    {372, 0x014C, "SPRITE7AY", 'D'},      {373, 0x014D, "SPRITE7BY", 'D'},
    {374, 0x01C0, "SIZES2", 'D'},         {375, 0x01C1, "SPR45COLOURS", 'D'},
    {376, 0x01C2, "SPR67COLOURS", 'D'},   {377, 0x01C3, "SCORECTRL2", 'D'},
    {378, 0x01C6, "BGCOLOUR2", 'D'},      {379, 0x01C7, "PITCH2", 'D'},
    {380, 0x01C8, "SCORELT2", 'D'},       {381, 0x01C9, "SCORERT2", 'D'},
    {382, 0x01CA, "BGCOLLIDE2", 'D'},     {383, 0x01CB, "SPRITECOLLIDE2", 'D'},
    {384, 0x01CC, "P3PADDLE", 'D'},       {385, 0x01CD, "P4PADDLE", 'D'},
    {391, 0x020A, "SPRITE8AX", 'D'},      {392, 0x020B, "SPRITE8BX", 'D'},
    {393, 0x020C, "SPRITE8AY", 'D'},      {394, 0x020D, "SPRITE8BY", 'D'},
    {395, 0x021A, "SPRITE9AX", 'D'},      {396, 0x021B, "SPRITE9BX", 'D'},
    {397, 0x021C, "SPRITE9AY", 'D'},      {398, 0x021D, "SPRITE9BY", 'D'},
    {399, 0x022A, "SPRITE10AX", 'D'},     {400, 0x022B, "SPRITE10BX", 'D'},
    {401, 0x022C, "SPRITE10AY", 'D'},     {402, 0x022D, "SPRITE10BY", 'D'},
    {403, 0x024A, "SPRITE11AX", 'D'},     {404, 0x024B, "SPRITE11BX", 'D'},
    {405, 0x024C, "SPRITE11AY", 'D'},     {406, 0x024D, "SPRITE11BY", 'D'},
    {407, 0x02C0, "SIZES3", 'D'},         {408, 0x02C1, "SPR89COLOURS", 'D'},
    {409, 0x02C2, "SPR1011COLOURS", 'D'}, {410, 0x02C3, "SCORECTRL3", 'D'},
    {411, 0x02C6, "BGCOLOUR3", 'D'},      {412, 0x02C7, "PITCH3", 'D'},
    {413, 0x02C8, "SCORELT3", 'D'},       {414, 0x02C9, "SCORERT3", 'D'},
    {415, 0x02CA, "BGCOLLIDE3", 'D'},     {416, 0x02CB, "SPRITECOLLIDE3", 'D'},
    {417, 0x02CC, "P5PADDLE", 'D'},       {418, 0x02CD, "P6PADDLE", 'D'},
};
constexpr BuiltinLabel CONSOLE_ROWS[] = {
    {30, 0x1E80, "NOISE", 'D'},        {31, 0x1E88, "P1LEFTKEYS", 'D'},
    {32, 0x1E89, "P1MIDDLEKEYS", 'D'}, {33, 0x1E8A, "P1RIGHTKEYS", 'D'},
    {34, 0x1E8B, "CONSOLE", 'D'},      {35, 0x1E8C, "P2LEFTKEYS", 'D'},
    {36, 0x1E8D, "P2MIDDLEKEYS", 'D'}, {37, 0x1E8E, "P2RIGHTKEYS", 'D'},
};
} // namespace

extern const BuiltinLabels pvi_label_rows = builtin_labels(PVI_ROWS);
extern const BuiltinLabels console_label_rows = builtin_labels(CONSOLE_ROWS);

void pvi_chip_coverage(ChipCoverage* out, bool console_keys) {
    out->title = "PVI accesses:\n";
    out->count = 0;
    auto add = [out](u32 address, int bit) {
        out->address[out->count] = address;
        out->bit[out->count++] = static_cast<u8>(bit);
    };
    if (console_keys) {
        add(0x1E80, 28);
        add(0x1E89, 29);
        add(0x1E8B, 30);
        add(0x1E8D, 31);
    }
    static constexpr u32 FIRST[6] = {0x0A, 0x1A, 0x2A, 0x4A, 0xC0, 0xC6};
    static constexpr int COUNT[6] = {4, 4, 4, 4, 4, 8};
    int bit = 0;
    for (int g = 0; g < 6; g++)
        for (int i = 0; i < COUNT[g]; i++)
            add(pvi_base + FIRST[g] + i, bit++);
}

// The collision registers ($CC, $CD) read while the PVI is not in its vertical
// blank (bit 6 of $CB clear).
void pvi_redraw_access(u32 a, u8, bool write) {
    if (write) return;
    const u32 base = pvi_base & ADDR_MASK;
    if ((a == base + 0xCC || a == base + 0xCD) &&
        !(guest_memory[(base + 0xCB) & ADDR_MASK] & 0x40)) {
        con_printf(
            cat_str(972,
                    "Instruction at %s (raster %d) read from PVI address %s during redraw!\n\n"),
            cpu_address_text(cpu_iar, 0), raster_line, cpu_address_text(a, 1));
        dbg_request_pause(PAUSE_LOG);
    }
}

bool pvi_interrupt_vector(CpuVector* vector) {
    *vector = {0x0003, false};
    return true;
}

// ---- what every PVI board hands the chip ----------------------------------------------

namespace {

void (*board_describe)(u8 value, u32 address);

void report_watched_write(u32 address, u8 value) {
    chip_report_watched_write("PVI", address, value, board_describe);
}

} // namespace

void pvi_host_install(void (*describe)(u8 value, u32 address)) {
    board_describe = describe;
    pvi_collisions_found = {}; // nothing from the machine before
    pvi_host = {
        .clock = &raster_clock,
        .first_visible_line = &first_visible_line,
        .frame_counter = &frame_counter,
        .collisions = &collisions,
        .dejitter = &dejitter,
        .drawcorners = &drawcorners,
        .darkenbg = &darkenbg,
        .artefacts = &artefacts,
        .demultiplex = &demultiplex,
        .sprite_mode = &sprite_mode,
        .plot_row = display_plot_row,
        .plot_pixel = display_plot_clipped,
        .print = con_printf,
        .watched_write = report_watched_write,
        .access_class = pvi_access_class,
    };
}

u8 pvi_access_class(u32 a) {
    if (in(a, 0x1F00, 0x1F0D) || in(a, 0x1F10, 0x1F1D) || in(a, 0x1F20, 0x1F2D) ||
        in(a, 0x1F40, 0x1F4D) || in(a, 0x1FC0, 0x1FC2) || a == 0x1FCA)
        return 2;
    if (in(a, 0x1F80, 0x1FAC)) return 23;
    if (a == 0x1FC3 || a == 0x1FC8 || a == 0x1FC9) return 5;
    if (a == 0x1E80 || a == 0x1FC7) return 1;
    if (in(a, 0x1E88, 0x1E8E) || in(a, 0x1FCC, 0x1FFF)) return 22;
    return 8;
}

void pvi_follow_draw_mode() {
    pvi_overlay_mode = draw_mode;
}

void pvi_draw_overlay() {
    if (pvi_overlay_mode == 1 || pvi_overlay_mode == 2) pvi_overlay_grid_and_cells();
    if (pvi_overlay_mode != 3 && pvi_overlay_mode != 4) return;
    // Without the blanking areas only the picture's clocks are of interest;
    // the plot keeps to the visible window either way.
    const i32 first = blankingareas ? 0 : 60, last = blankingareas ? PVI_BEAM_CLOCKS - 1 : 223;
    const i32 lines = lines_per_frame < PVI_BEAM_LINES ? lines_per_frame : PVI_BEAM_LINES;
    for (i32 y = 0; y < lines; y++)
        for (i32 x = first; x <= last; x++)
            display_plot_clipped(x, y, pvi_access_map[y * PVI_BEAM_CLOCKS + x]);
}

// ---- the consoles' register page --------------------------------------------------------

void pvi_mark_register_attributes(u32 a) {
    if (in(mem_write_mirror[a], 0x1E81, 0x1EFF)) mem_write_mirror[a] = 0x1E80;
    if (a == 0x1E80) mem_attributes[a] |= MEM_UNREADABLE;
    const u32 r = mem_read_mirror[a];
    if (r < 0x1E81 || r > 0x1EFF) return;
    // Within each 16 addresses from $1E98: four keypad images, then not
    // writable; from $1EA8: seven images, then not writable.
    if (r <= 0x1E97) {
        mem_attributes[a] |= MEM_UNWRITABLE;
        return;
    }
    const u32 block = (r - 0x1E98) / 16, in_block = (r - 0x1E98) % 16;
    const u32 images = block % 2 == 0 ? 4 : 7;
    if (in_block < images)
        mem_read_mirror[a] = static_cast<u16>(r - 16 * (block + 1));
    else
        mem_attributes[a] |= MEM_UNWRITABLE;
}

// ---- the consoles' bus ------------------------------------------------------------------

static u8 interton_unreadable(u32 a) {
    if (a == 0x1E80) return 0x0C;
    if (in(a, 0x1F30, 0x1F3F) || in(a, 0x1F6E, 0x1F7F) || in(a, 0x1FAE, 0x1FBF)) return 0xFF;
    return 0x00;
}

static u8 elektor_unreadable(u32 a) {
    if (in(a, 0x1000, 0x15FF)) return 0xFF;
    if (in(a, 0x1D80, 0x1DBE)) return 0x80;
    if (in(a, 0x1DC0, 0x1DFF)) return 0xC0;
    if (a == 0x1E80) return 0x0C;
    static constexpr u16 f_ranges[][2] = {{0x1E8F, 0x1E97}, {0x1E9C, 0x1EA7}, {0x1EAF, 0x1EB7},
                                          {0x1EBC, 0x1EC7}, {0x1ECF, 0x1ED7}, {0x1EDC, 0x1EE7},
                                          {0x1EEF, 0x1EF7}, {0x1EFC, 0x1EFF}};
    for (const auto& r : f_ranges)
        if (in(a, r[0], r[1])) return 0x0F;
    return 0x00;
}

// The Elektor's board-routed byte: random (recorded or played back like every
// random byte), or from the netplay peer.
static u8 elektor_random_byte(u32) {
    if (net_mode == NET_CLIENT && rec_state != REC_PLAYBACK) {
        const u8 v = net_recv_byte();
        if (rec_state == REC_RECORDING) rec_write_byte(v);
        return v;
    }
    const u8 v = rng_byte(256);
    if (net_mode == NET_SERVER && rec_state != REC_PLAYBACK) net_send_byte(v);
    return v;
}

// The random byte cannot be written.
static void elektor_routed_write(u32, u8) {}

static void describe_register(u8 value, u32 address, char* out, std::size_t size) {
    hw_format_register_bits(value, address);
    if (out != watch_annotation) std::snprintf(out, size, "%s", watch_annotation);
}

// The Interton's character codes mean nothing as text.
static u8 no_guest_chars(u8) {
    return 0;
}

// The BIOS's cassette reader has found a block header when it reaches $079E.
static bool elektor_block_found() {
    if (tape_verbose) con_printf("Found start of block.\n");
    return false;
}

constexpr CpuDebugHooks interton_debug_hooks{
    .char_style = [] { return CHARS_NONE; },
    .guest_char = no_guest_chars,
    .describe_value = describe_register,
    .redraw_access = pvi_redraw_access,
    .report_uninitialised = true,
    .opcode_10_three_bytes = true,
};

constexpr CpuDebugHooks elektor_debug_hooks{
    .guest_char = elektor_guest_char,
    .describe_value = describe_register,
    .bios_notes = elektor_bios_notes,
    .redraw_access = pvi_redraw_access,
};

void interton_bus_install() {
    cpu_bus.unreadable = interton_unreadable;
    cpu_bus.coverage_bit = pvi_coverage_bit;
    cpu_bus.interrupt_vector = pvi_interrupt_vector;
}

void elektor_bus_install() {
    cpu_bus.unreadable = elektor_unreadable;
    cpu_bus.read_routed = elektor_random_byte;
    cpu_bus.write_routed = elektor_routed_write;
    cpu_bus.coverage_bit = pvi_coverage_bit;
    cpu_bus.interrupt_vector = pvi_interrupt_vector;
    cpu_trap_add(0x079E, 0x0C, elektor_block_found);
}

i32 pvi_start_key = -1;
u8 pvi_keypad1_no_autofire;

bool pvi_loaded_game_is(const char* name) {
    return known_game_id >= 0 && known_game_id < KNOWN_GAMES &&
           std::strcmp(known_games_db[known_game_id].name ? known_games_db[known_game_id].name : "",
                       name) == 0;
}

void pvi_demultiplex_take_row(const KnownGame* row) {
    u32 frames = 0;
    u8 off[4] = {}, always[4] = {};
    if (row && (row->deflicker_sprites || row->deflicker_depth || row->deflicker_second)) {
        frames = row->deflicker_depth;
        const u8 bits = row->deflicker_sprites;
        for (int n = 0; n < 4; n++) {
            off[n] = ((bits >> (3 - n)) & 1) ^ 1;
            always[n] = (bits >> (7 - n)) & 1;
        }
    }
    pvi_demultiplex_configure(frames, off, always);
}

void pvi_consoles_apply_game() {
    const KnownGame* row = known_game_id >= 0 && known_game_id < KNOWN_GAMES
                               ? &known_games_db[known_game_id]
                               : nullptr;
    pvi_demultiplex_take_row(row);
    pvi_demux_no_overlap_test = pvi_loaded_game_is("Asteroids");
    pvi_late_starts = pvi_loaded_game_is("Moonlanding for 1 (Mondflug)") ||
                      pvi_loaded_game_is("Moonlanding for 2 (Mondflug)");
    pvi_object3_artefacts = pvi_loaded_game_is("Super-Space");
    // "Rocket Shooting" reads keypad 1's fire key as held down, never as pulses.
    pvi_keypad1_no_autofire = pvi_loaded_game_is("Rocket Shooting");
    pvi_bg_patch = {};
    pvi_start_key = -1;
    if (row) {
        const KnownGame::BackgroundPatch& p = row->bg_patch;
        pvi_bg_patch = {p.line, {p.from[0], p.from[1]}, {p.to[0], p.to[1]}};
        pvi_start_key = row->start_key_row;
    }
}

// ---- the frame -----------------------------------------------------------------------

namespace {

constexpr i32 LAST_CLOCK = PVI_BEAM_CLOCKS - 1;
static_assert(LAST_CLOCK == BEAM_LAST_CLOCK);

// A moving cassette samples before every instruction of this frame, and no
// instruction is counted out in a lump while it does.
bool tape_ticks = false;

inline void step_one() {
    if (tape_ticks) tape_sample_tick();
    beam_step_one();
}

// The last yes of the idle test in this frame, while no instruction has run
// and no interrupt has been accepted: an idle line hands it to the next,
// which need not ask again.
BeamIdleMark idle_mark;
// The last yes of the poll test in this frame, kept the same way.
BeamPollMark poll_mark;

// Interrupt acceptance; the cycles it takes move the processor's beam clock on.
// Asked once a line: without a request, or with one the processor inhibits
// (cpu_interrupt's own first test), it costs two compares.
inline void accept_interrupt() {
    if (!cpu_irq_pending || (cpu_psu & PSU_II)) return;
    const u32 start = cpu_cycles;
    cpu_interrupt();
    cpu_beam_clock += 4 * static_cast<i32>(cpu_cycles - start);
    idle_mark.set = false;
    poll_mark.set = false;
}

// The rest of idling() once the processor has been found on a branch to
// itself: no watch looks at the collision registers the PVI writes between
// its instructions, and the branch does not lie in the chip's page.
bool idle_branch_unwatched() {
    // The chip writes its status between the instructions: an idle branch
    // among its registers could be rewritten there.
    const u32 base = pvi_base & ADDR_MASK, page = base & 0x7F00;
    if ((cpu_iar & 0x7F00) == page || ((cpu_iar + 2u) & 0x7F00) == page) return false;
    return !((mem_attributes[(base + PVI_BGCOLLIDE) & ADDR_MASK] |
              mem_attributes[(base + PVI_SPRITECOLLIDE) & ADDR_MASK]) &
             MEM_WATCH);
}

// The processor idles on a branch to itself (cpu_idles) and no watch looks at
// the collision registers the PVI writes between its instructions: until the
// next stop its instructions change nothing the beam reads or writes, so the
// beam runs on in one piece and the instructions are counted out. Asked
// before every instruction, so the usual answer (not on a branch to itself)
// costs two compares.
inline bool idling() {
    return !tape_ticks && cpu_idles() && idle_branch_unwatched();
}

inline bool idling_marked() {
    return beam_idling_marked(idle_mark, idling);
}

// The rest of polling() once the processor has been found polling
// (cpu_polls): the chip writes its status between the processor's
// instructions, so no part of the loop lies in its page, and no watch or
// access map sees the status writes (a frame loop that counts a round out
// writes the collisions of its instructions in one run).
[[gnu::noinline]] bool poll_unwatched(const CpuPoll& p) {
    const u32 base = pvi_base & ADDR_MASK, page = base & 0x7F00;
    if ((p.at[0] & 0x7F00) == page || ((p.at[0] + 7u) & 0x7F00) == page) return false;
    if (pvi_overlay_mode == 3 || pvi_overlay_mode == 4) return false;
    u32 attributes = 0;
    for (u32 copy = 0; copy < 4; copy++)
        attributes |= mem_attributes[(base + PVI_BGCOLLIDE + 0x10 * copy) & ADDR_MASK] |
                      mem_attributes[(base + PVI_SPRITECOLLIDE + 0x10 * copy) & ADDR_MASK];
    return !(attributes & MEM_WATCH);
}

// The processor polls steadily (cpu_polls) and the chip cannot see the
// difference: while the byte polled stays the same, its instructions are
// counted out.
inline bool polling(CpuPoll& p) {
    return !tape_ticks && cpu_polls(p) && poll_unwatched(p);
}

inline bool polling_marked() {
    return beam_polling_marked(poll_mark, polling);
}

// Whether the processor may idle or poll where it stands: its last
// instruction lies where a branch to itself or the branch back of a poll
// loop would (here, or five bytes on). An idle mark holds only where its
// branch has run last; a poll mark, in the stretches below, at its LODA
// (each stretch first takes one carried from before, which may stand at
// another of the loop's instructions). Never while a moving cassette
// samples before every instruction. Asked before every instruction: the
// usual answer costs these few tests.
inline bool may_idle_or_poll() {
    return !tape_ticks && (static_cast<u16>(cpu_prev_iar - cpu_iar) | 5) == 5;
}

// A poll mark carried from before a stretch of the line still holds.
inline bool poll_carried() {
    return poll_mark.set && beam_poll_mark_holds(poll_mark);
}

// Counts out the poll's instructions that begin before beam clock `limit`,
// where nothing but the processor runs (no chip writes the byte).
inline void poll_to(i32 limit) {
    beam_poll_to(poll_mark.poll, limit, limit);
}

// Clocks from to to - 1 of the line in the border colour as it stands. The
// window mostly leaves the border out: the colour is only worked out for a
// piece it shows. Inlined: the usual answer is the window's test alone.
[[gnu::always_inline]] inline void fill_border(i32 from, i32 to) {
    if (!display_row_shown(from, raster_line, to - from)) return;
    display_fill_row(from, raster_line, to - from,
                     pvi_border_colour(guest_memory[(pvi_base + PVI_BGCOLOUR) & ADDR_MASK]));
}

// border() where an instruction begins in the border.
[[gnu::noinline]] void border_with_instructions() {
    const i32 end = border_clocks;
    i32 x = 0;
    raster_clock = 0;
    if (cpu_beam_clock >= 0 && cpu_beam_clock < end && poll_carried()) {
        fill_border(0, end);
        poll_to(end);
        raster_clock = end;
        return;
    }
    while (x < end) {
        const i32 step = cpu_beam_clock;
        const bool due = step >= x && step < end;
        const bool steady = due && (idle_mark.set || may_idle_or_poll());
        if (!due || (steady && idling_marked())) {
            fill_border(x, end);
            if (due) beam_idle_to(end);
            break;
        }
        if (steady && polling_marked()) {
            fill_border(x, end);
            poll_to(end);
            break;
        }
        fill_border(x, step + 1);
        raster_clock = step;
        cpu_step_at_beam();
        raster_clock = x = step + 1;
    }
    raster_clock = end;
}

// Clocks 0 to border_clocks - 1 in the border colour, which the processor
// may change between its instructions: each piece up to the clock of the
// next instruction that begins there, then the instruction. Mostly an
// instruction begun on the line before runs on past the border, which is
// then one piece.
inline void border() {
    if (cpu_beam_clock >= 0 && cpu_beam_clock < border_clocks) {
        border_with_instructions();
        return;
    }
    fill_border(0, border_clocks);
    raster_clock = border_clocks;
}

// The processor idles from picture clock `step`, where the beam has come:
// the rest of the line in one piece, the branch's runs counted out.
void idle_to_line_end(i32 step) {
    if (step < LAST_CLOCK) pvi_collide_run(step + 1, LAST_CLOCK);
    beam_idle_to(PVI_BEAM_CLOCKS);
    beam_wrap_to_next_line();
}

// Clocks 49 to 226: the picture. The rest of the line is drawn ahead with
// the registers as they are, and drawn again from the next clock whenever an
// instruction has changed what the line reads; collisions are written run by
// run between the instructions, at their own beam positions. The line goes
// to the guest frame when it is complete. `idles`: the processor was found
// idling before clock 49 with nothing run since, its runs not yet counted
// out: the whole line is drawn in one piece from the clock of its first run
// in the picture, and the runs are counted with the rest of the line's
// (nothing the drawing reads tells them apart).
void picture(bool idles) {
    u8 colours[PVI_WIDTH];
    i32 x = 49; // the first clock not yet handed on
    const i32 idle_from = idles ? cpu_beam_clock + beam_idle_runs_before(x) * BEAM_IDLE_RUN : 0;
    if (idles) raster_clock = idle_from;
    pvi_draw_ahead(x, colours);
    if (idles) {
        pvi_collide_run(x, idle_from);
        idle_to_line_end(idle_from);
        x = PVI_BEAM_CLOCKS;
    }
    // Before each instruction below the idle test is asked afresh, unmarked
    // but for the one that ends the line idle.
    if (!idles) idle_mark.set = false;
    // A poll carried here at its test or its branch: they read no memory,
    // so they are counted out before the collisions up to them are written
    // (by the next run, with those up to the LODA).
    if (poll_mark.set && poll_mark.poll.phase != 0 && cpu_beam_clock >= x &&
        cpu_beam_clock <= LAST_CLOCK && beam_poll_mark_holds(poll_mark)) {
        beam_poll_to(poll_mark.poll, PVI_BEAM_CLOCKS, 0);
        beam_wrap_to_next_line();
    }
    // Each instruction the processor begins on the rest of the line: the
    // beam up to its clock, then the instruction.
    for (;;) {
        const i32 step = cpu_beam_clock;
        if (step < x || step > LAST_CLOCK) break;
        pvi_collide_run(x, step);
        if (may_idle_or_poll()) {
            if (idling()) {
                beam_idle_mark_here(idle_mark);
                idle_to_line_end(step);
                x = PVI_BEAM_CLOCKS;
                break;
            }
            if (polling_marked()) {
                // The instruction at `step` has seen the collisions up to
                // its clock. The poll's later loads are counted out only
                // while a run of collisions up to their clock writes
                // nothing; the runs of the instructions counted out are
                // written as one by the next run (nothing but the loads
                // reads what they write). They write nothing, so what was
                // drawn ahead still stands.
                x = step + 1;
                beam_poll_to(poll_mark.poll, PVI_BEAM_CLOCKS, pvi_collisions_quiet_until(x));
                beam_wrap_to_next_line();
                continue;
            }
        }
        step_one();
        beam_wrap_to_next_line();
        x = step + 1;
        if (!pvi_drawn_ahead_stands()) pvi_draw_ahead(x, colours);
    }
    if (x <= LAST_CLOCK) pvi_collide_run(x, LAST_CLOCK);
    raster_clock = PVI_BEAM_CLOCKS;
    display_plot_row(49, raster_line, colours, PVI_WIDTH);
}

// The processor's instructions up to beam clock `limit`, while it does not
// idle. True when it idles before `limit`: its runs are left to count out,
// for a caller that may count them with the runs of what follows at once.
[[gnu::always_inline]] inline bool run_until_idle(i32 limit) {
    raster_clock = cpu_beam_clock;
    if (cpu_beam_clock < limit && poll_carried()) {
        poll_to(limit);
        raster_clock = cpu_beam_clock;
        beam_wrap_to_next_line();
        return false;
    }
    while (cpu_beam_clock < limit) {
        if (idle_mark.set || may_idle_or_poll()) {
            if (idling_marked()) return true;
            if (polling_marked()) {
                poll_to(limit);
                raster_clock = cpu_beam_clock;
                break;
            }
        }
        step_one();
        raster_clock = cpu_beam_clock;
    }
    beam_wrap_to_next_line();
    return false;
}

// The processor up to beam clock `limit` (cpu_run_to_clock), its idle runs
// counted out.
[[gnu::always_inline]] inline void run_to_clock(i32 limit) {
    if (!run_until_idle(limit)) return;
    beam_idle_to(limit);
    raster_clock = cpu_beam_clock;
    beam_wrap_to_next_line();
}

} // namespace

void cpu_run_to_clock(i32 limit) {
    idle_mark = {}; // asked from outside the frame: anything may have changed
    poll_mark = {};
    run_to_clock(limit);
}

void cpu_step_at_beam() {
    if (raster_clock != cpu_beam_clock) return;
    idle_mark = {};
    poll_mark = {};
    step_one();
    beam_wrap_to_next_line();
}

void pvi_run_frame() {
    in_frame = 1;
    idle_mark = {}; // between frames anything may change
    poll_mark = {};
    tape_ticks = tape_moving() && machine_row().tape != nullptr;
    pvi_history_frame_begin();
    pvi_invert_register = memmap == 4 ? nullptr : guest_memory + 0x1E80;
    pvi_frame_begin();
    raster_line = 0;
    dbg_check_raster_breakpoint();
    border();
    pvi_vblank();
    if (known_game_id == 354) guest_memory[0x08CA] = 0; // "Queen" waits on this byte
    accept_interrupt();
    run_to_clock(PVI_BEAM_CLOCKS);
    for (raster_line = 1; raster_line < first_visible_line; raster_line++) {
        dbg_check_raster_breakpoint();
        run_to_clock(PVI_BEAM_CLOCKS);
    }
    for (raster_line = first_visible_line; raster_line < lines_per_frame; raster_line++) {
        dbg_check_raster_breakpoint();
        if (raster_line == first_visible_line) {
            run_to_clock(border_clocks);
            pvi_frame_start();
        } else {
            border();
            if (raster_line == input_line) pvi_read_inputs();
        }
        pvi_line_start();
        run_to_clock(12);
        pvi_object_line_step();
        accept_interrupt();
        picture(run_until_idle(49));
        pvi_line_end();
    }
    raster_line = lines_per_frame - 1;
    pvi_history_frame_end();
    if (pvi_overlay_mode) pvi_draw_overlay();
    if (screen_edit_mode) pvi_draw_editor();
    emu_end_of_frame();
}

// ---- inputs --------------------------------------------------------------------------

namespace {

constexpr u32 KEYPAD_BYTES = 0x1E88, CONSOLE_BYTE = 0x1E8B;

// Keypad key k (1-12) of keypad g: its byte and bit.
u32 key_byte(int g, i32 k) {
    return KEYPAD_BYTES + 4 * static_cast<u32>(g) + static_cast<u32>((k - 1) % 3);
}
u8 key_bit(i32 k) {
    return static_cast<u8>(0x80u >> ((k - 1) / 3));
}

void press(u8 keys[3], i32 k) {
    if (k >= 1 && k <= 12) keys[(k - 1) % 3] |= key_bit(k);
}

bool flag_selects_first_axis() {
    return (cpu_psu & PSU_F) != 0;
}

} // namespace

void pvi_read_keypad(int player, int g) {
    const u32 analogue = 0xCC + static_cast<u32>(g);
    if (rec_state == REC_PLAYBACK) {
        const u8 a = rec_read_byte(), b = rec_read_byte(), c = rec_read_byte();
        pvi_write_register(analogue, a, true);
        (flag_selects_first_axis() ? paddle_x[g] : paddle_y[g]) = a;
        pvi_write_register(key_byte(g, 1), static_cast<u8>((b & 0xF0) | 0x0F), false);
        pvi_write_register(key_byte(g, 2), static_cast<u8>(((b << 4) & 0xF0) | 0x0F), false);
        pvi_write_register(key_byte(g, 3), c, false);
        return;
    }
    // Over a netplay link the peer's keypad comes from the peer.
    if ((net_mode == NET_CLIENT && g == 0) || (net_mode == NET_SERVER && g == 1)) return;
    u8 keys[3] = {0x0F, 0x0F, 0x0F};
    const u32 port = input_player_port_bits(player);
    const bool autofire =
        (player == 0 ? autofire_left : autofire_right) && !(g == 1 && pvi_keypad1_no_autofire);
    const bool need_button = player == 0 ? requirebutton_left : requirebutton_right;

    const i32 fire_key = fire_button_assign[0];
    bool fire = (port & JOY_BUTTON1) != 0;
    if (autofire) {
        const u32 period = autofire_period > 0 ? static_cast<u32>(autofire_period) : 1;
        const bool on = frame_counter % period < static_cast<u32>(autofire_duty);
        fire = on && (fire || !need_button);
    }
    if (fire) press(keys, fire_key);
    for (int b = 1; b < 4; b++)
        if (port & (JOY_BUTTON1 << b)) press(keys, fire_button_assign[b]);
    for (i32 k = 1; k <= 12; k++) {
        const u16 key = player_keys[player][GK_KEYPAD1 + k - 1];
        const bool pad = (port & (1u << (k - 1))) && !(autofire && k == fire_key);
        if ((key < RAW_NONE && host_key_down(key)) || pad) press(keys, k);
    }
    if (known_game_id >= 0 && known_game_id < KNOWN_GAMES) {
        const KnownGame& row = known_games_db[known_game_id];
        const i32 axes[2] = {paddle_x[g], paddle_y[g]};
        for (int axis = 0; axis < 2; axis++) {
            if (axes[axis] <= 64) press(keys, row.paddle_keys[2 * axis]);
            if (axes[axis] >= 192) press(keys, row.paddle_keys[2 * axis + 1]);
        }
    }
    for (i32 k = 1; k <= 3; k++)
        pvi_write_register(key_byte(g, k), keys[k - 1], false);
    input_update_paddle(player, g);
    const i32 value = flag_selects_first_axis() ? paddle_x[g] : paddle_y[g];
    pvi_write_register(analogue, static_cast<u8>(value & 0xFF), true);
}

// The collisions the PVI found since the last input step, as rumble requests:
// SPRITECOLLIDE holds the pairs from $20 (0/1) down to $01 (2/3), BGCOLLIDE
// object n at $80 >> n.
static void request_collision_feedback() {
    u32 pairs = 0, grid = 0;
    for (int k = 0; k < FEEDBACK_PAIRS; k++)
        if (pvi_collisions_found.pairs & (0x20u >> k)) pairs |= 1u << k;
    for (int n = 0; n < 4; n++)
        if (pvi_collisions_found.grid & (0x80u >> n)) grid |= 1u << n;
    pvi_collisions_found = {};
    collision_feedback_request(pairs, grid, 0);
}

void pvi_read_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    request_collision_feedback();
    const int first = swapped ? 1 : 0;
    pvi_read_keypad(first, 0);
    pvi_read_keypad(1 - first, 1);
    rumble_request[0] = rumble_request[1] = 0;
    if (rec_state == REC_PLAYBACK) {
        pvi_write_register(CONSOLE_BYTE, rec_read_byte(), false);
        pvi_net_exchange(false); // the recording gives the inputs; the link keeps step
    } else {
        const u32 either = joy_bits[0] | joy_bits[1];
        static constexpr struct {
            u32 pad;
            u8 bit;
        } BUTTONS[4] = {{JOY_START, 0x40}, {JOY_REVERSE, 0x80}, {JOY_FORWARD, 0x20}, {0, 0x10}};
        u8 console = 0x0F;
        const int buttons = machine == ELEKTOR ? 4 : 2;
        for (int k = 0; k < buttons; k++)
            if (input_console_button_held(k) || (either & BUTTONS[k].pad))
                console |= BUTTONS[k].bit;
        if ((console & 0x40) && pvi_start_key >= 1 && pvi_start_key <= 12) {
            const u32 a = key_byte(0, pvi_start_key);
            pvi_write_register(a, static_cast<u8>(guest_memory[a] | key_bit(pvi_start_key)), false);
        }
        pvi_write_register(CONSOLE_BYTE, console, false);
        input_virtual_key_apply();
        pvi_net_exchange(true);
        if (rec_state == REC_RECORDING)
            for (u8 byte : pvi_input_record())
                rec_write_byte(byte);
    }
    input_console_buttons_tick();
}

std::array<u8, PVI_NET_RECORD> pvi_net_record(bool server) {
    const u8* m = guest_memory;
    const int g = server ? 0 : 1;
    return {static_cast<u8>((m[key_byte(g, 1)] & 0xF0) | (m[key_byte(g, 2)] >> 4)),
            static_cast<u8>((m[CONSOLE_BYTE] & 0xF0) | (m[key_byte(g, 3)] >> 4)),
            m[(pvi_base & ADDR_MASK) + 0xCC + static_cast<u32>(g)]};
}

void pvi_net_exchange(bool apply) {
    if (!net_connected()) return;
    const bool server = net_mode == NET_SERVER;
    const auto own = pvi_net_record(server);
    u8 peer[PVI_NET_RECORD + 1];
    if (!net_exchange(own.data(), PVI_NET_RECORD, peer) || !apply) return;
    const int g = server ? 1 : 0;
    pvi_write_register(key_byte(g, 1), static_cast<u8>((peer[0] & 0xF0) | 0x0F), false);
    pvi_write_register(key_byte(g, 2), static_cast<u8>(((peer[0] << 4) & 0xF0) | 0x0F), false);
    pvi_write_register(key_byte(g, 3), static_cast<u8>(((peer[1] << 4) & 0xF0) | 0x0F), false);
    pvi_write_register(0xCCu + static_cast<u32>(g), peer[2], true);
    // Both sides' guests see both players' console keys: they read the same
    // (on the expanded Elektor, the same random numbers) at the same moment.
    pvi_write_register(CONSOLE_BYTE, static_cast<u8>(guest_memory[CONSOLE_BYTE] | (peer[1] & 0xF0)),
                       false);
}

std::array<u8, PVI_RECORD_SIZE> pvi_input_record() {
    const u8* m = guest_memory;
    const u32 p = pvi_base & ADDR_MASK;
    return {m[p + 0xCC], static_cast<u8>((m[0x1E88] & 0xF0) | (m[0x1E89] >> 4)), m[0x1E8A],
            m[p + 0xCD], static_cast<u8>((m[0x1E8C] & 0xF0) | (m[0x1E8D] >> 4)), m[0x1E8E],
            m[0x1E8B]};
}

// ---- texts and tones ---------------------------------------------------------------------

void hw_format_register_bits(u8 v, u32 a) {
    char b[8];
    for (int i = 0; i < 8; i++)
        b[i] = (v >> i) & 1 ? '1' : '0';
    char* out = watch_annotation;
    const std::size_t size = sizeof watch_annotation;
    if (a == 0x1E80)
        std::snprintf(out, size, " [%%%c%c,%c,%c,%c,%c,--]", b[7], b[6], b[5], b[4], b[3], b[2]);
    else if (in(a, 0x1E88, 0x1E8A) || in(a, 0x1E8C, 0x1E8E))
        std::snprintf(out, size, " [%%%c,%c,%c,%c,----]", b[7], b[6], b[5], b[4]);
    else if (a == 0x1E8B)
        std::snprintf(out, size, " [%%%c,%c,------]", b[7], b[6]);
    else if (in(a, 0x1F0A, 0x1F0D) || in(a, 0x1F1A, 0x1F1D) || in(a, 0x1F2A, 0x1F2D) ||
             in(a, 0x1F4A, 0x1F4D) || a == 0x1FC7 || a == 0x1FCC || a == 0x1FCD)
        std::snprintf(out, size, " [%d]", v);
    else if (a == 0x1FC0)
        std::snprintf(out, size, " [%%%c%c,%c%c,%c%c,%c%c]", b[7], b[6], b[5], b[4], b[3], b[2],
                      b[1], b[0]);
    else if (a == 0x1FC1 || a == 0x1FC2)
        std::snprintf(out, size, " [%%--,%c%c%c,%c%c%c]", b[5], b[4], b[3], b[2], b[1], b[0]);
    else if (a == 0x1FC3)
        std::snprintf(out, size, " [%%------,%c,%c]", b[1], b[0]);
    else if (a == 0x1FC6)
        std::snprintf(out, size, " [%%-,%c%c%c,%c,%c%c%c]", b[6], b[5], b[4], b[3], b[2], b[1],
                      b[0]);
    else if (a == 0x1FC8 || a == 0x1FC9)
        std::snprintf(out, size, " [%%%c%c%c%c,%c%c%c%c]", b[7], b[6], b[5], b[4], b[3], b[2], b[1],
                      b[0]);
    else if (a == 0x1FCA)
        std::snprintf(out, size, " [%%%c,%c,%c,%c,%c,%c,%c,%c]", b[7], b[6], b[5], b[4], b[3], b[2],
                      b[1], b[0]);
    else if (a == 0x1FCB)
        std::snprintf(out, size, " [%%-,%c,%c,%c,%c,%c,%c,%c]", b[6], b[5], b[4], b[3], b[2], b[1],
                      b[0]);
    else if (machine != INTERTON) {
        char shown[3];
        std::snprintf(out, size, " ['%s']", cpu_guest_char_text(v, shown));
    } else
        out[0] = '\0';
}

void pvi_patch_pitch_tables() {
    struct Row {
        int row;
        float frequency;
        const char* name;
        u8 note;
    };
    static constexpr Row ROWS[] = {{24, 329.628f, "e4", 43},
                                   {25, 311.127f, "d#4", 42},
                                   {27, 293.665f, "d4", 41},
                                   {40, 184.997f, "f#3", 33}};
    for (RetuneRow* table : {retune_table_60, retune_table_50})
        for (const Row& r : ROWS) {
            RetuneRow& t = table[r.row];
            t.frequency = r.frequency;
            std::snprintf(t.name, sizeof t.name, "%s", r.name);
            t.note = r.note;
        }
    note_table[40].code_60 = note_table[40].code_50 = 28;
    note_table[42].code_60 = note_table[42].code_50 = 25;
}
