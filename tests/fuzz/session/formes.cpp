#include "formes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

#include "config/configuration.h"
#include "echec.h"

namespace jeu::fuzz {

namespace cfg = jeu::configuration;

namespace {

// The reply cut into lines; each must end in CR LF and hold no other CR or LF.
std::vector<std::string_view> lignes_de(std::string_view reponse) {
  std::vector<std::string_view> lignes;
  lignes.reserve(static_cast<std::size_t>(std::count(reponse.begin(), reponse.end(), '\n')));
  while (!reponse.empty()) {
    const std::size_t fin = reponse.find("\r\n");
    verifie(fin != std::string_view::npos, "reply line without CR LF", reponse);
    const std::string_view l = reponse.substr(0, fin);
    verifie(l.find_first_of("\r\n") == std::string_view::npos, "stray CR or LF in a reply", l);
    lignes.push_back(l);
    reponse.remove_prefix(fin + 2);
  }
  return lignes;
}

bool chiffre(char c) { return c >= '0' && c <= '9'; }

// Canonical decimal integer text: -?(0|[1-9][0-9]*), no "-0", fits 64 bits.
std::optional<std::int64_t> entier(std::string_view t) {
  const bool negatif = !t.empty() && t[0] == '-';
  std::string_view chiffres = negatif ? t.substr(1) : t;
  if (chiffres.empty() || chiffres.size() > 19) return std::nullopt;
  for (char c : chiffres) {
    if (!chiffre(c)) return std::nullopt;
  }
  if (chiffres[0] == '0' && (chiffres.size() > 1 || negatif)) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : chiffres) v = v * 10 + static_cast<std::uint64_t>(c - '0');
  if (!negatif && v > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
  if (negatif && v > static_cast<std::uint64_t>(INT64_MAX) + 1) return std::nullopt;
  return negatif ? static_cast<std::int64_t>(0 - v) : static_cast<std::int64_t>(v);
}

// "%.12g"-like float text with a '.' or an exponent: -?d+(.d*)?(e[+-]d+)?
bool angle_valide(std::string_view t) {
  std::size_t i = 0;
  if (i < t.size() && t[i] == '-') ++i;
  const std::size_t debut = i;
  while (i < t.size() && chiffre(t[i])) ++i;
  if (i == debut) return false;
  bool point = false;
  bool exposant = false;
  if (i < t.size() && t[i] == '.') {
    point = true;
    ++i;
    while (i < t.size() && chiffre(t[i])) ++i;
  }
  if (i < t.size() && t[i] == 'e') {
    exposant = true;
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    const std::size_t d = i;
    while (i < t.size() && chiffre(t[i])) ++i;
    if (i == d) return false;
  }
  return i == t.size() && (point || exposant);
}

// The fields of a line, split at each space; only the first few are kept
// (every line checked has at most eight), but all are counted.
class champs {
 public:
  explicit champs(std::string_view l) {
    std::size_t debut = 0;
    for (;;) {
      const std::size_t espace = l.find(' ', debut);
      const std::string_view c =
          l.substr(debut, espace == std::string_view::npos ? l.npos : espace - debut);
      if (n_ < gardes_.size()) gardes_[n_] = c;
      ++n_;
      if (espace == std::string_view::npos) return;
      debut = espace + 1;
    }
  }
  std::size_t size() const { return n_; }
  std::string_view operator[](std::size_t i) const { return gardes_[i]; }

 private:
  std::array<std::string_view, 16> gardes_;  // more than any reply has
  std::size_t n_ = 0;
};

// The n announced by "<entete> n" as the first line; the item lines follow.
std::size_t entete_liste(const std::vector<std::string_view>& lignes, std::string_view entete,
                         std::string_view reponse) {
  verifie(!lignes.empty(), "empty list reply");
  verifie(lignes[0].substr(0, entete.size()) == entete, "wrong list header", reponse);
  const auto n = entier(lignes[0].substr(entete.size()));
  verifie(n && *n >= 0, "bad count in list header", lignes[0]);
  verifie(lignes.size() == static_cast<std::size_t>(*n) + 1,
          "list reply has not as many lines as announced", lignes[0]);
  return static_cast<std::size_t>(*n);
}

std::int64_t champ_entier(std::string_view t, std::string_view ligne) {
  const auto v = entier(t);
  verifie(v.has_value(), "field is not an integer", ligne);
  return *v;
}

void verifie_vaisseaux(const std::vector<std::string_view>& lignes, std::string_view reponse,
                       const attendu& a) {
  const std::size_t n = entete_liste(lignes, "PUT VAISSEAUX ", reponse);
  verifie(n == a.vaisseaux.size(), "ship count differs from the world", lignes[0]);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view l = lignes[i + 1];
    const champs c(l);
    verifie(c.size() == 5, "ship line has not 5 fields", l);
    const vaisseau& v = a.vaisseaux[i];
    verifie(champ_entier(c[0], l) == static_cast<std::int64_t>(v.x + 0.5), "ship x", l);
    verifie(champ_entier(c[1], l) == static_cast<std::int64_t>(v.y + 0.5), "ship y", l);
    verifie(angle_valide(c[2]), "ship angle text", l);
    verifie(std::fabs(std::strtod(std::string(c[2]).c_str(), nullptr) - v.angle) <=
                1e-9 * std::max(1.0, std::fabs(v.angle)),
            "ship angle value", l);
    verifie(champ_entier(c[3], l) == v.pt_vie, "ship life", l);
    verifie(champ_entier(c[4], l) == v.couleur, "ship colour", l);
  }
}

void verifie_balles(const std::vector<std::string_view>& lignes, std::string_view reponse,
                    const attendu& a) {
  const std::size_t n = entete_liste(lignes, "PUT BALLES ", reponse);
  verifie(n == a.balles.size(), "bullet count differs from the world", lignes[0]);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view l = lignes[i + 1];
    const champs c(l);
    verifie(c.size() == 3, "bullet line has not 3 fields", l);
    const balle& b = a.balles[i];
    verifie(champ_entier(c[0], l) == static_cast<std::int64_t>(b.x), "bullet x", l);
    verifie(champ_entier(c[1], l) == static_cast<std::int64_t>(b.y), "bullet y", l);
    verifie(champ_entier(c[2], l) == b.couleur, "bullet colour", l);
  }
}

void verifie_cubes(const std::vector<std::string_view>& lignes, std::string_view reponse,
                   const monde& m) {
  const std::size_t n = entete_liste(lignes, "PUT CUBES ", reponse);
  verifie(n == static_cast<std::size_t>(cfg::nb_cubes) && n == m.cubes.size(), "not 200 cubes",
          lignes[0]);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view l = lignes[i + 1];
    const champs c(l);
    verifie(c.size() == 4, "cube line has not 4 fields", l);
    const cube& k = m.cubes[i];
    verifie(champ_entier(c[0], l) == static_cast<std::int64_t>(k.x1) &&
                champ_entier(c[1], l) == static_cast<std::int64_t>(k.y1) &&
                champ_entier(c[2], l) == static_cast<std::int64_t>(k.x2) &&
                champ_entier(c[3], l) == static_cast<std::int64_t>(k.y2),
            "cube line differs from the world", l);
    verifie(champ_entier(c[2], l) - champ_entier(c[0], l) == 22 &&
                champ_entier(c[3], l) - champ_entier(c[1], l) == 22,
            "cube is not 22 by 22", l);
  }
}

// "(0|[1-9][0-9]*).[0-9]": a non-negative number with one decimal.
bool une_decimale(std::string_view t) {
  const std::size_t point = t.find('.');
  if (point == std::string_view::npos || point + 2 != t.size() || !chiffre(t.back())) return false;
  const auto entiere = entier(t.substr(0, point));
  return entiere && *entiere >= 0;
}

void verifie_stats(const std::vector<std::string_view>& lignes, std::string_view reponse,
                   const stats_attendues& a) {
  constexpr std::string_view entete = "PUT STATS ";
  verifie(lignes.size() == 1, "stats reply is not one line", reponse);
  const std::string_view l = lignes[0];
  verifie(l.substr(0, entete.size()) == entete, "wrong stats header", l);
  const champs c(l.substr(entete.size()));
  struct champ_attendu {
    std::string_view nom;
    std::int64_t valeur;  // ticks_s (first): checked as text, "0.0"
  };
  const champ_attendu attendus[] = {
      {"ticks_s", 0},           {"tick_us", 0},        {"tick_p99_us", 0},
      {"joueurs", a.joueurs},   {"spectateurs", a.spectateurs},
      {"vaisseaux", a.vaisseaux}, {"balles", a.balles}, {"requetes_s", 0},
      // No listener here: nothing is closed by its rules.
      {"fermes_delai", 0},      {"fermes_adresse", 0}, {"fermes_place", 0},
      {"fermes_ecriture", 0},
  };
  verifie(c.size() == std::size(attendus), "stats reply has not 12 fields", l);
  for (std::size_t i = 0; i < std::size(attendus); ++i) {
    const std::string_view f = c[i];
    const std::size_t egal = f.find('=');
    verifie(egal != std::string_view::npos && f.substr(0, egal) == attendus[i].nom,
            "stats field missing or out of order", l);
    const std::string_view valeur = f.substr(egal + 1);
    if (i == 0) {
      verifie(une_decimale(valeur), "ticks_s has not one decimal", l);
      verifie(valeur == "0.0", "ticks_s not 0 without a timed tick", l);
      continue;
    }
    const auto v = entier(valeur);
    verifie(v && *v >= 0, "stats value is not a non-negative integer", l);
    verifie(*v == attendus[i].valeur, "stats value differs from the world and the sessions", l);
  }
}

}  // namespace

sorte sorte_de(std::string_view l) {
  struct entree {
    std::string_view texte;
    sorte s;
  };
  static constexpr entree table[] = {
      {"GET TAILLE PLATEAU\r", sorte::taille_plateau},
      {"GET RAYON VAISSEAU\r", sorte::rayon_vaisseau},
      {"GET RAYON BALLE\r", sorte::rayon_balle},
      {"GET MAX PT VIE\r", sorte::max_pt_vie},
      {"GET STATUT\r", sorte::statut},
      {"GET VAISSEAUX\r", sorte::vaisseaux},
      {"GET BALLES\r", sorte::balles},
      {"GET CUBES\r", sorte::cubes},
      {"PUT ACTION ACCELERE\r", sorte::action},
      {"PUT ACTION DECELERE\r", sorte::action},
      {"PUT ACTION GAUCHE\r", sorte::action},
      {"PUT ACTION DROITE\r", sorte::action},
      {"PUT ACTION TIRE\r", sorte::action},
      {"PUT ACTION QUITTE\r", sorte::quitte},
  };
  for (const entree& e : table) {
    if (l == e.texte) return e.s;
  }
  return sorte::inconnue;
}

sorte sorte_spectateur(std::string_view l) {
  switch (const sorte s = sorte_de(l)) {
    case sorte::statut:
      return sorte::statut_spectateur;
    case sorte::action:
      return sorte::inconnue;
    case sorte::inconnue:
      return l == "GET STATS\r" ? sorte::stats : sorte::inconnue;
    default:
      return s;
  }
}

std::optional<couleur_t> couleur_demandee(std::string_view l) {
  constexpr std::string_view debut = "PUT COULEUR VAISSEAU ";
  if (l.size() < debut.size() + 2 || l.substr(0, debut.size()) != debut || l.back() != '\r') {
    return std::nullopt;
  }
  return entier(l.substr(debut.size(), l.size() - debut.size() - 1));
}

void verifie_reponse(sorte s, std::string_view reponse, const attendu& a, const monde& m) {
  const auto lignes = [reponse] { return lignes_de(reponse); };
  switch (s) {
    case sorte::taille_plateau:
      verifie(reponse == "PUT TAILLE PLATEAU 990 990\r\n", "wrong arena size reply", reponse);
      return;
    case sorte::rayon_vaisseau:
      verifie(reponse == "PUT RAYON VAISSEAU 9\r\n", "wrong ship radius reply", reponse);
      return;
    case sorte::rayon_balle:
      verifie(reponse == "PUT RAYON BALLE 4\r\n", "wrong bullet radius reply", reponse);
      return;
    case sorte::max_pt_vie:
      verifie(reponse == "PUT MAX PT VIE 5\r\n", "wrong life reply", reponse);
      return;
    case sorte::statut:
      verifie(reponse == (a.vivant ? "PUT STATUT vivant\r\n" : "PUT STATUT mort\r\n"),
              "wrong status reply", reponse);
      return;
    case sorte::statut_spectateur:
      verifie(reponse == "PUT STATUT spectateur\r\n", "wrong spectator status reply", reponse);
      return;
    case sorte::stats:
      verifie_stats(lignes(), reponse, a.stats);
      return;
    case sorte::action:
    case sorte::quitte:
      verifie(reponse == "OK\r\n", "action not answered OK", reponse);
      return;
    case sorte::inconnue:
      verifie(reponse == "ERREUR SYNTAXE\r\n", "unknown line not refused", reponse);
      return;
    case sorte::vaisseaux:
      verifie_vaisseaux(lignes(), reponse, a);
      return;
    case sorte::balles:
      verifie_balles(lignes(), reponse, a);
      return;
    case sorte::cubes: {
      // The cubes never change: bytes once found right are right again.
      static std::string deja_verifiee;
      if (reponse == deja_verifiee) return;
      verifie_cubes(lignes(), reponse, m);
      deja_verifiee = reponse;
      return;
    }
  }
}

}  // namespace jeu::fuzz
