#include "persistance/base_scores.h"

#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "persistance/sauvegarde.h"
#include "world/comptes.h"

namespace jeu {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class BaseScores : public ::testing::Test {
 protected:
  void SetUp() override {
    dossier_ = fs::temp_directory_path() / ("base_scores_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dossier_);
    fs::create_directories(dossier_);
    chemin = (dossier_ / "scores.db").string();
  }
  void TearDown() override {
    fs::permissions(dossier_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dossier_);
  }
  // Runs `sql` on `f` with a connection of its own.
  static void sql(const std::string& f, const std::string& texte) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(f.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, texte.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << texte;
    sqlite3_close(db);
  }
  static ligne_score ligne(couleur_t c, std::int64_t destructions, std::uint64_t vu) {
    ligne_score l;
    l.couleur = c;
    l.s.destructions = destructions;
    l.s.tirs = 3 * destructions;
    l.s.ticks_en_vie = 40;
    l.vu = vu;
    return l;
  }

  fs::path dossier_;
  std::string chemin;
};

TEST_F(BaseScores, WritesReadsBackAndKeepsTheMostRecentColours) {
  {
    base_scores b(chemin);
    b.enregistre({}, {ligne(1, 5, 10), ligne(2, 0, 11), ligne(3, 1, 12)});
    b.enregistre({2}, {ligne(1, 6, 13)});
  }
  {
    base_scores b(chemin);
    const std::vector<ligne_score> lignes = b.charge(10);
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_EQ(lignes[0].couleur, 3);
    EXPECT_EQ(lignes[1].couleur, 1);
    EXPECT_EQ(lignes[1].s, ligne(1, 6, 13).s);
    EXPECT_EQ(lignes[1].vu, 13u);
    ASSERT_EQ(b.charge(1).size(), 1u) << "the oldest colour is deleted";
  }
  EXPECT_EQ(base_scores(chemin).charge(10).size(), 1u);
}

// Each file the server must refuse at start, and the words that say why.
TEST_F(BaseScores, RefusesFilesItCannotUseAndSaysWhy) {
  const struct {
    const char* nom;
    void (*prepare)(const std::string&);
    const char* attendu;
  } cas[] = {
      {"another program's database",
       [](const std::string& f) { sql(f, "CREATE TABLE clients (nom TEXT)"); },
       "n'est pas une base de scores de serveur_jeu"},
      {"not a database",
       [](const std::string& f) {
         std::ofstream(f) << std::string(4096, 'x');
       },
       "file is not a database"},
      {"a newer format",
       [](const std::string& f) {
         { base_scores b(f); }
         sql(f, "PRAGMA user_version=99");
       },
       "version 99"},
      {"read-only",
       [](const std::string& f) {
         { base_scores b(f); }
         fs::permissions(f, fs::perms::owner_read, fs::perm_options::replace);
       },
       "pas accessible en ecriture"},
      {"in a missing folder", [](const std::string&) {}, "unable to open"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    fs::remove_all(dossier_);
    fs::create_directories(dossier_);
    const std::string f = std::string(c.nom) == "in a missing folder"
                              ? (dossier_ / "absent" / "scores.db").string()
                              : chemin;
    c.prepare(f);
    if (getuid() == 0 && std::string(c.nom) == "read-only") continue;  // root writes anyway
    try {
      base_scores b(f);
      ADD_FAILURE() << "accepted";
    } catch (const base_scores::refus& e) {
      EXPECT_NE(std::string(e.what()).find(c.attendu), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(f), std::string::npos) << e.what();
    }
  }
}

// The saver's batches: what changed, and live colours, reach the file; a
// write that fails (the file may not grow: a full disk) is written once on
// the log, kept, and written with a later batch.
TEST_F(BaseScores, SaverWritesBatchesAndSurvivesAFullDisk) {
  monde m(1);
  base_scores b(chemin);
  std::FILE* journal = std::tmpfile();
  sauvegarde_scores s(m, b, 1h, chemin, journal);
  {
    VerrouGarde garde(m.verrou_monde);
    compte_arrivee(m, 7);
    compte_tir(m, 7);
    m.numero_tick = 40;
  }
  ASSERT_TRUE(s.enregistre_maintenant());
  ASSERT_EQ(b.charge(10).size(), 1u);
  EXPECT_EQ(b.charge(10)[0].s.ticks_en_vie, 40);

  // Grow the file past what the limit allows, in a batch of many colours.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit avant{};
  getrlimit(RLIMIT_FSIZE, &avant);
  const rlimit petit{static_cast<rlim_t>(fs::file_size(chemin)), avant.rlim_max};
  {
    VerrouGarde garde(m.verrou_monde);
    for (couleur_t c = 100; c < 3000; ++c) compte_touche(m, 7, c, 3);
  }
  setrlimit(RLIMIT_FSIZE, &petit);
  const bool ecrit_plein = s.enregistre_maintenant();
  const bool ecrit_encore = s.enregistre_maintenant();
  setrlimit(RLIMIT_FSIZE, &avant);
  EXPECT_FALSE(ecrit_plein);
  EXPECT_FALSE(ecrit_encore);
  ASSERT_TRUE(s.enregistre_maintenant());
  EXPECT_EQ(b.charge(100000).size(), 1u + 2900u);

  std::rewind(journal);
  std::string log(4096, '\0');
  log.resize(std::fread(log.data(), 1, log.size(), journal));
  std::fclose(journal);
  const std::string panne = "serveur_jeu: scores non enregistres dans " + chemin;
  EXPECT_EQ(log.find(panne), 0u) << log;
  EXPECT_EQ(log.find(panne, 1), std::string::npos) << "logged once: " << log;
  EXPECT_NE(log.find("scores de nouveau enregistres"), std::string::npos) << log;
}

}  // namespace
}  // namespace jeu
