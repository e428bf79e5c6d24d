// The netplay link: two copies of the program play one Arcadia, Interton or
// Elektor game over one TCP connection. One side acts as server (it listens
// on "netport" and takes one client), the other connects as client; both
// reset, and from then on every frame each side sends one input record and
// waits for the peer's, so that both run in lockstep. The server plays the
// left player, the client the right one.
//
// The stream, per frame and direction: the machine's record (its last byte
// the length n of a chat message, 0 to 80), then the n characters of the
// message. On the expanded Elektor the server also sends the byte of every
// random number its guest reads, at the moment of the read.
//
// A receive waits for the peer as long as it takes, but serves the
// interface's events meanwhile (the frame counts as held part-way). End of
// stream, a socket error or a message longer than 80 characters ends the link
// with "Disconnected.".
//
//   u8 own[3] = {...}, peer[4];
//   if (net_exchange(own, 3, peer)) ... // apply the peer's record
#pragma once

#include "core/types.h"

#include <cstdint>
#include <vector>

constexpr int NET_HOST_SIZE = 258;     // the host text: 257 characters and its end
constexpr int NET_HOST_INPUT_MAX = 256; // a typed or scripted host name is cut here
constexpr int NET_CHAT_MAX = 80;       // characters of one chat message
constexpr int NET_LISTEN_SLICE_MS = 50; // the listening loop waits this long per turn
constexpr int NET_WAIT_SLICE_MS = 20;   // a receive serves events this often

enum NetMode : u32 { NET_OFF = 0, NET_CLIENT = 1, NET_SERVER = 2, NET_LISTENING = 3 };

extern u32 net_mode;                     // NetMode
extern int net_socket;                   // the connection, -1 none
extern char net_host[NET_HOST_SIZE];     // the client's target; the server's addresses
extern bool net_host_preset;             // set while CLIENT runs with a host name: no prompt
extern char net_chat_text[NET_CHAT_MAX + 4]; // the message going out with the next record
extern char net_chat_shown[2 * NET_CHAT_MAX + 1]; // the peer's last message, as UTF-8
extern int net_connect_timeout_ms;       // how long a client waits for the server
extern int net_listen_timeout_ms;        // how long a server that a script started waits for a client
// Finds the IPv4 addresses of a host: net_resolve; tests put their own in.
extern int (*net_resolver)(const char* host, std::vector<std::uint32_t>* addresses);

// 0 disconnect, 1 connect as client (asks for the host unless preset), 2 act
// as server; any other value only refreshes the title.
void net_command(int which);
// Closes the connection: "Disconnected.", mode 0.
void net_disconnect();
void net_client_connect(const char* host, u16 port);
// Listens on `port` until a client connects or the user gives up in the
// "Listening..." window; begun by a command of the port, also until the
// client that sent it leaves or net_listen_timeout_ms has passed.
void net_server_listen(u16 port);
// Connected as client or server.
bool net_connected();
// Copies a typed or scripted host name, cut to NET_HOST_INPUT_MAX characters.
void net_set_host(const char* text);

// Transfers: false when there is no connection or it failed (which ends it).
bool net_send_all(const u8* data, int length);
bool net_recv_all(u8* data, int length);
bool net_send_byte(u8 value);
u8 net_recv_byte(); // 0 when none arrived
// Sends the first `length` characters of net_chat_text and empties it.
void net_send_chat(u8 length);
// Receives a message of `length` characters from the peer and shows it in
// the status bar; a length above 80 ends the link. False when none arrived.
bool net_recv_chat(u8 length);

// One frame's exchange: sends the `size` bytes of `own` with the chat length
// after them and the pending chat, then takes the peer's record into `peer`
// (size + 1 bytes, the chat length last) and its chat. True when the peer's
// record arrived whole and may be applied.
bool net_exchange(const u8* own, int size, u8* peer);

// The debugger's chat line: stores `text` (over 80 characters: the first 77
// and "...") to go out with the next record. False when not connected.
bool net_store_chat(const char* text);

// Called once for every link made, when it has settled: true once it has
// exchanged NET_SETTLE_FRAMES records whole (a second of play), false when it
// ended before (a peer that left at once, or one whose machine sends records
// of another size: the stream loses its step within a few frames). nullptr:
// nobody waits for it.
constexpr int NET_SETTLE_FRAMES = 50;
extern void (*net_link_settled)(bool held);

// A side whose frame waits for its peer stands in the middle of that frame,
// where no state can be saved. While connected the machine is kept as each
// frame leaves it (net_keep_frame_end, at the end of every frame), and a way
// out puts it back (net_back_to_frame_end) to save the state it can: true
// when it did, the frame under way given up. net_frame_end_kept: whether
// there is one to put back now.
void net_keep_frame_end();
bool net_frame_end_kept();
bool net_back_to_frame_end();

// Back to the start-up state, closing any connection without a word.
void net_reset();
