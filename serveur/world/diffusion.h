#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "world/records.h"
#include "world/texte_partage.h"
#include "world/verrou.h"

namespace jeu {

// One tick's frame for the spectators' streams: the lists as the tick left
// them, copied by the tick (a copy costs it far less than encoding them),
// and the frame's text after the per-stream "TICK" line ("FIN TICK"
// included), encoded once, outside the world lock, by the first stream
// that sends it (net/trame_flux.h); every stream sends those same bytes.
struct trame_diffusee {
  std::uint64_t tick = 0;
  std::vector<vaisseau> vaisseaux;  // list order: newest first
  std::vector<balle> balles;        // list order: newest first
  mutable std::once_flag encodage;
  mutable texte_partage::bloc corps;
};

// Where the tick leaves its frame for the streams. Its lock is its own,
// taken for a pointer copy only: the tick never waits for a stream, and no
// stream writes to its socket holding any lock. Streams count themselves
// in, so that the tick builds frames only while someone reads them. The
// world lock may be held when calling these (it is taken before this one,
// never after).
class diffusion {
 public:
  using instant = std::chrono::steady_clock::time_point;

  // A stream starts or ends (no lock needed).
  void abonne() { abonnes_.fetch_add(1, std::memory_order_relaxed); }
  void desabonne() { abonnes_.fetch_sub(1, std::memory_order_relaxed); }
  std::int64_t abonnes() const { return abonnes_.load(std::memory_order_relaxed); }

  // The tick's frame replaces the previous one and wakes every waiting
  // stream. EXCLUDES: verrou_.
  void publie(std::shared_ptr<const trame_diffusee> t) EXCLUDES(verrou_);

  // The last frame published if its tick is after `apres`, else waits for
  // one until `jusqua`; nullptr when none came by then. EXCLUDES: verrou_.
  std::shared_ptr<const trame_diffusee> attend(std::uint64_t apres, instant jusqua)
      EXCLUDES(verrou_);

 private:
  std::atomic<std::int64_t> abonnes_{0};
  VerrouSimple verrou_;
  std::condition_variable_any reveil_;
  std::shared_ptr<const trame_diffusee> derniere_ GUARDED_BY(verrou_);
};

}  // namespace jeu
