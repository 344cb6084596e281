#pragma once

// The final report: figures, then one line per check, "PASS" or "FAIL",
// with the figures it was judged on.

#include <string>
#include <vector>

namespace jeu::endurance {

struct verification {
  std::string nom;
  bool reussie;
  std::string chiffres;
};

class rapport {
 public:
  void chiffre(const std::string& nom, const std::string& valeur);
  void verifie(const std::string& nom, bool reussie, const std::string& chiffres);
  bool tout_reussi() const;
  std::string texte() const;

 private:
  std::vector<std::pair<std::string, std::string>> chiffres_;
  std::vector<verification> verifications_;
};

}  // namespace jeu::endurance
