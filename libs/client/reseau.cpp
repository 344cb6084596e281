#include "client/reseau.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "jeu_client.h"

namespace jeu_client::interne {

namespace {

using horloge = std::chrono::steady_clock;

// Waits for `evenement` on `fd` until `e`; false when the time is up.
bool attend(int fd, short evenement, const echeance& e) {
  for (;;) {
    const auto reste = e.fin - horloge::now();
    if (reste <= horloge::duration::zero()) return false;
    // Rounded up: a wait of less than a millisecond must not spin.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(reste).count();
    pollfd p{fd, evenement, 0};
    const int n = poll(&p, 1, static_cast<int>(std::min<long long>(ms, 1 << 30)));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return true;  // the next call reports the failure
  }
}

[[noreturn]] void echec(erreur::sorte s, const std::string& quoi, int code) {
  throw erreur(s, quoi + " : " + std::strerror(code));
}

[[noreturn]] void depasse(const echeance& e, const char* quoi) {
  throw erreur(erreur::sorte::delai, std::string(quoi) + " : delai de " +
                                         std::to_string(e.delai.count()) + " ms depasse");
}

}  // namespace

int connecte(const std::string& hote, int port, const echeance& e) {
  const std::string qui = "connexion a " + hote + " port " + std::to_string(port);
  if (port < 0 || port > 65535) throw erreur(erreur::sorte::connexion, qui + " : port invalide");
  addrinfo indices{};
  indices.ai_family = AF_UNSPEC;
  indices.ai_socktype = SOCK_STREAM;
  addrinfo* adresses = nullptr;
  const int r = getaddrinfo(hote.c_str(), std::to_string(port).c_str(), &indices, &adresses);
  if (r != 0) throw erreur(erreur::sorte::connexion, qui + " : " + gai_strerror(r));
  const std::unique_ptr<addrinfo, void (*)(addrinfo*)> garde(adresses, freeaddrinfo);

  std::string derniere = "aucune adresse";
  for (const addrinfo* a = adresses; a; a = a->ai_next) {
    const int fd =
        socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      derniere = std::strerror(errno);
      continue;
    }
    int code = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
    if (code == EINPROGRESS) {
      if (attend(fd, POLLOUT, e)) {
        socklen_t taille = sizeof code;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &taille) != 0) code = errno;
      } else {
        code = ETIMEDOUT;
      }
    }
    if (code == 0) {
      const int un = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
      return fd;
    }
    close(fd);
    derniere = std::strerror(code);
    if (code == ETIMEDOUT) break;  // the delay is spent
  }
  throw erreur(erreur::sorte::connexion, qui + " : " + derniere);
}

void ecrit(int fd, std::string_view octets, const echeance& e) {
  while (!octets.empty()) {
    const ssize_t n = send(fd, octets.data(), octets.size(), MSG_NOSIGNAL);
    if (n > 0) {
      octets.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!attend(fd, POLLOUT, e)) depasse(e, "ecriture");
    } else {
      echec(erreur::sorte::fermee, "connexion perdue en ecriture", errno);
    }
  }
}

bool lit(int fd, std::string& tampon, const echeance& e) {
  for (;;) {
    // Checked before reading too: a peer sending a byte now and then must
    // not stretch a reply beyond the delay.
    if (horloge::now() >= e.fin) depasse(e, "pas de reponse complete");
    char bloc[65536];
    const ssize_t n = recv(fd, bloc, sizeof bloc, 0);
    if (n > 0) {
      tampon.append(bloc, static_cast<std::size_t>(n));
      return true;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      echec(erreur::sorte::fermee, "connexion perdue en lecture", errno);
    }
    if (!attend(fd, POLLIN, e)) depasse(e, "pas de reponse complete");
  }
}

}  // namespace jeu_client::interne
