#include "net/ligne_commande.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu {
namespace {

std::optional<options> lit(std::vector<std::string> args, std::string* erreur = nullptr) {
  args.insert(args.begin(), "serveur_jeu");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return lit_ligne_commande(static_cast<int>(argv.size()), argv.data(), erreur);
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
           {"70000"}, {"-1"}, {"65536"}, {"1", "2", "3", "4"}}) {
    std::string erreur = "unchanged";
    EXPECT_FALSE(lit(mauvais, &erreur).has_value()) << ::testing::PrintToString(mauvais);
    EXPECT_EQ(erreur, "") << "no option was wrong: " << ::testing::PrintToString(mauvais);
  }
}

TEST(LitLigneCommande, OptionsAnywhereBesideTheOldGrammar) {
  const adresse_ip toutes{};
  const adresse_ip locale2 = *lit_adresse_ip("127.0.0.2");
  const adresse_ip v6 = *lit_adresse_ip("::1");
  struct cas {
    std::vector<std::string> args;
    int port;
    bool debug;
    adresse_ip adresse;
  };
  for (const cas& c : std::vector<cas>{
           {{}, 12345, false, toutes},
           {{"--adresse", "127.0.0.2"}, 12345, false, locale2},
           {{"--adresse=127.0.0.2"}, 12345, false, locale2},
           {{"4000", "--adresse", "::1", "-debug"}, 4000, true, v6},
           {{"--adresse", "::1", "-debug", "4000"}, 4000, true, v6},
           {{"-debug", "--adresse=127.0.0.2"}, 12345, true, locale2},
           {{"--adresse", "::1", "--adresse", "127.0.0.2"}, 12345, false, locale2},
       }) {
    const std::optional<options> o = lit(c.args);
    ASSERT_TRUE(o) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->port, c.port) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->debug, c.debug) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->adresse, c.adresse) << ::testing::PrintToString(c.args);
  }
}

TEST(LitLigneCommande, Delays) {
  struct cas {
    std::vector<std::string> args;
    std::chrono::seconds inscription;
    std::chrono::seconds ecriture;
  };
  using std::chrono::seconds;
  for (const cas& c : std::vector<cas>{
           {{}, seconds(30), seconds(30)},
           {{"--delai-inscription", "5"}, seconds(5), seconds(30)},
           {{"4000", "--delai-inscription=0"}, seconds(0), seconds(30)},
           {{"--delai-inscription", "86400", "-debug"}, seconds(86400), seconds(30)},
           {{"--delai-ecriture", "1", "--delai-inscription", "2"}, seconds(2), seconds(1)},
           {{"--delai-ecriture=0"}, seconds(30), seconds(0)},
       }) {
    const std::optional<options> o = lit(c.args);
    ASSERT_TRUE(o) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->delai_inscription, c.inscription) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->delai_ecriture, c.ecriture) << ::testing::PrintToString(c.args);
  }
  EXPECT_EQ(lit({})->attente_max_par_adresse, 64);
  EXPECT_EQ(lit({"--attente-max-par-adresse", "0"})->attente_max_par_adresse, 0);
  EXPECT_EQ(lit({"--attente-max-par-adresse=1000000"})->attente_max_par_adresse, 1000000);
  for (const std::string mauvais : {"-1", "1000001", "", "x"}) {
    std::string erreur;
    EXPECT_FALSE(lit({"--attente-max-par-adresse", mauvais}, &erreur).has_value()) << mauvais;
    EXPECT_EQ(erreur, "--attente-max-par-adresse attend un nombre de 0 a 1000000, pas '" +
                          mauvais + "'");
  }
  for (const std::string option : {"--delai-inscription", "--delai-ecriture"}) {
    for (const std::string mauvais : {"-1", "86401", "", "1.5", "2s"}) {
      std::string erreur;
      EXPECT_FALSE(lit({option, mauvais}, &erreur).has_value()) << option << mauvais;
      EXPECT_EQ(erreur, option + " attend un nombre de secondes de 0 a 86400, pas '" + mauvais +
                            "'");
    }
  }
}

// The database options leave the port and -debug read as without them; a
// path that looks like a port or like -debug is a path.
TEST(LitLigneCommande, ScoresOptions) {
  struct cas {
    std::vector<std::string> args;
    int port;
    bool debug;
    std::string base;
    std::size_t max;
  };
  for (const cas& c : std::vector<cas>{
           {{}, 12345, false, "", 100000},
           {{"--scores", "s.db"}, 12345, false, "s.db", 100000},
           {{"4000", "--scores", "4001", "-debug"}, 4000, true, "4001", 100000},
           {{"--scores", "-debug", "4000"}, 4000, false, "-debug", 100000},
           {{"-debug", "--scores=/tmp/a b.db", "--scores-max", "0"}, 12345, true, "/tmp/a b.db", 0},
           {{"--scores-max=10000000", "5000"}, 5000, false, "", 10000000},
       }) {
    const std::optional<options> o = lit(c.args);
    ASSERT_TRUE(o) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->port, c.port) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->debug, c.debug) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->base_scores, c.base) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o->scores_max, c.max) << ::testing::PrintToString(c.args);
  }
  for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--scores"}, "--scores attend une valeur"},
           {{"--scores="}, "--scores attend le chemin d'un fichier"},
           {{"--scores-max", "-1"}, "--scores-max attend un nombre de 0 a 10000000, pas '-1'"},
           {{"--scores-max", "10000001"},
            "--scores-max attend un nombre de 0 a 10000000, pas '10000001'"},
       }) {
    std::string erreur;
    EXPECT_FALSE(lit(args, &erreur).has_value()) << ::testing::PrintToString(args);
    EXPECT_EQ(erreur, message);
  }
}

// A malformed option is named; the old grammar still applies to the rest.
TEST(LitLigneCommande, MalformedOptionsAreNamed) {
  struct cas {
    std::vector<std::string> args;
    std::string erreur;
  };
  for (const cas& c : std::vector<cas>{
           {{"--adresse"}, "--adresse attend une valeur"},
           {{"4000", "--adresse", "localhost"},
            "--adresse attend une adresse IPv4 ou IPv6, pas 'localhost'"},
           {{"--adresse="}, "--adresse attend une adresse IPv4 ou IPv6, pas ''"},
           {{"--adresse", "127.0.0.256"},
            "--adresse attend une adresse IPv4 ou IPv6, pas '127.0.0.256'"},
           {{"--port", "4000"}, "option inconnue : --port"},
           {{"--debug"}, "option inconnue : --debug"},
           {{"--"}, "option inconnue : --"},
           {{"--1"}, "option inconnue : --1"},
       }) {
    std::string erreur;
    EXPECT_FALSE(lit(c.args, &erreur).has_value()) << ::testing::PrintToString(c.args);
    EXPECT_EQ(erreur, c.erreur) << ::testing::PrintToString(c.args);
  }
  // Options well formed, the rest not: the old usage error.
  std::string erreur = "unchanged";
  EXPECT_FALSE(lit({"--adresse", "::1", "4000", "5000"}, &erreur).has_value());
  EXPECT_EQ(erreur, "");
}

TEST(AdresseIp, TextAndSocketAddresses) {
  EXPECT_FALSE(lit_adresse_ip("").has_value());
  EXPECT_FALSE(lit_adresse_ip("localhost").has_value());
  EXPECT_FALSE(lit_adresse_ip(std::string_view("::1\0", 4)).has_value());
  EXPECT_FALSE(lit_adresse_ip("[::1]").has_value());
  for (const char* texte : {"0.0.0.0", "127.0.0.2", "::", "::1", "2001:db8::7"}) {
    const std::optional<adresse_ip> a = lit_adresse_ip(texte);
    ASSERT_TRUE(a) << texte;
    EXPECT_EQ(texte_adresse(*a), texte);
    sockaddr_storage sa;
    adresse_socket(*a, 4000, sa);
    EXPECT_EQ(adresse_de(sa), *a) << texte;
  }
  // An IPv4 client of an IPv6 socket is the IPv4 host it is.
  sockaddr_storage sa;
  adresse_socket(*lit_adresse_ip("::ffff:127.0.0.2"), 4000, sa);
  EXPECT_EQ(adresse_de(sa), *lit_adresse_ip("127.0.0.2"));
  EXPECT_EQ(texte_adresse(adresse_de(sa)), "127.0.0.2");
}

}  // namespace
}  // namespace jeu
