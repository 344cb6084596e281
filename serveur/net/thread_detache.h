#pragma once

#include <cstddef>
#include <functional>

namespace jeu {

// Runs `corps` on a new detached thread whose stack is `taille_pile` bytes.
// Returns 0, or the error number of the failed thread creation (ENOMEM when
// memory ran out on this side; then `corps` never runs). Never throws.
// With `priorite_fifo` > 0 the thread runs in the real-time class SCHED_FIFO
// at that priority; without the right to it, the creation fails with EPERM.
int lance_thread_detache(std::function<void()> corps, std::size_t taille_pile,
                         int priorite_fifo = 0) noexcept;

// Lowers the calling thread's priority by `increment` nice steps; the threads
// it creates afterwards inherit it. Returns 0 or the error number.
int baisse_priorite_du_thread(int increment) noexcept;

}  // namespace jeu
