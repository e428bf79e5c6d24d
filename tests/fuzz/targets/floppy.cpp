// Guest port traffic to the FD1771 over random images and head positions,
// with the floppy window open and clicked: no data byte comes from beyond
// the image, no write lands beyond it, and the map painter stays inside the
// map. Input: a layout byte, then per step an operation byte and a value.
#include "computers/fdc_board.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "devicewindows/floppy_window.h"
#include "display/host.h"
#include "machines/fd1771.h"
#include "peripherals/floppy.h"
#include "platform/headless/gui_headless.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Image bytes have bit 7 clear; the room beyond the image holds $FF.
constexpr u8 BEYOND = 0xFF;

void check_beyond_images() {
    const u32 size = floppy_geometry().image_bytes;
    for (int d = 0; d < FLOPPY_DRIVES; d++)
        for (u32 i = size; i < FLOPPY_IMAGE_MAX; i += 61)
            if (drives[d].image[i] != BEYOND) { std::fprintf(stderr, "beyond %d %u\n", d, i); std::abort(); }
}

// Every pixel right of or below the map keeps the white the window starts with.
void check_maps() {
    const DiskGeometry& g = floppy_geometry();
    const int size = machine_traits().disk_layout == DiskLayout::TWIN ? 4 : 8;
    const u32 w = g.tracks * size, h = g.sectors * size;
    const u8 white = static_cast<u8>(GUEST_COLOURS + 8);
    for (int d = 0; d < 2; d++) {
        const u8* map = floppy_map_pixels(d);
        for (u32 y = 0; y < 128; y++)
            for (u32 x = 0; x < 320; x++)
                if ((x >= w || y >= h) && map[y * FLOPPY_MAP_STRIDE + x] != white) { std::fprintf(stderr, "map %d %u %u %d\n", d, x, y, map[y * FLOPPY_MAP_STRIDE + x]); std::abort(); }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_reset();
    if (size > 4096) return 0;
    FuzzInput in{data, size};
    static constexpr u32 MACHINES_WITH_DISKS[3][2] = {
        {BINBUG, MAP_BINBUG}, {CD2650, MAP_CD2650}, {TWIN, MAP_TWIN}};
    const auto& pick = MACHINES_WITH_DISKS[in.take() % 3];
    machine_switch(static_cast<int>(pick[0]), static_cast<int>(pick[1]), true, true, false);
    floppy_reset();
    floppy_drives_reset();
    gui_tool_windows_reset(); // the last input's window went with the headless windows
    floppy_window_register();
    binbug_userdrives = 2;
    fdc_board_install({&binbug_userdrives, "Spun down drive #%d\n",
                       machine_traits().disk_layout == DiskLayout::CD2650});
    fdc_reset();
    const u32 image = floppy_geometry().image_bytes;
    for (int d = 0; d < FLOPPY_DRIVES; d++) {
        FloppyDrive& f = drives[d];
        for (u32 i = 0; i < image; i++)
            f.image[i] = static_cast<u8>((size ? data[i % size] : 0) & 0x7F);
        std::memset(f.image + image, BEYOND, FLOPPY_IMAGE_MAX - image);
        for (int b = 0; b < FLOPPY_BLOCKS; b++)
            f.block_map[b] = static_cast<u8>((b * 7 + d) % 5);
        f.present = d < 3 ? 1 : 0;
        std::snprintf(f.name_cache[d * 3], 11, "FILE%d", d);
    }
    verbose_log = in.take() & 1;
    gui_open_floppy_window(0);
    const int win = gui_headless_find_window("Floppy");
    while (in.size >= 2) {
        const u8 op = in.take(), value = in.take();
        switch (op >> 5) {
        case 0:
        case 1:
        case 2:
            if (fdc_port_read(op % 5) == BEYOND && op % 5 == 3) { std::fprintf(stderr, "read\n"); std::abort(); }
            break;
        case 3:
        case 4:
            fdc_port_write(op % 5, value);
            break;
        case 5: { // the head anywhere, as a board's own ports may put it
            FloppyDrive& f = drives[op & 3];
            f.head_track = value;
            f.head_sector = static_cast<u8>(value * 37);
            f.byte_index = value;
            gui_floppy_window_refresh(op & 3, op & 3);
            break;
        }
        case 6: { // a click on a map or a byte cell, or the sector slider
            GuiEvent e;
            e.type = (op & 1) ? GE_MOUSEBUTTON : GE_GADGET;
            e.code = (op & 1) ? 1 : value;
            e.gid = (op & 2) ? GID_FD_CELL + value : GID_FD_SLIDER + (op >> 2 & 1);
            e.x = value * 3 % 700;
            e.y = value * 5 % 500;
            if (win) gui_headless_post(win, e);
            gui_floppy_handle_input();
            break;
        }
        default:
            frame_counter += value;
            fdc_check_spin_down();
            gui_floppy_window_refresh(3, op & 3);
            break;
        }
        check_beyond_images();
    }
    check_maps();
    return 0;
}
