#include "net/serveur.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <system_error>
#include <thread>

#include "net/session.h"
#include "net/ecriture.h"
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

int ouvre_ecoute(int port, int backlog) {
  if (configuration::debug) ecrit_tout(stdout, "creation de la socket principale\n");
  const int ecoute = ::socket(AF_INET, SOCK_STREAM, 0);
  if (ecoute < 0) echec("socket");
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_ANY);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port));
  if (configuration::debug) ecrit_tout(stdout, "binding et listening\n");
  if (::bind(ecoute, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) < 0) {
    echec("bind");
  }
  if (::listen(ecoute, backlog) < 0) echec("listen");
  return ecoute;
}

int accepte(int ecoute) {
  for (;;) {
    const int socket = ::accept(ecoute, nullptr, nullptr);
    if (socket >= 0) {
      const int oui = 1;
      ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &oui, sizeof oui);
      return socket;
    }
    // Out of descriptors or memory: pause so that sessions can end and free
    // some, rather than spin. Anything else (interrupted, aborted or failed
    // connection) only concerns that connection: retry at once.
    if (manque_de_ressources(errno)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } else if (errno != EINTR && errno != ECONNABORTED && errno != EPROTO) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
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

void serveur(monde& m, int port, int backlog) {
  const int ecoute = ouvre_ecoute(port, backlog);
  if (configuration::debug) ecrit_tout(stdout, "attente des clients\n");
  for (;;) {
    demarre_session(m, accepte(ecoute));
  }
}

}  // namespace jeu
