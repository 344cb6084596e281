// The command line: what is accepted, and every bad value refused.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <variant>
#include <vector>

#include "charge/options.h"

namespace jeu::charge {
namespace {

std::variant<options, sortie_immediate> lit(std::vector<std::string> args) {
  args.insert(args.begin(), "jeu-charge");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return lit_options(static_cast<int>(argv.size()), argv.data());
}

TEST(Options, Defaults) {
  const auto r = lit({});
  ASSERT_TRUE(std::holds_alternative<options>(r));
  const options& o = std::get<options>(r);
  EXPECT_EQ(o.adresse, "127.0.0.1");
  EXPECT_EQ(o.port, 12345);
  EXPECT_EQ(o.pipeline, 1);
  EXPECT_EQ(o.debit, 0);
  EXPECT_TRUE(o.enregistrement);
  EXPECT_EQ(o.requetes, std::vector<std::string>{"GET STATUT"});
}

TEST(Options, EverythingSet) {
  const auto r = lit({"-a", "127.0.0.2", "-p", "6390", "-c", "1000", "-d", "2.5", "--montee", "1",
                      "--debit", "200", "-k", "16", "-r", "GET VAISSEAUX", "--requete",
                      "PUT ACTION TIRE", "-r", "GET STATUT", "--sans-enregistrement", "--couleur",
                      "-7", "--delai-fin", "0", "-q", "--sources", "1000"});
  ASSERT_TRUE(std::holds_alternative<options>(r)) << std::get<sortie_immediate>(r).texte;
  const options& o = std::get<options>(r);
  EXPECT_EQ(o.adresse, "127.0.0.2");
  EXPECT_EQ(o.port, 6390);
  EXPECT_EQ(o.connexions, 1000);
  EXPECT_EQ(o.sources, 1000);
  EXPECT_DOUBLE_EQ(o.duree, 2.5);
  EXPECT_DOUBLE_EQ(o.montee, 1);
  EXPECT_DOUBLE_EQ(o.debit, 200);
  EXPECT_EQ(o.pipeline, 16);
  EXPECT_EQ(o.requetes,
            (std::vector<std::string>{"GET VAISSEAUX", "PUT ACTION TIRE", "GET STATUT"}));
  EXPECT_FALSE(o.enregistrement);
  EXPECT_EQ(o.couleur, -7);
  EXPECT_EQ(o.delai_fin, 0);
  EXPECT_FALSE(o.progression);
}

TEST(Options, HelpIsNotAnError) {
  const auto r = lit({"--help"});
  ASSERT_TRUE(std::holds_alternative<sortie_immediate>(r));
  EXPECT_EQ(std::get<sortie_immediate>(r).code, 0);
  EXPECT_NE(std::get<sortie_immediate>(r).texte.find("--pipeline"), std::string::npos);
}

struct refus {
  const char* pourquoi;
  std::vector<std::string> args;
};

void PrintTo(const refus& r, std::ostream* os) { *os << r.pourquoi; }

const std::vector<refus> refus_table = {
    {"no connection", {"-c", "0"}},
    {"connections not a number", {"-c", "dix"}},
    {"negative connections", {"-c", "-3"}},
    {"port 0", {"-p", "0"}},
    {"port too large", {"-p", "65536"}},
    {"zero duration", {"-d", "0"}},
    {"negative duration", {"-d", "-1"}},
    {"duration not a number", {"-d", "1s"}},
    {"zero rate", {"--debit", "0"}},
    {"negative rate", {"--debit", "-5"}},
    {"pipeline 0", {"-k", "0"}},
    {"no source address", {"--sources", "0"}},
    {"negative ramp", {"--montee", "-1"}},
    {"ramp as long as the run", {"-d", "2", "--montee", "2"}},
    {"empty request", {"-r", ""}},
    {"request with a line end", {"-r", "GET STATUT\r\nGET CUBES"}},
    {"request with a CR", {"-r", "GET STATUT\r"}},
    {"host name instead of an address", {"-a", "localhost"}},
    {"IPv6 address", {"-a", "::1"}},
    {"colours past int64", {"--couleur", "9223372036854775807", "-c", "2"}},
    {"colour not an integer", {"--couleur", "0xZZ"}},
    {"negative end wait", {"--delai-fin", "-1"}},
    {"unknown option", {"--vitesse", "3"}},
    {"stray argument", {"GET STATUT"}},
    {"option without its value", {"-c"}},
    {"frames with request lines", {"--trame", "GET BALLES", "-r", "GET STATUT"}},
    {"frames with a pipeline", {"--trame", "GET BALLES", "-k", "2"}},
    {"frames with a request rate", {"--trame", "GET BALLES", "--debit", "10"}},
    {"period without frames", {"--periode-ms", "25"}},
    {"shooters without frames", {"--tireurs", "10"}},
    {"capacity without frames", {"--capacite", "1:1:2"}},
    {"pid without frames", {"--pid", "42"}},
    {"frame line with a line end", {"--trame", "GET BALLES\r\nGET CUBES"}},
    {"negative period", {"--trame", "A", "--periode-ms", "-1"}},
    {"shooters over 100 percent", {"--trame", "A", "--tireurs", "101"}},
    {"shot every 0 frames", {"--trame", "A", "--tir-chaque", "0"}},
    {"pid 0", {"--trame", "A", "--pid", "0"}},
    {"capacity of two numbers", {"--trame", "A", "--capacite", "100:400"}},
    {"capacity step 0", {"--trame", "A", "--capacite", "100:0:400"}},
    {"capacity start 0", {"--trame", "A", "--capacite", "0:100:400"}},
    {"capacity max below start", {"--trame", "A", "--capacite", "400:100:100"}},
    {"capacity with junk", {"--trame", "A", "--capacite", "1:1:2x"}},
    {"capacity with connections", {"--trame", "A", "--capacite", "1:1:2", "-c", "5"}},
    {"capacity with a duration", {"--trame", "A", "--capacite", "1:1:2", "-d", "5"}},
    {"step length without capacity", {"--trame", "A", "--palier", "2"}},
    {"p99 limit without capacity", {"--trame", "A", "--p99-max-ms", "20"}},
    {"capacity colours past int64", {"--trame", "A", "--capacite", "1:1:3", "--couleur",
                                     "9223372036854775806"}},
};

class Refus : public testing::TestWithParam<refus> {};

TEST_P(Refus, IsAUsageError) {
  const auto r = lit(GetParam().args);
  ASSERT_TRUE(std::holds_alternative<sortie_immediate>(r)) << GetParam().pourquoi;
  EXPECT_NE(std::get<sortie_immediate>(r).code, 0);
  EXPECT_FALSE(std::get<sortie_immediate>(r).texte.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, Refus, testing::ValuesIn(refus_table), [](const auto& info) {
  std::string nom;
  for (const char c : std::string(info.param.pourquoi)) nom += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return nom;
});

TEST(Options, FrameMode) {
  const auto r = lit({"--trame", "GET VAISSEAUX", "--trame", "GET BALLES", "--periode-ms", "12.5",
                      "--tireurs", "10", "--tir-chaque", "4", "--pid", "4242", "--sans-stats"});
  ASSERT_TRUE(std::holds_alternative<options>(r)) << std::get<sortie_immediate>(r).texte;
  const options& o = std::get<options>(r);
  EXPECT_EQ(o.trame, (std::vector<std::string>{"GET VAISSEAUX", "GET BALLES"}));
  EXPECT_DOUBLE_EQ(o.periode_ms, 12.5);
  EXPECT_DOUBLE_EQ(o.tireurs, 10);
  EXPECT_EQ(o.tir_chaque, 4);
  EXPECT_EQ(o.pid, 4242);
  EXPECT_FALSE(o.stats);
  EXPECT_FALSE(o.capacite);
}

TEST(Options, FrameModeDefaults) {
  const auto r = lit({"--trame", "GET VAISSEAUX"});
  ASSERT_TRUE(std::holds_alternative<options>(r));
  const options& o = std::get<options>(r);
  EXPECT_DOUBLE_EQ(o.periode_ms, 25);
  EXPECT_DOUBLE_EQ(o.tireurs, 0);
  EXPECT_EQ(o.tir_chaque, 10);
  EXPECT_TRUE(o.stats);
  EXPECT_EQ(o.pid, std::nullopt);
}

TEST(Options, CapacitySearch) {
  const auto r = lit({"--trame", "GET VAISSEAUX", "--capacite", "100:50:400", "--stabilisation",
                      "0.5", "--palier", "3", "--p99-max-ms", "20", "--ticks-min", "38"});
  ASSERT_TRUE(std::holds_alternative<options>(r)) << std::get<sortie_immediate>(r).texte;
  const options& o = std::get<options>(r);
  ASSERT_TRUE(o.capacite);
  EXPECT_EQ(o.capacite->debut, 100);
  EXPECT_EQ(o.capacite->pas, 50);
  EXPECT_EQ(o.capacite->max, 400);
  EXPECT_EQ(o.connexions, 400) << "room for the last step's players";
  EXPECT_DOUBLE_EQ(o.stabilisation, 0.5);
  EXPECT_DOUBLE_EQ(o.palier, 3);
  EXPECT_DOUBLE_EQ(o.p99_max_ms, 20);
  EXPECT_DOUBLE_EQ(o.ticks_min, 38);
}

TEST(Options, LastColourMayBeInt64Max) {
  const auto r = lit({"--couleur", "9223372036854775806", "-c", "2"});
  EXPECT_TRUE(std::holds_alternative<options>(r));
}

}  // namespace
}  // namespace jeu::charge
