#pragma once

#include "net/adresse_ip.h"
#include "net/ligne_commande.h"
#include "net/salle_attente.h"
#include "world/monde.h"

namespace jeu {

// Stack of each session thread: small, so that many thousands fit.
inline constexpr std::size_t pile_session = 256 * 1024;

// The listen backlog: the system's maximum (SOMAXCONN, or
// /proc/sys/net/core/somaxconn when larger), so that players connecting all
// at once wait in the queue instead of having their handshakes dropped.
int file_attente();

// A TCP socket bound to `adresse`:port (0.0.0.0 by default; an IPv6 address
// also takes IPv4 clients, as ::ffff:a.b.c.d) and listening with `backlog`.
// SO_REUSEADDR: a restarted server takes its port back while the previous
// one's connections wait in TIME_WAIT; a port another socket listens on
// still fails. Throws std::system_error naming the call ("socket", "bind",
// "listen") on failure.
int ouvre_ecoute(int port, int backlog, const adresse_ip& adresse = adresse_ip{});

// The port the socket `ecoute` is bound to.
int port_local(int ecoute);

// One connection waiting on `ecoute`, with TCP_NODELAY set so that no reply
// waits for the peer's acknowledgement of the previous one, and its peer's
// address in `pair` when given. -1 with errno when accept failed (EAGAIN:
// nothing waits; the socket of ouvre_ecoute never blocks).
int accepte(int ecoute, adresse_ip* pair = nullptr);

// Starts the session of the accepted `socket` on a thread of its own. false
// when the thread could not start, memory exhaustion included: the socket
// is then closed and nothing else happened. Never throws.
bool demarre_session(monde& m, int socket) noexcept EXCLUDES(m.verrou_monde);
// The same for a connection waiting in `salle` at `p`. When the thread
// cannot start, the connection that has waited longest is closed to make
// room and the start is tried once more; failing again, this connection
// leaves the room and is closed.
bool demarre_session(monde& m, int socket, salle_attente& salle, salle_attente::place p) noexcept
    EXCLUDES(m.verrou_monde);

// Listens where `o` says with `backlog` (port 0: the system's choice, written
// once on standard error), then accepts for ever, serving each connection
// with `client` on a thread of its own. A connection that has not
// registered within o.delai_inscription is closed, and so is at once one
// whose address has o.attente_max_par_adresse waiting; when descriptors
// come within 5 % of the limit or run out, or a thread cannot start, the
// connection that has waited longest is closed to make room; a session whose reply
// makes no progress for o.delai_ecriture ends. Throws as ouvre_ecoute;
// a thread that cannot start costs only its connection.
[[noreturn]] void serveur(monde& m, const options& o, int backlog) EXCLUDES(m.verrou_monde);

}  // namespace jeu
