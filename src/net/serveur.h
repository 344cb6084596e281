#pragma once

#include "world/monde.h"

namespace jeu {

// Stack of each session thread: small, so that many thousands fit.
inline constexpr std::size_t pile_session = 256 * 1024;

// Creates a TCP socket bound to 0.0.0.0:port listening with `backlog`, then
// accepts for ever, serving each connection with `client` on a thread of its
// own. Throws std::system_error naming the call ("socket", "bind", "listen")
// when the listening socket cannot be set up. Failed accepts and thread
// starts are survived: see serveur.cpp.
[[noreturn]] void serveur(monde& m, int port, int backlog) EXCLUDES(m.verrou_monde);

}  // namespace jeu
