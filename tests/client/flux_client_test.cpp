// The tick stream's frames: parsed from their text, and cut from a byte
// stream by their blocks, well made and malformed.
#include "client/flux.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace jeu_client {
namespace {

// A frame as text, to compare with the table, or "!" + the error's message.
std::string resume(std::string_view texte) {
  try {
    const trame_flux t = lit_trame_flux(texte);
    std::ostringstream o;
    o.precision(12);
    o << t.tick << '/' << t.ticks_perdus << " V";
    for (const auto& v : t.vaisseaux)
      o << '(' << v.x << ' ' << v.y << ' ' << v.angle << ' ' << v.pt_vie << ' ' << v.couleur << ')';
    o << " B";
    for (const auto& b : t.balles) o << '(' << b.x << ' ' << b.y << ' ' << b.couleur << ')';
    o << " E" << t.evenements_manques;
    for (const auto& e : t.evenements) o << '[' << e << ']';
    return o.str();
  } catch (const erreur& e) {
    EXPECT_EQ(e.quoi(), erreur::sorte::inattendue);
    return std::string("!") + e.what();
  }
}

struct cas {
  const char* nom;
  std::string texte;
  std::string attendu;  // resume(), or "!" + a part of the error's message
};

TEST(TrameFlux, ParsesEveryBlockAndRefusesWhatIsOutOfPlace) {
  const std::string navires = "PUT VAISSEAUX 2\r\n512 301 1.57 5 16711680\r\n-3 4 0. 1 -7\r\n";
  const std::string balles = "PUT BALLES 1\r\n524 313 16711680\r\n";
  const std::vector<cas> table = {
      {"empty world", "TICK 1 0\r\nPUT VAISSEAUX 0\r\nPUT BALLES 0\r\nFIN TICK 1\r\n",
       "1/0 V B E0"},
      {"ships and bullets", "TICK 42 3\r\n" + navires + balles + "FIN TICK 42\r\n",
       "42/3 V(512 301 1.57 5 16711680)(-3 4 0 1 -7) B(524 313 16711680) E0"},
      {"events kept as lines",
       "TICK 1200 0\r\n" + navires +
           "PUT EVENEMENTS 2 5\r\n1200 TOUCHE 16711680 255 0\r\n1200 PART 255 detruit\r\n"
           "FIN TICK 1200\r\n",
       "1200/0 V(512 301 1.57 5 16711680)(-3 4 0 1 -7) B E5[1200 TOUCHE 16711680 255 0][1200 "
       "PART 255 detruit]"},
      {"unknown blocks skipped, their lines unread",
       "TICK 7 0\r\nPUT SCORES 2 x y\r\nFIN TICK 7\r\nwhatever\r\nPUT RIEN 0\r\n" + balles +
           "FIN TICK 7\r\n",
       "7/0 V B(524 313 16711680) E0"},
      {"no block at all", "TICK 18446744073709551615 0\r\nFIN TICK 18446744073709551615\r\n",
       "18446744073709551615/0 V B E0"},
      {"no TICK line", navires + "FIN TICK 1\r\n", "!unexpected stream frame (TICK line expected)"},
      {"TICK without lost count", "TICK 5\r\nFIN TICK 5\r\n", "!(TICK line)"},
      {"negative tick", "TICK -5 0\r\nFIN TICK -5\r\n", "!(TICK line)"},
      {"tick with a sign", "TICK +5 0\r\nFIN TICK 5\r\n", "!(TICK line)"},
      {"TICK field beyond 64 bits", "TICK 18446744073709551616 0\r\nFIN TICK 0\r\n",
       "!(TICK line)"},
      {"LF without CR", "TICK 5 0\nFIN TICK 5\r\n", "!(TICK line)"},
      {"FIN TICK of another tick", "TICK 5 0\r\nFIN TICK 6\r\n", "!(FIN TICK 5 expected)"},
      {"no FIN TICK", "TICK 5 0\r\n" + balles, "!incomplete stream frame"},
      {"last line cut", "TICK 5 0\r\nFIN TICK 5", "!(line without an end)"},
      {"bytes after FIN TICK", "TICK 5 0\r\nFIN TICK 5\r\nTICK", "!(bytes after FIN TICK)"},
      {"a line that is no block", "TICK 5 0\r\nVAISSEAUX 0\r\nFIN TICK 5\r\n",
       "!(block or FIN TICK expected)"},
      {"block without count", "TICK 5 0\r\nPUT BALLES\r\nFIN TICK 5\r\n", "!(block header)"},
      {"known block with extra field", "TICK 5 0\r\nPUT BALLES 0 1\r\nFIN TICK 5\r\n",
       "!(block header)"},
      {"events without missed count", "TICK 5 0\r\nPUT EVENEMENTS 0\r\nFIN TICK 5\r\n",
       "!(block header)"},
      {"block announcing too many lines", "TICK 5 0\r\nPUT BALLES 1000001\r\nFIN TICK 5\r\n",
       "!lines announced"},
      {"fewer ship lines than announced",
       "TICK 5 0\r\nPUT VAISSEAUX 2\r\n1 2 0. 5 3\r\nFIN TICK 5\r\n",
       "!(VAISSEAUX line 2 of 2)"},
      {"bullet line with a ship's fields", "TICK 5 0\r\nPUT BALLES 1\r\n1 2 0. 5 3\r\nFIN TICK 5\r\n",
       "!(BALLES line 1 of 1)"},
      {"ship angle without its dot", "TICK 5 0\r\nPUT VAISSEAUX 1\r\n1 2 0 5 3\r\nFIN TICK 5\r\n",
       "!(VAISSEAUX line 1 of 1)"},
  };
  for (const cas& c : table) {
    const std::string r = resume(c.texte);
    if (c.attendu.starts_with('!')) {
      EXPECT_TRUE(r.starts_with('!') && r.find(c.attendu.substr(1)) != std::string::npos)
          << c.nom << ": " << r;
    } else {
      EXPECT_EQ(r, c.attendu) << c.nom;
    }
  }
}

// Frames cut from a byte stream given `morceau` bytes at a time.
std::vector<std::string> decoupe(const std::string& octets, std::size_t morceau, std::size_t n,
                                 std::string* reste) {
  std::string tampon;
  std::size_t donne = 0;
  std::vector<std::string> trames;
  for (std::size_t i = 0; i < n; ++i) {
    interne::source_lignes lignes(tampon, [&](std::string& t) {
      if (donne == octets.size()) return false;
      t += octets.substr(donne, morceau);
      donne = std::min(octets.size(), donne + morceau);
      return true;
    });
    trames.push_back(interne::lit_texte_trame(lignes));
  }
  *reste = tampon + octets.substr(donne);
  return trames;
}

TEST(TrameFlux, StreamIsCutByBlocksWhateverTheReads) {
  // The unknown block's lines look like an end of frame: only its count says
  // where it ends.
  const std::string une = "TICK 9 0\r\nPUT DIVERS 2\r\nFIN TICK 9\r\nTICK 10 0\r\nFIN TICK 9\r\n";
  const std::string deux = "TICK 11 1\r\nPUT BALLES 1\r\n1 2 3\r\nFIN TICK 11\r\n";
  const std::string suite = "TICK 12 0\r\nPUT";
  for (std::size_t morceau : {1u, 3u, 17u, 1000u}) {
    std::string reste;
    const auto trames = decoupe(une + deux + suite, morceau, 2, &reste);
    ASSERT_EQ(trames.size(), 2u);
    EXPECT_EQ(trames[0], une) << morceau;
    EXPECT_EQ(trames[1], deux) << morceau;
    EXPECT_EQ(reste, suite) << morceau;
    EXPECT_EQ(lit_trame_flux(trames[1]).balles.size(), 1u);
  }
}

TEST(TrameFlux, StreamEndingInsideAFrameIsAnError) {
  const std::string frame = "TICK 3 0\r\nPUT BALLES 2\r\n1 2 3\r\n4 5 6\r\nFIN TICK 3\r\n";
  for (std::size_t coupe = 0; coupe < frame.size(); ++coupe) {
    std::string reste;
    try {
      decoupe(frame.substr(0, coupe), 7, 1, &reste);
      ADD_FAILURE() << "a frame cut at " << coupe << " was taken";
    } catch (const erreur& e) {
      EXPECT_EQ(e.quoi(), erreur::sorte::fermee) << coupe;
    }
  }
  std::string reste;
  try {
    decoupe("TICK 3 0\r\nPUT BALLES 1\r\n1 2 3\r\nFIN TICK 4\r\n", 5, 1, &reste);
    ADD_FAILURE() << "a FIN TICK of another tick was taken";
  } catch (const erreur& e) {
    EXPECT_EQ(e.quoi(), erreur::sorte::inattendue);
  }
}

}  // namespace
}  // namespace jeu_client
