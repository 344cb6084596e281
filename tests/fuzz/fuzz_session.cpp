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
// A client starts in the registration phase, where "PUT SPECTATEUR\r" makes
// it a spectator (net/session_spectateur.h), and goes back to it (a new connection)
// after "PUT ACTION QUITTE" or a close. The fuzz target counts players and
// spectators in m.compteurs, as the sessions do; it times no tick, so "GET
// STATS" reports tick and request rates of 0.
//
// Checked after every line and every tick: the world's invariants (ships'
// life, speed, place, colours and order; bullets' place and counts per
// colour) and the position index (session/invariants.h); the whole index is
// walked at the end of the input, once every client has closed: an entry
// left behind would still be there.
// After every line, every ship belongs to a connected player. Checked for
// every reply: its form, byte for byte, by a parser of its own
// (session/formes.h, not the server's encoder), and that it answers the
// request.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "config/configuration.h"
#include "geometry/cube_field.h"
#include "net/lecteur_lignes.h"
#include "net/session_spectateur.h"
#include "net/traitement.h"
#include "session/echec.h"
#include "session/formes.h"
#include "session/invariants.h"
#include "simulation/destruction.h"
#include "simulation/tick.h"
#include "world/munitions.h"
#include "world/monde.h"

namespace {

using namespace jeu;
using namespace jeu::fuzz;
namespace cfg = jeu::configuration;

constexpr int nb_clients = 3;
constexpr std::uint64_t graine = 20240611;
constexpr int budget_ticks = 400;

bool existe(const monde& m, const identite& id) REQUIRES(m.verrou_monde) {
  return std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(), [&](const vaisseau& v) {
    return v.couleur == id.couleur && v.serie == id.serie;
  });
}

bool couleur_prise(const monde& m, couleur_t c) REQUIRES(m.verrou_monde) {
  return std::any_of(m.vaisseaux.begin(), m.vaisseaux.end(),
                     [&](const vaisseau& v) { return v.couleur == c; });
}

// One world for all inputs (building one, with its cube field, costs more
// than most inputs): each input starts from the same state, the cube field
// just drawn, no ship, no bullet, the generator where the field left it.
struct banc {
  monde m{graine};
  std::optional<aleatoire> alea_apres_cubes;
  std::optional<invariants> inv;
  banc() {
    {
      VerrouGarde garde(m.verrou_monde);
      m.cubes = cree_cubes(m, cfg::nb_cubes);
      alea_apres_cubes = m.alea;
    }
    inv.emplace(m);
  }
};

// The world's invariants and the index, after a line or a tick.
void verifie_tout(const monde& m, invariants& inv, bool apres_tick) REQUIRES(m.verrou_monde) {
  inv.verifie_monde(m, nb_clients, apres_tick);
  inv.verifie_index(m);
}

// A connection: in the registration phase while neither is set. Counted in
// m.compteurs while in play or watching, as the sessions count themselves.
struct client {
  std::optional<joueur> j;       // set in the play phase
  std::optional<spectateur> s;  // set once it watches
};

void ferme(banc& e, client& c) EXCLUDES(e.m.verrou_monde) {
  if (c.j) {
    VerrouGarde garde(e.m.verrou_monde);
    detruit_vaisseau(e.m, c.j->id(), raison_depart::deconnecte);
    verifie(!existe(e.m, c.j->id()), "ship still there after its client left");
    verifie_tout(e.m, *e.inv, false);
    e.m.compteurs.joueurs.fetch_sub(1, std::memory_order_relaxed);
  }
  if (c.s) e.m.compteurs.spectateurs.fetch_sub(1, std::memory_order_relaxed);
  c.j.reset();
  c.s.reset();
}

void enregistrement(banc& e, client& c, int numero, std::string_view ligne, bool tronquee)
    EXCLUDES(e.m.verrou_monde) {
  monde& m = e.m;
  std::optional<couleur_t> couleur;
  bool prise = false;
  const bool regarder = !tronquee && ligne == "PUT SPECTATEUR\r";
  if (!tronquee) couleur = couleur_demandee(ligne);
  if (couleur) {
    VerrouGarde garde(m.verrou_monde);
    prise = couleur_prise(m, *couleur);
  }
  const issue_enregistrement issue =
      tronquee ? refuse_enregistrement(ligne) : enregistre(m, ligne, numero == 0);
  verifie(issue.spectateur == regarder, "spectator flag wrong", ligne);
  if (regarder) {
    verifie(issue.reponse == "SPECTATEUR ENREGISTRE\r\n" && issue.journal.empty(),
            "spectator not welcomed, or logged", ligne);
    verifie(!issue.id, "ship created for a spectator", ligne);
  } else if (!couleur) {
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
  if (regarder) {
    c.s.emplace();
    m.compteurs.spectateurs.fetch_add(1, std::memory_order_relaxed);
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
    m.compteurs.joueurs.fetch_add(1, std::memory_order_relaxed);
  }
  verifie_tout(m, *e.inv, false);
}

// A spectator's line; `stats` holds the connections as the clients are.
void regarde(banc& e, client& c, std::string_view ligne, bool tronquee, stats_attendues stats)
    EXCLUDES(e.m.verrou_monde) {
  monde& m = e.m;
  spectateur& s = *c.s;
  const sorte k = tronquee ? sorte::inconnue : sorte_spectateur(ligne);
  attendu a;
  issue_requete issue;
  {
    VerrouGarde garde(m.verrou_monde);
    if (tronquee) {
      issue = s.refuse_ligne();
    } else {
      // It reads the world through a const reference: nothing to check
      // there, only its reply.
      issue = s.traite_requete(m, ligne);
      if (k == sorte::vaisseaux) a.vaisseaux.assign(m.vaisseaux.begin(), m.vaisseaux.end());
      if (k == sorte::balles) a.balles.assign(m.balles.begin(), m.balles.end());
      stats.vaisseaux = static_cast<std::int64_t>(m.vaisseaux.size());
      stats.balles = static_cast<std::int64_t>(m.balles.size());
      a.stats = stats;
    }
    verifie_tout(m, *e.inv, false);
  }
  verifie(issue.fin == (k == sorte::quitte), "session end flag wrong", ligne);
  verifie(issue.journal.empty(), "a spectator's request logged", ligne);
  std::string sortie;
  s.ajoute_reponse(sortie);
  verifie_reponse(k, sortie, a, m);
  if (issue.fin) ferme(e, c);  // the connection closes; a later line is a new client
}

void partie(banc& e, client& c, std::string_view ligne, bool tronquee)
    EXCLUDES(e.m.verrou_monde) {
  monde& m = e.m;
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
      if (s == sorte::vaisseaux) a.vaisseaux.assign(m.vaisseaux.begin(), m.vaisseaux.end());
      if (s == sorte::balles) a.balles.assign(m.balles.begin(), m.balles.end());
      if (s == sorte::quitte) verifie(!a.vivant, "ship still there after QUITTE");
      if (s != sorte::quitte && s != sorte::action) {
        verifie(a.vivant == avant.has_value(), "a request that is not an action changed the ship");
      }
      if (avant && a.vivant && ligne == "PUT ACTION ACCELERE\r") {
        const vaisseau* v = nullptr;
        for (const vaisseau& w : m.vaisseaux) {
          if (w.serie == j.id().serie) v = &w;
        }
        verifie(std::fabs(v->vitesse - std::min(avant->vitesse + cfg::pas_acceleration,
                                                cfg::vitesse_max)) < 1e-9,
                "ACCELERE did not add 0.1 up to 3");
      }
    }
    verifie_tout(m, *e.inv, false);
  }
  verifie(issue.fin == (s == sorte::quitte), "session end flag wrong", ligne);
  std::string sortie;
  j.ajoute_reponse(sortie);
  verifie_reponse(s, sortie, a, m);
  if (issue.fin) {
    // The session ends: the ship is gone already, the connection closes and
    // a later line is a new client.
    c.j.reset();
    m.compteurs.joueurs.fetch_sub(1, std::memory_order_relaxed);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  static banc e;
  monde& m = e.m;
  {
    VerrouGarde garde(m.verrou_monde);
    verifie(m.vaisseaux.empty() && m.index.size() == 0 && m.balles.empty() &&
                m.balles_par_couleur.empty() && m.compteurs.joueurs.load() == 0 &&
                m.compteurs.spectateurs.load() == 0,
            "world not empty at the start of an input");
    m.alea = *e.alea_apres_cubes;
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
      ferme(e, c);
      return;
    }
    const std::string_view requete = ligne.substr(1);
    if (c.j) {
      partie(e, c, requete, tronquee);
    } else if (c.s) {
      stats_attendues stats;
      for (const client& k : clients) {
        stats.joueurs += k.j.has_value();
        stats.spectateurs += k.s.has_value();
      }
      regarde(e, c, requete, tronquee, stats);
    } else {
      enregistrement(e, c, numero, requete, tronquee);
    }
    {
      // Every ship is a connected player's.
      VerrouGarde garde(m.verrou_monde);
      for (const vaisseau& v : m.vaisseaux) {
        verifie(std::any_of(std::begin(clients), std::end(clients),
                            [&](const client& k) {
                              return k.j && k.j->id().couleur == v.couleur &&
                                     k.j->id().serie == v.serie;
                            }),
                "a ship whose player has gone");
      }
    }
    int ticks = std::min((b / 3) % 4 + (b >= 0x80 ? 40 : 0), ticks_restants);
    ticks_restants -= ticks;
    VerrouGarde garde(m.verrou_monde);
    for (; ticks > 0; --ticks) {
      avance_monde(m);
      verifie_tout(m, *e.inv, true);
    }
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
  for (client& c : clients) ferme(e, c);
  VerrouGarde garde(m.verrou_monde);
  verifie(m.vaisseaux.empty(), "ships left after every client closed");
  e.inv->verifie_index_entier(m);
  vide_balles(m);
  e.inv->oublie_couleurs();
  return 0;
}
