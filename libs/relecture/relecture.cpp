#include "relecture/relecture.h"

#include <algorithm>
#include <stdexcept>

namespace jeu::relecture {

lecture::lecture(const std::string& chemin, horloge::time_point t)
    : lecteur_(enregistrement::lecteur::ouvre(chemin)), depart_(t) {
  if (lecteur_.vide()) throw std::runtime_error(chemin + ": the recording holds no frame");
  premier_ = lecteur_.premier_tick();
  dernier_ = lecteur_.dernier_tick();
  base_ = static_cast<double>(premier_);
}

double lecture::position(horloge::time_point t) const {
  if (pause_) return base_;
  return base_ + std::chrono::duration<double>(t - depart_).count() * ticks_par_seconde * vitesse_;
}

const enregistrement::trame_enregistree& lecture::trame(horloge::time_point t) {
  if (cherche_) {
    if (!lecteur_.cherche(static_cast<std::uint64_t>(base_))) lecteur_.cherche(dernier_);
    courante_.reset();
    suivante_.reset();
    cherche_ = false;
  }
  if (!courante_ && !suivante_) suivante_ = lecteur_.suivante();
  const double cible = position(t);
  while (suivante_ && (!courante_ || static_cast<double>(suivante_->tick) <= cible)) {
    courante_ = std::move(suivante_);
    suivante_ = lecteur_.suivante();
  }
  if (!courante_) throw std::runtime_error("the recording has no frame left to show");
  if (!suivante_ && !pause_ && cible >= static_cast<double>(dernier_)) {
    pause_ = true;
    base_ = static_cast<double>(dernier_);
  }
  return *courante_;
}

void lecture::met_en_pause(bool pause, horloge::time_point t) {
  if (pause == pause_) return;
  base_ = position(t);
  if (!pause && base_ >= static_cast<double>(dernier_)) {
    base_ = static_cast<double>(premier_);
    cherche_ = true;
  }
  pause_ = pause;
  depart_ = t;
}

void lecture::change_vitesse(double vitesse, horloge::time_point t) {
  if (!(vitesse >= vitesse_min && vitesse <= vitesse_max)) {
    throw std::invalid_argument("the speed goes from 0.25 to 16");
  }
  base_ = position(t);
  depart_ = t;
  vitesse_ = vitesse;
}

void lecture::cherche(std::uint64_t tick, horloge::time_point t) {
  base_ = static_cast<double>(std::clamp(tick, premier_, dernier_));
  depart_ = t;
  cherche_ = true;
}

}  // namespace jeu::relecture
