#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "persistance/base_scores.h"
#include "world/monde.h"

namespace jeu {

// Keeps the database in step with m.scores: a thread of its own takes what
// changed under the world lock (a copy, no I/O) every `periode`, then writes
// it without the lock, so the tick never waits on the disk. A failed write
// is written once on `journal` and retried with the next batch; play goes
// on. A process killed between two batches loses at most the last period.
class sauvegarde_scores {
 public:
  // Loads the base into m.scores (which it empties first, keeping its
  // capacity) and makes the table keep its changes. Throws base_scores::refus
  // when the base cannot be read. EXCLUDES: m.verrou_monde.
  sauvegarde_scores(monde& m, base_scores& base, std::chrono::milliseconds periode,
                    std::string nom_base, std::FILE* journal = stderr) EXCLUDES(m.verrou_monde);
  // Stops the thread, if started, after one last batch.
  ~sauvegarde_scores();
  sauvegarde_scores(const sauvegarde_scores&) = delete;
  sauvegarde_scores& operator=(const sauvegarde_scores&) = delete;

  void lance();
  // Stops the thread after one last batch; nothing when not started.
  void arrete();
  // One batch now, on the calling thread (not while the thread runs);
  // false when the write failed. EXCLUDES: m.verrou_monde.
  bool enregistre_maintenant() EXCLUDES(m_.verrou_monde);

 private:
  void boucle();

  monde& m_;
  base_scores& base_;
  const std::chrono::milliseconds periode_;
  const std::string nom_base_;
  std::FILE* const journal_;
  std::size_t capacite_ = 0;  // the table's, read once
  // What failed to be written, merged with the next batch; deletions are
  // bounded (beyond, the next start prunes the file instead).
  std::unordered_map<couleur_t, ligne_score> en_attente_;
  std::unordered_set<couleur_t> oublies_en_attente_;
  bool en_panne_ = false;

  std::mutex verrou_arret_;
  std::condition_variable reveil_;
  bool arret_ = false;
  std::thread fil_;
};

}  // namespace jeu
