#pragma once

// The "ecarts" coding of a chunk's frames, before compression: each ship
// and bullet line is written as its difference from the same item in the
// previous frame of the chunk (found again by colour and place, the lists
// keeping their order), after a prediction that it moves as it moved
// (bullets fly straight), so most items cost a byte or two of near-zero
// numbers that zstd then packs tight. The chunk's first frame is coded
// against nothing: every chunk decodes alone. Lines the coding does not
// know (other blocks, any line not in the server's exact form) are kept as
// text, so any frame comes back byte for byte.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jeu::enregistrement {

struct trame_codee {
  std::uint64_t tick;
  std::string_view texte;
};

// The chunk's frames coded. Lossless for any text: decode_ecarts gives
// back the same ticks and texts.
std::string code_ecarts(const std::vector<trame_codee>& trames);

// The `nombre` frames of a chunk coded by code_ecarts: their ticks and
// texts. Throws std::runtime_error when `octets` is not such a coding.
std::vector<std::pair<std::uint64_t, std::string>> decode_ecarts(std::string_view octets,
                                                                 std::size_t nombre);

}  // namespace jeu::enregistrement
