// The page in a real browser against the real programs: serveur_jeu with a
// few ships at rest, jeu-spectateur, headless Chromium. The screenshot must
// show the cubes and the ships where the game has them, in their colours;
// the page must come back by itself when jeu-spectateur restarts, and say
// so when the game server goes away.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "navigateur.h"
#include "commun/attente.h"
#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"
#include "enregistrement/ecrivain.h"
#include "support/duel.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

using json = nlohmann::json;

const std::string serveur_jeu = SERVEUR_JEU_BINAIRE;
const std::string jeu_spectateur = JEU_SPECTATEUR_BINAIRE;

// The page's colour for cubes, and its drawing scale for ?taille=800 in a
// 990 x 990 arena.
constexpr std::int64_t couleur_cube = 0x6c7589;
constexpr int taille = 800;
constexpr double echelle = taille / 990.0;
constexpr double rayon_vaisseau = 9;

bool proche(std::int64_t a, std::int64_t b) {
  for (int decalage : {0, 8, 16}) {
    if (std::abs(((a >> decalage) & 0xff) - ((b >> decalage) & 0xff)) > 3) return false;
  }
  return a >= 0;
}

std::string hex(std::int64_t c) {
  std::ostringstream s;
  s << std::hex << "0x" << c;
  return s.str();
}

std::vector<std::vector<double>> nombres(const std::vector<std::string>& lignes) {
  std::vector<std::vector<double>> r;
  for (const auto& l : lignes) {
    std::istringstream flux(l);
    r.emplace_back();
    for (double v; flux >> v;) r.back().push_back(v);
  }
  return r;
}

// Starts jeu-spectateur; returns the page's address, "" if none came.
std::string demarre_spectateur(std::optional<processus>& p, int port_jeu, int port_http) {
  p.emplace(jeu_spectateur, std::vector<std::string>{"--serveur",
                                                     "127.0.0.1:" + std::to_string(port_jeu),
                                                     "--http", std::to_string(port_http)});
  if (!p->attend_sortie(" in a browser\n", 10s)) return "";
  std::smatch m;
  static const std::regex adresse(R"(open (http://127\.0\.0\.1:\d+/) in a browser)");
  return std::regex_search(p->sortie(), m, adresse) ? m[1].str() : "";
}

TEST(SpectateurNavigateur, DrawsTheArenaAndComesBackAfterARestart) {
  const int port = port_libre();
  std::optional<processus> serveur;
  serveur.emplace(serveur_jeu, std::vector<std::string>{std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  // Ships at rest; the last colour is drawn by its low 24 bits, #00ff00.
  const std::vector<std::int64_t> couleurs{0xff2020, 0x20c0ff, 0xffd000, 0x100ff00};
  std::vector<std::unique_ptr<client_tcp>> joueurs;
  for (const auto c : couleurs) {
    joueurs.push_back(std::make_unique<client_tcp>(port));
    ASSERT_EQ(inscrit(*joueurs.back(), c), "VAISSEAU ENREGISTRE\r\n");
  }
  const auto cubes = demande_liste(*joueurs[0], "GET CUBES");
  ASSERT_TRUE(cubes);

  std::optional<processus> spectateur;
  const std::string adresse = demarre_spectateur(spectateur, port, 0);
  ASSERT_NE(adresse, "") << spectateur->sortie() << spectateur->erreur();

  std::string pourquoi;
  const auto nav = navigateur::lance(1200, 830, pourquoi);
  if (!nav) GTEST_SKIP() << "chromium cannot start here: " << pourquoi;
  nav->ouvre(adresse + "?taille=" + std::to_string(taille));
  // The page's own account; an empty object until it has loaded.
  const auto etat = [&] {
    return nav->evalue(
        "window.vue === undefined ? {} :"
        "({images: vue.images, dessins: vue.dessins, programme: vue.programme,"
        "  jeu: vue.jeu, lignes: document.querySelectorAll('#vaisseaux tr').length})");
  };
  json vu;
  ASSERT_TRUE(attend_jusqua(
      [&] {
        vu = etat();
        return vu["dessins"] >= 3 && vu["lignes"] == couleurs.size();
      },
      30s, 100ms))
      << vu.dump();
  const auto png = nav->capture_png();
  std::ofstream(::testing::UnitTest::GetInstance()->current_test_info()->name() +
                    std::string(".png"),
                std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  const image_rgb image = decode_png(png);
  ASSERT_GE(image.largeur, taille);
  ASSERT_GE(image.hauteur, taille);

  // Ships at rest: where they are now is where they were drawn.
  const auto vaisseaux = demande_liste(*joueurs[0], "GET VAISSEAUX");
  ASSERT_TRUE(vaisseaux);
  const auto navires = nombres(*vaisseaux);
  ASSERT_EQ(navires.size(), couleurs.size());
  // What is drawn near a ship (its heading line, its life points) can cover
  // a neighbour: check only what has no other ship near it.
  const auto seul = [&](double x, double y, double marge, const std::vector<double>* sauf) {
    for (const auto& v : navires) {
      if (&v != sauf && std::hypot(v[0] - x, v[1] - y) < marge) return false;
    }
    return true;
  };
  const auto pixel = [&](double x, double y) {
    return image.pixel(static_cast<int>(x * echelle), static_cast<int>(y * echelle));
  };

  int cubes_vus = 0;
  for (const auto& c : nombres(*cubes)) {
    const double x = (c[0] + c[2]) / 2, y = (c[1] + c[3]) / 2;
    if (!seul(x, y, 60, nullptr)) continue;
    ++cubes_vus;
    EXPECT_PRED2(proche, pixel(x, y), couleur_cube)
        << "cube " << c[0] << " " << c[1] << ": " << hex(pixel(x, y));
  }
  EXPECT_GE(cubes_vus, 100);

  int navires_vus = 0;
  for (const auto& v : navires) {
    if (!seul(v[0], v[1], 45, &v)) continue;
    ++navires_vus;
    // Half a radius behind the centre: inside the disc, away from the
    // heading line.
    const double x = v[0] - std::cos(v[2]) * rayon_vaisseau / 2;
    const double y = v[1] - std::sin(v[2]) * rayon_vaisseau / 2;
    const auto couleur = static_cast<std::int64_t>(v[4]) & 0xffffff;
    EXPECT_PRED2(proche, pixel(x, y), couleur)
        << "ship " << hex(static_cast<std::int64_t>(v[4])) << " at " << v[0] << " " << v[1]
        << ": " << hex(pixel(x, y));
  }
  EXPECT_GE(navires_vus, 2);

  // jeu-spectateur killed, then started again on the same port: the page
  // sees the stream end, then reads again without being reloaded.
  const int port_http = std::stoi(adresse.substr(adresse.rfind(':') + 1));
  spectateur->collecte(50ms);
  EXPECT_EQ(spectateur->erreur(), "") << "a sanitizer's report, for instance";
  spectateur->tue();
  ASSERT_TRUE(attend_jusqua([&] { return (vu = etat())["programme"] == false; }, 10s, 50ms))
      << vu.dump();
  ASSERT_NE(demarre_spectateur(spectateur, port, port_http), "") << spectateur->erreur();
  const int avant = vu["images"];
  EXPECT_TRUE(attend_jusqua(
      [&] {
        vu = etat();
        return vu["programme"] == true && vu["images"] > avant + 2;
      },
      20s, 100ms))
      << vu.dump();

  // The game server goes away: the page says so.
  serveur.reset();
  EXPECT_TRUE(attend_jusqua(
      [&] {
        vu = etat();
        return vu["jeu"]["connecte"] == false;
      },
      20s, 100ms))
      << vu.dump();
  EXPECT_NE(vu["jeu"]["texte"].get<std::string>().find("game server 127.0.0.1:"),
            std::string::npos)
      << vu.dump();
  EXPECT_EQ(spectateur->attend_fin(0ms), std::nullopt) << "jeu-spectateur must still run";
  spectateur->collecte(50ms);
  EXPECT_EQ(spectateur->erreur(), "");
}

// A kill made by two players of the test shows in the leaderboard (the
// shooter first, one kill) and in the kill feed, as the page's own tables.
TEST(SpectateurNavigateur, AKillShowsInTheLeaderboardAndTheFeed) {
  const int port = port_libre();
  processus serveur(serveur_jeu, std::vector<std::string>{std::to_string(port)});
  ASSERT_TRUE(attend_ecoute(port, 10s));
  std::optional<processus> spectateur;
  const std::string adresse = demarre_spectateur(spectateur, port, 0);
  ASSERT_NE(adresse, "") << spectateur->sortie() << spectateur->erreur();
  std::string pourquoi;
  const auto nav = navigateur::lance(1200, 830, pourquoi);
  if (!nav) GTEST_SKIP() << "chromium cannot start here: " << pourquoi;
  nav->ouvre(adresse + "?taille=600");
  json vu;
  ASSERT_TRUE(attend_jusqua(
      [&] { return (vu = nav->evalue("window.vue === undefined ? 0 : vue.images"))  > 0; },
      30s, 100ms));

  constexpr std::int64_t tireur = 0xff1400, cible = 0x00c0ff;
  jeu_client::connexion a = essai::tue_une_cible(port, tireur, cible);
  const auto tableaux = [&] {
    return nav->evalue(
        "({scores: vue.scores, fil: vue.fil,"
        "  premier: document.querySelector('#scores tr')?.textContent ?? '',"
        "  victime: document.querySelector('#fil li')?.textContent ?? ''})");
  };
  ASSERT_TRUE(attend_jusqua(
      [&] {
        vu = tableaux();
        return !vu["fil"].is_null() && !vu["fil"]["victimes"].empty() && !vu["scores"].is_null() &&
               !vu["scores"]["lignes"].empty() && vu["scores"]["lignes"][0][2] == 1;
      },
      20s, 100ms))
      << vu.dump();
  // The shooter ranks first: one kill, no death, at least 5 hits for its shots.
  const json premier = vu["scores"]["lignes"][0];
  EXPECT_EQ(premier[0], "#ff1400") << vu.dump();
  EXPECT_EQ(premier[1], std::to_string(tireur));
  EXPECT_EQ(premier[3], 0);
  EXPECT_GE(premier[4], 5);
  EXPECT_GE(premier[5], premier[4]);
  EXPECT_EQ(premier[6], true);
  const int precision = static_cast<int>(std::lround(100.0 * premier[4].get<double>() / premier[5].get<double>()));
  EXPECT_EQ(vu["premier"], "1#ff140010" + std::to_string(precision) + "%")
      << "rank, colour, kills, deaths, accuracy: " << vu.dump();
  const json victime = vu["fil"]["victimes"][0];
  EXPECT_EQ(victime[1], "#ff1400");
  EXPECT_EQ(victime[3], "#00c0ff");
  EXPECT_GT(victime[0], 0);
  EXPECT_EQ(vu["victime"], " #ff1400 destroyed  #00c0ff") << vu.dump();
  spectateur->collecte(50ms);
  EXPECT_EQ(spectateur->erreur(), "");
}

// A recording replayed: paused, then sought with the slider, the page shows
// the recorded tick, its ship where the recording has it; the speed list
// sets the replay's speed.
TEST(SpectateurNavigateur, ReplaySeeksToTheRecordedTick) {
  // Ticks 1 to 400: a red ship at x = 100 + tick, y = 500, heading right.
  const std::string fichier =
      ::testing::TempDir() + "relecture-" + std::to_string(getpid()) + ".jfx";
  std::remove(fichier.c_str());
  {
    enregistrement::ecrivain e(fichier);
    for (int t = 1; t <= 400; ++t) {
      const std::string n = std::to_string(t);
      e.ajoute(static_cast<std::uint64_t>(t),
               "TICK " + n + " 0\r\nPUT VAISSEAUX 1\r\n" + std::to_string(100 + t) +
                   " 500 0. 5 16711680\r\nPUT BALLES 0\r\nFIN TICK " + n + "\r\n");
    }
    e.termine();
  }
  std::optional<processus> spectateur;
  spectateur.emplace(jeu_spectateur, std::vector<std::string>{"--rejoue", fichier, "--http", "0"});
  ASSERT_TRUE(spectateur->attend_sortie(" in a browser\n", 10s)) << spectateur->erreur();
  std::smatch m;
  const std::string sortie = spectateur->sortie();
  ASSERT_TRUE(std::regex_search(sortie, m, std::regex(R"(open (http://127\.0\.0\.1:\d+/) in)")));
  std::string pourquoi;
  const auto nav = navigateur::lance(1200, 830, pourquoi);
  if (!nav) GTEST_SKIP() << "chromium cannot start here: " << pourquoi;
  nav->ouvre(m[1].str() + "?taille=" + std::to_string(taille));
  const auto etat = [&] {
    return nav->evalue(
        "window.vue === undefined || !vue.image ? {} :"
        "({tick: vue.image.tick, relecture: vue.image.relecture, vaisseaux: vue.image.vaisseaux,"
        "  dessins: vue.dessins, texte: document.getElementById('tick').textContent,"
        "  bouton: document.getElementById('lecture').textContent})");
  };
  json vu;
  ASSERT_TRUE(attend_jusqua([&] { return (vu = etat()).contains("relecture"); }, 30s, 100ms))
      << vu.dump();
  EXPECT_EQ(vu["relecture"]["premier"], 1);
  EXPECT_EQ(vu["relecture"]["dernier"], 400);

  // Pause with the button, then the slider to tick 250.
  nav->evalue("document.getElementById('lecture').click()");
  ASSERT_TRUE(attend_jusqua([&] { return (vu = etat())["relecture"]["pause"] == true; }, 10s, 50ms))
      << vu.dump();
  nav->evalue(
      "(() => { const c = document.getElementById('curseur'); c.value = 250;"
      " c.dispatchEvent(new Event('change')); })()");
  ASSERT_TRUE(attend_jusqua([&] { return (vu = etat())["tick"] == 250; }, 10s, 50ms)) << vu.dump();
  EXPECT_EQ(vu["relecture"]["pause"], true);
  EXPECT_EQ(vu["bouton"], "play");
  EXPECT_EQ(vu["texte"], "tick 250 of 1..400, paused");
  ASSERT_EQ(vu["vaisseaux"].size(), 1u) << vu.dump();
  EXPECT_EQ(vu["vaisseaux"][0][0], 350);
  EXPECT_EQ(vu["vaisseaux"][0][1], 500);
  // Drawn since: the screenshot has the ship at tick 250's place, and none at
  // the place it had 100 ticks earlier or later.
  const int dessins = vu["dessins"];
  ASSERT_TRUE(attend_jusqua([&] { return etat()["dessins"] > dessins; }, 10s, 50ms));
  const image_rgb image = decode_png(nav->capture_png());
  const auto pixel = [&](double x, double y) {
    return image.pixel(static_cast<int>(x * echelle), static_cast<int>(y * echelle));
  };
  EXPECT_PRED2(proche, pixel(350 - rayon_vaisseau / 2, 500), 0xff0000) << hex(pixel(346, 500));
  EXPECT_FALSE(proche(pixel(250 - rayon_vaisseau / 2, 500), 0xff0000));
  EXPECT_FALSE(proche(pixel(450 - rayon_vaisseau / 2, 500), 0xff0000));

  // The speed list: 16 times.
  nav->evalue(
      "(() => { const v = document.getElementById('vitesse'); v.value = '16';"
      " v.dispatchEvent(new Event('change')); })()");
  EXPECT_TRUE(attend_jusqua([&] { return (vu = etat())["relecture"]["vitesse"] == 16; }, 10s, 50ms))
      << vu.dump();
  spectateur->collecte(50ms);
  EXPECT_EQ(spectateur->erreur(), "");
  std::remove(fichier.c_str());
}

}  // namespace
}  // namespace jeu::test
