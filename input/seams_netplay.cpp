// Stand-ins for the netplay link until the input subsystem writes it: the real
// ones send a byte to and receive a byte from the other side; these send
// nothing and receive 0.
#include "machines/seams.h"

void net_send_byte(u8) {}
u8 net_recv_byte() {
    return 0;
}
