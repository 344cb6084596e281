#include "persistance/base_scores.h"

#include <sqlite3.h>

#include <cstdint>
#include <memory>

namespace jeu {

namespace {

using requete_sql = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

constexpr const char* colonnes =
    "couleur, destructions, morts, touches_donnees, touches_recues, touches_soi, tirs, vies, "
    "ticks_en_vie, meilleure_serie, vu";

}  // namespace

void base_scores::execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string texte = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw std::runtime_error(texte);
  }
}

base_scores::base_scores(const std::string& chemin) : chemin_(chemin) {
  const auto refuse = [&](const std::string& pourquoi) {
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
    return refus("base de scores " + chemin + " : " + pourquoi);
  };
  if (sqlite3_open_v2(chemin.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    throw refuse(db_ != nullptr ? sqlite3_errmsg(db_) : "impossible de l'ouvrir");
  }
  // SQLite opens a file it may not write read-only without saying so.
  if (sqlite3_db_readonly(db_, "main") == 1) throw refuse("le fichier n'est pas accessible en ecriture");
  sqlite3_busy_timeout(db_, 2000);
  try {
    // The first read of the header: a file that is not a database fails here.
    int application_lue = 0;
    int version_lue = 0;
    int tables = 0;
    {
      sqlite3_stmt* s = nullptr;
      if (sqlite3_prepare_v2(db_,
                             "SELECT (SELECT application_id FROM pragma_application_id), "
                             "(SELECT user_version FROM pragma_user_version), "
                             "(SELECT count(*) FROM sqlite_schema)",
                             -1, &s, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db_));
      }
      requete_sql r(s, &sqlite3_finalize);
      if (sqlite3_step(s) != SQLITE_ROW) throw std::runtime_error(sqlite3_errmsg(db_));
      application_lue = sqlite3_column_int(s, 0);
      version_lue = sqlite3_column_int(s, 1);
      tables = sqlite3_column_int(s, 2);
    }
    if (tables > 0 || application_lue != 0) {
      if (application_lue != application) {
        throw refuse("ce n'est pas une base de scores de serveur_jeu");
      }
      if (version_lue > version) {
        throw refuse("version " + std::to_string(version_lue) +
                     " du format, plus recente que celle de ce serveur (" +
                     std::to_string(version) + ")");
      }
    }
    execute("PRAGMA journal_mode=WAL");
    // In WAL mode, NORMAL loses nothing when the process is killed; only a
    // power cut may cost the last transactions.
    execute("PRAGMA synchronous=NORMAL");
    execute(
        "CREATE TABLE IF NOT EXISTS scores (couleur INTEGER PRIMARY KEY, destructions INTEGER NOT "
        "NULL, morts INTEGER NOT NULL, touches_donnees INTEGER NOT NULL, touches_recues INTEGER NOT "
        "NULL, touches_soi INTEGER NOT NULL, tirs INTEGER NOT NULL, vies INTEGER NOT NULL, "
        "ticks_en_vie INTEGER NOT NULL, meilleure_serie INTEGER NOT NULL, vu INTEGER NOT NULL)");
    execute(("PRAGMA application_id=" + std::to_string(application)).c_str());
    execute(("PRAGMA user_version=" + std::to_string(version)).c_str());
  } catch (const refus&) {
    throw;
  } catch (const std::exception& e) {
    throw refuse(e.what());
  }
}

base_scores::~base_scores() {
  if (db_ != nullptr) sqlite3_close(db_);
}

std::vector<ligne_score> base_scores::charge(std::size_t capacite) {
  std::vector<ligne_score> lignes;
  try {
    const std::string garde = std::to_string(capacite);
    execute(("DELETE FROM scores WHERE couleur NOT IN (SELECT couleur FROM scores ORDER BY vu DESC "
             "LIMIT " + garde + ")")
                .c_str());
    sqlite3_stmt* s = nullptr;
    const std::string sql = std::string("SELECT ") + colonnes + " FROM scores ORDER BY vu";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
    requete_sql r(s, &sqlite3_finalize);
    int etat = 0;
    while ((etat = sqlite3_step(s)) == SQLITE_ROW) {
      ligne_score l;
      l.couleur = sqlite3_column_int64(s, 0);
      std::int64_t* const champs[] = {&l.s.destructions,   &l.s.morts,       &l.s.touches_donnees,
                                      &l.s.touches_recues, &l.s.touches_soi, &l.s.tirs,
                                      &l.s.vies,           &l.s.ticks_en_vie, &l.s.meilleure_serie};
      for (int k = 0; k < 9; ++k) *champs[k] = sqlite3_column_int64(s, k + 1);
      l.vu = static_cast<std::uint64_t>(sqlite3_column_int64(s, 10));
      lignes.push_back(l);
    }
    if (etat != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
  } catch (const std::exception& e) {
    throw refus("base de scores " + chemin_ + " : " + e.what());
  }
  return lignes;
}

void base_scores::enregistre(const std::vector<couleur_t>& oublies,
                             const std::vector<ligne_score>& changes) {
  if (oublies.empty() && changes.empty()) return;
  execute("BEGIN IMMEDIATE");
  try {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "DELETE FROM scores WHERE couleur = ?", -1, &s, nullptr) !=
        SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
    requete_sql efface(s, &sqlite3_finalize);
    for (const couleur_t c : oublies) {
      sqlite3_bind_int64(s, 1, c);
      if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
      sqlite3_reset(s);
    }
    const std::string sql =
        std::string("INSERT OR REPLACE INTO scores (") + colonnes + ") VALUES (?,?,?,?,?,?,?,?,?,?,?)";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(db_));
    }
    requete_sql ecrit(s, &sqlite3_finalize);
    for (const ligne_score& l : changes) {
      const std::int64_t valeurs[] = {l.couleur,           l.s.destructions,   l.s.morts,
                                      l.s.touches_donnees, l.s.touches_recues, l.s.touches_soi,
                                      l.s.tirs,            l.s.vies,           l.s.ticks_en_vie,
                                      l.s.meilleure_serie, static_cast<std::int64_t>(l.vu)};
      for (int k = 0; k < 11; ++k) sqlite3_bind_int64(s, k + 1, valeurs[k]);
      if (sqlite3_step(s) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
      sqlite3_reset(s);
    }
    execute("COMMIT");
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace jeu
