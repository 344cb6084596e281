#pragma once

#include <cstdio>
#include <string_view>

namespace jeu {

// Writes `texte` on `flux` as one unit (no other thread's text falls inside
// it) and flushes. Returns false when the write or the flush failed.
bool ecrit_tout(std::FILE* flux, std::string_view texte);

// Writes all of `texte` on socket `fd`, retrying after interruptions and
// partial writes. A peer that has gone makes it fail (no signal is raised).
// Returns false on any failure.
bool ecrit_tout(int fd, std::string_view texte);

}  // namespace jeu
