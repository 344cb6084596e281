#include "client/requetes.h"

#include <stdexcept>

namespace jeu_client {

std::string_view ligne(requete r) {
  switch (r) {
    case requete::taille_plateau: return "GET TAILLE PLATEAU\r\n";
    case requete::rayon_vaisseau: return "GET RAYON VAISSEAU\r\n";
    case requete::rayon_balle: return "GET RAYON BALLE\r\n";
    case requete::max_pt_vie: return "GET MAX PT VIE\r\n";
    case requete::statut: return "GET STATUT\r\n";
    case requete::vaisseaux: return "GET VAISSEAUX\r\n";
    case requete::balles: return "GET BALLES\r\n";
    case requete::cubes: return "GET CUBES\r\n";
    case requete::stats: return "GET STATS\r\n";
    case requete::scores: return "GET SCORES\r\n";
    case requete::evenements: return "GET EVENEMENTS\r\n";
    case requete::accelere: return "PUT ACTION ACCELERE\r\n";
    case requete::decelere: return "PUT ACTION DECELERE\r\n";
    case requete::gauche: return "PUT ACTION GAUCHE\r\n";
    case requete::droite: return "PUT ACTION DROITE\r\n";
    case requete::tire: return "PUT ACTION TIRE\r\n";
  }
  throw std::invalid_argument("jeu_client::ligne : requete inconnue");
}

namespace interne {

std::string ligne_enregistrement(couleur_t c) {
  return "PUT COULEUR VAISSEAU " + std::to_string(c) + "\r\n";
}

std::string_view nom(requete r) {
  const std::string_view l = ligne(r);
  return l.substr(0, l.size() - 2);
}

bool est_action(requete r) {
  switch (r) {
    case requete::accelere:
    case requete::decelere:
    case requete::gauche:
    case requete::droite:
    case requete::tire: return true;
    default: return false;
  }
}

std::string texte_trame(std::span<const requete> requetes) {
  std::string texte;
  texte.reserve(24 * requetes.size());
  for (const requete r : requetes) texte += ligne(r);
  return texte;
}

}  // namespace interne
}  // namespace jeu_client
