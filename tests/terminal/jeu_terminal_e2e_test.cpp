// jeu-terminal as a person uses it: run in tmux against the real server,
// keys typed with send-keys, the screen read with capture-pane. Where things
// should be is computed with the program's own layout and glyphs; where the
// server has them is asked by a spectator's connection.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "terminal/cadrage.h"
#include "terminal/glyphes.h"
#include "jeu_client.h"
#include "commun/attente.h"
#include "commun/processus.h"
#include "enregistrement/ecrivain.h"
#include "support/duel.h"

namespace jeu::terminal {
namespace {

using namespace std::chrono_literals;
using jeu::commun::attend_jusqua;
using jeu::commun::processus;

const std::string serveur_jeu = SERVEUR_JEU_BINAIRE;
const std::string jeu_terminal = JEU_TERMINAL_BINAIRE;
constexpr int colonnes = 100;
constexpr int lignes = 40;
constexpr jeu_client::couleur_t rouge = 0xFF0000;
const glyphes& g = jeu_de_glyphes(true);

std::optional<std::string> dans_le_path(const std::string& nom) {
  const char* path = std::getenv("PATH");
  std::istringstream dossiers(path != nullptr ? path : "/usr/bin:/bin");
  std::string dossier;
  while (std::getline(dossiers, dossier, ':')) {
    const std::string chemin = dossier + "/" + nom;
    if (access(chemin.c_str(), X_OK) == 0) return chemin;
  }
  return std::nullopt;
}

// The screen as rows of cells, one UTF-8 character each (every glyph the
// program draws is one column wide); blank past what capture-pane printed.
class ecran_lu {
 public:
  explicit ecran_lu(const std::string& texte) : texte_(texte) {
    std::istringstream flux(texte);
    std::string ligne;
    while (std::getline(flux, ligne)) {
      std::vector<std::string> cases;
      for (std::size_t i = 0; i < ligne.size();) {
        const auto octet = static_cast<unsigned char>(ligne[i]);
        const std::size_t n = octet < 0x80 ? 1 : octet >= 0xF0 ? 4 : octet >= 0xE0 ? 3 : 2;
        cases.push_back(ligne.substr(i, n));
        i += n;
      }
      lignes_.push_back(std::move(cases));
    }
  }
  std::string operator()(int colonne, int ligne) const {
    if (ligne < 0 || ligne >= static_cast<int>(lignes_.size())) return " ";
    const auto& l = lignes_[static_cast<std::size_t>(ligne)];
    return colonne < 0 || colonne >= static_cast<int>(l.size()) ? " "
                                                                  : l[static_cast<std::size_t>(colonne)];
  }
  std::string ligne(int l) const {
    std::string t;
    if (l >= 0 && l < static_cast<int>(lignes_.size())) {
      for (const std::string& c : lignes_[static_cast<std::size_t>(l)]) t += c;
    }
    return t;
  }
  const std::string& texte() const { return texte_; }

 private:
  std::string texte_;
  std::vector<std::vector<std::string>> lignes_;
};

bool est_marque_de_vaisseau(const std::string& c) {
  for (const char* f : {"→", "↘", "↓", "↙", "←", "↖", "↑", "↗"}) {
    if (c == f) return true;
  }
  return false;
}

// The ship marks inside the arena.
std::vector<case_ecran> vaisseaux_a_l_ecran(const ecran_lu& e, const disposition& d) {
  std::vector<case_ecran> r;
  for (int l = d.ligne; l < d.ligne + d.hauteur; ++l) {
    for (int c = d.colonne; c < d.colonne + d.largeur; ++c) {
      if (est_marque_de_vaisseau(e(c, l))) r.push_back({c, l});
    }
  }
  return r;
}

// A tmux server of its own (its own socket) with one window running a
// command; killed with everything in it when the object goes.
class session_tmux {
 public:
  session_tmux(std::string tmux, const std::string& commande, int largeur, int hauteur)
      : tmux_(std::move(tmux)),
        socket_("jeu-terminal-essai-" + std::to_string(getpid()) + "-" + std::to_string(++numero_)) {
    // The pane stays after the program ends, with its last words and status.
    lance({"-f", "/dev/null", "new-session", "-d", "-x", std::to_string(largeur), "-y",
           std::to_string(hauteur), "-e", "LANG=C.UTF-8", "-e", "LC_ALL=C.UTF-8",
           commande + "; echo \"exit status $?\"; exec sleep 600"});
  }
  ~session_tmux() { lance({"kill-server"}); }
  session_tmux(const session_tmux&) = delete;
  session_tmux& operator=(const session_tmux&) = delete;

  ecran_lu ecran() { return ecran_lu(lance({"capture-pane", "-p", "-t", "0"})); }
  void tape(const std::vector<std::string>& touches) {
    std::vector<std::string> args{"send-keys", "-t", "0"};
    args.insert(args.end(), touches.begin(), touches.end());
    lance(args);
  }
  // A tmux format of the pane, "#{alternate_on}" for instance.
  std::string format(const std::string& f) {
    std::string r = lance({"display-message", "-p", "-t", "0", f});
    while (!r.empty() && r.back() == '\n') r.pop_back();
    return r;
  }
  void redimensionne(int largeur, int hauteur) {
    lance({"resize-window", "-t", "0", "-x", std::to_string(largeur), "-y", std::to_string(hauteur)});
  }
  // Waits for the program's last words and exit status; the terminal must
  // be given back (main screen, cursor shown).
  void attend_sortie(const std::string& message, int statut);
  // Waits until the screen satisfies `condition`; the last screen read.
  template <class Condition>
  std::optional<ecran_lu> attend(Condition&& condition, std::chrono::milliseconds delai = 20s) {
    std::optional<ecran_lu> dernier;
    const bool ok = attend_jusqua(
        [&] {
          dernier.emplace(ecran());
          return condition(*dernier);
        },
        delai, 50ms);
    if (!ok) {
      ADD_FAILURE() << "the screen never showed what was awaited; last screen:\n"
                    << dernier->texte();
      return std::nullopt;
    }
    return dernier;
  }

 private:
  std::string lance(std::vector<std::string> args) {
    args.insert(args.begin(), {"-L", socket_});
    processus p(tmux_, args);
    if (p.attend_fin(20s) != 0) ADD_FAILURE() << "tmux " << args[2] << ": " << p.erreur();
    return p.sortie();
  }

  static inline int numero_ = 0;
  std::string tmux_;
  std::string socket_;
};

class JeuTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto chemin = dans_le_path("tmux");
    if (!chemin) GTEST_SKIP() << "tmux is not installed (Debian package tmux): no end-to-end test";
    tmux_ = *chemin;
    port_ = jeu::commun::port_libre();
    serveur_.emplace(serveur_jeu, std::vector<std::string>{std::to_string(port_)});
    ASSERT_TRUE(jeu::commun::attend_ecoute(port_, 10s));
    observateur_.emplace(jeu_client::connexion::ouvre("127.0.0.1", port_, 20s));
    observateur_->devient_spectateur();
    cubes_ = observateur_->cubes();
  }

  // jeu-terminal with `arguments` in a fresh tmux window.
  session_tmux lance(const std::string& arguments, int largeur = colonnes, int hauteur = lignes) {
    return session_tmux(tmux_, "'" + jeu_terminal + "' 127.0.0.1 " + std::to_string(port_) + " " + arguments,
                        largeur, hauteur);
  }

  std::optional<jeu_client::vaisseau> vaisseau_de(jeu_client::couleur_t couleur) {
    for (const auto& v : observateur_->vaisseaux()) {
      if (v.couleur == couleur) return v;
    }
    return std::nullopt;
  }

  std::string tmux_;
  int port_ = 0;
  std::optional<processus> serveur_;
  std::optional<jeu_client::connexion> observateur_;
  std::vector<jeu_client::cube> cubes_;
};

bool cadre_en_place(const ecran_lu& e, const disposition& d) {
  const int haut = d.ligne - 1, bas = d.ligne + d.hauteur;
  const int gauche = d.colonne - 1, droite = d.colonne + d.largeur;
  if (e(gauche, haut) != g.coin_haut_gauche || e(droite, haut) != g.coin_haut_droit ||
      e(gauche, bas) != g.coin_bas_gauche || e(droite, bas) != g.coin_bas_droit) {
    return false;
  }
  for (int c = d.colonne; c < droite; ++c) {
    if (e(c, haut) != g.horizontal || e(c, bas) != g.horizontal) return false;
  }
  for (int l = d.ligne; l < bas; ++l) {
    if (e(gauche, l) != g.vertical || e(droite, l) != g.vertical) return false;
  }
  return true;
}

void session_tmux::attend_sortie(const std::string& message, int statut) {
  const std::string fin = "exit status " + std::to_string(statut);
  ASSERT_TRUE(attend([&](const ecran_lu& e) {
    return e.texte().find(message) != std::string::npos && e.texte().find(fin) != std::string::npos;
  }));
  EXPECT_EQ(format("#{alternate_on} #{cursor_flag}"), "0 1");
}

// The arena's frame in place, and a status bar that starts with `debut`.
auto montre(const disposition& d, const std::string& debut) {
  return [d, debut](const ecran_lu& e) { return cadre_en_place(e, d) && e.ligne(d.ligne_etat).find(debut) == 0; };
}

// Whether `ligne` ends with `fin`, blanks after it aside.
bool finit_par(std::string ligne, const std::string& fin) {
  while (!ligne.empty() && ligne.back() == ' ') ligne.pop_back();
  return ligne.ends_with(fin);
}

// Every cube shows at its centre (unless a ship or a bullet is drawn over
// it), and every cube glyph belongs to some cube.
void verifie_cubes(const ecran_lu& e, const disposition& d, const std::vector<jeu_client::cube>& cubes) {
  ASSERT_EQ(cubes.size(), 200u);
  std::vector<std::vector<bool>> couvert(static_cast<std::size_t>(lignes),
                                         std::vector<bool>(static_cast<std::size_t>(colonnes)));
  for (const auto& k : cubes) {
    const case_ecran centre = case_de(d, (k.x1 + k.x2) / 2, (k.y1 + k.y2) / 2);
    const std::string vu = e(centre.colonne, centre.ligne);
    EXPECT_TRUE(vu == g.cube || vu == g.balle || est_marque_de_vaisseau(vu))
        << "cube " << k.x1 << " " << k.y1 << " " << k.x2 << " " << k.y2 << ": '" << vu << "' at column "
        << centre.colonne << ", row " << centre.ligne;
    const zone z = zone_de(d, k.x1, k.y1, k.x2, k.y2);
    for (int l = z.l0; l <= z.l1; ++l) {
      for (int c = z.c0; c <= z.c1; ++c) couvert[static_cast<std::size_t>(l)][static_cast<std::size_t>(c)] = true;
    }
  }
  int glyphes_de_cube = 0;
  for (int l = 0; l < lignes; ++l) {
    for (int c = 0; c < colonnes; ++c) {
      if (e(c, l) != g.cube) continue;
      ++glyphes_de_cube;
      EXPECT_TRUE(couvert[static_cast<std::size_t>(l)][static_cast<std::size_t>(c)])
          << "a cube glyph where no cube is: column " << c << ", row " << l;
    }
  }
  EXPECT_GE(glyphes_de_cube, 200);
}

TEST_F(JeuTerminal, PlayerSeesTheArenaMovesTurnsAndQuits) {
  session_tmux t = lance("--couleur 0xFF0000");
  const disposition d = dispose(colonnes, lignes, 990, 990);
  const auto premier = t.attend(montre(d, "life 5/5  speed 0.0  ships 1"));
  ASSERT_TRUE(premier);
  verifie_cubes(*premier, d, cubes_);
  EXPECT_EQ(t.format("#{alternate_on}"), "1");

  // At rest: the own ship where the server has it, heading as the server says.
  const auto depart = vaisseau_de(rouge);
  ASSERT_TRUE(depart);
  const case_ecran case_depart = case_de(d, depart->x, depart->y);
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    const auto vus = vaisseaux_a_l_ecran(e, d);
    return vus.size() == 1 && vus[0] == case_depart &&
           e(case_depart.colonne, case_depart.ligne) == marque_cap(depart->angle, true);
  }));

  // The left arrow turns the ship counter-clockwise as drawn: its angle goes down.
  t.tape({"Left", "Left", "Left", "Left", "Left", "Left"});
  double cap = depart->angle;
  ASSERT_TRUE(attend_jusqua(
      [&] {
        const auto v = vaisseau_de(rouge);
        if (v) cap = v->angle;
        return cap < depart->angle - 0.85;
      },
      20s, 20ms))
      << "angle " << cap << " from " << depart->angle;
  EXPECT_NEAR(cap, depart->angle - 0.9, 1e-9);
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return e(case_depart.colonne, case_depart.ligne) == marque_cap(cap, true);
  }));

  // Ten times up: speed 1.0 on the status bar, and the ship leaves its cell.
  t.tape({"Up", "Up", "Up", "Up", "Up", "Up", "Up", "Up", "Up", "Up"});
  ASSERT_TRUE(t.attend(montre(d, "life 5/5  speed 1.0  ships 1")));
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    const auto vus = vaisseaux_a_l_ecran(e, d);
    return vus.size() == 1 && !(vus[0] == case_depart);
  }));

  // Stopped again, the ship on the screen is where the server has it.
  t.tape({"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down"});
  ASSERT_TRUE(t.attend(montre(d, "life 5/5  speed 0.0")));
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    const auto v = vaisseau_de(rouge);
    const auto vus = vaisseaux_a_l_ecran(e, d);
    return v && vus.size() == 1 && vus[0] == case_de(d, v->x, v->y);
  }));

  // The classic 80x24: the arena follows, and the status bar keeps its keys.
  t.redimensionne(80, 24);
  const disposition d80 = dispose(80, 24, 990, 990);
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return montre(d80, "life 5/5")(e) && finit_par(e.ligne(d80.ligne_etat), "space: fire  q: quit");
  }));

  // q: "PUT ACTION QUITTE" (the ship is gone), the terminal given back, the reason said.
  t.tape({"q"});
  t.attend_sortie("jeu-terminal: quit\n", 0);
  EXPECT_TRUE(attend_jusqua([&] { return observateur_->vaisseaux().empty(); }, 10s));
  EXPECT_NE(t.ecran().texte().find(" frames in "), std::string::npos);
}

TEST_F(JeuTerminal, SpectatorWatchesWithoutAShip) {
  jeu_client::connexion joueur = jeu_client::connexion::ouvre("127.0.0.1", port_, 20s);
  joueur.enregistre(0x00FF00);
  const auto v = vaisseau_de(0x00FF00);
  ASSERT_TRUE(v);
  session_tmux t = lance("--spectateur");
  const disposition d = dispose(colonnes, lignes, 990, 990);
  const auto vu = t.attend([&](const ecran_lu& e) {
    const std::string barre = e.ligne(d.ligne_etat);
    const auto vus = vaisseaux_a_l_ecran(e, d);
    // ticks/s comes from GET STATS once a second of ticks is counted.
    return cadre_en_place(e, d) && barre.find("watching  ships 1  bullets 0  ticks/s ") == 0 &&
           barre.find("ticks/s 0.0") == std::string::npos &&
           // The test's observer, and jeu-terminal's two: requests and the stream.
           barre.find("players 1  spectators 3") != std::string::npos && vus.size() == 1 &&
           vus[0] == case_de(d, v->x, v->y);
  });
  ASSERT_TRUE(vu);
  verifie_cubes(*vu, d, cubes_);
  t.tape({"q"});
  t.attend_sortie("jeu-terminal: quit\n", 0);
  EXPECT_EQ(joueur.vaisseaux().size(), 1u) << "watching changes nothing in the arena";
}

// In the classic 80x24: s shows the leaderboard over the arena, a kill made
// meanwhile shows in it, s hides it again.
TEST_F(JeuTerminal, SpectatorTogglesTheLeaderboard) {
  session_tmux t = lance("--spectateur", 80, 24);
  const disposition d = dispose(80, 24, 990, 990);
  const std::string entete = " # colour   kills deaths  acc";
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return cadre_en_place(e, d) && finit_par(e.ligne(d.ligne_etat), "s: scores  q: quit");
  }));
  t.tape({"s"});
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return e.texte().find(entete) != std::string::npos &&
           e.texte().find(" no player yet") != std::string::npos;
  }));
  jeu_client::connexion tireur = jeu::essai::tue_une_cible(port_, 0xff1400, 0x00c0ff);
  const auto vu = t.attend([&](const ecran_lu& e) {
    return e.texte().find(" 1 #ff1400      1      0 ") != std::string::npos &&
           e.texte().find(" 2 #00c0ff      0      1    -") != std::string::npos;
  });
  ASSERT_TRUE(vu);
  // The panel sits inside the arena's frame, at its top right.
  const int ligne_entete = d.ligne + 1;
  EXPECT_NE(vu->ligne(ligne_entete).find(entete), std::string::npos) << vu->texte();
  t.tape({"s"});
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return cadre_en_place(e, d) && e.texte().find(entete) == std::string::npos;
  }));
  t.tape({"q"});
  t.attend_sortie("jeu-terminal: quit\n", 0);
}

// The tick on a replay's status bar ("replay  tick 250/400 ..."), 0 if none.
std::uint64_t tick_relu(const ecran_lu& e, int ligne) {
  const std::string barre = e.ligne(ligne);
  const std::size_t i = barre.find("tick ");
  return i == std::string::npos ? 0 : std::strtoull(barre.c_str() + i + 5, nullptr, 10);
}

// A recording replayed at 80x24: it plays, space pauses on a tick whose
// ship is drawn where the recording has it, the right arrow seeks on.
TEST(JeuTerminalRelecture, ReplaysPausesAndSeeks) {
  const auto chemin = dans_le_path("tmux");
  if (!chemin) GTEST_SKIP() << "tmux is not installed (Debian package tmux): no end-to-end test";
  // Ticks 1 to 2000 (50 s): one ship at x = 100 + tick / 4, y = 500.
  const std::string fichier = ::testing::TempDir() + "rejeu-" + std::to_string(getpid()) + ".jfx";
  std::remove(fichier.c_str());
  {
    enregistrement::ecrivain e(fichier);
    for (int t = 1; t <= 2000; ++t) {
      const std::string n = std::to_string(t);
      e.ajoute(static_cast<std::uint64_t>(t), "TICK " + n + " 0\r\nPUT VAISSEAUX 1\r\n" +
                                                  std::to_string(100 + t / 4) +
                                                  " 500 0. 5 16711680\r\nPUT BALLES 0\r\nFIN TICK " +
                                                  n + "\r\n");
    }
    e.termine();
  }
  session_tmux t(*chemin, "'" + jeu_terminal + "' --rejoue '" + fichier + "'", 80, 24);
  const disposition d = dispose(80, 24, 990, 990);
  std::uint64_t premier = 0;
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    premier = tick_relu(e, d.ligne_etat);
    return cadre_en_place(e, d) && e.ligne(d.ligne_etat).find("replay tick ") == 0 && premier > 0 &&
           finit_par(e.ligne(d.ligne_etat), "space: pause  -/+: speed  arrows: seek  q: quit");
  }));
  // Playing: the tick moves on.
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) { return tick_relu(e, d.ligne_etat) > premier; }));
  t.tape({"Space"});
  std::uint64_t arret = 0;
  const auto en_pause = t.attend([&](const ecran_lu& e) {
    arret = tick_relu(e, d.ligne_etat);
    return e.ligne(d.ligne_etat).find(" paused ") != std::string::npos && arret > 0;
  });
  ASSERT_TRUE(en_pause);
  const auto vus = vaisseaux_a_l_ecran(*en_pause, d);
  ASSERT_EQ(vus.size(), 1u) << en_pause->texte();
  EXPECT_EQ(vus[0], case_de(d, static_cast<double>(100 + arret / 4), 500)) << en_pause->texte();
  // Paused, a later screen shows the same tick.
  t.tape({"x"});  // a key that does nothing, then a redraw
  const auto encore = t.attend([&](const ecran_lu& e) { return tick_relu(e, d.ligne_etat) != 0; });
  ASSERT_TRUE(encore);
  EXPECT_EQ(tick_relu(*encore, d.ligne_etat), arret) << encore->texte();
  // The right arrow: 200 ticks on, still paused.
  t.tape({"Right"});
  ASSERT_TRUE(t.attend([&](const ecran_lu& e) {
    return tick_relu(e, d.ligne_etat) == arret + 200 &&
           e.ligne(d.ligne_etat).find(" paused ") != std::string::npos;
  }));
  t.tape({"q"});
  t.attend_sortie("jeu-terminal: quit\n", 0);
  std::remove(fichier.c_str());
}

// Every way out gives the terminal back and says why.
TEST_F(JeuTerminal, EndsOnCtrlCAndWhenTheServerGoes) {
  const struct {
    const char* comment;
    const char* message;
    int statut;
  } cas[] = {
      {"C-c", "jeu-terminal: interrupted (Ctrl-C)\n", 130},
      {"server killed", "jeu-terminal: server closed the connection", 1},
  };
  const disposition d = dispose(colonnes, lignes, 990, 990);
  for (const auto& c : cas) {
    SCOPED_TRACE(c.comment);
    session_tmux t = lance("--couleur 0xFF0000");
    ASSERT_TRUE(t.attend(montre(d, "life 5/5")));
    if (c.statut == 130) {
      t.tape({"C-c"});
    } else {
      serveur_->tue();
    }
    t.attend_sortie(c.message, c.statut);
    if (c.statut == 130) {
      EXPECT_TRUE(attend_jusqua([&] { return observateur_->vaisseaux().empty(); }, 10s));
    }
  }
}

}  // namespace
}  // namespace jeu::terminal
