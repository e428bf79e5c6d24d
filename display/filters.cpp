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

// Rows [y0, y0 + n) of a picture w x h, row-major. The smoothing rules take
// the edge pixels for those beyond the edges; the rows they reach must be held.
struct Rows {
    i32 w = 0, h = 0, y0 = 0;
    std::vector<u8> px;
    u8* row(i32 y) { return &px[static_cast<std::size_t>(y - y0) * w]; }
    // Row y, or the edge row nearest to it.
    const u8* row_at(i32 y) const {
        y = y < 0 ? 0 : y >= h ? h - 1 : y;
        return &px[static_cast<std::size_t>(y - y0) * w];
    }
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
        if (!display_rotated) {
            for (i32 x = 0; x < s.w; x++)
                out[x] = guest_frame[x * GUEST_FRAME_ROWS + y];
            continue;
        }
        // Turned a quarter clockwise: guest column y is shown row y.
        for (i32 x = 0; x < s.w; x++) {
            const i32 gy = gw - 1 - x;
            out[x] = gy >= 0 && gy < gh ? guest_frame[y * GUEST_FRAME_ROWS + gy] : 0;
        }
    }
}

// The 3 x 3 neighbourhood of pixel x on row y: a b c above, d e f, g h i below.
struct Around {
    u8 a, b, c, d, e, f, g, h, i;
};
// Calls at(x, around) for every pixel of row y of `in`.
template <class At> inline void each_pixel(const Rows& in, i32 y, At at) {
    const u8 *up = in.row_at(y - 1), *mid = in.row_at(y), *down = in.row_at(y + 1);
    for (i32 x = 0; x < in.w; x++) {
        const i32 l = x > 0 ? x - 1 : 0, r = x + 1 < in.w ? x + 1 : in.w - 1;
        at(x, Around{up[l], up[x], up[r], mid[l], mid[x], mid[r], down[l], down[x], down[r]});
    }
}

// Scale2x of rows [first, last] of `in` (which holds the rows next to them
// too) into `out`: rows 2 * first .. 2 * last + 1 of the picture twice the size.
void scale2x_rows(const Rows& in, i32 first, i32 last, Rows& out) {
    out.hold(in.w * 2, in.h * 2, 2 * first, 2 * last + 1);
    for (i32 y = first; y <= last; y++) {
        u8* r0 = out.row(2 * y);
        u8* r1 = r0 + out.w;
        each_pixel(in, y, [&](i32 x, const Around& p) {
            u8 e0 = p.e, e1 = p.e, e2 = p.e, e3 = p.e;
            if (p.b != p.h && p.d != p.f) {
                e0 = p.d == p.b ? p.d : p.e;
                e1 = p.b == p.f ? p.f : p.e;
                e2 = p.d == p.h ? p.d : p.e;
                e3 = p.h == p.f ? p.f : p.e;
            }
            r0[2 * x] = e0;
            r0[2 * x + 1] = e1;
            r1[2 * x] = e2;
            r1[2 * x + 1] = e3;
        });
    }
}

// Scale3x of rows [first, last] of `in` into `out`, as above.
void scale3x_rows(const Rows& in, i32 first, i32 last, Rows& out) {
    out.hold(in.w * 3, in.h * 3, 3 * first, 3 * last + 2);
    for (i32 y = first; y <= last; y++) {
        u8* r0 = out.row(3 * y);
        each_pixel(in, y, [&](i32 x, const Around& p) {
            const u8 a = p.a, b = p.b, c = p.c, d = p.d, e = p.e, f = p.f, g = p.g, h = p.h,
                     i = p.i;
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
                std::memcpy(r0 + static_cast<std::size_t>(r) * out.w + 3 * x, &o[3 * r], 3);
        });
    }
}

// The rows `pic` holds into the buffer; `keep(row)` says which rows are written.
template <class Keep> void emit(Rows& pic, Keep keep) {
    const i32 end = pic.y0 + static_cast<i32>(pic.px.size()) / (pic.w > 0 ? pic.w : 1);
    const i32 h = end < display_host_height ? end : display_host_height;
    for (i32 y = pic.y0; y < h; y++) {
        if (!keep(y)) continue;
        const u8* row = pic.row(y);
        u8* dst = display_rows[y];
        // One or two host pixels wide by the stretch.
        if (display_stretch() == 2)
            for (i32 x = 0; x < pic.w; x++)
                std::memcpy(dst + 2 * x, &pen_double[row[x]], 2);
        else
            for (i32 x = 0; x < pic.w; x++)
                dst[x] = pen_byte[row[x]];
    }
}

bool ready(i32 factor) {
    if (!display_buffer) return false;
    const i32 gw = machine_live_row().width, gh = machine_live_row().height;
    return gw > 0 && gh > 0 &&
           gw * factor * static_cast<i32>(display_stretch()) <= display_stride;
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
    const bool gaps = display_scanline_gaps();
    if (factor == 2) {
        shown_rows(first - 1, last + 1, shown);
        scale2x_rows(shown, first, last, out);
        emit(out, [gaps](i32 y) { return !gaps || y % 2 == 0; });
    } else if (factor == 3) {
        shown_rows(first - 1, last + 1, shown);
        scale3x_rows(shown, first, last, out);
        emit(out, [gaps](i32 y) { return !gaps || y % 3 != 2; });
    } else {
        // Scale2x twice: the doubled rows next to the band come from the
        // shown rows next to those.
        shown_rows(first - 2, last + 2, shown);
        scale2x_rows(shown, first > 0 ? first - 1 : 0, last + 1 < h ? last + 1 : h - 1, twice);
        scale2x_rows(twice, 2 * first, 2 * last + 1, out);
        // With scanlines the lower row of every odd doubled row stays a gap.
        emit(out, [gaps](i32 y) { return !gaps || y % 4 != 3; });
    }
}

} // namespace

void display_filter_rows(i32 first, i32 last) {
    const u32 s = display_picture_scale();
    if (s >= 2 && s <= 4) filter_rows(static_cast<i32>(s), first, last);
}
