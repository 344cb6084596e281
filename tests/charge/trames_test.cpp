// Replies are recognised whatever the pieces the stream arrives in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charge/trames.h"

namespace jeu::charge {
namespace {

struct lu {
  std::vector<std::string> entetes;
  int erreurs = 0;
  bool en_cours = false;
};

lu decode(const std::vector<std::string>& morceaux) {
  decodeur_reponses d;
  lu r;
  for (const std::string& m : morceaux) {
    d.ajoute(m, [&](const reponse& rep) {
      r.entetes.emplace_back(rep.entete);
      r.erreurs += rep.erreur;
    });
  }
  r.en_cours = d.en_cours();
  return r;
}

struct cas {
  const char* nom;
  std::string flux;
  std::vector<std::string> entetes;
  int erreurs;
  bool en_cours;
};

void PrintTo(const cas& c, std::ostream* os) { *os << c.nom; }

const std::string longue(10000, 'x');

const std::vector<cas> cas_flux = {
    {"one_line", "OK\r\n", {"OK"}, 0, false},
    {"plain_lf", "OK\nPUT STATUT vivant\n", {"OK", "PUT STATUT vivant"}, 0, false},
    {"error_reply", "ERREUR SYNTAXE\r\nOK\r\n", {"ERREUR SYNTAXE", "OK"}, 1, false},
    {"redis_error", "-ERR unknown command 'x'\r\n", {"-ERR unknown command 'x'"}, 1, false},
    {"redis_pong", "+PONG\r\n+PONG\r\n", {"+PONG", "+PONG"}, 0, false},
    {"ship_list", "PUT VAISSEAUX 2\r\n512 301 1.57 5 16711680\r\n87 640 4.7 3 255\r\nOK\r\n",
     {"PUT VAISSEAUX 2", "OK"}, 0, false},
    {"empty_list", "PUT CUBES 0\r\nPUT BALLES 0\r\n", {"PUT CUBES 0", "PUT BALLES 0"}, 0, false},
    // An item line is never a reply, whatever it looks like.
    {"item_like_error", "PUT BALLES 2\r\nERREUR\r\nPUT CUBES 1\r\nOK\r\n",
     {"PUT BALLES 2", "OK"}, 0, false},
    {"list_unfinished", "PUT BALLES 3\r\n1 2 3\r\n4 5 6\r\n", {}, 0, true},
    {"line_unfinished", "OK\r\nPUT STA", {"OK"}, 0, true},
    {"cr_only_pending", "OK\r", {}, 0, true},
    {"bad_count_is_one_line", "PUT VAISSEAUX x\r\nPUT CUBES -1\r\nPUT BALLES 2 \r\n",
     {"PUT VAISSEAUX x", "PUT CUBES -1", "PUT BALLES 2 "}, 0, false},
    {"other_put_is_one_line", "PUT TAILLE PLATEAU 990 990\r\nPUT RAYON BALLE 4\r\n",
     {"PUT TAILLE PLATEAU 990 990", "PUT RAYON BALLE 4"}, 0, false},
    {"empty_line", "\r\n\n", {"", ""}, 0, false},
    {"long_line_kept_short", longue + "\r\nOK\r\n",
     {longue.substr(0, decodeur_reponses::prefixe_garde), "OK"}, 0, false},
    {"long_items", "PUT CUBES 2\r\n" + longue + "\r\n" + longue + "\nERREUR X\r\n",
     {"PUT CUBES 2", "ERREUR X"}, 1, false},
};

class Decodage : public testing::TestWithParam<cas> {};

void verifie(const lu& r, const cas& c, const std::string& comment) {
  EXPECT_EQ(r.entetes, c.entetes) << comment;
  EXPECT_EQ(r.erreurs, c.erreurs) << comment;
  EXPECT_EQ(r.en_cours, c.en_cours) << comment;
}

TEST_P(Decodage, WholeStream) { verifie(decode({GetParam().flux}), GetParam(), "whole"); }

TEST_P(Decodage, CutAnywhere) {
  const std::string& f = GetParam().flux;
  for (std::size_t i = 0; i <= f.size(); ++i) {
    verifie(decode({f.substr(0, i), f.substr(i)}), GetParam(), "cut at " + std::to_string(i));
  }
}

// Where a second cut can matter: anywhere in a short stream, around each
// line end in a long one.
std::vector<std::size_t> coupures(const std::string& f) {
  std::vector<std::size_t> r;
  for (std::size_t i = 0; i <= f.size(); ++i) {
    const std::size_t lf = f.find('\n', i >= 3 ? i - 3 : 0);
    if (f.size() <= 200 || i < 3 || i + 3 >= f.size() || (lf != std::string::npos && lf <= i + 3)) {
      r.push_back(i);
    }
  }
  return r;
}

TEST_P(Decodage, CutTwice) {
  const std::string& f = GetParam().flux;
  const std::vector<std::size_t> positions = coupures(f);
  for (const std::size_t i : positions) {
    for (const std::size_t j : positions) {
      if (j < i) continue;
      verifie(decode({f.substr(0, i), f.substr(i, j - i), f.substr(j)}), GetParam(),
              "cuts at " + std::to_string(i) + ", " + std::to_string(j));
    }
  }
}

TEST_P(Decodage, ByteByByte) {
  std::vector<std::string> octets;
  for (const char c : GetParam().flux) octets.emplace_back(1, c);
  verifie(decode(octets), GetParam(), "byte by byte");
}

INSTANTIATE_TEST_SUITE_P(Flux, Decodage, testing::ValuesIn(cas_flux),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST(LignesAnnoncees, OnlyTheThreeListHeadersAnnounceLines) {
  const std::vector<std::pair<std::string, std::size_t>> table = {
      {"PUT VAISSEAUX 3", 3}, {"PUT BALLES 0", 0},  {"PUT CUBES 200", 200},
      {"PUT CUBES", 0},       {"PUT CUBES 2x", 0},  {"PUT STATUT 5", 0},
      {"put cubes 5", 0},     {"PUT  CUBES 5", 0},  {"PUT CUBES 99999999999999999999999", 0},
  };
  for (const auto& [entete, n] : table) EXPECT_EQ(lignes_annoncees(entete), n) << entete;
}

}  // namespace
}  // namespace jeu::charge
