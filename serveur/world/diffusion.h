#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "world/evenements.h"
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
  // The events numbered [debut_evenements, fin_evenements): those since the
  // previous tick's end, oldest first; `evenements_perdus` of them had left
  // the journal already.
  std::vector<evenement> evenements;
  std::uint64_t debut_evenements = 0;
  std::uint64_t fin_evenements = 0;
  std::uint64_t evenements_perdus = 0;
  // The text: `corps` up to the events block's header, which each stream
  // writes itself (its count of missed events is its own), then `suite`:
  // the event lines and "FIN TICK".
  mutable std::once_flag encodage;
  mutable texte_partage::bloc corps;
  mutable texte_partage::bloc suite;
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

  // The number of the first event after the last tick: written and read by
  // the tick alone (simulation/tick.h), whether or not a frame is published.
  std::uint64_t fin_evenements_tick = 0;

 private:
  std::atomic<std::int64_t> abonnes_{0};
  VerrouSimple verrou_;
  std::condition_variable_any reveil_;
  std::shared_ptr<const trame_diffusee> derniere_ GUARDED_BY(verrou_);
};

}  // namespace jeu
