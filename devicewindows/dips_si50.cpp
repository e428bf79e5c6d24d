// The Instructor 50's switches: the eight toggles of the parallel input,
// where the guest finds them, the interrupt addressing and its source.
#include "devicewindows/dips_window.h"

#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "platform/catalog.h"

namespace {

GuiWindowDesc describe() {
    GuiNode toggles = dips_node(GK_HGROUP);
    for (int i = 0; i < 8; i++) {
        GuiNode t =
            dips_node(GK_BUTTON, GID_SI50_TOGGLE + i, std::string(1, static_cast<char>('7' - i)));
        t.toggle = true;
        toggles.children.push_back(t);
    }
    GuiNode parallel = dips_group(
        GK_VGROUP,
        {toggles, dips_radio(GID_SI50_PARALLEL,
                             {cat_str(581, "Memory $0FFF"), cat_str(582, "Extended I/O Port $07"),
                              cat_str(583, "Non-Extended Data Port")})},
        cat_str(580, "Parallel I/O"));
    GuiNode interrupts = dips_group(
        GK_VGROUP,
        {dips_radio(GID_SI50_INTERRUPTS, {cat_str(585, "Direct"), cat_str(586, "Indirect")})},
        cat_str(584, "Interrupts"));
    GuiNode selector = dips_group(
        GK_VGROUP,
        {dips_radio(GID_SI50_SELECTOR, {cat_str(588, "A.C. Line"), cat_str(589, "Keyboard")})},
        cat_str(587, "Interrupt Selector"));
    GuiWindowDesc d;
    d.title = cat_str(387, "Signetics Instructor 50 DIP Switches");
    d.root = dips_group(GK_HGROUP,
                        {dips_group(GK_VGROUP, {parallel, interrupts, selector}),
                         dips_group(GK_VGROUP, {dips_space(), dips_picture(), dips_space()})});
    return d;
}

void input(int gid, int code) {
    if (gid >= GID_SI50_TOGGLE && gid < GID_SI50_TOGGLE + 8) {
        // The switch flips; the button's own state is not read back.
        si50_toggles = (si50_toggles ^ (0x80u >> (gid - GID_SI50_TOGGLE))) & 0xFF;
    } else if (gid == GID_SI50_PARALLEL && code >= 0 && code <= 2) {
        si50_parallelio = static_cast<u32>(code);
    } else if (gid == GID_SI50_INTERRUPTS && code >= 0 && code <= 1) {
        si50_interrupts = code;
    } else if (gid == GID_SI50_SELECTOR && code >= 0 && code <= 1) {
        si50_intselector = code;
    } else {
        return;
    }
    prefs_user_chose(&si50_toggles);
    prefs_user_chose(&si50_parallelio);
    prefs_user_chose(&si50_interrupts);
    prefs_user_chose(&si50_intselector);
}

void refresh() {
    for (int i = 0; i < 8; i++)
        dips_show(GID_SI50_TOGGLE + i, (si50_toggles >> (7 - i)) & 1);
    dips_show(GID_SI50_PARALLEL, static_cast<int>(si50_parallelio));
    dips_show(GID_SI50_INTERRUPTS, si50_interrupts);
    dips_show(GID_SI50_SELECTOR, si50_intselector);
}

constexpr int GADGETS[] = {GID_SI50_TOGGLE,     GID_SI50_TOGGLE + 1, GID_SI50_TOGGLE + 2,
                           GID_SI50_TOGGLE + 3, GID_SI50_TOGGLE + 4, GID_SI50_TOGGLE + 5,
                           GID_SI50_TOGGLE + 6, GID_SI50_TOGGLE + 7, GID_SI50_PARALLEL,
                           GID_SI50_INTERRUPTS, GID_SI50_SELECTOR};

} // namespace

const DipsWindow dips_si50_window{describe, input, refresh, GADGETS, 11, nullptr};
