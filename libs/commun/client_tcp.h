#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace jeu::commun {

// A blocking TCP client (of 127.0.0.1 unless told) for end-to-end tests; every read has a
// deadline so that a silent server fails the test instead of hanging it.
class client_tcp {
 public:
  explicit client_tcp(int port);
  // To `adresse` ("127.0.0.2", "::1"):port, from `source` when given (a
  // loopback address other than 127.0.0.1 makes another host of this one).
  client_tcp(const std::string& adresse, int port, const std::string& source = "");
  ~client_tcp();
  client_tcp(const client_tcp&) = delete;
  client_tcp& operator=(const client_tcp&) = delete;

  bool connecte() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Sends all bytes; false on failure.
  bool envoie(std::string_view octets);
  // The next line, LF included (so "...\r\n"), or nullopt on timeout/close.
  std::optional<std::string> ligne(std::chrono::milliseconds delai = std::chrono::seconds(5));
  // Sends `requete` + "\r\n" and returns the first reply line.
  std::optional<std::string> demande(std::string_view requete);
  // True when the server closes the connection within `delai` (after
  // draining whatever it still sends into `reste`).
  bool attend_fermeture(std::chrono::milliseconds delai, std::string* reste = nullptr);
  void demi_ferme();
  void ferme();

 private:
  int fd_ = -1;
  std::string tampon_;
};

}  // namespace jeu::commun
