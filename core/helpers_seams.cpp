#include "core/helpers_seams.h"

__attribute__((weak)) char locale_group_separator = ',';
__attribute__((weak)) int lowercase = 0;

__attribute__((weak)) int host_shift_down() {
    return 0;
}
__attribute__((weak)) int host_ctrl_down() {
    return 0;
}
