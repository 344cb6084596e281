#include "net/echappement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu {
namespace {

using namespace std::string_literals;

TEST(Echappe, WhatPassesAndWhatIsEscaped) {
  struct cas {
    std::string octets;
    std::string journal;
  };
  for (const cas& c : std::vector<cas>{
           {"", ""},
           {"GET STATUT\r", "GET STATUT\r"},
           {"PUT COULEUR VAISSEAU 5 ", "PUT COULEUR VAISSEAU 5 "},
           {"~!\"#\\x41", "~!\"#\\x41"},  // a backslash is written as it is
           {"\x1b[2J\x1b[31m...\rerreur client: forged\r",
            "\\x1b[2J\\x1b[31m...\\x0derreur client: forged\r"},
           {"a\r\r", "a\\x0d\r"},
           {"\r", "\r"},
           {"a\0b"s, "a\\x00b"},
           {"\t\x7f\x01", "\\x09\\x7f\\x01"},
           {"\n", "\\x0a"},
           // Valid UTF-8 of printable characters: as it came.
           {"vaisseau \xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x80", "vaisseau \xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x9a\x80"},
           {"\xc2\xa0", "\xc2\xa0"},  // U+00A0, the first after the C1 controls
           // C1 controls, encoded or raw.
           {"\xc2\x9b" "31m", "\\xc2\\x9b31m"},
           {"\x9b" "31m", "\\x9b31m"},
           // Not UTF-8: lone continuation, overlong forms, surrogates, beyond
           // U+10FFFF, cut sequences, bytes that never start one.
           {"\x80", "\\x80"},
           {"\xc0\xaf", "\\xc0\\xaf"},
           {"\xe0\x80\xaf", "\\xe0\\x80\\xaf"},
           {"\xed\xa0\x80", "\\xed\\xa0\\x80"},
           {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
           {"\xe2\x82", "\\xe2\\x82"},
           {"\xe2\x82" "A", "\\xe2\\x82" "A"},
           {"\xfe\xff", "\\xfe\\xff"},
       }) {
    EXPECT_EQ(echappe(c.octets), c.journal) << ::testing::PrintToString(c.octets);
  }
}

// Whatever comes, the text holds no control byte but a final CR, and is
// valid UTF-8 (checked by escaping it again: nothing changes).
TEST(Echappe, EveryByteValueGivesOneSafeLine) {
  std::string tous;
  for (int c = 0; c < 256; ++c) tous += static_cast<char>(c);
  for (const std::string& octets : {tous, tous + "\r", "\xe2" + tous}) {
    const std::string texte = echappe(octets);
    for (std::size_t k = 0; k + 1 < texte.size(); ++k) {
      const auto c = static_cast<unsigned char>(texte[k]);
      EXPECT_TRUE(c >= 0x20 && c != 0x7f) << "byte " << int(c) << " at " << k;
    }
    EXPECT_EQ(echappe(texte), texte);
  }
}

}  // namespace
}  // namespace jeu
