#include "net/journal_refus.h"

namespace jeu {

std::string journal_refus::note(std::string ligne) {
  ++refus_;
  if (refus_ <= refus_journalises_max) return ligne;
  if (refus_ == refus_journalises_max + 1) {
    return "erreur client: trop de refus, les suivants de cette connexion ne sont pas "
           "journalises\n";
  }
  return {};
}

std::string journal_refus::bilan() const {
  if (refus_ <= refus_journalises_max) return {};
  return "erreur client: " + std::to_string(refus_ - refus_journalises_max) +
         " refus de cette connexion non journalises\n";
}

}  // namespace jeu
