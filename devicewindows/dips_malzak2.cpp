// Malzak 2's four-position test switch.
#include "devicewindows/dips_window.h"

#include "machines/coinop_inputs.h"
#include "platform/catalog.h"

namespace {

GuiWindowDesc describe() {
    GuiNode radio = dips_radio(GID_MALZAK_TEST, {cat_str(372, "1 (normal play)"), "2", "3",
                                                 cat_str(373, "4 (change settings)")});
    GuiWindowDesc d;
    d.title = cat_str(377, "Malzak 2 DIP Switches");
    d.root = dips_group(GK_HGROUP,
                        {dips_group(GK_VGROUP, {radio}, cat_str(376, "Test Switch (F4)")),
                         dips_group(GK_VGROUP, {dips_space(), dips_picture(), dips_space()})});
    return d;
}

void input(int gid, int code) {
    if (gid == GID_MALZAK_TEST) malzak_test_switch_set(code); // no other positions
}

void refresh() {
    const int position = malzak_test_switch_position();
    dips_show(GID_MALZAK_TEST, position < 0 ? 3 : position);
}

constexpr int GADGETS[] = {GID_MALZAK_TEST};

} // namespace

const DipsWindow dips_malzak2_window{describe, input, refresh, GADGETS, 1, nullptr};
