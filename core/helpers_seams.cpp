// Stand-ins for the host modifier keys until the input layer reads them from
// the host's keyboard: no modifier is ever held.
#include "core/helpers_seams.h"

int host_shift_down() {
    return 0;
}
int host_ctrl_down() {
    return 0;
}
