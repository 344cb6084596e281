#pragma once

// jeu_client: a client for serveur_jeu's text protocol (docs/protocole.md).
// One `connexion` per TCP connection; not shared between threads. Every
// failure is an `erreur` exception naming what happened; no call waits
// longer than the connection's delay for the server. A refusal (syntaxe,
// couleur_utilisee) leaves the connection usable; after any other error the
// replies could no longer be matched to their requests, so the connection
// is closed (descripteur() is -1) and every later call throws erreur(fermee).

#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace jeu_client {

// A player's colour: any signed 64-bit integer, 0xRRGGBB by convention.
using couleur_t = std::int64_t;

// Coordinates are the integers the server sends, held as doubles for
// arithmetic. Drawn like a screen (origin at the top left, y growing
// downward), "GAUCHE" (angle + 0.15) turns a ship clockwise.
struct vaisseau {
  double x = 0;
  double y = 0;
  double angle = 0;  // radians, never reduced to a range
  int pt_vie = 0;
  couleur_t couleur = 0;
};

struct balle {
  double x = 0;
  double y = 0;
  couleur_t couleur = 0;  // the shooter's
};

struct cube {
  double x1 = 0;
  double y1 = 0;
  double x2 = 0;
  double y2 = 0;
};

struct taille_plateau {
  int largeur = 0;
  int hauteur = 0;
};

enum class statut { vivant, mort, spectateur };

// The "GET STATS" reply (spectators only). Every field as sent is also kept
// in `champs`, in order, unknown ones included.
struct statistiques {
  double ticks_par_seconde = 0;      // ticks_s
  std::int64_t duree_tick_us = 0;    // tick_us: the last tick
  std::int64_t p99_tick_us = 0;      // tick_p99_us: of the last 1,000 ticks
  std::int64_t joueurs = 0;          // joueurs: connections with a ship, or whose ship was destroyed
  std::int64_t spectateurs = 0;      // spectateurs
  std::int64_t vaisseaux = 0;        // vaisseaux: ships in the arena
  std::int64_t balles = 0;           // balles
  std::int64_t requetes_par_seconde = 0;  // requetes_s: all connections, last second
  std::vector<std::pair<std::string, std::string>> champs;
};

// ---- Scores and events (spectators only) ----

// One line of the "GET SCORES" reply: what a colour did since the server
// started. Accuracy is touches_donnees / tirs.
struct score {
  couleur_t couleur = 0;
  std::int64_t victoires = 0;        // ships of other colours whose last life point its bullets took
  std::int64_t morts = 0;            // its ships destroyed by bullets, its own included
  std::int64_t touches_donnees = 0;  // hits of its bullets on ships of other colours
  std::int64_t touches_recues = 0;   // hits on its ships by bullets of other colours
  std::int64_t touches_propres = 0;  // hits on its ships by its own bullets
  std::int64_t tirs = 0;             // bullets fired
  std::int64_t vies = 0;             // ships registered with this colour
  std::int64_t ticks_vivant = 0;     // ticks its ships spent in the arena (40 a second)
  std::int64_t meilleure_serie = 0;  // most kills in one life
  bool vivant = false;               // a ship of this colour is in the arena now
};

// One line of the "GET EVENEMENTS" reply.
struct evenement {
  enum class sorte {
    touche,   // "TOUCHE": `tireur`'s bullet hit `couleur`, which has `pt_vie` left
    detruit,  // "DETRUIT": `tireur`'s bullet destroyed `couleur` (after its touche)
    arrive,   // "ARRIVE": a ship of `couleur` registered
    part,     // "PART": the ship of `couleur` left the arena, for `raison`
  };
  enum class depart { quitte, deconnecte, detruit };
  std::int64_t tick = 0;  // ticks since the server started; the first is 1
  sorte quoi = sorte::arrive;
  couleur_t tireur = 0;  // touche and detruit only
  couleur_t couleur = 0;
  int pt_vie = 0;                     // touche only
  depart raison = depart::quitte;     // part only
};

// The "GET EVENEMENTS" reply: the events since this spectator's previous
// call, oldest first, and how many left the server's bounded memory unread.
struct lot_evenements {
  std::vector<evenement> liste;
  std::int64_t manques = 0;
};

// ---- end of scores and events ----

// The requests of the play phase (and of a spectator), one protocol line each.
enum class requete {
  taille_plateau,
  rayon_vaisseau,
  rayon_balle,
  max_pt_vie,
  statut,
  vaisseaux,
  balles,
  cubes,
  stats,  // spectators only
  scores,      // spectators only
  evenements,  // spectators only
  accelere,
  decelere,
  gauche,
  droite,
  tire,
};

// The line sent for `r`, CR LF included ("GET VAISSEAUX\r\n").
std::string_view ligne(requete r);

// One frame of the tick stream ("GET FLUX", spectators only): the world as
// it stood after tick `tick`. Blocks the library does not know are skipped.
struct trame_flux {
  std::uint64_t tick = 0;          // ticks since the server started; the first is 1
  std::uint64_t ticks_perdus = 0;  // ticks since the previous frame that this stream did not get
  std::vector<vaisseau> vaisseaux;  // as "GET VAISSEAUX" gives them, newest first
  std::vector<balle> balles;        // as "GET BALLES" gives them, newest first
  // The tick's events, one line each as sent, CR LF removed ("1200 PART 255
  // detruit"), oldest first; empty when the server sends no events block.
  std::vector<std::string> evenements;
  std::uint64_t evenements_manques = 0;  // events of the ticks this stream lost
};

// Parses one frame from its text, from its "TICK" line to its "FIN TICK"
// line, every line ending in CR LF, nothing after it (what
// connexion::flux_texte gives). Unknown blocks ("PUT <NAME> <count> ...",
// then count lines) are skipped. Throws erreur(inattendue) quoting the first
// line that is not where or what it should be.
trame_flux lit_trame_flux(std::string_view texte);

// "OK", the reply to an action.
struct ok {};

// One parsed reply. Which alternative comes for which request:
// actions: ok; rayon_vaisseau, rayon_balle, max_pt_vie: int;
// taille_plateau: taille_plateau; statut: statut; vaisseaux, balles, cubes:
// the vector; stats: statistiques; scores: std::vector<score>, best first;
// evenements: lot_evenements.
using reponse = std::variant<ok, int, taille_plateau, statut, std::vector<vaisseau>,
                             std::vector<balle>, std::vector<cube>, statistiques,
                             std::vector<score>, lot_evenements>;

class erreur : public std::runtime_error {
 public:
  enum class sorte {
    connexion,         // could not connect (name, refusal, unreachable)
    fermee,            // the server closed the connection, or a read or write failed
    delai,             // no complete reply within the connection's delay
    inattendue,        // a reply that is not the one the request calls for
    couleur_utilisee,  // registration: "ERREUR COULEUR UTILISEE" (colour taken or arena full)
    syntaxe,           // "ERREUR SYNTAXE" (already registered, a spectator's forbidden request...)
  };
  erreur(sorte s, const std::string& message) : std::runtime_error(message), sorte_(s) {}
  sorte quoi() const { return sorte_; }

 private:
  sorte sorte_;
};

class connexion {
 public:
  // Connects to `hote` (a name or an address) on `port`. Every later call
  // waits at most `delai` for the server. Throws erreur(connexion).
  static connexion ouvre(const std::string& hote, int port,
                         std::chrono::milliseconds delai = std::chrono::seconds(5));

  connexion(connexion&& autre) noexcept;
  connexion& operator=(connexion&& autre) noexcept;
  connexion(const connexion&) = delete;
  connexion& operator=(const connexion&) = delete;
  ~connexion();  // closes the socket, without "PUT ACTION QUITTE"

  // "PUT COULEUR VAISSEAU <c>". Returns once "VAISSEAU ENREGISTRE" came;
  // throws erreur(couleur_utilisee) or erreur(syntaxe) for a refusal (the
  // connection stays usable for another try), or as for any request.
  void enregistre(couleur_t c);

  // "PUT SPECTATEUR": no ship; the GET requests and stats. Throws erreur(syntaxe)
  // once registered as a player.
  void devient_spectateur();

  // A frame: every request of `requetes` in one write, then their replies,
  // parsed in order. The same as envoie then recoit, within one delay. A
  // refused request ("ERREUR SYNTAXE") throws erreur(syntaxe) once every
  // reply of the frame is read.
  std::vector<reponse> trame(std::span<const requete> requetes);

  // The two halves of a frame, for a program that drives many connections:
  // send every connection's frame, then read each one's replies. recoit must
  // get the same requests as the envoie it answers.
  void envoie(std::span<const requete> requetes);
  std::vector<reponse> recoit(std::span<const requete> requetes);

  // One request, one round trip each.
  std::vector<vaisseau> vaisseaux();
  std::vector<balle> balles();
  std::vector<cube> cubes();
  statut etat();
  statistiques stats();
  // A spectator's: the table of scores, best first (kills, then fewest
  // deaths, then hits given, then the smaller colour); the events since the
  // previous call (the first time: since it became a spectator).
  std::vector<score> scores();
  lot_evenements evenements();
  taille_plateau taille();
  int rayon_vaisseau();
  int rayon_balle();
  int max_pt_vie();
  // An action (accelere, decelere, gauche, droite, tire); throws
  // std::invalid_argument for another request.
  void action(requete a);

  // "GET FLUX" (a spectator's only): waits for "PUT FLUX"; from then on the
  // server sends a frame after every tick and the connection only streams
  // (the request calls above would throw erreur(inattendue)). Throws
  // erreur(syntaxe) for a player.
  void commence_flux();
  // The next frame of the stream, parsed. Waits at most the connection's
  // delay for the whole frame; erreur(fermee) when the server ended it.
  trame_flux flux_suivante();
  // The same frame as text (TICK line to FIN TICK line, CR LF included),
  // checked only for its framing, for a program that stores frames.
  std::string flux_texte();

  // "PUT ACTION QUITTE": removes the ship, waits for "OK", closes.
  void quitte();

  // The socket, for poll(); -1 once closed.
  int descripteur() const { return socket_; }

 private:
  connexion(int socket, std::chrono::milliseconds delai);
  int socket_ = -1;
  std::chrono::milliseconds delai_;
  std::string entree_;  // bytes received and not yet parsed
};

}  // namespace jeu_client
