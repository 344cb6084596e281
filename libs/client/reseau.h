#pragma once

// The POSIX socket calls, each bounded by a deadline.

#include <netdb.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace jeu_client::interne {

// When a call must give up, and the delay it came from (for messages).
struct echeance {
  explicit echeance(std::chrono::milliseconds d)
      : fin(std::chrono::steady_clock::now() + d), delai(d) {}
  std::chrono::steady_clock::time_point fin;
  std::chrono::milliseconds delai;
};

using fonction_resolution = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
using adresses_resolues = std::unique_ptr<addrinfo, void (*)(addrinfo*)>;

// The addresses of `hote` on `port`, given to `resous` (getaddrinfo or a
// test's own). An address written as numbers is read at once; a name is
// resolved on a thread of its own, which is left to finish alone when `e`
// comes first. Throws erreur(connexion) naming the host and the failure.
adresses_resolues resout(const std::string& hote, int port, const echeance& e,
                          fonction_resolution resous = getaddrinfo);

// A TCP socket connected to `hote` (a name or an address) on `port`:
// non-blocking, close-on-exec, without Nagle's delay. Each address of the
// name is tried in turn until `e`, the resolution included. Throws
// erreur(connexion) naming the host and the last failure.
int connecte(const std::string& hote, int port, const echeance& e);

// A non-blocking socket whose connection to the first address of `hote` has
// started, without waiting for it (only the name's resolution waits, until
// `e`). Throws erreur(connexion).
int commence(const std::string& hote, int port, const echeance& e);

// Whether the connection started on `fd` is established, without waiting.
// Throws erreur(connexion), with `qui` in its message, when it failed or
// when `fin` has passed (`delai` is for the message).
bool connectee(int fd, const std::string& qui, std::chrono::steady_clock::time_point fin,
               std::chrono::milliseconds delai);

// Writes all of `octets` (in one send when the socket has room for them).
// Throws erreur(fermee) when the connection is broken, erreur(delai) when
// the peer has not taken everything by `e`.
void ecrit(int fd, std::string_view octets, const echeance& e);

// Appends to `tampon` the bytes that have come on `fd`, waiting until `e`
// for at least one; false at the end of the stream. Throws erreur(fermee)
// when the connection is broken, erreur(delai) when nothing comes by `e`.
bool lit(int fd, std::string& tampon, const echeance& e);

}  // namespace jeu_client::interne
