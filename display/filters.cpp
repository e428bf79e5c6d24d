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

// Rows [y0, y0 + n) of a picture w x h, row-major. at() clamps to the
// picture, as the smoothing rules take the edge pixels beyond the edges; the
// rows it reaches must be held.
struct Rows {
    i32 w = 0, h = 0, y0 = 0;
    std::vector<u8> px;
    u8 at(i32 x, i32 y) const {
        x = x < 0 ? 0 : x >= w ? w - 1 : x;
        y = y < 0 ? 0 : y >= h ? h - 1 : y;
        return px[static_cast<std::size_t>(y - y0) * w + x];
    }
    u8* row(i32 y) { return &px[static_cast<std::size_t>(y - y0) * w]; }
    // Holds rows [first, last] of a picture w x h (cut to the picture).
    void hold(i32 width, i32 height, i32 first, i32 last) {
        w = width;
        h = height;
        y0 = first < 0 ? 0 : first;
        const i32 end = last >= h ? h : last + 1;
        px.resize(static_cast<std::size_t>(end > y0 ? end - y0 : 0) * w);
    }
};

// Rows [first, last] of the frame as it is shown, rotated when the picture
// is turned, so the filter smooths what the user sees.
void shown_rows(i32 first, i32 last, Rows& s) {
    const i32 gw = machine_live_row().width, gh = machine_live_row().height;
    s.hold(display_rotated ? gh : gw, display_rotated ? gw : gh, first, last);
    const i32 end = s.y0 + static_cast<i32>(s.px.size()) / (s.w > 0 ? s.w : 1);
    for (i32 y = s.y0; y < end; y++) {
        u8* out = s.row(y);
        for (i32 x = 0; x < s.w; x++) {
            // Turned a quarter clockwise: guest column x is shown row x.
            const i32 gx = display_rotated ? y : x;
            const i32 gy = display_rotated ? gw - 1 - x : y;
            out[x] = gy >= 0 && gy < gh ? guest_frame[gx * GUEST_FRAME_ROWS + gy] : 0;
        }
    }
}

// Writes one filtered pixel (1 or 2 host pixels wide by the stretch).
inline void put(i32 x, i32 y, u8 colour) {
    if (display_aspect == 2)
        std::memcpy(display_rows[y] + 2 * x, &pen_double[colour], 2);
    else
        display_rows[y][x] = pen_byte[colour];
}

// Scale2x of rows [first, last] of `in` (which holds the rows next to them
// too) into `out`: rows 2 * first .. 2 * last + 1 of the picture twice the size.
void scale2x_rows(const Rows& in, i32 first, i32 last, Rows& out) {
    out.hold(in.w * 2, in.h * 2, 2 * first, 2 * last + 1);
    for (i32 y = first; y <= last; y++)
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
            u8* r0 = out.row(2 * y) + 2 * x;
            u8* r1 = r0 + out.w;
            r0[0] = e0;
            r0[1] = e1;
            r1[0] = e2;
            r1[1] = e3;
        }
}

// Scale3x of rows [first, last] of `in` into `out`, as above.
void scale3x_rows(const Rows& in, i32 first, i32 last, Rows& out) {
    out.hold(in.w * 3, in.h * 3, 3 * first, 3 * last + 2);
    for (i32 y = first; y <= last; y++)
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
                std::memcpy(out.row(3 * y + r) + 3 * x, &o[3 * r], 3);
        }
}

// The rows `pic` holds into the buffer; `keep(row)` says which rows are written.
template <class Keep> void emit(Rows& pic, Keep keep) {
    const i32 end = pic.y0 + static_cast<i32>(pic.px.size()) / (pic.w > 0 ? pic.w : 1);
    const i32 h = end < display_host_height ? end : display_host_height;
    for (i32 y = pic.y0; y < h; y++) {
        if (!keep(y)) continue;
        const u8* row = pic.row(y);
        for (i32 x = 0; x < pic.w; x++)
            put(x, y, row[x]);
    }
}

bool ready(i32 factor) {
    if (!display_buffer) return false;
    const i32 gw = machine_live_row().width, gh = machine_live_row().height;
    return gw > 0 && gh > 0 &&
           gw * factor * static_cast<i32>(display_aspect == 2 ? 2 : 1) <= display_stride;
}

// The pictures of one pass, kept so that a pass allocates nothing.
Rows shown, twice, out;

// The filter of `factor` over shown rows [first, last]: each output row is
// worked out from the shown rows around it, which are taken with it.
void filter_rows(i32 factor, i32 first, i32 last) {
    if (!ready(factor)) return;
    const i32 h = display_rotated ? machine_live_row().width : machine_live_row().height;
    first = first < 0 ? 0 : first;
    last = last >= h ? h - 1 : last;
    if (first > last) return;
    if (factor == 2) {
        shown_rows(first - 1, last + 1, shown);
        scale2x_rows(shown, first, last, out);
        emit(out, [](i32 y) { return !scanlines || y % 2 == 0; });
    } else if (factor == 3) {
        shown_rows(first - 1, last + 1, shown);
        scale3x_rows(shown, first, last, out);
        emit(out, [](i32 y) { return !scanlines || y % 3 != 2; });
    } else {
        // Scale2x twice: the doubled rows next to the band come from the
        // shown rows next to those.
        shown_rows(first - 2, last + 2, shown);
        scale2x_rows(shown, first > 0 ? first - 1 : 0, last + 1 < h ? last + 1 : h - 1, twice);
        scale2x_rows(twice, 2 * first, 2 * last + 1, out);
        // With scanlines the lower row of every odd doubled row stays a gap.
        emit(out, [](i32 y) { return !scanlines || y % 4 != 3; });
    }
}

} // namespace

void display_filter_rows(i32 first, i32 last) {
    if (display_scale >= 2 && display_scale <= 4)
        filter_rows(static_cast<i32>(display_scale), first, last);
}

void display_scale2x() {
    filter_rows(2, 0, GUEST_FRAME_COLUMNS);
}

void display_scale3x() {
    filter_rows(3, 0, GUEST_FRAME_COLUMNS);
}

void display_scale4x() {
    filter_rows(4, 0, GUEST_FRAME_COLUMNS);
}
