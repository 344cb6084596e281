#include "net/serveur.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <cstdio>
#include <chrono>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "net/session.h"
#include "net/ecriture.h"
#include "net/salle_attente.h"
#include "net/thread_detache.h"

namespace jeu {

namespace {

[[noreturn]] void echec(const char* appel) {
  throw std::system_error(errno, std::generic_category(), appel);
}

// Errors of accept that a client or a passing shortage causes. None of them
// may end the server: the connection at fault is lost, the others go on.
bool manque_de_ressources(int erreur) {
  return erreur == EMFILE || erreur == ENFILE || erreur == ENOBUFS || erreur == ENOMEM;
}

}  // namespace

int file_attente() {
  int maximum = SOMAXCONN;
  if (std::FILE* f = std::fopen("/proc/sys/net/core/somaxconn", "r")) {
    int systeme = 0;
    if (std::fscanf(f, "%d", &systeme) == 1 && systeme > maximum) maximum = systeme;
    std::fclose(f);
  }
  return maximum;
}

int ouvre_ecoute(int port, int backlog, const adresse_ip& adresse) {
  if (configuration::debug) ecrit_tout(stdout, "creation de la socket principale\n");
  // Non-blocking: the listener waits in poll(), also for the deadlines of
  // connections waiting to register, and an accept never blocks it.
  const int ecoute = ::socket(adresse.famille, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (ecoute < 0) echec("socket");
  // Never SO_REUSEPORT: a second server on the same port must fail.
  const int oui = 1;
  const int non = 0;
  if (::setsockopt(ecoute, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui) < 0) echec("setsockopt");
  if (adresse.famille == AF_INET6 &&
      ::setsockopt(ecoute, IPPROTO_IPV6, IPV6_V6ONLY, &non, sizeof non) < 0) {
    echec("setsockopt");
  }
  sockaddr_storage sa;
  const socklen_t taille = adresse_socket(adresse, port, sa);
  if (configuration::debug) ecrit_tout(stdout, "binding et listening\n");
  if (::bind(ecoute, reinterpret_cast<const sockaddr*>(&sa), taille) < 0) echec("bind");
  if (::listen(ecoute, backlog) < 0) echec("listen");
  return ecoute;
}

int port_local(int ecoute) {
  sockaddr_storage sa{};
  socklen_t taille = sizeof sa;
  if (::getsockname(ecoute, reinterpret_cast<sockaddr*>(&sa), &taille) < 0) return -1;
  // sin_port and sin6_port lie at the same offset.
  return ntohs(reinterpret_cast<const sockaddr_in&>(sa).sin_port);
}

int accepte(int ecoute, adresse_ip* pair) {
  sockaddr_storage sa{};
  socklen_t taille = sizeof sa;
  const int socket = ::accept4(ecoute, reinterpret_cast<sockaddr*>(&sa), &taille, 0);
  if (socket < 0) return -1;
  const int oui = 1;
  ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &oui, sizeof oui);
  if (pair) *pair = adresse_de(sa);
  return socket;
}

bool demarre_session(monde& m, int socket) noexcept {
  int erreur = ENOMEM;
  try {
    erreur = lance_thread_detache([&m, socket] { client(m, socket); }, pile_session);
  } catch (...) {
    // Building the thread's task ran out of memory: as a thread that could not start.
  }
  if (erreur != 0) ::close(socket);
  return erreur == 0;
}

bool demarre_session(monde& m, int socket, salle_attente& salle, salle_attente::place p) noexcept {
  const auto lance = [&]() noexcept {
    try {
      return lance_thread_detache([&m, socket, &salle, p] { client(m, socket, salle, p); },
                                  pile_session);
    } catch (...) {
      return ENOMEM;
    }
  };
  int erreur = lance();
  // No thread for it: the connection that has waited longest makes room,
  // and this one gets a second try once that session has had time to end.
  if (erreur != 0 && salle.ferme_plus_ancienne(&p)) {
    m.compteurs.fermes_place.fetch_add(1, std::memory_order_relaxed);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    erreur = lance();
  }
  if (erreur != 0) {
    salle.retire(p);
    ::close(socket);
    m.compteurs.sockets_ouverts.fetch_sub(1, std::memory_order_relaxed);
  }
  return erreur == 0;
}

namespace {

// The process's descriptors: its limit, and how many were open before
// the first connection (the listener's socket included).
struct descripteurs {
  std::int64_t limite;
  std::int64_t au_depart;

  static descripteurs maintenant() {
    rlimit limite{};
    ::getrlimit(RLIMIT_NOFILE, &limite);
    std::int64_t ouverts = 0;
    std::error_code erreur;
    for (std::filesystem::directory_iterator fd("/proc/self/fd", erreur), fin;
         !erreur && fd != fin; fd.increment(erreur)) {
      ++ouverts;
    }
    // The directory's own descriptor was counted.
    return {limite.rlim_cur == RLIM_INFINITY ? INT64_MAX : static_cast<std::int64_t>(limite.rlim_cur),
            ouverts > 0 ? ouverts - 1 : 3};
  }
  // Within 5 % of the limit once `sockets` connections are open.
  bool presque_epuises(std::int64_t sockets) const {
    const std::int64_t marge = std::max<std::int64_t>(1, limite / 20);
    return au_depart + sockets >= limite - marge;
  }
};

}  // namespace

void serveur(monde& m, const options& o, int backlog) {
  const int ecoute = ouvre_ecoute(o.port, backlog, o.adresse);
  if (o.port == 0) {
    ecrit_tout(stderr, "serveur_jeu: en ecoute sur le port " + std::to_string(port_local(ecoute)) +
                           "\n");
  }
  if (configuration::debug) ecrit_tout(stdout, "attente des clients\n");
  static salle_attente salle(o.delai_inscription, o.attente_max_par_adresse);
  const descripteurs fds = descripteurs::maintenant();
  const auto fait_de_la_place = [&m] {
    if (!salle.ferme_plus_ancienne()) return false;
    m.compteurs.fermes_place.fetch_add(1, std::memory_order_relaxed);
    return true;
  };
  for (;;) {
    const auto maintenant = horloge::now();
    const int fermees = salle.ferme_expirees(maintenant);
    m.compteurs.fermes_delai.fetch_add(static_cast<std::uint64_t>(fermees),
                                       std::memory_order_relaxed);
    pollfd attente{ecoute, POLLIN, 0};
    if (::poll(&attente, 1, salle.attente_ms(maintenant)) <= 0) continue;
    adresse_ip pair;
    const int socket = accepte(ecoute, &pair);
    if (socket < 0) {
      // Out of descriptors or memory: the connection that has waited
      // longest makes room, or else pause so that sessions can end and free
      // some, rather than spin. Anything else (nothing left to accept,
      // interrupted, aborted or failed connection) only concerns that
      // connection: go on at once.
      if (manque_de_ressources(errno)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(fait_de_la_place() ? 5 : 50));
      } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR &&
                 errno != ECONNABORTED && errno != EPROTO) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      continue;
    }
    const std::int64_t sockets =
        m.compteurs.sockets_ouverts.fetch_add(1, std::memory_order_relaxed) + 1;
    // Near the limit, room is made before the descriptors are all gone, so
    // that a player who connects next is still accepted.
    if (fds.presque_epuises(sockets)) fait_de_la_place();
    if (o.delai_ecriture.count() > 0) {
      // sendmsg then gives up when the peer has taken nothing for that long:
      // the session ends as after any failed write.
      const timeval delai{static_cast<time_t>(o.delai_ecriture.count()), 0};
      ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &delai, sizeof delai);
    }
    const std::optional<salle_attente::place> place = salle.entre(socket, pair, horloge::now());
    if (!place) {
      // As many of its address already wait: the newest goes. Counted
      // first: a client that sees the close may ask the count at once.
      m.compteurs.fermes_adresse.fetch_add(1, std::memory_order_relaxed);
      ::close(socket);
      m.compteurs.sockets_ouverts.fetch_sub(1, std::memory_order_relaxed);
      continue;
    }
    demarre_session(m, socket, salle, *place);
  }
}

}  // namespace jeu
