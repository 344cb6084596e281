// Fuzz target: three clients' sessions, driven by arbitrary bytes, against an
// in-process world (no sockets): the request handling of net/traitement.h,
// interleaved with simulated ticks.
//
// Input layout: the bytes are cut into lines at each LF by the server's line
// assembler (a last fragment without LF is one more line, as when a client
// closes after it). The first byte b of each line is a selector, the rest is
// the request line as a client sends it (CR included):
//   - b >= 0xF0: client b % 3 closes its connection (its ship is removed, as
//     the session does); the rest of the line is ignored;
//   - otherwise client b % 3 sends the rest of the line; then (b / 3) % 4
//     ticks run, and 40 more when b >= 0x80; no more than budget_ticks
//     ticks in all per input, so that an input stays quick to run.
// So "0PUT COULEUR VAISSEAU 255\r\n" is client 0 registering colour 255, and
// "3GET VAISSEAUX\r\n" is client 0 asking for the ships, then one tick.
// A client starts in the registration phase and goes back to it (a new
// connection) after "PUT ACTION QUITTE" or a close.
//
// Checked after every line and every tick: the world's invariants (ships'
// life, speed, place, colours and order; bullets' place and counts per
// colour). Checked for every reply: its form, byte for byte, by a parser of
// this file (not the server's encoder), and that it answers the request.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/configuration.h"
#include "geometry/cube_field.h"
#include "net/lecteur_lignes.h"
#include "net/traitement.h"
#include "simulation/destruction.h"
#include "simulation/tick.h"
#include "world/munitions.h"
#include "world/monde.h"

namespace {

using namespace jeu;
namespace cfg = jeu::configuration;

constexpr int nb_clients = 3;
constexpr std::uint64_t graine = 20240611;
constexpr int budget_ticks = 400;

[[noreturn]] void echec(const char* quoi, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz_session: %s\n", quoi);
  if (!detail.empty()) {
    std::fprintf(stderr, "  [");
    for (unsigned char c : detail.substr(0, 600)) {
      if (c >= 0x20 && c < 0x7f) std::fputc(c, stderr);
      else std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "]\n");
  }
  std::abort();
}

void verifie(bool condition, const char* quoi, std::string_view detail = {}) {
  if (!condition) echec(quoi, detail);
}

// ---- Reading replies -------------------------------------------------------

// The reply cut into lines; each must end in CR LF and hold no other CR or LF.
std::vector<std::string_view> lignes_de(std::string_view reponse) {
  std::vector<std::string_view> lignes;
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

std::vector<std::string_view> champs(std::string_view l) {
  std::vector<std::string_view> c;
  std::size_t debut = 0;
  for (;;) {
    const std::size_t espace = l.find(' ', debut);
    c.push_back(l.substr(debut, espace == std::string_view::npos ? l.npos : espace - debut));
    if (espace == std::string_view::npos) return c;
    debut = espace + 1;
  }
}

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

// ---- What each request line is ----------------------------------------------

enum class sorte {
  taille_plateau, rayon_vaisseau, rayon_balle, max_pt_vie,
  statut, vaisseaux, balles, cubes, action, quitte, inconnue,
};

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

std::optional<couleur_t> couleur_demandee(std::string_view l) {
  constexpr std::string_view debut = "PUT COULEUR VAISSEAU ";
  if (l.size() < debut.size() + 2 || l.substr(0, debut.size()) != debut || l.back() != '\r') {
    return std::nullopt;
  }
  return entier(l.substr(debut.size(), l.size() - debut.size() - 1));
}

// ---- The world --------------------------------------------------------------

// The position index holds exactly the listed ships, where they are. (A walk
// over the whole index: done once per line, not after every tick.)
void verifie_index(const monde& m) REQUIRES(m.verrou_monde) {
  const std::vector<repere_vaisseau> indexes = m.index.tous();
  verifie(m.index.size() == m.vaisseaux.size() && indexes.size() == m.vaisseaux.size(),
          "index and ship list differ in size");
  for (const repere_vaisseau& r : indexes) {
    verifie(std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(),
                        [&](const vaisseau& v) {
                          return v.serie == r.serie && v.couleur == r.couleur && v.x == r.x &&
                                 v.y == r.y;
                        }),
            "indexed ship not in the list, or elsewhere");
  }
}

void verifie_monde(const monde& m, bool apres_tick) REQUIRES(m.verrou_monde) {
  std::unordered_set<couleur_t> couleurs;
  std::uint64_t serie_precedente = 0;
  bool premier = true;
  verifie(m.vaisseaux.size() <= static_cast<std::size_t>(nb_clients), "more ships than clients");
  for (const vaisseau& v : m.vaisseaux) {
    verifie(v.pt_vie >= 1 && v.pt_vie <= cfg::max_pt_vie, "ship life out of range");
    verifie(v.vitesse >= cfg::vitesse_min && v.vitesse <= cfg::vitesse_max,
            "ship speed out of range");
    verifie(std::isfinite(v.angle), "ship angle not finite");
    verifie(v.x >= cfg::rayon_vaisseau && v.x < cfg::largeur_plateau - 1 - cfg::rayon_vaisseau &&
                v.y >= cfg::rayon_vaisseau &&
                v.y < cfg::hauteur_plateau - 1 - cfg::rayon_vaisseau,
            "ship outside the arena margins");
    for (const cube& k : m.cubes) {
      verifie(!(v.x > k.x1 && v.x < k.x2 && v.y > k.y1 && v.y < k.y2),
              "ship centre inside a cube");
    }
    verifie(couleurs.insert(v.couleur).second, "two ships share a colour");
    verifie(premier || v.serie < serie_precedente, "ships not in descending serial order");
    verifie(v.serie >= 1 && v.serie < m.prochaine_serie, "ship serial never handed out");
    serie_precedente = v.serie;
    premier = false;
  }
  std::unordered_map<couleur_t, int> comptes;
  for (const balle& b : m.balles) {
    ++comptes[b.couleur];
    if (apres_tick) {
      verifie(b.x - cfg::rayon_balle >= 0 && b.x + cfg::rayon_balle < cfg::largeur_plateau &&
                  b.y - cfg::rayon_balle >= 0 &&
                  b.y + cfg::rayon_balle < cfg::hauteur_plateau,
              "bullet outside the arena after a tick");
    }
  }
  verifie(comptes.size() == m.balles_par_couleur.size(), "bullet counts: colours differ");
  for (const auto& [couleur, n] : m.balles_par_couleur) {
    const auto c = comptes.find(couleur);
    verifie(c != comptes.end() && c->second == n, "bullet count per colour wrong");
    verifie(n >= 1 && n <= cfg::max_balles_par_vaisseau, "bullet count per colour out of range");
  }
}

bool existe(const monde& m, const identite& id) REQUIRES(m.verrou_monde) {
  return std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(), [&](const vaisseau& v) {
    return v.couleur == id.couleur && v.serie == id.serie;
  });
}

bool couleur_prise(const monde& m, couleur_t c) REQUIRES(m.verrou_monde) {
  return std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(),
                     [&](const vaisseau& v) { return v.couleur == c; });
}

// ---- Replies against the request and the world ------------------------------

// What a list reply must show: taken from the world when the request was
// handled, before the reply was formatted.
struct attendu {
  std::vector<vaisseau> vaisseaux;
  std::vector<balle> balles;
  bool vivant = false;
};

void verifie_reponse(sorte s, std::string_view reponse, const attendu& a, const monde& m) {
  const std::vector<std::string_view> lignes = lignes_de(reponse);
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
    case sorte::action:
    case sorte::quitte:
      verifie(reponse == "OK\r\n", "action not answered OK", reponse);
      return;
    case sorte::inconnue:
      verifie(reponse == "ERREUR SYNTAXE\r\n", "unknown line not refused", reponse);
      return;
    case sorte::vaisseaux: {
      const std::size_t n = entete_liste(lignes, "PUT VAISSEAUX ", reponse);
      verifie(n == a.vaisseaux.size(), "ship count differs from the world", lignes[0]);
      for (std::size_t i = 0; i < n; ++i) {
        const std::string_view l = lignes[i + 1];
        const auto c = champs(l);
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
      return;
    }
    case sorte::balles: {
      const std::size_t n = entete_liste(lignes, "PUT BALLES ", reponse);
      verifie(n == a.balles.size(), "bullet count differs from the world", lignes[0]);
      for (std::size_t i = 0; i < n; ++i) {
        const std::string_view l = lignes[i + 1];
        const auto c = champs(l);
        verifie(c.size() == 3, "bullet line has not 3 fields", l);
        const balle& b = a.balles[i];
        verifie(champ_entier(c[0], l) == static_cast<std::int64_t>(b.x), "bullet x", l);
        verifie(champ_entier(c[1], l) == static_cast<std::int64_t>(b.y), "bullet y", l);
        verifie(champ_entier(c[2], l) == b.couleur, "bullet colour", l);
      }
      return;
    }
    case sorte::cubes: {
      const std::size_t n = entete_liste(lignes, "PUT CUBES ", reponse);
      verifie(n == static_cast<std::size_t>(cfg::nb_cubes) && n == m.cubes.size(),
              "not 200 cubes", lignes[0]);
      for (std::size_t i = 0; i < n; ++i) {
        const std::string_view l = lignes[i + 1];
        const auto c = champs(l);
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
      return;
    }
  }
}

// ---- The clients ------------------------------------------------------------

struct client {
  std::optional<joueur> j;  // set in the play phase
};

void ferme(monde& m, client& c) EXCLUDES(m.verrou_monde) {
  if (c.j) {
    VerrouGarde garde(m.verrou_monde);
    detruit_vaisseau(m, c.j->id());
    verifie(!existe(m, c.j->id()), "ship still there after its client left");
    verifie_monde(m, false);
  }
  c.j.reset();
}

void enregistrement(monde& m, client& c, int numero, std::string_view ligne, bool tronquee)
    EXCLUDES(m.verrou_monde) {
  std::optional<couleur_t> couleur;
  bool prise = false;
  if (!tronquee) couleur = couleur_demandee(ligne);
  if (couleur) {
    VerrouGarde garde(m.verrou_monde);
    prise = couleur_prise(m, *couleur);
  }
  const issue_enregistrement issue =
      tronquee ? refuse_enregistrement(ligne) : enregistre(m, ligne, numero == 0);
  if (!couleur) {
    verifie(issue.reponse == "ERREUR SYNTAXE\r\n", "bad registration not refused", ligne);
    verifie(!issue.id, "ship created for a bad registration", ligne);
  } else if (prise) {
    verifie(issue.reponse == "ERREUR COULEUR UTILISEE\r\n", "taken colour not refused", ligne);
    verifie(!issue.id, "ship created for a taken colour", ligne);
  } else {
    // At most three ships: there is always room.
    verifie(issue.reponse == "VAISSEAU ENREGISTRE\r\n", "free colour refused", ligne);
    verifie(issue.id && issue.id->couleur == *couleur, "no ship id or wrong colour", ligne);
  }
  VerrouGarde garde(m.verrou_monde);
  if (issue.id) {
    verifie(!m.vaisseaux.empty() && m.vaisseaux.front().couleur == issue.id->couleur &&
                m.vaisseaux.front().serie == issue.id->serie,
            "new ship not at the head of the list");
    verifie(m.vaisseaux.front().pt_vie == cfg::max_pt_vie &&
                m.vaisseaux.front().vitesse == 0.0,
            "new ship not at rest with full life");
    c.j.emplace(*issue.id, numero == 0);
  }
  verifie_monde(m, false);
}

void partie(monde& m, client& c, std::string_view ligne, bool tronquee) EXCLUDES(m.verrou_monde) {
  joueur& j = *c.j;
  const sorte s = tronquee ? sorte::inconnue : sorte_de(ligne);
  attendu a;
  issue_requete issue;
  {
    VerrouGarde garde(m.verrou_monde);
    if (tronquee) {
      issue = j.refuse_ligne(ligne);
    } else {
      std::optional<vaisseau> avant;
      for (const vaisseau& v : m.vaisseaux) {
        if (v.couleur == j.id().couleur && v.serie == j.id().serie) avant = v;
      }
      issue = j.traite_requete(m, ligne);
      a.vivant = existe(m, j.id());
      a.vaisseaux.assign(m.vaisseaux.begin(), m.vaisseaux.end());
      a.balles.assign(m.balles.begin(), m.balles.end());
      if (s == sorte::quitte) verifie(!a.vivant, "ship still there after QUITTE");
      if (s != sorte::quitte && s != sorte::action) {
        verifie(a.vivant == avant.has_value(), "a request that is not an action changed the ship");
      }
      if (avant && a.vivant && ligne == "PUT ACTION ACCELERE\r") {
        const vaisseau* v = &a.vaisseaux.front();
        for (const vaisseau& w : a.vaisseaux) {
          if (w.serie == j.id().serie) v = &w;
        }
        verifie(std::fabs(v->vitesse - std::min(avant->vitesse + cfg::pas_acceleration,
                                                cfg::vitesse_max)) < 1e-9,
                "ACCELERE did not add 0.1 up to 3");
      }
    }
    verifie_monde(m, false);
  }
  verifie(issue.fin == (s == sorte::quitte), "session end flag wrong", ligne);
  std::string sortie;
  j.ajoute_reponse(sortie);
  {
    VerrouGarde garde(m.verrou_monde);
    verifie_reponse(s, sortie, a, m);
  }
  if (issue.fin) c.j.reset();  // the connection closes; a later line is a new client
}

// One world for all inputs (building one costs more than most inputs): each
// input starts from the same state, the cube field just drawn, no ship, no
// bullet, the generator where the field left it.
struct monde_initial {
  monde m{graine};
  std::optional<aleatoire> alea_apres_cubes;
  monde_initial() {
    VerrouGarde garde(m.verrou_monde);
    m.cubes = cree_cubes(m, cfg::nb_cubes);
    alea_apres_cubes = m.alea;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  static monde_initial initial;
  monde& m = initial.m;
  {
    VerrouGarde garde(m.verrou_monde);
    verifie(m.vaisseaux.empty() && m.index.size() == 0 && m.balles.empty() &&
                m.balles_par_couleur.empty(),
            "world not empty at the start of an input");
    m.alea = *initial.alea_apres_cubes;
    m.prochaine_serie = 1;
  }
  client clients[nb_clients];
  int ticks_restants = budget_ticks;

  auto traite_ligne = [&](std::string_view ligne, bool tronquee) {
    if (ligne.empty()) return;  // no selector: nothing to do
    const unsigned char b = static_cast<unsigned char>(ligne[0]);
    client& c = clients[b % nb_clients];
    const int numero = b % nb_clients;
    if (b >= 0xF0) {
      ferme(m, c);
      return;
    }
    const std::string_view requete = ligne.substr(1);
    if (c.j) {
      partie(m, c, requete, tronquee);
    } else {
      enregistrement(m, c, numero, requete, tronquee);
    }
    int ticks = std::min((b / 3) % 4 + (b >= 0x80 ? 40 : 0), ticks_restants);
    ticks_restants -= ticks;
    VerrouGarde garde(m.verrou_monde);
    for (; ticks > 0; --ticks) {
      avance_monde(m);
      verifie_monde(m, true);
    }
    verifie_index(m);
  };

  assembleur_lignes a;
  std::string_view reste(reinterpret_cast<const char*>(donnees), taille);
  while (!reste.empty()) {
    reste.remove_prefix(a.ajoute(reste));
    if (a.complete()) {
      traite_ligne(a.ligne(), a.tronquee());
      a.suivante();
    }
  }
  if (a.en_cours()) traite_ligne(a.ligne(), a.tronquee());
  for (client& c : clients) ferme(m, c);
  VerrouGarde garde(m.verrou_monde);
  verifie(m.vaisseaux.empty(), "ships left after every client closed");
  vide_balles(m);
  return 0;
}
