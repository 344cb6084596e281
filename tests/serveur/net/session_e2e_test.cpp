// Client sessions of the real program, over TCP on 127.0.0.1.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "commun/attente.h"
#include "commun/client_tcp.h"
#include "commun/processus.h"
#include "commun/protocole_client.h"

namespace jeu::test {

using namespace commun;
using namespace std::chrono_literals;
namespace {

using namespace std::string_literals;

const std::string programme = SERVEUR_JEU_BINAIRE;
constexpr std::int64_t rouge = 16711680;
const std::string demarrage =
    "creation des cubes\nlancement du serveur\ncreation de la socket principale\n"
    "binding et listening\nattente des clients\n";

class Serveur : public ::testing::Test {
 protected:
  void demarre(bool debug) {
    port_ = port_libre();
    std::vector<std::string> args{std::to_string(port_)};
    if (debug) args.push_back("-debug");
    serveur_.emplace(programme, args);
    ASSERT_TRUE(attend_ecoute(port_, 10s));
    if (debug) {
      ASSERT_TRUE(serveur_->attend_sortie(demarrage, 5s));
    }
  }
  // A sanitizer report, or any failure line, would land on stderr.
  void TearDown() override {
    if (!serveur_) return;
    EXPECT_EQ(serveur_->attend_fin(0ms), std::nullopt) << "the server must still be running";
    serveur_->collecte(50ms);
    EXPECT_EQ(serveur_->erreur(), "");
  }
  // The ships an observer sees, or nullopt when the reply is malformed.
  std::optional<std::vector<std::string>> vaisseaux(client_tcp& c) {
    return demande_liste(c, "GET VAISSEAUX");
  }
  // Waits until stdout holds `texte` after the start-up lines.
  void attend_journal(const std::string& texte) {
    EXPECT_TRUE(serveur_->attend_sortie(texte, 5s)) << serveur_->sortie();
  }

  int port_ = 0;
  std::optional<processus> serveur_;
};

struct ligne_vaisseau {
  long x, y;
  double angle;
  int pt_vie;
  std::int64_t couleur;
};

std::optional<ligne_vaisseau> lit_vaisseau(const std::string& ligne) {
  static const std::regex forme(R"((-?\d+) (-?\d+) (\S+) (\d+) (-?\d+)\r\n)");
  std::smatch m;
  if (!std::regex_match(ligne, m, forme)) return std::nullopt;
  return ligne_vaisseau{std::stol(m[1]), std::stol(m[2]), std::stod(m[3]), std::stoi(m[4]),
                        std::stoll(m[5])};
}

TEST_F(Serveur, TypicalConnection) {
  demarre(false);
  client_tcp a(port_);
  ASSERT_EQ(inscrit(a, rouge), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(a.demande("GET TAILLE PLATEAU"), "PUT TAILLE PLATEAU 990 990\r\n");
  EXPECT_EQ(a.demande("GET RAYON VAISSEAU"), "PUT RAYON VAISSEAU 9\r\n");
  EXPECT_EQ(a.demande("GET RAYON BALLE"), "PUT RAYON BALLE 4\r\n");
  EXPECT_EQ(a.demande("GET MAX PT VIE"), "PUT MAX PT VIE 5\r\n");

  const auto cubes = demande_liste(a, "GET CUBES");
  ASSERT_TRUE(cubes);
  ASSERT_EQ(cubes->size(), 200u);
  std::set<std::pair<int, int>> coins;
  for (const std::string& l : *cubes) {
    int x1, y1, x2, y2;
    char fin[3] = {};
    ASSERT_EQ(std::sscanf(l.c_str(), "%d %d %d %d%2c", &x1, &y1, &x2, &y2, fin), 5) << l;
    EXPECT_STREQ(fin, "\r\n");
    EXPECT_EQ(x1 % 22, 0) << l;
    EXPECT_EQ(y1 % 22, 0) << l;
    EXPECT_EQ(x2, x1 + 22) << l;
    EXPECT_EQ(y2, y1 + 22) << l;
    coins.insert({x1, y1});
  }
  EXPECT_EQ(coins.size(), 200u);
  EXPECT_EQ(demande_liste(a, "GET CUBES"), cubes) << "the cubes never change";

  client_tcp b(port_);
  ASSERT_EQ(inscrit(b, 255), "VAISSEAU ENREGISTRE\r\n");
  const auto liste = vaisseaux(a);
  ASSERT_TRUE(liste);
  ASSERT_EQ(liste->size(), 2u);
  const auto premier = lit_vaisseau((*liste)[0]);
  const auto second = lit_vaisseau((*liste)[1]);
  ASSERT_TRUE(premier && second) << (*liste)[0] << (*liste)[1];
  EXPECT_EQ(premier->couleur, 255) << "newest first";
  EXPECT_EQ(second->couleur, rouge);
  for (const auto& v : {*premier, *second}) {
    EXPECT_EQ(v.pt_vie, 5);
    EXPECT_GE(v.angle, 0.0);
    EXPECT_LT(v.angle, 6.28);
    EXPECT_GE(v.x, 9);
    EXPECT_LE(v.x, 981);
    EXPECT_GE(v.y, 9);
    EXPECT_LE(v.y, 981);
  }

  EXPECT_EQ(a.demande("PUT ACTION ACCELERE"), "OK\r\n");
  EXPECT_EQ(a.demande("PUT ACTION TIRE"), "OK\r\n");
  const auto balles = demande_liste(a, "GET BALLES");
  ASSERT_TRUE(balles);
  EXPECT_LE(balles->size(), 1u) << "it may already have hit a cube";
  for (const std::string& l : *balles) {
    EXPECT_TRUE(std::regex_match(l, std::regex(R"(\d+ \d+ 16711680\r\n)"))) << l;
  }
  EXPECT_EQ(a.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  EXPECT_EQ(a.demande("PUT ACTION QUITTE"), "OK\r\n");
  std::string reste;
  EXPECT_TRUE(a.attend_fermeture(5s, &reste));
  EXPECT_EQ(reste, "");

  const auto apres = vaisseaux(b);
  ASSERT_TRUE(apres);
  ASSERT_EQ(apres->size(), 1u);
  EXPECT_EQ(lit_vaisseau(apres->front())->couleur, 255);
}

// Without -debug the only output is the registration error lines.
TEST_F(Serveur, RegistrationRulesAndTheirAlwaysOnLog) {
  demarre(false);
  client_tcp a(port_);
  std::string journal;
  const std::vector<std::string> refusees{
      "GET STATUT",  "PUT ACTION TIRE", "PUT COULEUR VAISSEAU +1", "PUT COULEUR VAISSEAU 00",
      "PUT COULEUR VAISSEAU -0", "PUT COULEUR VAISSEAU 5 ", "PUT COULEUR VAISSEAU 9223372036854775808",
      "put couleur vaisseau 5", "PUT COULEUR VAISSEAU 5\rX", ""};
  // Without its CR, and with a NUL inside (logged escaped).
  ASSERT_TRUE(a.envoie("PUT COULEUR VAISSEAU 5\nPUT COULEUR VAISSEAU 5\0\r\n"s));
  EXPECT_EQ(a.ligne(), "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(a.ligne(), "ERREUR SYNTAXE\r\n");
  journal += "erreur client: PUT COULEUR VAISSEAU 5\nerreur client: PUT COULEUR VAISSEAU 5\\x00\r\n";
  // No limit on attempts.
  for (int tour = 0; tour < 5; ++tour) {
    for (const std::string& l : refusees) EXPECT_EQ(a.demande(l), "ERREUR SYNTAXE\r\n") << l;
  }
  // The log of one connection: the two above and the first 18 of these, one
  // line, and when it registers how many of the 32 others were not logged.
  // A CR inside a line is logged escaped.
  const auto ligne_journal = [](std::string l) {
    for (std::size_t cr; (cr = l.find('\r')) != std::string::npos;) l.replace(cr, 1, "\\x0d");
    return "erreur client: " + l + "\r\n";
  };
  for (const std::string& l : refusees) journal += ligne_journal(l);
  for (std::size_t k = 0; k < 8; ++k) journal += ligne_journal(refusees[k]);
  journal +=
      "erreur client: trop de refus, les suivants de cette connexion ne sont pas journalises\n"
      "erreur client: 32 refus de cette connexion non journalises\n";
  EXPECT_EQ(inscrit(a, 0), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(a.demande("PUT COULEUR VAISSEAU 1"), "ERREUR SYNTAXE\r\n") << "registered already";

  client_tcp b(port_);
  EXPECT_EQ(inscrit(b, 0), "ERREUR COULEUR UTILISEE\r\n");
  journal += "erreur client: la couleur est deja utilisee\n";
  EXPECT_EQ(inscrit(b, 0), "ERREUR COULEUR UTILISEE\r\n");
  journal += "erreur client: la couleur est deja utilisee\n";
  EXPECT_EQ(inscrit(b, -5), "VAISSEAU ENREGISTRE\r\n");
  client_tcp c(port_);
  EXPECT_EQ(inscrit(c, 9223372036854775807), "VAISSEAU ENREGISTRE\r\n");
  client_tcp d(port_);
  EXPECT_EQ(inscrit(d, 16777216), "VAISSEAU ENREGISTRE\r\n");
  // Once its ship is gone the colour is free again.
  EXPECT_EQ(a.demande("PUT ACTION QUITTE"), "OK\r\n");
  client_tcp e(port_);
  EXPECT_EQ(inscrit(e, 0), "VAISSEAU ENREGISTRE\r\n");

  serveur_->collecte(300ms);
  EXPECT_EQ(serveur_->sortie(), journal);
}

TEST_F(Serveur, TwoClientsRacingForOneColourGetOneShip) {
  demarre(false);
  for (int manche = 0; manche < 20; ++manche) {
    client_tcp a(port_);
    client_tcp b(port_);
    const std::string ligne = "PUT COULEUR VAISSEAU " + std::to_string(1000 + manche) + "\r\n";
    ASSERT_TRUE(a.envoie(ligne));
    ASSERT_TRUE(b.envoie(ligne));
    const auto ra = a.ligne();
    const auto rb = b.ligne();
    ASSERT_TRUE(ra && rb);
    const std::multiset<std::string> replies{*ra, *rb};
    EXPECT_EQ(replies, (std::multiset<std::string>{"VAISSEAU ENREGISTRE\r\n",
                                                     "ERREUR COULEUR UTILISEE\r\n"}))
        << "round " << manche;
  }
}

TEST_F(Serveur, PlayPhaseSyntaxErrorsKeepTheConnection) {
  demarre(false);
  client_tcp a(port_);
  ASSERT_EQ(inscrit(a, 42), "VAISSEAU ENREGISTRE\r\n");
  for (const std::string& brut :
       {"GET STATUT\n"s, "get statut\r\n"s, "GET STATUT \r\n"s, "GET  STATUT\r\n"s, "\r\n"s,
        "\n"s, "GET STATUT\r\0\n"s, "GET\0STATUT\r\n"s, "GET STATUT\r\r\n"s,
        "PUT COULEUR VAISSEAU 43\r\n"s, "PUT ACTION\r\n"s, "GET CUBES 1\r\n"s}) {
    ASSERT_TRUE(a.envoie(brut));
    EXPECT_EQ(a.ligne(), "ERREUR SYNTAXE\r\n") << ::testing::PrintToString(brut);
  }
  EXPECT_EQ(a.demande("GET STATUT"), "PUT STATUT vivant\r\n");
}

TEST_F(Serveur, RequestsSharingAPacketAreAnsweredInOrder) {
  demarre(false);
  client_tcp a(port_);
  ASSERT_TRUE(a.envoie("PUT COULEUR VAISSEAU 7\r\nGET MAX PT VIE\r\nGET RAYON BALLE\r\n"));
  EXPECT_EQ(a.ligne(), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(a.ligne(), "PUT MAX PT VIE 5\r\n");
  EXPECT_EQ(a.ligne(), "PUT RAYON BALLE 4\r\n");
  ASSERT_TRUE(a.envoie("GET VAISSEAUX\r\nbad\r\nGET STATUT\r\nGET BALLES\r\n"));
  const auto liste = lit_liste(a, "VAISSEAUX");
  ASSERT_TRUE(liste);
  EXPECT_EQ(liste->size(), 1u);
  EXPECT_EQ(a.ligne(), "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(a.ligne(), "PUT STATUT vivant\r\n");
  EXPECT_EQ(lit_liste(a, "BALLES"), std::vector<std::string>{});
}

TEST_F(Serveur, LastRequestWithoutLfBeforeHalfCloseIsAnswered) {
  demarre(true);
  client_tcp observateur(port_);
  ASSERT_EQ(inscrit(observateur, 1), "VAISSEAU ENREGISTRE\r\n");

  client_tcp a(port_);
  ASSERT_EQ(inscrit(a, 2), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_TRUE(a.envoie("GET STATUT\r"));
  a.demi_ferme();
  EXPECT_EQ(a.ligne(), "PUT STATUT vivant\r\n");
  EXPECT_TRUE(a.attend_fermeture(5s));
  attend_journal("Le client 2 demande son statut\n  PUT STATUT vivant\r\n"
                 "Le client 2 s'est barre sans prevenir\n");
  // The ship went before the log line was written.
  EXPECT_EQ(vaisseaux(observateur)->size(), 1u);

  // The same during registration: registered, then gone with the stream.
  client_tcp b(port_);
  ASSERT_TRUE(b.envoie("PUT COULEUR VAISSEAU 3\r"));
  b.demi_ferme();
  EXPECT_EQ(b.ligne(), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_TRUE(b.attend_fermeture(5s));
  attend_journal("Le client 3 s'est barre sans prevenir\n");
  EXPECT_EQ(vaisseaux(observateur)->size(), 1u);
}

TEST_F(Serveur, QuitAndDisconnectionRemoveTheShip) {
  demarre(false);
  client_tcp observateur(port_);
  ASSERT_EQ(inscrit(observateur, 1), "VAISSEAU ENREGISTRE\r\n");
  client_tcp a(port_);
  client_tcp b(port_);
  ASSERT_EQ(inscrit(a, 2), "VAISSEAU ENREGISTRE\r\n");
  ASSERT_EQ(inscrit(b, 3), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(vaisseaux(observateur)->size(), 3u);

  // Quit: gone by the time the OK arrives; nothing after it is read.
  ASSERT_TRUE(a.envoie("PUT ACTION QUITTE\r\nGET STATUT\r\n"));
  EXPECT_EQ(a.ligne(), "OK\r\n");
  EXPECT_EQ(vaisseaux(observateur)->size(), 2u);
  std::string reste;
  EXPECT_TRUE(a.attend_fermeture(5s, &reste));
  EXPECT_EQ(reste, "") << "the request after the quit is not answered";

  // Disconnection without a word: the ship goes when the session sees it.
  b.ferme();
  EXPECT_TRUE(attend_jusqua([&] { return vaisseaux(observateur)->size() == 1u; }, 20s, 50ms));
  client_tcp c(port_);
  EXPECT_EQ(inscrit(c, 2), "VAISSEAU ENREGISTRE\r\n");
  client_tcp d(port_);
  EXPECT_EQ(inscrit(d, 3), "VAISSEAU ENREGISTRE\r\n");
}

// A spectator watches a player without being in the world, and its figures
// count the connections as they come and go. Spectators are never logged.
TEST_F(Serveur, SpectatorWatchesAndCountsWithoutAShip) {
  demarre(true);
  client_tcp spectateur(port_);
  ASSERT_EQ(spectateur.demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  client_tcp joueur(port_);
  ASSERT_EQ(inscrit(joueur, rouge), "VAISSEAU ENREGISTRE\r\n");
  const auto liste = vaisseaux(spectateur);
  ASSERT_TRUE(liste);
  ASSERT_EQ(liste->size(), 1u);
  EXPECT_TRUE(liste->front().ends_with(" 5 16711680\r\n")) << liste->front();
  EXPECT_EQ(spectateur.demande("GET STATUT"), "PUT STATUT spectateur\r\n");
  EXPECT_EQ(spectateur.demande("PUT COULEUR VAISSEAU 255"), "ERREUR SYNTAXE\r\n");

  const std::regex forme(
      R"(PUT STATS ticks_s=(\d+\.\d) tick_us=\d+ tick_p99_us=\d+ joueurs=(\d+) )"
      R"(spectateurs=(\d+) vaisseaux=(\d+) balles=\d+ requetes_s=\d+ fermes_delai=0 )"
      R"(fermes_adresse=0 fermes_place=0 fermes_ecriture=0\r\n)");
  // (ticks per second, players, spectators, ships) once the ticks have started.
  const auto stats = [&] {
    const std::optional<std::string> ligne = spectateur.demande("GET STATS");
    std::smatch champs;
    EXPECT_TRUE(ligne && std::regex_match(*ligne, champs, forme)) << ligne.value_or("(none)");
    if (champs.empty()) return std::string("malformed");
    return champs[2].str() + " " + champs[3].str() + " " + champs[4].str() +
           (std::stod(champs[1].str()) > 0 ? "" : " no ticks");
  };
  EXPECT_TRUE(attend_jusqua([&] { return stats() == "1 1 1"; }, 10s, 50ms)) << stats();
  client_tcp autre(port_);
  ASSERT_EQ(autre.demande("PUT SPECTATEUR"), "SPECTATEUR ENREGISTRE\r\n");
  EXPECT_EQ(stats(), "1 2 1");
  ASSERT_TRUE(joueur.envoie("PUT ACTION QUITTE\r\n"));
  EXPECT_EQ(joueur.ligne(), "OK\r\n");
  EXPECT_EQ(autre.demande("PUT ACTION QUITTE"), "OK\r\n");
  EXPECT_TRUE(autre.attend_fermeture(5s));
  EXPECT_TRUE(attend_jusqua([&] { return stats() == "0 1 0"; }, 10s, 50ms)) << stats();
  attend_journal("Le client rouge s'est barre\n  OK\n");
  EXPECT_EQ(serveur_->sortie(), demarrage + "Oh, un nouveau client (rouge)\nLe client rouge s'est barre\n  OK\n");
}

TEST_F(Serveur, DebugLogOfARedPlayer) {
  demarre(true);
  client_tcp a(port_);
  std::string attendu = demarrage;
  EXPECT_EQ(a.demande("GET STATUT"), "ERREUR SYNTAXE\r\n");
  attendu += "erreur client: GET STATUT\r\n";
  ASSERT_EQ(inscrit(a, rouge), "VAISSEAU ENREGISTRE\r\n");
  attendu += "Oh, un nouveau client (rouge)\n";

  ASSERT_TRUE(a.envoie("GET VAISSEAUX\r\n"));
  const auto liste = lit_liste(a, "VAISSEAUX");
  ASSERT_TRUE(liste);
  ASSERT_EQ(liste->size(), 1u);
  attendu += "Le client rouge demande la liste des vaisseaux\n  PUT VAISSEAUX 1\r\n  " +
             liste->front();
  EXPECT_EQ(a.demande("GET TAILLE PLATEAU"), "PUT TAILLE PLATEAU 990 990\r\n");
  attendu += "Le client rouge demande la taille du plateau\n  PUT TAILLE PLATEAU 990 990\r\n";
  EXPECT_EQ(a.demande("GET MAX PT VIE"), "PUT MAX PT VIE 5\r\n");
  attendu += "Le client rouge demande le nombre max de pt vie\n  PUT MAX PT VIE 5\r\n";
  EXPECT_EQ(a.demande("GET RAYON BALLE"), "PUT RAYON BALLE 4\r\n");
  attendu += "Le client rouge demande du rayon des balles\n  PUT RAYON BALLE 4\r\n";
  EXPECT_EQ(a.demande("GET RAYON VAISSEAU"), "PUT RAYON VAISSEAU 9\r\n");
  attendu += "Le client rouge demande du rayon des vaisseaux\n  PUT RAYON VAISSEAU 9\r\n";
  EXPECT_EQ(a.demande("GET STATUT"), "PUT STATUT vivant\r\n");
  attendu += "Le client rouge demande son statut\n  PUT STATUT vivant\r\n";
  const std::vector<std::pair<std::string, std::string>> actions{
      {"PUT ACTION ACCELERE", "demande une acceleration"},
      {"PUT ACTION DECELERE", "demande une deceleration"},
      {"PUT ACTION DROITE", "demande une rotation droite"},
      {"PUT ACTION GAUCHE", "demande une rotation gauche"}};
  for (const auto& [requete, texte] : actions) {
    EXPECT_EQ(a.demande(requete), "OK\r\n");
    attendu += "Le client rouge " + texte + "\n  OK\n";
  }
  ASSERT_TRUE(a.envoie("GET CUBES\r\n"));
  const auto cubes = lit_liste(a, "CUBES");
  ASSERT_TRUE(cubes);
  attendu += "Le client rouge demande la liste des cubes\n  PUT CUBES 200\r\n";
  for (const std::string& l : *cubes) attendu += "  " + l;
  ASSERT_TRUE(a.envoie("GET STATUT \r\n"));
  EXPECT_EQ(a.ligne(), "ERREUR SYNTAXE\r\n");
  attendu += "Le client rouge fait une demande incorrecte : GET STATUT \r\n";
  a.ferme();
  attendu += "Le client rouge s'est barre sans prevenir\n";
  attend_journal("s'est barre sans prevenir\n");
  serveur_->collecte(100ms);
  EXPECT_EQ(serveur_->sortie(), attendu);

  // A player who quits: "s'est barre", and no "sans prevenir" after it.
  client_tcp b(port_);
  ASSERT_EQ(inscrit(b, 8421504), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(b.demande("PUT ACTION TIRE"), "OK\r\n");
  EXPECT_EQ(b.demande("PUT ACTION QUITTE"), "OK\r\n");
  EXPECT_TRUE(b.attend_fermeture(5s));
  serveur_->collecte(300ms);
  EXPECT_EQ(serveur_->sortie(), attendu +
                                    "Oh, un nouveau client (8421504)\n"
                                    "Le client 8421504 demande a tirer une balle\n  OK\n"
                                    "Le client 8421504 s'est barre\n  OK\n");
}

}  // namespace
}  // namespace jeu::test
