// Scale2x, Scale3x and Scale4x: the guest frame magnified with the
// edge-smoothing pixel-art rules, on colour indices, into the chunky buffer.
#include "display/frame.h"
#include "display/host.h"

#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"

#include <cstring>
#include <vector>

namespace {

// The frame as it is shown: w x h indices, row-major, rotated when the
// picture is turned, so the filter smooths what the user sees.
struct Shown {
    i32 w = 0, h = 0;
    std::vector<u8> px;
    u8 at(i32 x, i32 y) const {
        x = x < 0 ? 0 : x >= w ? w - 1 : x;
        y = y < 0 ? 0 : y >= h ? h - 1 : y;
        return px[static_cast<std::size_t>(y) * w + x];
    }
};

Shown shown_frame() {
    Shown s;
    const i32 gw = machine_live_row().width, gh = machine_live_row().height;
    s.w = display_rotated ? gh : gw;
    s.h = display_rotated ? gw : gh;
    s.px.resize(static_cast<std::size_t>(s.w) * s.h);
    for (i32 gx = 0; gx < gw; gx++)
        for (i32 gy = 0; gy < gh; gy++) {
            // Turned a quarter clockwise: guest column x becomes shown row x.
            const i32 x = display_rotated ? gw - 1 - gy : gx;
            const i32 y = display_rotated ? gx : gy;
            s.px[static_cast<std::size_t>(y) * s.w + x] = guest_frame[gx * GUEST_FRAME_ROWS + gy];
        }
    return s;
}

// Writes one filtered pixel (1 or 2 host pixels wide by the stretch).
inline void put(i32 x, i32 y, u8 colour) {
    if (display_aspect == 2)
        std::memcpy(display_rows[y] + 2 * x, &pen_double[colour], 2);
    else
        display_rows[y][x] = pen_byte[colour];
}

// Scale2x of `in` into `out` (2w x 2h, row-major).
void scale2x_into(const Shown& in, Shown& out) {
    out.w = in.w * 2;
    out.h = in.h * 2;
    out.px.resize(static_cast<std::size_t>(out.w) * out.h);
    for (i32 y = 0; y < in.h; y++)
        for (i32 x = 0; x < in.w; x++) {
            const u8 b = in.at(x, y - 1), d = in.at(x - 1, y), e = in.at(x, y);
            const u8 f = in.at(x + 1, y), h = in.at(x, y + 1);
            u8 e0 = e, e1 = e, e2 = e, e3 = e;
            if (b != h && d != f) {
                e0 = d == b ? d : e;
                e1 = b == f ? f : e;
                e2 = d == h ? d : e;
                e3 = h == f ? f : e;
            }
            u8* r0 = &out.px[static_cast<std::size_t>(2 * y) * out.w + 2 * x];
            u8* r1 = r0 + out.w;
            r0[0] = e0;
            r0[1] = e1;
            r1[0] = e2;
            r1[1] = e3;
        }
}

// The rows of `pic` into the buffer; `keep(row)` says which rows are written.
template <class Keep> void emit(const Shown& pic, Keep keep) {
    const i32 h = pic.h < display_host_height ? pic.h : display_host_height;
    for (i32 y = 0; y < h; y++) {
        if (!keep(y)) continue;
        for (i32 x = 0; x < pic.w; x++)
            put(x, y, pic.px[static_cast<std::size_t>(y) * pic.w + x]);
    }
}

bool ready(i32 factor) {
    if (!display_buffer) return false;
    const i32 gw = machine_live_row().width, gh = machine_live_row().height;
    return gw > 0 && gh > 0 &&
           gw * factor * static_cast<i32>(display_aspect == 2 ? 2 : 1) <= display_stride;
}

} // namespace

void display_scale2x() {
    if (!ready(2)) return;
    Shown out;
    scale2x_into(shown_frame(), out);
    emit(out, [](i32 y) { return !scanlines || y % 2 == 0; });
}

void display_scale3x() {
    if (!ready(3)) return;
    const Shown in = shown_frame();
    Shown out;
    out.w = in.w * 3;
    out.h = in.h * 3;
    out.px.resize(static_cast<std::size_t>(out.w) * out.h);
    for (i32 y = 0; y < in.h; y++)
        for (i32 x = 0; x < in.w; x++) {
            const u8 a = in.at(x - 1, y - 1), b = in.at(x, y - 1), c = in.at(x + 1, y - 1);
            const u8 d = in.at(x - 1, y), e = in.at(x, y), f = in.at(x + 1, y);
            const u8 g = in.at(x - 1, y + 1), h = in.at(x, y + 1), i = in.at(x + 1, y + 1);
            u8 o[9] = {e, e, e, e, e, e, e, e, e};
            if (b != h && d != f) {
                o[0] = d == b ? d : e;
                o[1] = ((d == b && e != c) || (b == f && e != a)) ? b : e;
                o[2] = b == f ? f : e;
                o[3] = ((d == b && e != g) || (d == h && e != a)) ? d : e;
                o[5] = ((b == f && e != i) || (h == f && e != c)) ? f : e;
                o[6] = d == h ? d : e;
                o[7] = ((d == h && e != i) || (h == f && e != g)) ? h : e;
                o[8] = h == f ? f : e;
            }
            for (int r = 0; r < 3; r++)
                std::memcpy(&out.px[static_cast<std::size_t>(3 * y + r) * out.w + 3 * x], &o[3 * r],
                            3);
        }
    emit(out, [](i32 y) { return !scanlines || y % 3 != 2; });
}

void display_scale4x() {
    if (!ready(4)) return;
    Shown twice, out;
    scale2x_into(shown_frame(), twice);
    scale2x_into(twice, out);
    // With scanlines the lower row of every odd doubled row stays a gap.
    emit(out, [](i32 y) { return !scanlines || y % 4 != 3; });
}
