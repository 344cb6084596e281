#pragma once

// A recording replayed as if it were the game: frames at 40 ticks a second
// times the speed chosen, paused, or sought to a tick, as the pages ask
// (commande). The arena's size and radii are the game's; a recording holds
// no cubes, so none are drawn.

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "enregistrement/lecteur.h"
#include "spectateur/source.h"

namespace jeu::spectateur {

inline constexpr double vitesse_min = 0.25;
inline constexpr double vitesse_max = 16;

class source_relecture : public source {
 public:
  // Opens `chemin`; throws std::runtime_error naming it when it is not a
  // recording or holds no frame.
  explicit source_relecture(const std::string& chemin);

  plateau ouvre() override;
  // Waits until the frame of the tick the replay has reached is due (at most
  // a period of the pages, 25 ms), then reads it. At the end it pauses on
  // the last frame.
  image trame() override;
  std::string nom() const override { return nom_; }
  bool a_son_rythme() const override { return true; }
  std::string description() const override { return "the recording " + nom_; }

  // From any thread: "pause" with "1" or "0", "vitesse" with 0.25 to 16,
  // "tick" with a tick (the nearest recorded one at or after it, else the
  // last). "" when done, else why it was refused.
  std::string commande(const std::string& nom, const std::string& valeur);

 private:
  using horloge = std::chrono::steady_clock;
  // The tick the replay has reached now. REQUIRES verrou_.
  double position(horloge::time_point t) const;

  std::string nom_;
  std::mutex verrou_;
  enregistrement::lecteur lecteur_;  // the sondeur's thread only, under verrou_
  std::uint64_t premier_ = 0;
  std::uint64_t dernier_ = 0;
  // The replay's clock: at `depart` it stood at tick `base`.
  double base_ = 0;
  horloge::time_point depart_{};
  bool pause_ = false;
  double vitesse_ = 1;
  std::optional<enregistrement::trame_enregistree> courante_;  // the last frame read
  std::optional<enregistrement::trame_enregistree> suivante_;  // read ahead
  bool cherche_ = false;  // a seek to base_ is pending
};

}  // namespace jeu::spectateur
