#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "world/texte_partage.h"

namespace jeu {

// A session's replies waiting to be sent: its own bytes (short replies,
// list headers) and references to the world's shared list blocks, in order.
// A list reply is sent from the shared bytes themselves (one sendmsg with
// one piece per block), never copied into the session. No lock of its own.
class tampon_sortie {
 public:
  void ajoute(std::string_view texte);
  // The block's bytes are sent as they are; the reference is kept until then.
  void ajoute(texte_partage::bloc bloc);

  bool est_vide() const { return taille_ == 0; }
  std::size_t taille() const { return taille_; }
  // Everything appended, as one text (for tests and the log).
  std::string texte() const;

  // Sends everything on socket `fd`, retrying after interruptions and
  // partial writes (no signal is raised), then empties itself, keeping
  // little memory. false when a write failed; erreur() then says why
  // (EAGAIN: the socket's send timeout passed with nothing sent).
  bool envoie(int fd);
  int erreur() const { return erreur_; }
  // Drops everything unsent, keeping little memory.
  void vide();

 private:
  // A piece is either a shared block or the range [debut, fin) of propres_.
  struct morceau {
    texte_partage::bloc bloc;
    std::size_t debut;
    std::size_t fin;
  };
  std::string_view vue(const morceau& m) const;

  std::string propres_;
  std::vector<morceau> morceaux_;
  std::size_t taille_ = 0;
  int erreur_ = 0;
};

}  // namespace jeu
