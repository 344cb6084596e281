#include "endurance/lien.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace jeu::endurance {

lien::~lien() { ferme(); }

bool lien::ouvre(int port) {
  ferme();
  fin_ = false;
  tampon_.clear();
  debut_ = 0;
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  const int un = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    ferme();
    return false;
  }
  return true;
}

bool lien::envoie(std::string_view octets) {
  if (fd_ < 0) return false;
  while (!octets.empty()) {
    const ssize_t n = send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    octets.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool lien::remplit(horloge::time_point limite) {
  if (fd_ < 0 || fin_) return false;
  for (;;) {
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(limite - horloge::now());
    if (reste.count() < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(reste.count()) + 1);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      if (horloge::now() >= limite) return false;
      continue;
    }
    char morceau[16384];
    const ssize_t n = recv(fd_, morceau, sizeof morceau, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      fin_ = true;
      return false;
    }
    if (debut_ > 0 && debut_ == tampon_.size()) {
      tampon_.clear();
      debut_ = 0;
    }
    tampon_.append(morceau, static_cast<std::size_t>(n));
    return true;
  }
}

std::optional<std::string> lien::ligne(horloge::time_point limite) {
  std::size_t cherche = debut_;
  for (;;) {
    const std::size_t lf = tampon_.find('\n', cherche);
    if (lf != std::string::npos) {
      std::string l = tampon_.substr(debut_, lf - debut_);
      debut_ = lf + 1;
      if (debut_ > 65536) {
        tampon_.erase(0, debut_);
        debut_ = 0;
      }
      return l;
    }
    cherche = tampon_.size();
    const std::size_t avant = debut_;
    if (!remplit(limite)) return std::nullopt;
    cherche -= avant - debut_;  // remplit may have dropped consumed bytes
  }
}

bool lien::attend_fin(horloge::time_point limite, std::size_t* restants) {
  std::size_t n = tampon_.size() - debut_;
  tampon_.clear();
  debut_ = 0;
  while (remplit(limite)) {
    n += tampon_.size();
    tampon_.clear();
  }
  if (restants) *restants = n;
  return fin_;
}

std::size_t lien::lit_un_peu(std::chrono::milliseconds delai) {
  const std::size_t avant = tampon_.size() - debut_;
  remplit(horloge::now() + delai);
  return tampon_.size() - debut_ - avant;
}

void lien::demi_ferme() {
  if (fd_ >= 0) shutdown(fd_, SHUT_WR);
}

void lien::ferme() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void lien::reinitialise() {
  if (fd_ < 0) return;
  const linger l{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  ferme();
}

}  // namespace jeu::endurance
