#include "net/lecteur_lignes.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace jeu {

std::size_t assembleur_lignes::ajoute(std::string_view octets) {
  const std::size_t lf = octets.find('\n');
  const std::size_t pris = lf == std::string_view::npos ? octets.size() : lf + 1;
  const std::string_view contenu = octets.substr(0, lf == std::string_view::npos ? pris : lf);
  const std::size_t place = taille_max_ligne - ligne_.size();
  if (contenu.size() > place) tronquee_ = true;
  ligne_.append(contenu.substr(0, place));
  complete_ = lf != std::string_view::npos;
  return pris;
}

void assembleur_lignes::suivante() {
  ligne_.clear();
  tronquee_ = false;
  complete_ = false;
}

bool lecteur_lignes::ligne_prete() const {
  return std::memchr(tampon_.data() + debut_, '\n', fin_ - debut_) != nullptr;
}

lecteur_lignes::resultat lecteur_lignes::lit() {
  assembleur_.suivante();
  for (;;) {
    if (debut_ < fin_) {
      debut_ += assembleur_.ajoute(std::string_view(tampon_.data() + debut_, fin_ - debut_));
      if (assembleur_.complete()) return resultat::ligne;
    }
    if (termine_) return resultat::fin;
    const ssize_t n = ::recv(fd_, tampon_.data(), tampon_.size(), 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      termine_ = true;
      return resultat::erreur;
    }
    debut_ = 0;
    fin_ = static_cast<std::size_t>(n);
    if (n == 0) {
      termine_ = true;
      if (assembleur_.en_cours()) return resultat::ligne;
      return resultat::fin;
    }
  }
}

}  // namespace jeu
