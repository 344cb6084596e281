#pragma once

#include <string_view>

namespace jeu::fuzz {

// Writes "fuzz_session: <quoi>" and, when given, the offending bytes
// (non-printable ones as \xNN, at most 600) to standard error, then aborts.
[[noreturn]] void echec(const char* quoi, std::string_view detail = {});

// echec(quoi, detail) unless `condition`.
inline void verifie(bool condition, const char* quoi, std::string_view detail = {}) {
  if (!condition) echec(quoi, detail);
}

}  // namespace jeu::fuzz
