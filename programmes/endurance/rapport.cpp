#include "endurance/rapport.h"

#include <algorithm>

namespace jeu::endurance {

void rapport::chiffre(const std::string& nom, const std::string& valeur) { chiffres_.emplace_back(nom, valeur); }

void rapport::verifie(const std::string& nom, bool reussie, const std::string& chiffres) {
  verifications_.push_back({nom, reussie, chiffres});
}

bool rapport::tout_reussi() const {
  return std::all_of(verifications_.begin(), verifications_.end(), [](const auto& v) { return v.reussie; });
}

std::string rapport::texte() const {
  std::size_t largeur = 0;
  for (const auto& [n, v] : chiffres_) largeur = std::max(largeur, n.size());
  std::string t;
  for (const auto& [n, v] : chiffres_) t += n + std::string(largeur + 2 - n.size(), ' ') + v + "\n";
  t += "\n";
  for (const auto& v : verifications_) t += std::string(v.reussie ? "PASS  " : "FAIL  ") + v.nom + ": " + v.chiffres + "\n";
  t += tout_reussi() ? "\nall checks passed\n" : "\nSOME CHECKS FAILED\n";
  return t;
}

}  // namespace jeu::endurance
