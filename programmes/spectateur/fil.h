#pragma once

// The kill feed: the last ships destroyed, newest first, kept across the
// game connection's reconnections.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

#include "jeu_client.h"

namespace jeu::spectateur {

class fil_victimes {
 public:
  // Keeps the last `taille` (> 0) ships destroyed.
  explicit fil_victimes(std::size_t taille = 10) : taille_(taille) {}

  // Takes events in the order they happened ("DETRUIT" lines go in, the
  // others are not a kill) and `manques` events the server could not give.
  // True when the feed or the count of missed events changed.
  bool ajoute(std::span<const jeu_client::evenement> evenements, std::int64_t manques);

  // Newest first.
  const std::deque<jeu_client::evenement>& victimes() const { return victimes_; }
  // Events missed since the program started.
  std::int64_t manques() const { return manques_; }

 private:
  std::size_t taille_;
  std::deque<jeu_client::evenement> victimes_;
  std::int64_t manques_ = 0;
};

}  // namespace jeu::spectateur
