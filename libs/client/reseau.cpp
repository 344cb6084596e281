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
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

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
  throw erreur(s, quoi + ": " + std::strerror(code));
}

[[noreturn]] void depasse(const echeance& e, const char* quoi) {
  throw erreur(erreur::sorte::delai, std::string(quoi) + ": nothing within " +
                                         std::to_string(e.delai.count()) + " ms");
}

}  // namespace

namespace {

// A name being resolved on a thread of its own, shared with the caller,
// who may stop waiting for it.
struct resolution {
  std::mutex verrou;
  std::condition_variable fin;
  bool finie = false;
  int code = 0;
  addrinfo* adresses = nullptr;
  ~resolution() {
    if (adresses) freeaddrinfo(adresses);
  }
};

}  // namespace

adresses_resolues resout(const std::string& hote, int port, const echeance& e,
                          fonction_resolution resous) {
  const std::string qui = "connecting to " + hote + " port " + std::to_string(port);
  if (port < 0 || port > 65535) throw erreur(erreur::sorte::connexion, qui + ": invalid port");
  const std::string service = std::to_string(port);
  addrinfo indices{};
  indices.ai_family = AF_UNSPEC;
  indices.ai_socktype = SOCK_STREAM;
  indices.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* adresses = nullptr;
  // An address written as numbers never asks a name server: no thread.
  int r = resous(hote.c_str(), service.c_str(), &indices, &adresses);
  if (r == 0) return adresses_resolues(adresses, freeaddrinfo);
  if (r != EAI_NONAME) throw erreur(erreur::sorte::connexion, qui + ": " + gai_strerror(r));

  // getaddrinfo has no deadline: it runs on a thread that the caller leaves
  // behind when the delay is over; the thread frees what it found.
  indices.ai_flags = AI_NUMERICSERV;
  const auto etat = std::make_shared<resolution>();
  try {
    std::thread([etat, hote, service, indices, resous] {
      addrinfo* trouvees = nullptr;
      const int code = resous(hote.c_str(), service.c_str(), &indices, &trouvees);
      const std::lock_guard garde(etat->verrou);
      etat->code = code;
      etat->adresses = code == 0 ? trouvees : nullptr;
      etat->finie = true;
      etat->fin.notify_all();
    }).detach();
  } catch (const std::system_error& s) {
    throw erreur(erreur::sorte::connexion, qui + ": no thread to resolve the name (" + s.what() + ")");
  }
  std::unique_lock garde(etat->verrou);
  if (!etat->fin.wait_until(garde, e.fin, [&] { return etat->finie; })) {
    throw erreur(erreur::sorte::connexion, qui + ": name not resolved within " +
                                               std::to_string(e.delai.count()) + " ms");
  }
  r = etat->code;
  if (r != 0) throw erreur(erreur::sorte::connexion, qui + ": " + gai_strerror(r));
  return adresses_resolues(std::exchange(etat->adresses, nullptr), freeaddrinfo);
}

namespace {

// A non-blocking socket for `a` whose connection has started; -1 with
// `code` set when it could not start.
int commence_sur(const addrinfo& a, int& code) {
  const int fd = socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
  if (fd < 0) {
    code = errno;
    return -1;
  }
  code = connect(fd, a.ai_addr, a.ai_addrlen) == 0 ? 0 : errno;
  if (code == 0 || code == EINPROGRESS) {
    const int un = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
    return fd;
  }
  close(fd);
  return -1;
}

// The outcome of a connection that was in progress and is now writable.
int resultat_connexion(int fd) {
  int code = 0;
  socklen_t taille = sizeof code;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &taille) != 0) code = errno;
  return code;
}

}  // namespace

int connecte(const std::string& hote, int port, const echeance& e) {
  const std::string qui = "connecting to " + hote + " port " + std::to_string(port);
  const adresses_resolues adresses = resout(hote, port, e);
  std::string derniere = "no address";
  for (const addrinfo* a = adresses.get(); a; a = a->ai_next) {
    int code = 0;
    const int fd = commence_sur(*a, code);
    if (fd >= 0 && code == EINPROGRESS) {
      code = attend(fd, POLLOUT, e) ? resultat_connexion(fd) : ETIMEDOUT;
    }
    if (code == 0) return fd;
    if (fd >= 0) close(fd);
    derniere = std::strerror(code);
    if (code == ETIMEDOUT) break;  // the delay is spent
  }
  throw erreur(erreur::sorte::connexion, qui + ": " + derniere);
}

int commence(const std::string& hote, int port, const echeance& e) {
  const std::string qui = "connecting to " + hote + " port " + std::to_string(port);
  const adresses_resolues adresses = resout(hote, port, e);
  int code = 0;
  const int fd = commence_sur(*adresses, code);
  if (fd < 0) throw erreur(erreur::sorte::connexion, qui + ": " + std::strerror(code));
  return fd;
}

bool connectee(int fd, const std::string& qui, std::chrono::steady_clock::time_point fin,
               std::chrono::milliseconds delai) {
  pollfd p{fd, POLLOUT, 0};
  if (poll(&p, 1, 0) == 1) {
    const int code = resultat_connexion(fd);
    if (code != 0) throw erreur(erreur::sorte::connexion, qui + ": " + std::strerror(code));
    return true;
  }
  if (std::chrono::steady_clock::now() >= fin) {
    throw erreur(erreur::sorte::connexion,
                 qui + ": not connected within " + std::to_string(delai.count()) + " ms");
  }
  return false;
}

void ecrit(int fd, std::string_view octets, const echeance& e) {
  while (!octets.empty()) {
    const ssize_t n = send(fd, octets.data(), octets.size(), MSG_NOSIGNAL);
    if (n > 0) {
      octets.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!attend(fd, POLLOUT, e)) depasse(e, "write");
    } else {
      echec(erreur::sorte::fermee, "connection lost while writing", errno);
    }
  }
}

bool lit(int fd, std::string& tampon, const echeance& e) {
  for (;;) {
    // Checked before reading too: a peer sending a byte now and then must
    // not stretch a reply beyond the delay.
    if (horloge::now() >= e.fin) depasse(e, "no complete reply");
    char bloc[65536];
    const ssize_t n = recv(fd, bloc, sizeof bloc, 0);
    if (n > 0) {
      tampon.append(bloc, static_cast<std::size_t>(n));
      return true;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      echec(erreur::sorte::fermee, "connection lost while reading", errno);
    }
    if (!attend(fd, POLLIN, e)) depasse(e, "no complete reply");
  }
}

}  // namespace jeu_client::interne
