// What a netplay peer sends: the first byte chooses the machine (bits 1-2:
// Arcadia, Interton, expanded Elektor) and the role (bit 0: server), the rest
// is the peer's stream, which ends after it. The program exchanges records
// (and, on the Elektor, random bytes) frame after frame until the stream
// runs out or breaks the protocol; it must end the link, never hang or crash.
#include "core/machine.h"
#include "cpu/memory.h"
#include "input/netplay.h"
#include "machines/arcadia.h"
#include "machines/pvi_consoles.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 4096) return 0;
    fuzz_reset();
    net_reset();
    const int choice = (data[0] >> 1) % 3;
    const u32 role = (data[0] & 1) ? NET_SERVER : NET_CLIENT;
    static constexpr int MACHINES[3][2] = {
        {ARCADIA, MAP_ARCADIA_EMERSON}, {INTERTON, MAP_INTERTON_A}, {ELEKTOR, MAP_ELEKTOR_EXPANDED}};
    if (!machine_switch(MACHINES[choice][0], MACHINES[choice][1], false, false, false)) std::abort();
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) std::abort();
    if (size > 1 && write(ends[1], data + 1, size - 1) != static_cast<ssize_t>(size - 1)) std::abort();
    shutdown(ends[1], SHUT_WR); // the peer says nothing more
    net_socket = ends[0];
    net_mode = role;
    for (int frame = 0; frame < 2000 && net_connected(); frame++) {
        if (choice == 2) cpu_read_checked(0x1FFF);
        if (choice == 0)
            arcadia_net_exchange(true);
        else
            pvi_net_exchange(true);
        if (net_mode != role && net_mode != NET_OFF) std::abort();
        if (std::strlen(net_chat_shown) > 2 * NET_CHAT_MAX) std::abort();
    }
    if (net_connected()) std::abort(); // the stream ran out: the link must have ended
    close(ends[1]);
    net_reset();
    return 0;
}
