// The coding by differences gives back every frame byte for byte, whatever
// its lines, and codes the stream's own frames as differences.
#include "enregistrement/ecarts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace jeu::enregistrement {
namespace {

struct cas {
  const char* nom;
  std::vector<std::string> trames;  // of ticks 10, 11, 12...
};

std::vector<std::pair<std::uint64_t, std::string>> aller_retour(
    const std::vector<std::string>& textes, std::string* code = nullptr) {
  std::vector<trame_codee> trames;
  for (std::size_t i = 0; i < textes.size(); ++i) trames.push_back({10 + i, textes[i]});
  const std::string c = code_ecarts(trames);
  if (code) *code = c;
  return decode_ecarts(c, trames.size());
}

TEST(Ecarts, EveryFrameComesBackByteForByte) {
  const std::vector<cas> table = {
      {"ships and bullets moving, one fired, one gone",
       {"TICK 10 0\r\nPUT VAISSEAUX 2\r\n512 301 1.57 5 16711680\r\n87 640 4.71238898038 3 255\r\n"
        "PUT BALLES 2\r\n524 313 16711680\r\n90 600 255\r\nFIN TICK 10\r\n",
        "TICK 11 0\r\nPUT VAISSEAUX 2\r\n514 302 1.72 5 16711680\r\n87 640 4.71238898038 2 255\r\n"
        "PUT BALLES 3\r\n500 300 16711680\r\n527 315 16711680\r\n93 601 255\r\nFIN TICK 11\r\n",
        "TICK 12 3\r\nPUT VAISSEAUX 1\r\n516 303 1.72 5 16711680\r\n"
        "PUT BALLES 2\r\n503 302 16711680\r\n96 603 255\r\nFIN TICK 12\r\n"}},
      {"negative and huge numbers",
       {"TICK 10 0\r\nPUT BALLES 2\r\n-5 -9223372036854775808 -1\r\n9223372036854775807 0 0\r\n"
        "FIN TICK 10\r\n",
        "TICK 11 0\r\nPUT BALLES 2\r\n-2 -9223372036854775805 -1\r\n9223372036854775807 3 0\r\n"
        "FIN TICK 11\r\n"}},
      {"lines not in the server's form kept as text",
       {"TICK 10 0\r\nPUT BALLES 3\r\n-0 1 2\r\n+1 2 3\r\n01 2 3\r\nFIN TICK 10\r\n",
        "TICK 11 0\r\nPUT BALLES 1\r\n1 2 3\n4 5 6\r\nFIN TICK 11\r\n",
        "TICK 12 0\r\nPUT VAISSEAUX 1\r\n1 2  5 3\r\nPUT BALLES 1\r\n1 2 3 \r\nFIN TICK 12\r\n"}},
      {"unknown blocks, events, stray lines",
       {"TICK 10 0\r\nPUT SCORES 1 x\r\n1 2 3\r\nPUT EVENEMENTS 1 0\r\n10 ARRIVE 5\r\n"
        "du texte\r\nPUT BALLES 0\r\nFIN TICK 10\r\n"}},
      {"frames that are no frames",
       {"", "x", "TICK 11 0\r\nFIN TICK 12\r\n", "TICK 12 0\r\nPUT BALLES 5\r\nFIN TICK 12\r\n",
        "TICK 13 00\r\nFIN TICK 13\r\n", "TICK 14 0\r\nFIN TICK 14", "\r\n\r\n",
        "TICK 15 0\r\nPUT BALLES 1\r\n1 2 3\r\nFIN TICK 15\r\n"}},
  };
  for (const cas& c : table) {
    const auto relues = aller_retour(c.trames);
    ASSERT_EQ(relues.size(), c.trames.size()) << c.nom;
    for (std::size_t i = 0; i < relues.size(); ++i) {
      EXPECT_EQ(relues[i].first, 10 + i) << c.nom;
      EXPECT_EQ(relues[i].second, c.trames[i]) << c.nom << ", frame " << i;
    }
  }
}

// Bullets flying straight for 40 ticks, some fired and some gone on the
// way, as the stream shows them: each costs a few bytes a tick at most.
TEST(Ecarts, StraightBulletsCostLittle) {
  std::mt19937_64 alea(3);
  struct b {
    double x, y, dx, dy;
    long couleur;
  };
  std::vector<b> balles;
  std::vector<std::string> textes;
  std::size_t taille_textes = 0;
  for (int t = 0; t < 40; ++t) {
    for (int k = 0; k < 5; ++k) {
      const double a = static_cast<double>(alea() % 628) / 100.0;
      balles.insert(balles.begin(), {static_cast<double>(100 + alea() % 700),
                                     static_cast<double>(100 + alea() % 700), 3.5 * std::cos(a),
                                     3.5 * std::sin(a), static_cast<long>(alea() % 50)});
    }
    if (balles.size() > 300) balles.erase(balles.begin() + 150);
    std::string s = "TICK " + std::to_string(10 + t) + " 0\r\nPUT BALLES " +
                    std::to_string(balles.size()) + "\r\n";
    for (b& x : balles) {
      x.x += x.dx;
      x.y += x.dy;
      s += std::to_string(static_cast<long>(x.x)) + ' ' + std::to_string(static_cast<long>(x.y)) +
           ' ' + std::to_string(x.couleur) + "\r\n";
    }
    s += "FIN TICK " + std::to_string(10 + t) + "\r\n";
    taille_textes += s.size();
    textes.push_back(std::move(s));
  }
  std::string code;
  const auto relues = aller_retour(textes, &code);
  for (std::size_t i = 0; i < textes.size(); ++i) EXPECT_EQ(relues[i].second, textes[i]);
  // About 7,000 bullet lines: found again, each is an operation and two
  // small numbers, against 10 to 15 bytes of text.
  EXPECT_LT(code.size() * 3, taille_textes) << code.size() << " of " << taille_textes;
}

TEST(Ecarts, DamagedCodingIsRefused) {
  std::string code;
  aller_retour({"TICK 10 0\r\nPUT BALLES 1\r\n1 2 3\r\nFIN TICK 10\r\n"}, &code);
  EXPECT_THROW(decode_ecarts(code, 2), std::runtime_error);
  EXPECT_THROW(decode_ecarts(code.substr(0, code.size() - 1), 1), std::runtime_error);
  EXPECT_THROW(decode_ecarts(code + "x", 1), std::runtime_error);
  EXPECT_THROW(decode_ecarts("", 1), std::runtime_error);
}

}  // namespace
}  // namespace jeu::enregistrement
