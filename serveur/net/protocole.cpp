#include "net/protocole.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "config/configuration.h"

namespace jeu {

namespace {

constexpr std::array<std::pair<std::string_view, requete>, 18> literaux{{
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
    {"GET STATS\r", requete::stats},
    {"GET SCORES\r", requete::scores},
    {"GET EVENEMENTS\r", requete::evenements},
    {"GET FLUX\r", requete::flux},
}};

constexpr std::string_view prefixe_enregistrement = "PUT COULEUR VAISSEAU ";

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

// Lines are under 64 bytes: one allocation for the whole reply.
template <class Record>
void ajoute_toute_la_liste(std::string& sortie, std::string_view mot, std::span<const Record> liste,
                           void (*ajoute)(std::string&, const Record&)) {
  sortie.reserve(sortie.size() + 24 + 64 * liste.size());
  ajoute_entete(sortie, mot, liste.size());
  for (const Record& r : liste) ajoute(sortie, r);
}

}  // namespace

requete reconnait_requete(std::string_view ligne) {
  for (const auto& [literal, r] : literaux) {
    if (ligne == literal) return r;
  }
  return requete::inconnue;
}

bool demande_spectateur(std::string_view ligne) { return ligne == "PUT SPECTATEUR\r"; }

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
  std::string texte;
  ajoute_entier(texte, n);
  return texte;
}

namespace {

std::string construit_constante(requete r) {
  using namespace configuration;
  std::string texte;
  switch (r) {
    case requete::max_pt_vie:
      texte = "PUT MAX PT VIE ";
      ajoute_entier(texte, max_pt_vie);
      break;
    case requete::rayon_balle:
      texte = "PUT RAYON BALLE ";
      ajoute_tronque(texte, rayon_balle);
      break;
    case requete::rayon_vaisseau:
      texte = "PUT RAYON VAISSEAU ";
      ajoute_tronque(texte, rayon_vaisseau);
      break;
    case requete::taille_plateau:
      texte = "PUT TAILLE PLATEAU ";
      ajoute_tronque(texte, largeur_plateau);
      texte += ' ';
      ajoute_tronque(texte, hauteur_plateau);
      break;
    default:
      return texte;
  }
  texte += "\r\n";
  return texte;
}

}  // namespace

const std::string& reponse_constante(requete r) {
  // Built once: a request for a constant then costs a copy, nothing more.
  static const std::array<std::string, 5> textes{
      construit_constante(requete::max_pt_vie), construit_constante(requete::rayon_balle),
      construit_constante(requete::rayon_vaisseau), construit_constante(requete::taille_plateau),
      std::string()};
  switch (r) {
    case requete::max_pt_vie: return textes[0];
    case requete::rayon_balle: return textes[1];
    case requete::rayon_vaisseau: return textes[2];
    case requete::taille_plateau: return textes[3];
    default: return textes[4];
  }
}

void ajoute_ligne(std::string& sortie, const vaisseau& v) { ajoute_vaisseau(sortie, v); }

void ajoute_ligne(std::string& sortie, const balle& b) { ajoute_balle(sortie, b); }

void ajoute_ligne(std::string& sortie, const cube& c) { ajoute_cube(sortie, c); }

void ajoute_entete(std::string& sortie, std::string_view mot, std::size_t nombre) {
  sortie += mot;
  ajoute_entier(sortie, static_cast<std::int64_t>(nombre));
  sortie += "\r\n";
}

void ajoute_liste(std::string& sortie, std::span<const vaisseau> vaisseaux) {
  ajoute_toute_la_liste(sortie, "PUT VAISSEAUX ", vaisseaux, ajoute_vaisseau);
}

void ajoute_liste(std::string& sortie, std::span<const balle> balles) {
  ajoute_toute_la_liste(sortie, "PUT BALLES ", balles, ajoute_balle);
}

void ajoute_liste(std::string& sortie, std::span<const cube> cubes) {
  ajoute_toute_la_liste(sortie, "PUT CUBES ", cubes, ajoute_cube);
}


void ajoute_stats(std::string& sortie, const etat_serveur& e) {
  const auto champ = [&](std::string_view nom, std::int64_t valeur) {
    sortie += ' ';
    sortie += nom;
    sortie += '=';
    ajoute_entier(sortie, valeur);
  };
  sortie += "PUT STATS ticks_s=";
  std::array<char, 40> tampon;
  const double ticks = std::isfinite(e.ticks_par_seconde) ? e.ticks_par_seconde : 0.0;
  const auto fin =
      std::to_chars(tampon.data(), tampon.data() + tampon.size(), ticks, std::chars_format::fixed, 1)
          .ptr;
  sortie.append(tampon.data(), fin);
  champ("tick_us", e.duree_tick_us);
  champ("tick_p99_us", e.p99_tick_us);
  champ("joueurs", e.joueurs);
  champ("spectateurs", e.spectateurs);
  champ("vaisseaux", e.vaisseaux);
  champ("balles", e.balles);
  champ("requetes_s", e.requetes_par_seconde);
  const auto compte = [&](std::string_view nom, std::uint64_t valeur) {
    sortie += ' ';
    sortie += nom;
    sortie += '=';
    std::array<char, 24> chiffres;
    const auto fin = std::to_chars(chiffres.data(), chiffres.data() + chiffres.size(), valeur).ptr;
    sortie.append(chiffres.data(), fin);
  };
  compte("fermes_delai", e.fermes_delai);
  compte("fermes_adresse", e.fermes_adresse);
  compte("fermes_place", e.fermes_place);
  compte("fermes_ecriture", e.fermes_ecriture);
  sortie += "\r\n";
}

void classe_scores(std::vector<ligne_score>& lignes) {
  std::sort(lignes.begin(), lignes.end(), [](const ligne_score& a, const ligne_score& b) {
    if (a.s.destructions != b.s.destructions) return a.s.destructions > b.s.destructions;
    if (a.s.morts != b.s.morts) return a.s.morts < b.s.morts;
    if (a.s.touches_donnees != b.s.touches_donnees) return a.s.touches_donnees > b.s.touches_donnees;
    return a.couleur < b.couleur;
  });
}

void ajoute_scores(std::string& sortie, std::span<const ligne_score> lignes) {
  sortie += "PUT SCORES ";
  ajoute_entier(sortie, static_cast<std::int64_t>(lignes.size()));
  sortie += "\r\n";
  for (const ligne_score& l : lignes) {
    const score& s = l.s;
    for (const std::int64_t n : {static_cast<std::int64_t>(l.couleur), s.destructions, s.morts,
                                 s.touches_donnees, s.touches_recues, s.touches_soi, s.tirs,
                                 s.vies, s.ticks_en_vie, s.meilleure_serie}) {
      ajoute_entier(sortie, n);
      sortie += ' ';
    }
    sortie += l.vivant ? "1\r\n" : "0\r\n";
  }
}

void ajoute_evenement(std::string& sortie, const evenement& e) {
  ajoute_entier(sortie, static_cast<std::int64_t>(e.tick));
  switch (e.sorte) {
    case sorte_evenement::touche:
      sortie += " TOUCHE ";
      break;
    case sorte_evenement::detruit:
      sortie += " DETRUIT ";
      break;
    case sorte_evenement::arrive:
      sortie += " ARRIVE ";
      break;
    case sorte_evenement::part:
      sortie += " PART ";
      break;
  }
  ajoute_entier(sortie, e.a);
  switch (e.sorte) {
    case sorte_evenement::touche:
      sortie += ' ';
      ajoute_entier(sortie, e.b);
      sortie += ' ';
      ajoute_entier(sortie, e.vie);
      break;
    case sorte_evenement::detruit:
      sortie += ' ';
      ajoute_entier(sortie, e.b);
      break;
    case sorte_evenement::arrive:
      break;
    case sorte_evenement::part:
      sortie += e.raison == raison_depart::quitte       ? " quitte"
                : e.raison == raison_depart::deconnecte ? " deconnecte"
                                                        : " detruit";
      break;
  }
  sortie += "\r\n";
}

void ajoute_evenements(std::string& sortie, std::span<const evenement> evenements,
                       std::uint64_t manques) {
  sortie += "PUT EVENEMENTS ";
  ajoute_entier(sortie, static_cast<std::int64_t>(evenements.size()));
  sortie += ' ';
  ajoute_entier(sortie, static_cast<std::int64_t>(manques));
  sortie += "\r\n";
  for (const evenement& e : evenements) ajoute_evenement(sortie, e);
}

}  // namespace jeu
