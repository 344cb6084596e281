// The command line of jeu-spectateur.
#include "spectateur/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace jeu::spectateur {
namespace {

std::variant<options, sortie_immediate> lit(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "jeu-spectateur");
  return lit_options(static_cast<int>(arguments.size()), arguments.data());
}

TEST(SpectateurOptions, ValuesAndDefaults) {
  const struct {
    std::vector<const char*> arguments;
    std::string hote;
    int port, http;
  } cas[] = {
      {{}, "127.0.0.1", 12345, 8080},
      {{"--serveur", "jeu.example:4000", "--http", "0"}, "jeu.example", 4000, 0},
      {{"--serveur", "[::1]:12345"}, "::1", 12345, 8080},
      {{"--http", "9000", "--serveur", "10.0.0.2:65535"}, "10.0.0.2", 65535, 9000},
  };
  for (const auto& c : cas) {
    const auto r = lit(c.arguments);
    ASSERT_TRUE(std::holds_alternative<options>(r)) << std::get<sortie_immediate>(r).texte;
    const auto& o = std::get<options>(r);
    EXPECT_EQ(o.hote, c.hote);
    EXPECT_EQ(o.port, c.port);
    EXPECT_EQ(o.http, c.http);
  }
}

TEST(SpectateurOptions, ErrorsNameWhatIsWrong) {
  const struct {
    std::vector<const char*> arguments;
    const char* message;
  } cas[] = {
      {{"--serveur", "127.0.0.1"}, "expected host:port"},
      {{"--serveur", ":12345"}, "no host"},
      {{"--serveur", "h:0"}, "1..65535"},
      {{"--serveur", "h:12x"}, "1..65535"},
      {{"--serveur", "::1:12345"}, "in brackets"},
      {{"--http", "70000"}, "--http"},
      {{"--vues", "0"}, "--vues"},
      {{"--frequence", "1000"}, "--frequence"},
  };
  for (const auto& c : cas) {
    const auto r = lit(c.arguments);
    ASSERT_TRUE(std::holds_alternative<sortie_immediate>(r)) << c.message;
    const auto& s = std::get<sortie_immediate>(r);
    EXPECT_NE(s.code, 0);
    EXPECT_NE(s.texte.find(c.message), std::string::npos) << s.texte;
  }
}

}  // namespace
}  // namespace jeu::spectateur
