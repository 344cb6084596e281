#include "echec.h"

#include <cstdio>
#include <cstdlib>

namespace jeu::fuzz {

void echec(const char* quoi, std::string_view detail) {
  std::fprintf(stderr, "fuzz_session: %s\n", quoi);
  if (!detail.empty()) {
    std::fprintf(stderr, "  [");
    for (unsigned char c : detail.substr(0, 600)) {
      if (c >= 0x20 && c < 0x7f) std::fputc(c, stderr);
      else std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "]\n");
  }
  std::abort();
}

}  // namespace jeu::fuzz
