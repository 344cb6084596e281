#include "net/journal_refus.h"

#include <gtest/gtest.h>

#include <string>

namespace jeu {
namespace {

const std::string plus_journalises =
    "erreur client: trop de refus, les suivants de cette connexion ne sont pas journalises\n";

TEST(JournalRefus, NothingToSayWithinTheBudget) {
  journal_refus j;
  for (int k = 1; k <= refus_journalises_max; ++k) {
    EXPECT_EQ(j.note("erreur client: " + std::to_string(k) + "\n"),
              "erreur client: " + std::to_string(k) + "\n");
  }
  EXPECT_EQ(j.bilan(), "");
}

TEST(JournalRefus, BeyondTheBudgetOneLineThenTheCountAtTheEnd) {
  struct cas {
    int refus;
    std::string bilan;
  };
  for (const cas& c : {cas{21, "erreur client: 1 refus de cette connexion non journalises\n"},
                       cas{22, "erreur client: 2 refus de cette connexion non journalises\n"},
                       cas{1000, "erreur client: 980 refus de cette connexion non journalises\n"}}) {
    journal_refus j;
    std::string journal;
    for (int k = 0; k < c.refus; ++k) journal += j.note("erreur client: GET CUBES\r\n");
    std::string attendu;
    for (int k = 0; k < refus_journalises_max; ++k) attendu += "erreur client: GET CUBES\r\n";
    EXPECT_EQ(journal, attendu + plus_journalises) << c.refus;
    EXPECT_EQ(j.bilan(), c.bilan) << c.refus;
  }
}

}  // namespace
}  // namespace jeu
