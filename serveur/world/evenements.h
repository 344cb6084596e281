#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/records.h"

namespace jeu {

enum class sorte_evenement : unsigned char { touche, detruit, arrive, part };
// Why a ship left the arena.
enum class raison_depart : unsigned char { quitte, deconnecte, detruit };

// What happened, at which tick. touche: `a` hit `b`, which has `vie` life
// points left; detruit: `a` destroyed `b`; arrive: `a` registered; part: `a`
// left, for `raison`.
struct evenement {
  std::uint64_t tick = 0;
  sorte_evenement sorte = sorte_evenement::arrive;
  raison_depart raison = raison_depart::quitte;
  int vie = 0;
  couleur_t a = 0;
  couleur_t b = 0;

  bool operator==(const evenement&) const = default;
};

// The last events, numbered from 0 in order; the oldest are overwritten
// once `capacite` (rounded up to a power of two) are held. Capacity 0 keeps
// none, numbering them still. No lock of its own: the
// world keeps it under verrou_monde.
class journal_evenements {
 public:
  static constexpr std::size_t capacite_defaut = 65'536;

  explicit journal_evenements(std::size_t capacite = capacite_defaut) { redimensionne(capacite); }

  // Empties the journal and sets its capacity; numbering goes on.
  void redimensionne(std::size_t capacite);

  void ajoute(const evenement& e) {
    if (!tampon_.empty()) tampon_[prochain_ & masque_] = e;
    ++prochain_;
  }

  // The number the next event will have.
  std::uint64_t prochain() const { return prochain_; }

  // Appends the events numbered from `depuis` on that are still held, oldest
  // first, and returns how many of those numbered from `depuis` on are no
  // longer held (overwritten, or never kept). `depuis` beyond prochain():
  // nothing, 0.
  std::uint64_t lit(std::uint64_t depuis, std::vector<evenement>& sortie) const;

 private:
  std::vector<evenement> tampon_;  // a power of two long, or empty
  std::uint64_t masque_ = 0;
  std::uint64_t prochain_ = 0;
  std::uint64_t debut_ = 0;  // the first number kept since the last resize
};

}  // namespace jeu
