#pragma once

// A recording played back: its own clock runs at 40 ticks a second times
// the speed, and trame() gives the frame that clock has reached, reading on
// through the file (seeking only when asked to). At the last frame it
// pauses. Not shared between threads.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "enregistrement/lecteur.h"

namespace jeu::relecture {

inline constexpr double vitesse_min = 0.25;
inline constexpr double vitesse_max = 16;
inline constexpr double ticks_par_seconde = 40;

class lecture {
 public:
  using horloge = std::chrono::steady_clock;

  // Opens `chemin`, playing from its first frame at speed 1 from `t`.
  // Throws std::runtime_error naming the file when it is not a recording
  // or holds no frame.
  lecture(const std::string& chemin, horloge::time_point t);

  // The frame the clock has reached at `t` (the latest recorded at or
  // before it; at least the first). Throws std::runtime_error for a damaged file.
  const enregistrement::trame_enregistree& trame(horloge::time_point t);

  // From `t` on: paused or playing (playing after the end starts again from
  // the first frame); the speed, within vitesse_min..vitesse_max (else
  // std::invalid_argument); the clock moved to `tick`, brought within the
  // recording (the next frame shown is the first at or after it).
  void met_en_pause(bool pause, horloge::time_point t);
  void change_vitesse(double vitesse, horloge::time_point t);
  void cherche(std::uint64_t tick, horloge::time_point t);

  std::uint64_t premier() const { return premier_; }
  std::uint64_t dernier() const { return dernier_; }
  bool en_pause() const { return pause_; }
  double vitesse() const { return vitesse_; }
  // Where the clock stands at `t`, in ticks.
  double position(horloge::time_point t) const;

 private:
  enregistrement::lecteur lecteur_;
  std::uint64_t premier_ = 0;
  std::uint64_t dernier_ = 0;
  double base_ = 0;  // the clock stood at tick base_ at depart_
  horloge::time_point depart_;
  bool pause_ = false;
  double vitesse_ = 1;
  bool cherche_ = false;  // the file is to be sought to base_ before reading
  std::optional<enregistrement::trame_enregistree> courante_;
  std::optional<enregistrement::trame_enregistree> suivante_;  // read ahead
};

}  // namespace jeu::relecture
