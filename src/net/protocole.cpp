#include "net/protocole.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "config/configuration.h"

namespace jeu {

namespace {

constexpr std::array<std::pair<std::string_view, requete>, 14> literaux{{
    {"GET BALLES\r", requete::balles},
    {"GET CUBES\r", requete::cubes},
    {"GET VAISSEAUX\r", requete::vaisseaux},
    {"GET MAX PT VIE\r", requete::max_pt_vie},
    {"GET RAYON BALLE\r", requete::rayon_balle},
    {"GET RAYON VAISSEAU\r", requete::rayon_vaisseau},
    {"GET TAILLE PLATEAU\r", requete::taille_plateau},
    {"GET STATUT\r", requete::statut},
    {"PUT ACTION ACCELERE\r", requete::accelere},
    {"PUT ACTION DECELERE\r", requete::decelere},
    {"PUT ACTION DROITE\r", requete::droite},
    {"PUT ACTION GAUCHE\r", requete::gauche},
    {"PUT ACTION TIRE\r", requete::tire},
    {"PUT ACTION QUITTE\r", requete::quitte},
}};

constexpr std::string_view prefixe_enregistrement = "PUT COULEUR VAISSEAU ";

void ajoute_ligne(const std::string& ligne, std::string& reponse, std::string* journal) {
  reponse += ligne;
  if (journal) {
    *journal += "  ";
    *journal += ligne;
  }
}

}  // namespace

requete reconnait_requete(std::string_view ligne) {
  for (const auto& [literal, r] : literaux) {
    if (ligne == literal) return r;
  }
  return requete::inconnue;
}

std::optional<couleur_t> lit_enregistrement(std::string_view ligne) {
  if (!ligne.starts_with(prefixe_enregistrement) || !ligne.ends_with('\r')) return std::nullopt;
  const std::string_view nombre =
      ligne.substr(prefixe_enregistrement.size(), ligne.size() - prefixe_enregistrement.size() - 1);
  couleur_t couleur = 0;
  const auto [fin, erreur] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), couleur);
  if (erreur != std::errc() || fin != nombre.data() + nombre.size()) return std::nullopt;
  // Written back, the number must give the same bytes: this refuses "+1",
  // "007", "-0" and the like.
  if (texte_entier(couleur) != nombre) return std::nullopt;
  return couleur;
}

std::string texte_entier(std::int64_t n) {
  std::array<char, 24> tampon;
  const auto [fin, erreur] = std::to_chars(tampon.data(), tampon.data() + tampon.size(), n);
  return std::string(tampon.data(), fin);
}

std::string texte_tronque(double v) {
  if (!std::isfinite(v)) return "0";
  const double t = std::trunc(v);
  if (t == 0.0) return "0";  // and not "-0"
  // Inside int64 the conversion is exact and defined; beyond it, "%.0f" of an
  // integral double prints its exact digits.
  if (t > -9.2e18 && t < 9.2e18) return texte_entier(static_cast<std::int64_t>(t));
  std::array<char, 400> tampon;
  const int n = std::snprintf(tampon.data(), tampon.size(), "%.0f", t);
  return std::string(tampon.data(), static_cast<std::size_t>(n));
}

std::string texte_angle(double v) {
  std::array<char, 40> tampon;
  const int n = std::snprintf(tampon.data(), tampon.size(), "%.12g", v);
  std::string texte(tampon.data(), static_cast<std::size_t>(n));
  if (texte.find_first_not_of("0123456789-") == std::string::npos) texte += '.';
  return texte;
}

std::string reponse_constante(requete r) {
  using namespace configuration;
  switch (r) {
    case requete::max_pt_vie:
      return "PUT MAX PT VIE " + texte_entier(max_pt_vie) + "\r\n";
    case requete::rayon_balle:
      return "PUT RAYON BALLE " + texte_tronque(rayon_balle) + "\r\n";
    case requete::rayon_vaisseau:
      return "PUT RAYON VAISSEAU " + texte_tronque(rayon_vaisseau) + "\r\n";
    case requete::taille_plateau:
      return "PUT TAILLE PLATEAU " + texte_tronque(largeur_plateau) + " " +
             texte_tronque(hauteur_plateau) + "\r\n";
    default:
      return {};
  }
}

std::string entete_liste(requete r, std::size_t nombre) {
  std::string_view mot = r == requete::balles ? "PUT BALLES "
                         : r == requete::cubes ? "PUT CUBES "
                                               : "PUT VAISSEAUX ";
  return std::string(mot) + texte_entier(static_cast<std::int64_t>(nombre)) + "\r\n";
}

std::string ligne_vaisseau(const vaisseau& v) {
  return texte_tronque(v.x + 0.5) + " " + texte_tronque(v.y + 0.5) + " " + texte_angle(v.angle) +
         " " + texte_entier(v.pt_vie) + " " + texte_entier(v.couleur) + "\r\n";
}

std::string ligne_balle(const balle& b) {
  return texte_tronque(b.x) + " " + texte_tronque(b.y) + " " + texte_entier(b.couleur) + "\r\n";
}

std::string ligne_cube(const cube& c) {
  return texte_tronque(c.x1) + " " + texte_tronque(c.y1) + " " + texte_tronque(c.x2) + " " +
         texte_tronque(c.y2) + "\r\n";
}

void envoie_vaisseau(const vaisseau& v, std::string& reponse, std::string* journal) {
  ajoute_ligne(ligne_vaisseau(v), reponse, journal);
}

void envoie_balle(const balle& b, std::string& reponse, std::string* journal) {
  ajoute_ligne(ligne_balle(b), reponse, journal);
}

void envoie_cube(const cube& c, std::string& reponse, std::string* journal) {
  ajoute_ligne(ligne_cube(c), reponse, journal);
}

}  // namespace jeu
