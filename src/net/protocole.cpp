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

// Appends the item's line to `reponse` and, when `journal` is given, the
// same line after two spaces to `*journal`.
template <class Record>
void ajoute_ligne(void (*ajoute)(std::string&, const Record&), const Record& r,
                  std::string& reponse, std::string* journal) {
  const std::size_t debut = reponse.size();
  ajoute(reponse, r);
  if (journal) {
    *journal += "  ";
    journal->append(reponse, debut);
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

void ajoute_entier(std::string& sortie, std::int64_t n) {
  std::array<char, 24> tampon;
  const auto fin = std::to_chars(tampon.data(), tampon.data() + tampon.size(), n).ptr;
  sortie.append(tampon.data(), fin);
}

void ajoute_tronque(std::string& sortie, double v) {
  if (!std::isfinite(v)) {
    sortie += '0';
    return;
  }
  const double t = std::trunc(v);
  // Inside int64 the conversion is exact and defined (and -0 becomes 0);
  // beyond it, "%.0f" of an integral double prints its exact digits.
  if (t > -9.2e18 && t < 9.2e18) {
    ajoute_entier(sortie, static_cast<std::int64_t>(t));
    return;
  }
  std::array<char, 400> tampon;
  const int n = std::snprintf(tampon.data(), tampon.size(), "%.0f", t);
  sortie.append(tampon.data(), static_cast<std::size_t>(n));
}

void ajoute_angle(std::string& sortie, double v) {
  // to_chars with the general format and a precision writes what "%.12g"
  // writes, without printf's locale and parsing costs.
  std::array<char, 40> tampon;
  const auto fin =
      std::to_chars(tampon.data(), tampon.data() + tampon.size(), v, std::chars_format::general, 12)
          .ptr;
  const std::string_view texte(tampon.data(), static_cast<std::size_t>(fin - tampon.data()));
  sortie += texte;
  if (texte.find_first_not_of("0123456789-") == std::string_view::npos) sortie += '.';
}

std::string texte_entier(std::int64_t n) {
  std::string texte;
  ajoute_entier(texte, n);
  return texte;
}

std::string texte_tronque(double v) {
  std::string texte;
  ajoute_tronque(texte, v);
  return texte;
}

std::string texte_angle(double v) {
  std::string texte;
  ajoute_angle(texte, v);
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

void ajoute_vaisseau(std::string& sortie, const vaisseau& v) {
  ajoute_tronque(sortie, v.x + 0.5);
  sortie += ' ';
  ajoute_tronque(sortie, v.y + 0.5);
  sortie += ' ';
  ajoute_angle(sortie, v.angle);
  sortie += ' ';
  ajoute_entier(sortie, v.pt_vie);
  sortie += ' ';
  ajoute_entier(sortie, v.couleur);
  sortie += "\r\n";
}

void ajoute_balle(std::string& sortie, const balle& b) {
  ajoute_tronque(sortie, b.x);
  sortie += ' ';
  ajoute_tronque(sortie, b.y);
  sortie += ' ';
  ajoute_entier(sortie, b.couleur);
  sortie += "\r\n";
}

void ajoute_cube(std::string& sortie, const cube& c) {
  ajoute_tronque(sortie, c.x1);
  sortie += ' ';
  ajoute_tronque(sortie, c.y1);
  sortie += ' ';
  ajoute_tronque(sortie, c.x2);
  sortie += ' ';
  ajoute_tronque(sortie, c.y2);
  sortie += "\r\n";
}

std::string ligne_vaisseau(const vaisseau& v) {
  std::string ligne;
  ajoute_vaisseau(ligne, v);
  return ligne;
}

std::string ligne_balle(const balle& b) {
  std::string ligne;
  ajoute_balle(ligne, b);
  return ligne;
}

std::string ligne_cube(const cube& c) {
  std::string ligne;
  ajoute_cube(ligne, c);
  return ligne;
}

void envoie_vaisseau(const vaisseau& v, std::string& reponse, std::string* journal) {
  ajoute_ligne(ajoute_vaisseau, v, reponse, journal);
}

void envoie_balle(const balle& b, std::string& reponse, std::string* journal) {
  ajoute_ligne(ajoute_balle, b, reponse, journal);
}

void envoie_cube(const cube& c, std::string& reponse, std::string* journal) {
  ajoute_ligne(ajoute_cube, c, reponse, journal);
}

}  // namespace jeu
