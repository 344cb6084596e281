#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/records.h"

namespace jeu {

// A bullet's move in one tick: (cos angle, sin angle) * vitesse_balle.
struct pas_balle {
  double dx;
  double dy;
};

// The move of a bullet with this angle in one tick.
pas_balle pas_de(double angle);

// The bullets in flight, newest first, in one contiguous block: iteration,
// indexing and front() see that order, so a reader copies the list as
// clients see it with (begin(), end()). Beside each bullet lies its move per
// tick (a bullet's angle never changes, so the sine and cosine are taken once,
// when it enters). Adding at the head is amortised O(1): the block keeps free
// room before its first element. Capacity is kept when bullets leave.
//
// No lock of its own: the world keeps it under verrou_monde.
class liste_balles {
 public:
  using value_type = balle;
  using const_iterator = const balle*;
  using iterator = const balle*;
  using size_type = std::size_t;

  const balle* begin() const { return balles_.data() + debut_; }
  const balle* end() const { return balles_.data() + fin_; }
  std::size_t size() const { return fin_ - debut_; }
  bool empty() const { return fin_ == debut_; }
  const balle& front() const { return balles_[debut_]; }
  const balle& operator[](std::size_t i) const { return balles_[debut_ + i]; }
  // Bumped by every change of the list or of a bullet in it (every
  // non-const member but pas()), so a reader can tell its copy is current.
  std::uint64_t version() const { return version_; }

  // Puts `b` at the head with its move.
  void push_front(const balle& b);
  // Replaces the whole list by [premier, dernier), newest first. The moves
  // are taken at the next call to pas().
  template <class It>
  void assign(It premier, It dernier) {
    balles_.assign(premier, dernier);
    debut_ = 0;
    fin_ = balles_.size();
    pas_.clear();
    pas_a_jour_ = false;
    ++version_;
  }
  void clear();

  // For the tick, which moves and filters bullets in place: the bullets
  // (size() of them, from the head) and their moves, taken now if assign()
  // left them unknown. Valid until the next change of the list.
  balle* donnees() {
    ++version_;
    return balles_.data() + debut_;
  }
  pas_balle* pas();
  // Keeps the n first bullets (and moves) and drops the others; n <= size().
  void garde_premieres(std::size_t n) {
    fin_ = debut_ + n;
    ++version_;
  }

 private:
  // Makes room for at least one more bullet before the head.
  void fait_place();

  // Parallel blocks of the same length; the list is [debut_, fin_) of each.
  std::vector<balle> balles_;
  std::vector<pas_balle> pas_;
  std::size_t debut_ = 0;
  std::size_t fin_ = 0;
  // False after assign(): pas_ does not hold the moves yet.
  bool pas_a_jour_ = true;
  std::uint64_t version_ = 0;
};

}  // namespace jeu
