#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/scores.h"

struct sqlite3;

namespace jeu {

// The scores' database: one SQLite file in WAL mode, marked as this
// server's by its application id and schema version. Used by one thread at
// a time; takes no world lock.
class base_scores {
 public:
  // The file cannot serve: it cannot be opened or written, it is not an
  // SQLite database, or it holds another program's data or a newer schema.
  class refus : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
  };

  // Opens `chemin`, creating it and its table when the file is missing or
  // empty. Throws refus, whose text names the file and the problem.
  explicit base_scores(const std::string& chemin);
  ~base_scores();
  base_scores(const base_scores&) = delete;
  base_scores& operator=(const base_scores&) = delete;

  // The `capacite` most recently seen colours, in increasing `vu`; the
  // older ones are deleted from the file. Throws refus on a read failure.
  std::vector<ligne_score> charge(std::size_t capacite);

  // Deletes `oublies`, then writes `changes`, in one transaction: all or
  // nothing. Throws std::runtime_error with SQLite's message on failure.
  void enregistre(const std::vector<couleur_t>& oublies, const std::vector<ligne_score>& changes);

  // The schema version this server writes.
  static constexpr int version = 1;
  // "SJEU" as an integer: SQLite's header field that names the file's owner.
  static constexpr int application = 0x534a4555;

 private:
  void execute(const char* sql);
  sqlite3* db_ = nullptr;
  std::string chemin_;
};

}  // namespace jeu
