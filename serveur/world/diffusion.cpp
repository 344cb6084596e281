#include "world/diffusion.h"

#include <utility>

namespace jeu {

void diffusion::publie(std::shared_ptr<const trame_diffusee> t) {
  {
    GardeSimple garde(verrou_);
    // The previous frame is released outside the lock, by `t`.
    std::swap(derniere_, t);
  }
  reveil_.notify_all();
}

std::shared_ptr<const trame_diffusee> diffusion::attend(std::uint64_t apres, instant jusqua) {
  GardeSimple garde(verrou_);
  for (;;) {
    if (derniere_ && derniere_->tick > apres) return derniere_;
    if (reveil_.wait_until(verrou_, jusqua) == std::cv_status::timeout) {
      if (derniere_ && derniere_->tick > apres) return derniere_;
      return nullptr;
    }
  }
}

}  // namespace jeu
