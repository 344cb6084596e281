#include "net/tampon_sortie.h"

#include <sys/socket.h>
#include <sys/uio.h>

#include <array>
#include <cerrno>

namespace jeu {

namespace {

// At most this many pieces per call; more are sent by further calls.
constexpr std::size_t morceaux_par_envoi = 64;

}  // namespace

std::string_view tampon_sortie::vue(const morceau& m) const {
  if (m.bloc) return std::string_view(*m.bloc).substr(m.debut, m.fin - m.debut);
  return std::string_view(propres_).substr(m.debut, m.fin - m.debut);
}

void tampon_sortie::ajoute(std::string_view texte) {
  if (texte.empty()) return;
  const std::size_t debut = propres_.size();
  propres_ += texte;
  // Consecutive own bytes make one piece.
  if (!morceaux_.empty() && !morceaux_.back().bloc && morceaux_.back().fin == debut) {
    morceaux_.back().fin = propres_.size();
  } else {
    morceaux_.push_back({nullptr, debut, propres_.size()});
  }
  taille_ += texte.size();
}

void tampon_sortie::ajoute(texte_partage::bloc bloc) {
  if (!bloc || bloc->empty()) return;
  const std::size_t n = bloc->size();
  morceaux_.push_back({std::move(bloc), 0, n});
  taille_ += n;
}

std::string tampon_sortie::texte() const {
  std::string t;
  t.reserve(taille_);
  for (const morceau& m : morceaux_) t += vue(m);
  return t;
}

bool tampon_sortie::envoie(int fd) {
  std::size_t premier = 0;  // first piece not wholly sent
  std::size_t dans_premier = 0;  // bytes of it already sent
  bool ecrit = true;
  while (premier < morceaux_.size()) {
    std::array<iovec, morceaux_par_envoi> iov;
    std::size_t n = 0;
    for (std::size_t k = premier; k < morceaux_.size() && n < iov.size(); ++k, ++n) {
      std::string_view v = vue(morceaux_[k]);
      if (k == premier) v.remove_prefix(dans_premier);
      iov[n] = {const_cast<char*>(v.data()), v.size()};
    }
    msghdr message{};
    message.msg_iov = iov.data();
    message.msg_iovlen = n;
    const ssize_t envoyes = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    if (envoyes < 0) {
      if (errno == EINTR) continue;
      erreur_ = errno;
      ecrit = false;
      break;
    }
    auto reste = static_cast<std::size_t>(envoyes);
    while (reste > 0) {
      const std::size_t dans_morceau = vue(morceaux_[premier]).size() - dans_premier;
      if (reste < dans_morceau) {
        dans_premier += reste;
        break;
      }
      reste -= dans_morceau;
      ++premier;
      dans_premier = 0;
    }
  }
  vide();
  return ecrit;
}

void tampon_sortie::vide() {
  // What a big reply needed is given back rather than kept: an idle session
  // holds little, whatever the size of the world it reads.
  constexpr std::size_t propres_max = 16 * 1024;
  constexpr std::size_t morceaux_max = 256;
  if (propres_.capacity() > propres_max) {
    std::string().swap(propres_);
  } else {
    propres_.clear();
  }
  if (morceaux_.capacity() > morceaux_max) {
    std::vector<morceau>().swap(morceaux_);
  } else {
    morceaux_.clear();
  }
  taille_ = 0;
}

}  // namespace jeu
