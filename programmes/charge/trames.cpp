#include "charge/trames.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace jeu::charge {

std::size_t lignes_annoncees(std::string_view entete) {
  for (std::string_view prefixe : {"PUT BALLES ", "PUT CUBES ", "PUT VAISSEAUX "}) {
    if (!entete.starts_with(prefixe)) continue;
    const std::string_view nombre = entete.substr(prefixe.size());
    std::size_t n = 0;
    const auto [fin, ec] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), n);
    if (ec != std::errc{} || fin != nombre.data() + nombre.size()) return 0;
    return n;
  }
  return 0;
}

bool est_erreur(std::string_view entete) {
  return entete.starts_with("ERREUR") || entete.starts_with("-ERR");
}

void decodeur_reponses::ajoute(std::string_view octets,
                               const std::function<void(const reponse&)>& rappel) {
  while (!octets.empty()) {
    const char* lf = static_cast<const char*>(std::memchr(octets.data(), '\n', octets.size()));
    const std::size_t morceau = lf ? static_cast<std::size_t>(lf - octets.data()) : octets.size();
    // Item lines are never looked at: only header lines are kept.
    if (lignes_restantes_ == 0 && ligne_.size() < prefixe_garde) {
      ligne_.append(octets.data(), std::min(morceau, prefixe_garde - ligne_.size()));
    }
    dans_ligne_ = true;
    if (!lf) return;
    fin_de_ligne(rappel);
    octets.remove_prefix(morceau + 1);
  }
}

void decodeur_reponses::fin_de_ligne(const std::function<void(const reponse&)>& rappel) {
  dans_ligne_ = false;
  if (lignes_restantes_ > 0) {
    if (--lignes_restantes_ == 0) rappel(reponse{entete_, entete_erreur_});
    return;
  }
  std::string_view entete = ligne_;
  if (entete.ends_with('\r')) entete.remove_suffix(1);
  const bool erreur = est_erreur(entete);
  if (const std::size_t n = lignes_annoncees(entete); n > 0) {
    lignes_restantes_ = n;
    entete_.assign(entete);
    entete_erreur_ = erreur;
  } else {
    rappel(reponse{entete, erreur});
  }
  ligne_.clear();
}

}  // namespace jeu::charge
