// Weak stand-ins for the netplay link; the input subsystem replaces them.
#include "cpu/seams.h"

__attribute__((weak)) void net_send_byte(u8) {}
__attribute__((weak)) u8 net_recv_byte() {
    return 0;
}
