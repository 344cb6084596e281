#include "net/adresse_ip.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace jeu {

std::optional<adresse_ip> lit_adresse_ip(std::string_view texte) {
  // inet_pton reads a C string: a NUL inside would cut the text short.
  if (texte.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string c(texte);
  adresse_ip a;
  if (inet_pton(AF_INET, c.c_str(), a.octets.data()) == 1) return a;
  a.famille = AF_INET6;
  if (inet_pton(AF_INET6, c.c_str(), a.octets.data()) == 1) return a;
  return std::nullopt;
}

adresse_ip adresse_de(const sockaddr_storage& sa) {
  adresse_ip a;
  if (sa.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(sa);
    std::memcpy(a.octets.data(), &v4.sin_addr, 4);
    return a;
  }
  const auto& v6 = reinterpret_cast<const sockaddr_in6&>(sa);
  if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
    std::memcpy(a.octets.data(), reinterpret_cast<const std::uint8_t*>(&v6.sin6_addr) + 12, 4);
    return a;
  }
  a.famille = AF_INET6;
  std::memcpy(a.octets.data(), &v6.sin6_addr, 16);
  return a;
}

socklen_t adresse_socket(const adresse_ip& adresse, int port, sockaddr_storage& sa) {
  sa = {};
  const auto p = htons(static_cast<std::uint16_t>(port));
  if (adresse.famille == AF_INET) {
    auto& v4 = reinterpret_cast<sockaddr_in&>(sa);
    v4.sin_family = AF_INET;
    v4.sin_port = p;
    std::memcpy(&v4.sin_addr, adresse.octets.data(), 4);
    return sizeof v4;
  }
  auto& v6 = reinterpret_cast<sockaddr_in6&>(sa);
  v6.sin6_family = AF_INET6;
  v6.sin6_port = p;
  std::memcpy(&v6.sin6_addr, adresse.octets.data(), 16);
  return sizeof v6;
}

std::string texte_adresse(const adresse_ip& adresse) {
  char texte[INET6_ADDRSTRLEN] = {};
  inet_ntop(adresse.famille, adresse.octets.data(), texte, sizeof texte);
  return texte;
}

}  // namespace jeu
