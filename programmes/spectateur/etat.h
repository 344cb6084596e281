#pragma once

// What the page is sent, as JSON in server-sent events. Five events:
//   plateau  {"largeur","hauteur","rayon_vaisseau","rayon_balle","max_pt_vie",
//             "cubes":[[x1,y1,x2,y2],...]}            once per game connection
//   image    {"n","tick","perdus","vaisseaux":[[x,y,angle,pv,"#rrggbb","colour"],...],
//             "balles":[[x,y,"#rrggbb"],...],"stats":{...}}   every frame;
//             replaying, also "relecture":{"premier","dernier","pause","vitesse"}
//   statut   {"connecte":bool,"texte":"..."}          when the link changes
//   scores   {"servis":bool,"total":n,"lignes":[["#rrggbb","colour",kills,
//             deaths,hits_given,shots,alive],...]}     best first, when they change
//   fil      {"manques":n,"victimes":[[tick,"#rrggbb","colour",
//             "#rrggbb","colour"],...]}                the kill feed (shooter,
//             then the ship destroyed), newest first, when it changes
// A colour is drawn as its low 24 bits read 0xRRGGBB; the ship's colour number
// is also sent whole, as a string (a JSON number loses int64 digits).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jeu_client.h"
#include "spectateur/fil.h"

namespace jeu::spectateur {

// The arena, read once per game connection.
struct plateau {
  jeu_client::taille_plateau taille;
  int rayon_vaisseau = 0;
  int rayon_balle = 0;
  int max_pt_vie = 0;
  std::vector<jeu_client::cube> cubes;
};

// Where a replay stands.
struct etat_relecture {
  std::uint64_t premier = 0;  // the recording's first and last ticks
  std::uint64_t dernier = 0;
  bool pause = false;
  double vitesse = 1;  // 1: 40 ticks a second
};

// One frame of the game.
struct image {
  std::uint64_t numero = 0;  // frames read since the program started
  std::vector<jeu_client::vaisseau> vaisseaux;
  std::vector<jeu_client::balle> balles;
  jeu_client::statistiques stats;
  // Read about once a second; absent in the other frames.
  std::optional<std::vector<jeu_client::score>> scores;
  // Since the previous frame, and how many the server could not give.
  std::vector<jeu_client::evenement> evenements;
  std::int64_t manques = 0;
  // False when the game server answers neither "GET SCORES" nor "GET EVENEMENTS".
  bool scores_servis = true;
  // From the tick stream or a recording: the frame's tick (0: unknown) and
  // the ticks the stream lost before it.
  std::uint64_t tick = 0;
  std::uint64_t ticks_perdus = 0;
  // Set when replaying a recording.
  std::optional<etat_relecture> relecture;
};

// Rows of the leaderboard sent to the page at most.
inline constexpr std::size_t lignes_scores_max = 20;

// "#rrggbb" for the low 24 bits of `c` (two's complement for negatives).
std::string couleur_css(jeu_client::couleur_t c);

// The JSON text of each event's data (one line, no LF).
std::string json_plateau(const plateau& p);
std::string json_image(const image& i);
std::string json_statut(bool connecte, std::string_view texte);
// The first lignes_scores_max rows of `lignes`; "total" counts them all.
std::string json_scores(std::span<const jeu_client::score> lignes, bool servis);
std::string json_fil(const fil_victimes& f);

// One server-sent event: "event: <nom>\ndata: <donnees>\n\n". `donnees`
// must hold no LF.
std::string evenement(std::string_view nom, std::string_view donnees);

}  // namespace jeu::spectateur
