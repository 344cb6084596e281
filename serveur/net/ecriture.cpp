#include "net/ecriture.h"

#include <sys/socket.h>

#include <cerrno>

namespace jeu {

bool ecrit_tout(std::FILE* flux, std::string_view texte) {
  flockfile(flux);
  const bool ecrit = fwrite_unlocked(texte.data(), 1, texte.size(), flux) == texte.size();
  const bool vide = fflush_unlocked(flux) == 0;
  funlockfile(flux);
  return ecrit && vide;
}

bool ecrit_tout(int fd, std::string_view texte) {
  while (!texte.empty()) {
    const ssize_t n = ::send(fd, texte.data(), texte.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    texte.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace jeu
