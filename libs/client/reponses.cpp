#include "client/reponses.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "client/requetes.h"

namespace jeu_client::interne {

namespace {

using std::string_view;

[[noreturn]] void inattendue(string_view demande, string_view ligne) {
  throw erreur(erreur::sorte::inattendue,
               "reponse inattendue a " + std::string(demande) + " : " + cite(ligne));
}

// The line without its CR LF; nullopt when it does not end in CR LF.
std::optional<string_view> corps(string_view ligne) {
  if (!ligne.ends_with("\r\n")) return std::nullopt;
  ligne.remove_suffix(2);
  return ligne;
}

// Exactly N fields separated by single spaces (an empty one is refused by
// the number it should hold).
template <std::size_t N>
std::optional<std::array<string_view, N>> champs(string_view texte) {
  std::array<string_view, N> resultat;
  for (std::size_t i = 0; i < N; ++i) {
    const std::size_t espace = texte.find(' ');
    const bool dernier = i + 1 == N;
    if (dernier != (espace == string_view::npos)) return std::nullopt;
    resultat[i] = texte.substr(0, espace);
    if (!dernier) texte.remove_prefix(espace + 1);
  }
  return resultat;
}

template <class Entier>
std::optional<Entier> entier(string_view texte) {
  Entier n = 0;
  const auto [fin, e] = std::from_chars(texte.data(), texte.data() + texte.size(), n);
  if (e != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
  return n;
}

template <class Entier>
std::optional<Entier> naturel(string_view texte) {
  if (texte.starts_with('-')) return std::nullopt;
  return entier<Entier>(texte);
}

std::optional<double> flottant(string_view texte, std::chars_format format) {
  // from_chars would take "inf", "nan" and ".5", which the server never writes.
  const string_view chiffres = texte.starts_with('-') ? texte.substr(1) : texte;
  if (chiffres.empty() || chiffres[0] < '0' || chiffres[0] > '9') return std::nullopt;
  double v = 0;
  const auto [fin, e] = std::from_chars(texte.data(), texte.data() + texte.size(), v, format);
  if (e != std::errc() || fin != texte.data() + texte.size() || !std::isfinite(v)) {
    return std::nullopt;
  }
  return v;
}

// "%.12g", with a "." added to what would look like an integer: "0.", "1e-05".
std::optional<double> angle(string_view texte) {
  if (texte.find_first_of(".e") == string_view::npos) return std::nullopt;
  return flottant(texte, std::chars_format::general);
}

std::optional<vaisseau> lit_vaisseau(string_view texte) {
  const auto c = champs<5>(texte);
  if (!c) return std::nullopt;
  const auto x = entier<std::int64_t>((*c)[0]);
  const auto y = entier<std::int64_t>((*c)[1]);
  const auto a = angle((*c)[2]);
  const auto vie = naturel<int>((*c)[3]);
  const auto couleur = entier<couleur_t>((*c)[4]);
  if (!x || !y || !a || !vie || !couleur) return std::nullopt;
  return vaisseau{static_cast<double>(*x), static_cast<double>(*y), *a, *vie, *couleur};
}

std::optional<balle> lit_balle(string_view texte) {
  const auto c = champs<3>(texte);
  if (!c) return std::nullopt;
  const auto x = entier<std::int64_t>((*c)[0]);
  const auto y = entier<std::int64_t>((*c)[1]);
  const auto couleur = entier<couleur_t>((*c)[2]);
  if (!x || !y || !couleur) return std::nullopt;
  return balle{static_cast<double>(*x), static_cast<double>(*y), *couleur};
}

std::optional<cube> lit_cube(string_view texte) {
  const auto c = champs<4>(texte);
  if (!c) return std::nullopt;
  std::array<double, 4> v;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto n = entier<std::int64_t>((*c)[i]);
    if (!n) return std::nullopt;
    v[i] = static_cast<double>(*n);
  }
  return cube{v[0], v[1], v[2], v[3]};
}

std::optional<score> lit_score(string_view texte) {
  const auto c = champs<11>(texte);
  if (!c) return std::nullopt;
  score s;
  const auto couleur = entier<couleur_t>((*c)[0]);
  if (!couleur) return std::nullopt;
  s.couleur = *couleur;
  std::int64_t score::*const compteurs[] = {
      &score::victoires, &score::morts, &score::touches_donnees, &score::touches_recues,
      &score::touches_propres, &score::tirs, &score::vies, &score::ticks_vivant,
      &score::meilleure_serie};
  for (std::size_t i = 0; i < std::size(compteurs); ++i) {
    const auto n = naturel<std::int64_t>((*c)[i + 1]);
    if (!n) return std::nullopt;
    s.*compteurs[i] = *n;
  }
  if ((*c)[10] != "0" && (*c)[10] != "1") return std::nullopt;
  s.vivant = (*c)[10] == "1";
  return s;
}

std::optional<evenement> lit_evenement(string_view texte) {
  using sorte = evenement::sorte;
  const std::size_t espace = texte.find(' ');
  if (espace == string_view::npos) return std::nullopt;
  const auto tick = naturel<std::int64_t>(texte.substr(0, espace));
  if (!tick) return std::nullopt;
  texte.remove_prefix(espace + 1);
  evenement e;
  e.tick = *tick;
  if (texte.starts_with("TOUCHE ")) {
    const auto c = champs<3>(texte.substr(7));
    if (!c) return std::nullopt;
    const auto tireur = entier<couleur_t>((*c)[0]);
    const auto cible = entier<couleur_t>((*c)[1]);
    const auto vie = naturel<int>((*c)[2]);
    if (!tireur || !cible || !vie) return std::nullopt;
    e.quoi = sorte::touche;
    e.tireur = *tireur;
    e.couleur = *cible;
    e.pt_vie = *vie;
  } else if (texte.starts_with("DETRUIT ")) {
    const auto c = champs<2>(texte.substr(8));
    if (!c) return std::nullopt;
    const auto tireur = entier<couleur_t>((*c)[0]);
    const auto cible = entier<couleur_t>((*c)[1]);
    if (!tireur || !cible) return std::nullopt;
    e.quoi = sorte::detruit;
    e.tireur = *tireur;
    e.couleur = *cible;
  } else if (texte.starts_with("ARRIVE ")) {
    const auto couleur = entier<couleur_t>(texte.substr(7));
    if (!couleur) return std::nullopt;
    e.quoi = sorte::arrive;
    e.couleur = *couleur;
  } else if (texte.starts_with("PART ")) {
    const auto c = champs<2>(texte.substr(5));
    if (!c) return std::nullopt;
    const auto couleur = entier<couleur_t>((*c)[0]);
    if (!couleur) return std::nullopt;
    e.quoi = sorte::part;
    e.couleur = *couleur;
    if ((*c)[1] == "quitte") {
      e.raison = evenement::depart::quitte;
    } else if ((*c)[1] == "deconnecte") {
      e.raison = evenement::depart::deconnecte;
    } else if ((*c)[1] == "detruit") {
      e.raison = evenement::depart::detruit;
    } else {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  return e;
}

// `n` item lines of a list reply whose header `ligne` was read.
template <class T>
std::vector<T> lit_elements(requete r, std::size_t n, string_view ligne, source_lignes& lignes,
                            std::optional<T> (*element)(string_view)) {
  if (n > max_elements) {
    throw erreur(erreur::sorte::inattendue, "reponse inattendue a " + std::string(nom(r)) +
                                                " : plus de " + std::to_string(max_elements) +
                                                " elements annonces dans " + cite(ligne));
  }
  std::vector<T> liste;
  // Grown as the lines arrive: the count alone never decides an allocation.
  liste.reserve(std::min<std::size_t>(n, 1024));
  for (std::size_t i = 0; i < n; ++i) {
    const string_view l = lignes.suivante();
    const auto c = corps(l);
    const auto e = c ? element(*c) : std::nullopt;
    if (!e) {
      inattendue(std::string(nom(r)) + " (ligne " + std::to_string(i + 1) + " sur " +
                     std::to_string(n) + ")",
                 l);
    }
    liste.push_back(*e);
  }
  return liste;
}

// A list reply whose header `entete` ("PUT VAISSEAUX 2", CR LF removed) was
// read: its count, then that many item lines.
template <class T>
std::vector<T> lit_liste(requete r, string_view mot, string_view entete, string_view ligne,
                         source_lignes& lignes, std::optional<T> (*element)(string_view)) {
  if (!entete.starts_with(mot)) inattendue(nom(r), ligne);
  const auto n = naturel<std::size_t>(entete.substr(mot.size()));
  if (!n) inattendue(nom(r), ligne);
  return lit_elements(r, *n, ligne, lignes, element);
}

// "PUT EVENEMENTS <n> <missed>", then n event lines.
lot_evenements lit_lot_evenements(string_view entete, string_view ligne, source_lignes& lignes) {
  constexpr string_view mot = "PUT EVENEMENTS ";
  const requete r = requete::evenements;
  if (!entete.starts_with(mot)) inattendue(nom(r), ligne);
  const auto c = champs<2>(entete.substr(mot.size()));
  const auto n = c ? naturel<std::size_t>((*c)[0]) : std::nullopt;
  const auto manques = c ? naturel<std::int64_t>((*c)[1]) : std::nullopt;
  if (!n || !manques) inattendue(nom(r), ligne);
  return {lit_elements(r, *n, ligne, lignes, lit_evenement), *manques};
}

std::optional<int> constante(string_view mot, string_view texte) {
  if (!texte.starts_with(mot)) return std::nullopt;
  return naturel<int>(texte.substr(mot.size()));
}

}  // namespace

std::optional<vaisseau> lit_ligne_vaisseau(string_view texte) { return lit_vaisseau(texte); }
std::optional<balle> lit_ligne_balle(string_view texte) { return lit_balle(texte); }

reponse lit_reponse(requete r, source_lignes& lignes) {
  const string_view ligne = lignes.suivante();
  const auto c = corps(ligne);
  if (!c) inattendue(nom(r), ligne);
  if (*c == "ERREUR SYNTAXE") {
    throw erreur(erreur::sorte::syntaxe, std::string(nom(r)) + " refusee : ERREUR SYNTAXE");
  }
  std::optional<int> n;
  switch (r) {
    case requete::taille_plateau:
      if (c->starts_with("PUT TAILLE PLATEAU ")) {
        const auto dims = champs<2>(c->substr(19));
        const auto l = dims ? naturel<int>((*dims)[0]) : std::nullopt;
        const auto h = dims ? naturel<int>((*dims)[1]) : std::nullopt;
        if (l && h) return taille_plateau{*l, *h};
      }
      break;
    case requete::rayon_vaisseau: n = constante("PUT RAYON VAISSEAU ", *c); break;
    case requete::rayon_balle: n = constante("PUT RAYON BALLE ", *c); break;
    case requete::max_pt_vie: n = constante("PUT MAX PT VIE ", *c); break;
    case requete::statut:
      if (*c == "PUT STATUT vivant") return statut::vivant;
      if (*c == "PUT STATUT mort") return statut::mort;
      if (*c == "PUT STATUT spectateur") return statut::spectateur;
      break;
    case requete::vaisseaux: return lit_liste(r, "PUT VAISSEAUX ", *c, ligne, lignes, lit_vaisseau);
    case requete::balles: return lit_liste(r, "PUT BALLES ", *c, ligne, lignes, lit_balle);
    case requete::cubes: return lit_liste(r, "PUT CUBES ", *c, ligne, lignes, lit_cube);
    case requete::stats:
      if (c->starts_with("PUT STATS ")) return lit_stats(*c);
      break;
    case requete::scores: return lit_liste(r, "PUT SCORES ", *c, ligne, lignes, lit_score);
    case requete::evenements: return lit_lot_evenements(*c, ligne, lignes);
    case requete::accelere:
    case requete::decelere:
    case requete::gauche:
    case requete::droite:
    case requete::tire:
      if (*c == "OK") return ok{};
      break;
  }
  if (n) return *n;
  inattendue(nom(r), ligne);
}

void lit_accord(accord a, source_lignes& lignes) {
  const string_view ligne = lignes.suivante();
  const auto c = corps(ligne);
  const string_view demande = a == accord::enregistrement ? "PUT COULEUR VAISSEAU"
                              : a == accord::spectateur   ? "PUT SPECTATEUR"
                                                          : "PUT ACTION QUITTE";
  const string_view acceptation = a == accord::enregistrement ? "VAISSEAU ENREGISTRE"
                                  : a == accord::spectateur   ? "SPECTATEUR ENREGISTRE"
                                                              : "OK";
  if (c == acceptation) return;
  if (c == "ERREUR SYNTAXE") {
    throw erreur(erreur::sorte::syntaxe, std::string(demande) + " refusee : ERREUR SYNTAXE");
  }
  if (a == accord::enregistrement && c == "ERREUR COULEUR UTILISEE") {
    throw erreur(erreur::sorte::couleur_utilisee,
                 "PUT COULEUR VAISSEAU refusee : ERREUR COULEUR UTILISEE (couleur prise ou "
                 "arene pleine)");
  }
  inattendue(demande, ligne);
}

statistiques lit_stats(string_view corps) {
  constexpr string_view mot = "PUT STATS ";
  const std::string ligne = std::string(corps) + "\r\n";
  if (!corps.starts_with(mot)) inattendue("GET STATS", ligne);
  statistiques s;
  std::int64_t statistiques::*const entiers[] = {
      &statistiques::duree_tick_us,       &statistiques::p99_tick_us, &statistiques::joueurs,
      &statistiques::spectateurs,         &statistiques::vaisseaux,   &statistiques::balles,
      &statistiques::requetes_par_seconde};
  constexpr std::array<string_view, 8> connus{"ticks_s", "tick_us",     "tick_p99_us",
                                              "joueurs", "spectateurs", "vaisseaux",
                                              "balles",  "requetes_s"};
  std::array<bool, connus.size()> vus{};
  string_view reste = corps.substr(mot.size());
  for (;;) {
    const std::size_t espace = reste.find(' ');
    const string_view champ = reste.substr(0, espace);
    const std::size_t egal = champ.find('=');
    if (egal == 0 || egal == string_view::npos || egal + 1 == champ.size()) {
      inattendue("GET STATS (champ " + cite(champ) + ")", ligne);
    }
    const string_view nom_champ = champ.substr(0, egal);
    const string_view valeur = champ.substr(egal + 1);
    s.champs.emplace_back(nom_champ, valeur);
    const auto connu = std::find(connus.begin(), connus.end(), nom_champ);
    if (connu != connus.end()) {
      const auto i = static_cast<std::size_t>(connu - connus.begin());
      if (vus[i]) inattendue("GET STATS (champ " + std::string(nom_champ) + " repete)", ligne);
      vus[i] = true;
      if (i == 0) {
        const auto v = flottant(valeur, std::chars_format::fixed);
        if (!v || valeur.starts_with('-')) inattendue("GET STATS (champ ticks_s)", ligne);
        s.ticks_par_seconde = *v;
      } else {
        const auto v = naturel<std::int64_t>(valeur);
        if (!v) inattendue("GET STATS (champ " + std::string(nom_champ) + ")", ligne);
        s.*entiers[i - 1] = *v;
      }
    }
    if (espace == string_view::npos) break;
    reste.remove_prefix(espace + 1);
  }
  for (std::size_t i = 0; i < connus.size(); ++i) {
    if (!vus[i]) inattendue("GET STATS (champ " + std::string(connus[i]) + " absent)", ligne);
  }
  return s;
}

}  // namespace jeu_client::interne
