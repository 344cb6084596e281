#include "net/ligne_commande.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu {
namespace {

std::optional<options> lit(std::vector<std::string> args) {
  args.insert(args.begin(), "serveur_jeu");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return lit_ligne_commande(static_cast<int>(argv.size()), argv.data());
}

TEST(LitEntier, AcceptedForms) {
  EXPECT_EQ(lit_entier("4000"), 4000);
  EXPECT_EQ(lit_entier("-12"), -12);
  EXPECT_EQ(lit_entier("0"), 0);
  EXPECT_EQ(lit_entier("-0"), 0);
  EXPECT_EQ(lit_entier("007"), 7);
  EXPECT_EQ(lit_entier("0x0FA0"), 4000);
  EXPECT_EQ(lit_entier("0XfA0"), 4000);
  EXPECT_EQ(lit_entier("0o17"), 15);
  EXPECT_EQ(lit_entier("0O17"), 15);
  EXPECT_EQ(lit_entier("0b101"), 5);
  EXPECT_EQ(lit_entier("0B1_0_1"), 5);
  EXPECT_EQ(lit_entier("12_345"), 12345);
  EXPECT_EQ(lit_entier("1__"), 1);
  EXPECT_EQ(lit_entier("-0x10"), -16);
  EXPECT_EQ(lit_entier("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(lit_entier("-9223372036854775808"), INT64_MIN);
}

TEST(LitEntier, RefusedForms) {
  for (const char* texte :
       {"", "-", "+4000", " 4000", "4000 ", "abc", "12a", "_1", "0x", "0x_1", "0b2", "0o8",
        "0xg", "1.5", "--1", "-_1", "9223372036854775808", "-9223372036854775809",
        "99999999999999999999", "0x1_0000_0000_0000_0000"}) {
    EXPECT_FALSE(lit_entier(texte).has_value()) << '"' << texte << '"';
  }
  EXPECT_FALSE(lit_entier(std::string_view("12\0", 3)).has_value());
}

TEST(LitLigneCommande, TableOfArguments) {
  const auto egal = [](std::optional<options> o, int port, bool debug) {
    return o && o->port == port && o->debug == debug;
  };
  EXPECT_TRUE(egal(lit({}), 12345, false));
  EXPECT_TRUE(egal(lit({"-debug"}), 12345, true));
  EXPECT_TRUE(egal(lit({"4000"}), 4000, false));
  EXPECT_TRUE(egal(lit({"0x0FA0"}), 4000, false));
  EXPECT_TRUE(egal(lit({"-debug", "4000"}), 4000, true));
  EXPECT_TRUE(egal(lit({"4000", "-debug"}), 4000, true));
  EXPECT_TRUE(egal(lit({"0"}), 0, false));
  EXPECT_TRUE(egal(lit({"65535"}), 65535, false));
  for (const std::vector<std::string>& mauvais : std::vector<std::vector<std::string>>{
           {"abc"}, {""}, {"12a"}, {" 4000"}, {"+4000"}, {"-debug", "-debug"},
           {"4000", "5000"}, {"1", "2", "3"}, {"-debug", "4000", "-debug"}, {"-DEBUG"},
           {"70000"}, {"-1"}, {"65536"}}) {
    EXPECT_FALSE(lit(mauvais).has_value()) << ::testing::PrintToString(mauvais);
  }
}

}  // namespace
}  // namespace jeu
