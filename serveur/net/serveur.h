#pragma once

#include "world/monde.h"

namespace jeu {

// Stack of each session thread: small, so that many thousands fit.
inline constexpr std::size_t pile_session = 256 * 1024;

// The listen backlog: the system's maximum (SOMAXCONN, or
// /proc/sys/net/core/somaxconn when larger), so that players connecting all
// at once wait in the queue instead of having their handshakes dropped.
int file_attente();

// A TCP socket bound to 0.0.0.0:port and listening with `backlog`. Throws
// std::system_error naming the call ("socket", "bind", "listen") on failure.
int ouvre_ecoute(int port, int backlog);

// The next connection on `ecoute`, with TCP_NODELAY set so that no reply
// waits for the peer's acknowledgement of the previous one. Failed accepts
// are retried (after a pause when descriptors or memory run out): never fails.
int accepte(int ecoute);

// Starts the session of the accepted `socket` on a thread of its own. false
// when the thread could not start, memory exhaustion included: the socket
// is then closed and nothing else happened. Never throws.
bool demarre_session(monde& m, int socket) noexcept EXCLUDES(m.verrou_monde);

// Listens on `port` with `backlog`, then accepts for ever, serving each
// connection with `client` on a thread of its own. Throws as ouvre_ecoute; a
// thread that cannot start costs only its connection.
[[noreturn]] void serveur(monde& m, int port, int backlog) EXCLUDES(m.verrou_monde);

}  // namespace jeu
