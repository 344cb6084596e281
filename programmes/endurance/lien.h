#pragma once

// A blocking TCP connection to 127.0.0.1 that reads lines with a deadline,
// so that a silent server shows up as a timeout instead of a hang.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace jeu::endurance {

using horloge = std::chrono::steady_clock;

class lien {
 public:
  lien() = default;
  ~lien();
  lien(const lien&) = delete;
  lien& operator=(const lien&) = delete;

  // Connects to 127.0.0.1:port; false on failure (the link stays closed).
  bool ouvre(int port);
  bool ouvert() const { return fd_ >= 0; }

  // Writes all of `octets`; false when the socket failed.
  bool envoie(std::string_view octets);

  // The next line without its LF (a CR before it is kept), or nullopt when
  // the deadline passed or the stream ended first; `fin` then tells which.
  std::optional<std::string> ligne(horloge::time_point limite);
  // The stream ended (the server closed) before a complete line.
  bool fin() const { return fin_; }

  // Reads until the server closes; true when it did before `limite`.
  // Bytes read on the way are counted into `restants`.
  bool attend_fin(horloge::time_point limite, std::size_t* restants = nullptr);
  // Reads whatever has arrived within `delai`, at least one byte if any.
  std::size_t lit_un_peu(std::chrono::milliseconds delai);

  void demi_ferme();               // shutdown(SHUT_WR)
  void ferme();                    // close()
  void reinitialise();             // SO_LINGER 0, then close(): a reset

 private:
  // Reads once into tampon_ within `limite`; false on timeout or end.
  bool remplit(horloge::time_point limite);

  int fd_ = -1;
  bool fin_ = false;
  std::string tampon_;
  std::size_t debut_ = 0;  // consumed bytes at the front of tampon_
};

}  // namespace jeu::endurance
