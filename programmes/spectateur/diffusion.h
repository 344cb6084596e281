#pragma once

// The latest events, shared by every viewer of the page. Publishing replaces
// the previous event of its kind; a viewer waits for a change and gets only
// the newest event of each kind, so a slow viewer skips frames instead of
// queueing them, and the game connection never waits for a viewer.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace jeu::spectateur {

class diffusion {
 public:
  // The versions of each kind a viewer has already been sent (0: none).
  struct curseur {
    std::uint64_t plateau = 0;
    std::uint64_t statut = 0;
    std::uint64_t image = 0;
    std::uint64_t scores = 0;
    std::uint64_t fil = 0;
  };

  // Each takes the JSON text of the event's data (etat.h).
  void publie_plateau(std::string donnees);
  void publie_statut(std::string donnees);
  void publie_image(std::string donnees);
  void publie_scores(std::string donnees);
  void publie_fil(std::string donnees);

  // Waits at most `delai` for an event newer than `c`. Returns the
  // server-sent-event text of every kind that is newer (plateau, statut,
  // image, scores, fil, in that order) and moves `c` past them; "" when the delay ran
  // out; nullopt once ferme was called.
  std::optional<std::string> attend(curseur& c, std::chrono::milliseconds delai);

  // Ends every wait, present and future.
  void ferme();

 private:
  struct dernier {
    std::uint64_t version = 0;
    std::string donnees;
  };
  void publie(dernier& d, std::string donnees);
  bool nouveau(const curseur& c) const;

  std::mutex verrou_;
  std::condition_variable changement_;
  std::uint64_t versions_ = 0;
  dernier plateau_;
  dernier statut_;
  dernier image_;
  dernier scores_;
  dernier fil_;
  bool ferme_ = false;
};

}  // namespace jeu::spectateur
