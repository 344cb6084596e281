#include "commun/client_tcp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace jeu::commun {

namespace {
using horloge = std::chrono::steady_clock;
}

namespace {

// `texte`:port as a socket address; its length, 0 when `texte` is no address.
socklen_t adresse_de(const std::string& texte, int port, sockaddr_storage& sa) {
  sa = {};
  auto& v4 = reinterpret_cast<sockaddr_in&>(sa);
  if (inet_pton(AF_INET, texte.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<std::uint16_t>(port));
    return sizeof v4;
  }
  auto& v6 = reinterpret_cast<sockaddr_in6&>(sa);
  if (inet_pton(AF_INET6, texte.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<std::uint16_t>(port));
    return sizeof v6;
  }
  return 0;
}

}  // namespace

client_tcp::client_tcp(int port) : client_tcp("127.0.0.1", port) {}

client_tcp::client_tcp(const std::string& adresse, int port, const std::string& source) {
  sockaddr_storage destination;
  const socklen_t taille = adresse_de(adresse, port, destination);
  if (taille == 0) return;
  fd_ = socket(destination.ss_family, SOCK_STREAM, 0);
  if (!source.empty()) {
    sockaddr_storage locale;
    const socklen_t taille_locale = adresse_de(source, 0, locale);
    if (taille_locale == 0 || bind(fd_, reinterpret_cast<sockaddr*>(&locale), taille_locale) != 0) {
      ferme();
      return;
    }
  }
  if (connect(fd_, reinterpret_cast<sockaddr*>(&destination), taille) != 0) ferme();
}

client_tcp::~client_tcp() { ferme(); }

bool client_tcp::envoie(std::string_view octets) {
  while (!octets.empty()) {
    const ssize_t n = send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    octets.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::optional<std::string> client_tcp::ligne(std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  for (;;) {
    if (const auto lf = tampon_.find('\n'); lf != std::string::npos) {
      std::string resultat = tampon_.substr(0, lf + 1);
      tampon_.erase(0, lf + 1);
      return resultat;
    }
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(fin - horloge::now());
    if (reste.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(reste.count())) <= 0) continue;
    char bloc[65536];
    const ssize_t n = recv(fd_, bloc, sizeof bloc, 0);
    if (n <= 0) return std::nullopt;
    tampon_.append(bloc, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> client_tcp::demande(std::string_view requete) {
  if (!envoie(std::string(requete) + "\r\n")) return std::nullopt;
  return ligne();
}

bool client_tcp::attend_fermeture(std::chrono::milliseconds delai, std::string* reste) {
  const auto fin = horloge::now() + delai;
  for (;;) {
    const auto attente = std::chrono::duration_cast<std::chrono::milliseconds>(fin - horloge::now());
    if (attente.count() <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(attente.count())) <= 0) continue;
    char bloc[4096];
    const ssize_t n = recv(fd_, bloc, sizeof bloc, 0);
    if (n == 0 || (n < 0 && errno == ECONNRESET)) {
      if (reste) *reste = tampon_;
      return true;
    }
    if (n > 0) tampon_.append(bloc, static_cast<std::size_t>(n));
  }
}

void client_tcp::demi_ferme() { shutdown(fd_, SHUT_WR); }

void client_tcp::ferme() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

}  // namespace jeu::commun
