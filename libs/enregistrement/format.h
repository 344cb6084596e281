#pragma once

// The recording file's layout, shared by its writer and its reader
// (docs/enregistrement.md gives it byte by byte). Every integer is
// little-endian.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace jeu::enregistrement {

// The file starts with these 8 bytes, then the version (u32) and 4 zero bytes.
inline constexpr std::string_view signature = "JEUFLUX\x1a";
inline constexpr std::size_t taille_entete_fichier = 16;
// The version this code writes, and the newest it reads.
inline constexpr std::uint32_t version_format = 1;

// Each chunk starts with this 4-byte mark, then its header's fields, then
// its compressed bytes.
inline constexpr std::string_view marque_bloc = "BLOC";
inline constexpr std::size_t taille_entete_bloc = 32;

// How a chunk's frames are laid out before compression.
enum class codage : std::uint8_t {
  textes = 0,  // per frame (tick u64, length u32), then the texts one after the other
  ecarts = 1,  // each item as its difference from the previous frame (enregistrement/ecarts.h)
};

struct entete_bloc {
  std::uint64_t premier_tick = 0;
  std::uint16_t trames = 0;
  codage code = codage::textes;
  std::uint32_t taille_brute = 0;      // bytes before compression
  std::uint32_t taille_compressee = 0;  // bytes that follow the header
  std::uint32_t etendue = 0;           // last tick - first tick
};

// The header's 32 bytes, its checksum included.
std::array<unsigned char, taille_entete_bloc> encode(const entete_bloc& e);
// The header from its 32 bytes; false when the mark or the checksum is wrong.
bool decode(const unsigned char* octets, entete_bloc& e);

// FNV-1a, 32 bits: the header's checksum (the compressed bytes carry
// zstd's own).
std::uint32_t empreinte(const unsigned char* octets, std::size_t n);

void ecrit_u32(unsigned char* p, std::uint32_t v);
void ecrit_u64(unsigned char* p, std::uint64_t v);
std::uint32_t lit_u32(const unsigned char* p);
std::uint64_t lit_u64(const unsigned char* p);

}  // namespace jeu::enregistrement
