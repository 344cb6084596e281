#pragma once

#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace jeu {

// An IPv4 or IPv6 address. An IPv4 address seen through an IPv6 socket
// (::ffff:a.b.c.d) is stored as the IPv4 address it is, so that one host is
// one address whichever way it came.
struct adresse_ip {
  int famille = AF_INET;                 // AF_INET or AF_INET6
  std::array<std::uint8_t, 16> octets{};  // network order; 4 used for AF_INET

  friend bool operator==(const adresse_ip&, const adresse_ip&) = default;
  friend auto operator<=>(const adresse_ip&, const adresse_ip&) = default;
};

// "127.0.0.1" or "::1" (what inet_pton reads); nullopt for anything else.
std::optional<adresse_ip> lit_adresse_ip(std::string_view texte);

// The address of a socket address (sockaddr_in or sockaddr_in6), IPv4-mapped
// IPv6 addresses made IPv4.
adresse_ip adresse_de(const sockaddr_storage& sa);

// The socket address of `adresse` with `port`; returns its length.
socklen_t adresse_socket(const adresse_ip& adresse, int port, sockaddr_storage& sa);

// "127.0.0.1", "::1".
std::string texte_adresse(const adresse_ip& adresse);

}  // namespace jeu
