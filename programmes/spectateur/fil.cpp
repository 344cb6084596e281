#include "spectateur/fil.h"

namespace jeu::spectateur {

bool fil_victimes::ajoute(std::span<const jeu_client::evenement> evenements,
                          std::int64_t manques) {
  bool change = manques > 0;
  manques_ += manques;
  for (const jeu_client::evenement& e : evenements) {
    if (e.quoi != jeu_client::evenement::sorte::detruit) continue;
    victimes_.push_front(e);
    if (victimes_.size() > taille_) victimes_.pop_back();
    change = true;
  }
  return change;
}

}  // namespace jeu::spectateur
