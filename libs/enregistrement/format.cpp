#include "enregistrement/format.h"

#include <cstring>

namespace jeu::enregistrement {

void ecrit_u32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void ecrit_u64(unsigned char* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t lit_u32(const unsigned char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::uint64_t lit_u64(const unsigned char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

std::uint32_t empreinte(const unsigned char* octets, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= octets[i];
    h *= 16777619u;
  }
  return h;
}

std::array<unsigned char, taille_entete_bloc> encode(const entete_bloc& e) {
  std::array<unsigned char, taille_entete_bloc> o{};
  std::memcpy(o.data(), marque_bloc.data(), 4);
  ecrit_u64(o.data() + 4, e.premier_tick);
  o[12] = static_cast<unsigned char>(e.trames);
  o[13] = static_cast<unsigned char>(e.trames >> 8);
  o[14] = static_cast<unsigned char>(e.code);
  o[15] = 0;
  ecrit_u32(o.data() + 16, e.taille_brute);
  ecrit_u32(o.data() + 20, e.taille_compressee);
  ecrit_u32(o.data() + 24, e.etendue);
  ecrit_u32(o.data() + 28, empreinte(o.data(), 28));
  return o;
}

bool decode(const unsigned char* o, entete_bloc& e) {
  if (std::memcmp(o, marque_bloc.data(), 4) != 0) return false;
  if (lit_u32(o + 28) != empreinte(o, 28)) return false;
  e.premier_tick = lit_u64(o + 4);
  e.trames = static_cast<std::uint16_t>(o[12] | (o[13] << 8));
  e.code = static_cast<codage>(o[14]);
  e.taille_brute = lit_u32(o + 16);
  e.taille_compressee = lit_u32(o + 20);
  e.etendue = lit_u32(o + 24);
  return true;
}

}  // namespace jeu::enregistrement
