#pragma once

// A recording replayed as if it were the game (relecture/relecture.h):
// frames at 40 ticks a second times the speed chosen, paused, or sought to a
// tick, as the pages ask (commande). The arena's size and radii are the
// game's; a recording holds no cubes, so none are drawn.

#include <mutex>
#include <string>

#include "relecture/relecture.h"
#include "spectateur/source.h"

namespace jeu::spectateur {

class source_relecture : public source {
 public:
  // Opens `chemin`; throws std::runtime_error naming it when it is not a
  // recording or holds no frame.
  explicit source_relecture(const std::string& chemin);

  plateau ouvre() override;
  // Waits a period of the pages (25 ms), then gives the frame the replay
  // has reached. At the end it pauses on the last frame.
  image trame() override;
  std::string nom() const override { return nom_; }
  bool a_son_rythme() const override { return true; }
  std::string description() const override { return "the recording " + nom_; }

  // From any thread: "pause" with "1" or "0", "vitesse" with 0.25 to 16,
  // "tick" with a tick (the nearest recorded one at or after it, else the
  // last). "" when done, else why it was refused.
  std::string commande(const std::string& nom, const std::string& valeur);

 private:
  std::string nom_;
  std::mutex verrou_;
  relecture::lecture lecture_;  // under verrou_
};

}  // namespace jeu::spectateur
