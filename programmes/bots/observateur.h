#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "bots/robot.h"
#include "jeu_client.h"

namespace jeu::bots {

// The robots' spectator connection: the arena's cubes once, then the
// server's figures and scores when asked. A failed connection is opened again (after
// a pause), so the figures come back when the server does. Nothing waits
// longer than asked: the connection is driven by poll(). Not shared between
// threads.
class observateur {
 public:
  observateur(std::string hote, int port, std::chrono::milliseconds delai);

  // Goes on until `jusqua`, or until `arret` is set (seen within 100 ms),
  // or until nothing is awaited any more (the cubes and any figures asked
  // for have come, or a failure happened).
  void attend(horloge::time_point jusqua, const std::atomic<bool>& arret);

  // Asks for "GET STATS" (or "GET SCORES") once the connection is ready.
  void demande_stats();
  void demande_scores();

  const std::optional<std::vector<jeu_client::cube>>& cubes() const { return cubes_; }
  // The last figures, until a failure; the last failure, until figures.
  const std::optional<jeu_client::statistiques>& stats() const { return stats_; }
  // The last scores, best first; kept through later failures.
  const std::optional<std::vector<jeu_client::score>>& scores() const { return scores_; }
  const std::string& derniere_erreur() const { return erreur_; }
  int connexions() const { return connexions_; }

 private:
  enum class etape { attente, connexion, inscription, pret, demande };

  // Does what is due at `maintenant` without waiting; `pret` when poll()
  // found the socket ready for attente().
  void avance(horloge::time_point maintenant, bool pret);
  short attente() const;
  void echoue(const std::string& pourquoi, horloge::time_point maintenant);
  void envoie(jeu_client::requete r, horloge::time_point maintenant);

  std::string hote_;
  int port_;
  std::chrono::milliseconds delai_;
  std::optional<jeu_client::connexion> connexion_;
  etape etape_ = etape::attente;
  jeu_client::requete en_vol_ = jeu_client::requete::cubes;
  bool stats_voulues_ = false;
  bool scores_voulus_ = false;
  horloge::time_point limite_{};
  horloge::time_point reessai_{};
  std::optional<std::vector<jeu_client::cube>> cubes_;
  std::optional<jeu_client::statistiques> stats_;
  std::optional<std::vector<jeu_client::score>> scores_;
  std::string erreur_;
  int connexions_ = 0;
};

}  // namespace jeu::bots
