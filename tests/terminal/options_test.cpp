#include "terminal/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace jeu::terminal {
namespace {

std::variant<options, sortie_immediate> lit(std::vector<std::string> args) {
  args.insert(args.begin(), "jeu-terminal");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return lit_options(static_cast<int>(argv.size()), argv.data());
}

TEST(Options, Colours) {
  const struct {
    const char* texte;
    std::optional<std::int64_t> attendu;
  } cas[] = {
      {"0xFF0000", 0xFF0000},
      {"0Xff0000", 0xFF0000},
      {"16711680", 16711680},
      {"0255", 255},  // decimal, not octal
      {"0", 0},
      {"-5", -5},
      {"0x7FFFFFFFFFFFFFFF", INT64_MAX},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"0x-1", std::nullopt},
      {"0x+1", std::nullopt},
      {"+5", std::nullopt},
      {"red", std::nullopt},
      {"12 ", std::nullopt},
      {"0xFFG", std::nullopt},
      {"0x8000000000000000", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : cas) EXPECT_EQ(lit_couleur(c.texte), c.attendu) << '"' << c.texte << '"';
}

TEST(Options, CommandLines) {
  const struct {
    std::vector<std::string> args;
    std::string hote;
    int port;
    std::optional<std::int64_t> couleur;
    bool spectateur;
    double ips;
  } cas[] = {
      {{}, "127.0.0.1", 12345, std::nullopt, false, 30},
      {{"--couleur", "0xFF0000"}, "127.0.0.1", 12345, 0xFF0000, false, 30},
      {{"jeu.example", "4000", "-c", "255"}, "jeu.example", 4000, 255, false, 30},
      {{"localhost", "--spectateur"}, "localhost", 12345, std::nullopt, true, 30},
      {{"-s", "--ips", "0"}, "127.0.0.1", 12345, std::nullopt, true, 0},
      {{"--ips", "60", "::1", "7000"}, "::1", 7000, std::nullopt, false, 60},
  };
  for (const auto& c : cas) {
    const auto lu = lit(c.args);
    ASSERT_TRUE(std::holds_alternative<options>(lu)) << testing::PrintToString(c.args);
    const options& o = std::get<options>(lu);
    EXPECT_EQ(o.hote, c.hote);
    EXPECT_EQ(o.port, c.port);
    EXPECT_EQ(o.couleur, c.couleur);
    EXPECT_EQ(o.spectateur, c.spectateur);
    EXPECT_EQ(o.images_par_seconde, c.ips);
  }
}

TEST(Options, UsageErrorsAndHelp) {
  for (const std::vector<std::string>& mauvais : std::vector<std::vector<std::string>>{
           {"--couleur", "red"},
           {"--couleur", "0xFF", "--spectateur"},  // a spectator has no ship
           {"h", "70000"},
           {"h", "0"},
           {"h", "port"},
           {"--ips", "-1"},
           {"h", "1", "extra"},
           {"--inconnue"}}) {
    const auto lu = lit(mauvais);
    ASSERT_TRUE(std::holds_alternative<sortie_immediate>(lu)) << testing::PrintToString(mauvais);
    EXPECT_NE(std::get<sortie_immediate>(lu).code, 0);
    EXPECT_FALSE(std::get<sortie_immediate>(lu).texte.empty());
  }
  const auto aide = lit({"--help"});
  ASSERT_TRUE(std::holds_alternative<sortie_immediate>(aide));
  EXPECT_EQ(std::get<sortie_immediate>(aide).code, 0);
  EXPECT_NE(std::get<sortie_immediate>(aide).texte.find("--spectateur"), std::string::npos);
}

}  // namespace
}  // namespace jeu::terminal
