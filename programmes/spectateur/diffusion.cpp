#include "spectateur/diffusion.h"

#include "spectateur/etat.h"

namespace jeu::spectateur {

void diffusion::publie(dernier& d, std::string donnees) {
  {
    std::lock_guard garde(verrou_);
    d.version = ++versions_;
    d.donnees = std::move(donnees);
  }
  changement_.notify_all();
}

void diffusion::publie_plateau(std::string donnees) { publie(plateau_, std::move(donnees)); }
void diffusion::publie_statut(std::string donnees) { publie(statut_, std::move(donnees)); }
void diffusion::publie_image(std::string donnees) { publie(image_, std::move(donnees)); }
void diffusion::publie_scores(std::string donnees) { publie(scores_, std::move(donnees)); }
void diffusion::publie_fil(std::string donnees) { publie(fil_, std::move(donnees)); }

bool diffusion::nouveau(const curseur& c) const {
  return plateau_.version > c.plateau || statut_.version > c.statut || image_.version > c.image ||
         scores_.version > c.scores || fil_.version > c.fil;
}

std::optional<std::string> diffusion::attend(curseur& c, std::chrono::milliseconds delai) {
  std::unique_lock garde(verrou_);
  changement_.wait_for(garde, delai, [&] { return ferme_ || nouveau(c); });
  if (ferme_) return std::nullopt;
  std::string texte;
  const auto ajoute = [&](const dernier& d, std::uint64_t& vu, std::string_view nom) {
    if (d.version <= vu) return;
    texte += evenement(nom, d.donnees);
    vu = d.version;
  };
  ajoute(plateau_, c.plateau, "plateau");
  ajoute(statut_, c.statut, "statut");
  ajoute(image_, c.image, "image");
  ajoute(scores_, c.scores, "scores");
  ajoute(fil_, c.fil, "fil");
  return texte;
}

void diffusion::ferme() {
  {
    std::lock_guard garde(verrou_);
    ferme_ = true;
  }
  changement_.notify_all();
}

}  // namespace jeu::spectateur
