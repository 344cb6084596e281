#include "net/echappement.h"

#include <cstdint>

namespace jeu {

namespace {

// The length of the valid UTF-8 sequence of a printable character at the
// start of `s` (shortest form, no surrogate, at most U+10FFFF, not a C1
// control), or 0.
std::size_t sequence_valide(std::string_view s) {
  const auto octet = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
  const std::uint8_t premier = octet(0);
  std::size_t n = 0;
  std::uint32_t code = 0;
  if (premier >= 0xC2 && premier <= 0xDF) {
    n = 2;
    code = premier & 0x1F;
  } else if (premier >= 0xE0 && premier <= 0xEF) {
    n = 3;
    code = premier & 0x0F;
  } else if (premier >= 0xF0 && premier <= 0xF4) {
    n = 4;
    code = premier & 0x07;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((octet(k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (octet(k) & 0x3F);
  }
  constexpr std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < minimum[n] || code > 0x10FFFF) return 0;
  if (code >= 0xD800 && code <= 0xDFFF) return 0;
  if (code < 0xA0) return 0;  // C1 controls
  return n;
}

}  // namespace

std::string echappe(std::string_view octets) {
  constexpr char chiffres[] = "0123456789abcdef";
  std::string texte;
  texte.reserve(octets.size());
  const bool cr_final = octets.ends_with('\r');
  if (cr_final) octets.remove_suffix(1);
  while (!octets.empty()) {
    const auto c = static_cast<std::uint8_t>(octets.front());
    if (c >= 0x20 && c < 0x7F) {
      texte += static_cast<char>(c);
      octets.remove_prefix(1);
      continue;
    }
    if (const std::size_t n = c >= 0x80 ? sequence_valide(octets) : 0; n > 0) {
      texte += octets.substr(0, n);
      octets.remove_prefix(n);
      continue;
    }
    texte += "\\x";
    texte += chiffres[c >> 4];
    texte += chiffres[c & 0xF];
    octets.remove_prefix(1);
  }
  if (cr_final) texte += '\r';
  return texte;
}

}  // namespace jeu
