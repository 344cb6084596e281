// jeu-enregistreur records a real server's stream while a second spectator
// streams too; the recording replays, tick for tick, what that spectator
// received. Then the file is described, and not overwritten.
#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "commun/attente.h"
#include "commun/processus.h"
#include "enregistrement/lecteur.h"
#include "jeu_client.h"

namespace jeu {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string serveur_jeu = SERVEUR_JEU_BINAIRE;
const std::string enregistreur = JEU_ENREGISTREUR_BINAIRE;

// The frame without its TICK line, whose lost count is each stream's own.
std::string corps(const std::string& trame) { return trame.substr(trame.find('\n') + 1); }

TEST(Enregistreur, RecordingReplaysWhatAnotherSpectatorReceived) {
  std::string modele = (fs::temp_directory_path() / "enregistreur_test.XXXXXX").string();
  ASSERT_NE(::mkdtemp(modele.data()), nullptr);
  const fs::path dossier = modele;
  const std::string fichier = (dossier / "partie.enr").string();

  const int port = commun::port_libre();
  commun::processus serveur(serveur_jeu, {std::to_string(port)});
  ASSERT_TRUE(commun::attend_ecoute(port, 10s));
  // Something moves: a ship that turns and fires between the frames.
  auto joueur = jeu_client::connexion::ouvre("127.0.0.1", port);
  joueur.enregistre(255);
  joueur.action(jeu_client::requete::accelere);

  auto spectateur = jeu_client::connexion::ouvre("127.0.0.1", port);
  spectateur.devient_spectateur();
  spectateur.commence_flux();
  commun::processus e(enregistreur,
                      {"--serveur", "127.0.0.1:" + std::to_string(port), "--duree", "2", fichier});
  std::map<std::uint64_t, std::string> recues;
  for (int i = 0; !e.attend_fin(0ms); ++i) {
    if (i % 4 == 0) {
      joueur.action(jeu_client::requete::tire);
      joueur.action(jeu_client::requete::gauche);
    }
    const std::string t = spectateur.flux_texte();
    recues[jeu_client::lit_trame_flux(t).tick] = corps(t);
    ASSERT_LT(i, 40 * 30) << "jeu-enregistreur did not stop";
  }
  EXPECT_EQ(e.attend_fin(5s), 0) << e.erreur();
  e.collecte(50ms);
  EXPECT_NE(e.erreur().find("duree atteinte ; "), std::string::npos) << e.erreur();

  auto l = enregistrement::lecteur::ouvre(fichier);
  EXPECT_EQ(l.octets_ignores(), 0u);
  std::size_t communes = 0;
  std::uint64_t precedent = 0;
  while (auto t = l.suivante()) {
    const jeu_client::trame_flux lue = jeu_client::lit_trame_flux(t->texte);
    EXPECT_EQ(lue.tick, t->tick);
    if (precedent != 0) {
      EXPECT_EQ(lue.ticks_perdus, t->tick - precedent - 1);
    }
    precedent = t->tick;
    if (const auto r = recues.find(t->tick); r != recues.end()) {
      EXPECT_EQ(corps(t->texte), r->second) << t->tick;
      ++communes;
    }
  }
  // About 80 ticks in 2 s; on a busy machine either stream may lose some.
  EXPECT_GT(communes, 20u);
  EXPECT_GT(l.nombre_trames(), 20u);

  commun::processus infos(enregistreur, {"--infos", fichier});
  EXPECT_EQ(infos.attend_fin(5s), 0);
  EXPECT_TRUE(infos.attend_sortie(" : enregistrement version 1, " +
                                      std::to_string(l.nombre_trames()) + " trames, ticks ",
                                  1s))
      << infos.sortie();

  const auto taille = fs::file_size(fichier);
  commun::processus encore(enregistreur,
                           {"--serveur", "127.0.0.1:" + std::to_string(port), fichier});
  EXPECT_EQ(encore.attend_fin(5s), 1);
  encore.collecte(50ms);
  EXPECT_NE(encore.erreur().find("le fichier existe deja"), std::string::npos) << encore.erreur();
  EXPECT_EQ(fs::file_size(fichier), taille);
  fs::remove_all(dossier);
}

TEST(Enregistreur, StopsOnSigtermWithACompleteFileAndRefusesWhatIsNoRecording) {
  std::string modele = (fs::temp_directory_path() / "enregistreur_test.XXXXXX").string();
  ASSERT_NE(::mkdtemp(modele.data()), nullptr);
  const fs::path dossier = modele;
  const std::string fichier = (dossier / "arret.enr").string();
  const int port = commun::port_libre();
  commun::processus serveur(serveur_jeu, {std::to_string(port)});
  ASSERT_TRUE(commun::attend_ecoute(port, 10s));
  commun::processus e(enregistreur, {"--serveur", "127.0.0.1:" + std::to_string(port), fichier});
  // Half a second's frames at least, then the signal.
  ASSERT_TRUE(commun::attend_jusqua([&] { return fs::exists(fichier); }, 10s));
  std::this_thread::sleep_for(500ms);
  kill(e.pid(), SIGTERM);
  EXPECT_EQ(e.attend_fin(5s), 0);
  e.collecte(50ms);
  EXPECT_NE(e.erreur().find("arrete ; "), std::string::npos) << e.erreur();
  auto l = enregistrement::lecteur::ouvre(fichier);
  EXPECT_GT(l.nombre_trames(), 0u);
  EXPECT_EQ(l.octets_ignores(), 0u);

  const std::string texte = (dossier / "texte.txt").string();
  { std::ofstream(texte) << "TICK 1 0\r\n"; }
  commun::processus infos(enregistreur, {"--infos", texte});
  EXPECT_EQ(infos.attend_fin(5s), 1);
  infos.collecte(50ms);
  EXPECT_NE(infos.erreur().find("texte.txt : ce n'est pas un enregistrement du jeu"),
            std::string::npos)
      << infos.erreur();
  fs::remove_all(dossier);
}

}  // namespace
}  // namespace jeu
