#pragma once

#include <cstddef>
#include <functional>

namespace jeu {

// Runs `corps` on a new detached thread whose stack is `taille_pile` bytes.
// Returns 0, or the error number of the failed thread creation (ENOMEM when
// memory ran out on this side; then `corps` never runs). Never throws.
int lance_thread_detache(std::function<void()> corps, std::size_t taille_pile) noexcept;

}  // namespace jeu
