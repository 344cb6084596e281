// Recordings written and read back: tick for tick, from any tick, cut short
// anywhere, damaged, and files that are not recordings.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "enregistrement/ecrivain.h"
#include "enregistrement/lecteur.h"

namespace jeu::enregistrement {
namespace {

namespace fs = std::filesystem;

class Enregistrement : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string modele = (fs::temp_directory_path() / "enregistrement_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(modele.data()), nullptr);
    dossier_ = modele;
  }
  void TearDown() override { fs::remove_all(dossier_); }

  std::string chemin(const std::string& nom) const { return (dossier_ / nom).string(); }

  // A frame as the stream sends it, its size varying from tick to tick.
  static std::string trame(std::uint64_t tick) {
    std::ostringstream o;
    const std::uint64_t balles = tick % 7;
    o << "TICK " << tick << ' ' << tick % 3 << "\r\nPUT VAISSEAUX 1\r\n" << tick % 990
      << " 12 1.5 5 255\r\nPUT BALLES " << balles << "\r\n";
    for (std::uint64_t i = 0; i < balles; ++i) o << (tick + i) % 990 << ' ' << i << " 255\r\n";
    o << "FIN TICK " << tick << "\r\n";
    return o.str();
  }

  // Ticks 5, 6, 7 ... with a gap after every 17th (a stream that lost ticks).
  static std::vector<std::uint64_t> ticks(std::size_t n) {
    std::vector<std::uint64_t> t;
    std::uint64_t tick = 5;
    for (std::size_t i = 0; i < n; ++i) {
      t.push_back(tick);
      tick += i % 17 == 16 ? 4 : 1;
    }
    return t;
  }

  // Writes the frames of `t` to `nom`; the file's size after each complete
  // chunk and the number of frames then written, in `fins`.
  void ecrit(const std::string& nom, const std::vector<std::uint64_t>& t,
             std::vector<std::pair<std::uint64_t, std::size_t>>* fins = nullptr,
             reglages_ecrivain r = {.niveau = 3, .trames_par_bloc = 10}) {
    ecrivain e(chemin(nom), r);
    for (std::size_t i = 0; i < t.size(); ++i) {
      const std::uint64_t avant = e.octets();
      e.ajoute(t[i], trame(t[i]));
      if (fins && e.octets() != avant) fins->emplace_back(e.octets(), i + 1);
    }
    e.termine();
    if (fins && (fins->empty() || fins->back().second != t.size())) {
      fins->emplace_back(e.octets(), t.size());
    }
  }

  static std::vector<trame_enregistree> tout(lecteur& l) {
    std::vector<trame_enregistree> v;
    while (auto t = l.suivante()) v.push_back(std::move(*t));
    return v;
  }

  static void copie_coupee(const std::string& de, const std::string& vers, std::uint64_t taille) {
    fs::copy_file(de, vers);
    fs::resize_file(vers, taille);
  }

  static std::string message_ouverture(const std::string& chemin) {
    try {
      lecteur::ouvre(chemin);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "(ouvert)";
  }

  fs::path dossier_;
};

TEST_F(Enregistrement, ReadsBackTickForTick) {
  const auto t = ticks(95);  // the last chunk holds 5 frames
  ecrit("a.enr", t);
  lecteur l = lecteur::ouvre(chemin("a.enr"));
  EXPECT_EQ(l.version(), version_format);
  EXPECT_EQ(l.nombre_trames(), t.size());
  EXPECT_EQ(l.premier_tick(), t.front());
  EXPECT_EQ(l.dernier_tick(), t.back());
  EXPECT_EQ(l.octets_ignores(), 0u);
  // The stream's frames are coded by differences (byte 14 of a chunk's header).
  {
    std::ifstream f(chemin("a.enr"), std::ios::binary);
    f.seekg(16 + 14);
    EXPECT_EQ(f.get(), static_cast<int>(codage::ecarts));
  }
  const auto lues = tout(l);
  ASSERT_EQ(lues.size(), t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    EXPECT_EQ(lues[i].tick, t[i]);
    EXPECT_EQ(lues[i].texte, trame(t[i])) << t[i];
  }
}

TEST_F(Enregistrement, EmptyRecordingAndEmptyFrames) {
  ecrit("vide.enr", {});
  lecteur l = lecteur::ouvre(chemin("vide.enr"));
  EXPECT_TRUE(l.vide());
  EXPECT_FALSE(l.cherche(0));
  EXPECT_FALSE(l.suivante());
  {
    ecrivain e(chemin("texte_vide.enr"));
    e.ajoute(3, "");
    e.ajoute(4, "x");
  }
  lecteur m = lecteur::ouvre(chemin("texte_vide.enr"));
  const auto lues = tout(m);
  ASSERT_EQ(lues.size(), 2u);
  EXPECT_EQ(lues[0].texte, "");
  EXPECT_EQ(lues[1].texte, "x");
}

TEST_F(Enregistrement, SeeksTheFrameAtOrAfterATick) {
  const auto t = ticks(200);
  ecrit("s.enr", t);
  lecteur l = lecteur::ouvre(chemin("s.enr"));
  // Every tick from before the first to after the last, in a jumbled order:
  // the frame is the first recorded at or after it, then the rest follow.
  std::vector<std::uint64_t> demandes;
  for (std::uint64_t k = 0; k <= t.back() + 2; ++k) demandes.push_back(k);
  std::shuffle(demandes.begin(), demandes.end(), std::mt19937(7));
  for (const std::uint64_t k : demandes) {
    const auto attendu = std::lower_bound(t.begin(), t.end(), k);
    const bool trouve = l.cherche(k);
    ASSERT_EQ(trouve, attendu != t.end()) << k;
    const auto lue = l.suivante();
    if (attendu == t.end()) {
      EXPECT_FALSE(lue) << k;
      continue;
    }
    ASSERT_TRUE(lue) << k;
    EXPECT_EQ(lue->tick, *attendu) << k;
    EXPECT_EQ(lue->texte, trame(*attendu)) << k;
    if (attendu + 1 != t.end()) {
      const auto apres = l.suivante();
      ASSERT_TRUE(apres);
      EXPECT_EQ(apres->tick, *(attendu + 1)) << k;
    }
  }
}

TEST_F(Enregistrement, CutAnywhereReadsUpToTheLastCompleteChunk) {
  const auto t = ticks(60);
  std::vector<std::pair<std::uint64_t, std::size_t>> fins;
  ecrit("entier.enr", t, &fins);
  const std::uint64_t taille = fs::file_size(chemin("entier.enr"));
  ASSERT_EQ(fins.back().first, taille);
  ASSERT_EQ(fins.size(), 6u);
  // Every chunk's end and the bytes around it, and random places.
  std::vector<std::uint64_t> coupes = {16};
  for (const auto& [fin, n] : fins) {
    coupes.push_back(fin - 1);
    coupes.push_back(fin);
    if (fin < taille) coupes.push_back(fin + 1);
  }
  std::mt19937_64 alea(11);
  for (int i = 0; i < 40; ++i) coupes.push_back(16 + alea() % (taille - 16));
  int k = 0;
  for (const std::uint64_t coupe : coupes) {
    const std::string nom = chemin("coupe" + std::to_string(k++) + ".enr");
    copie_coupee(chemin("entier.enr"), nom, coupe);
    std::size_t attendues = 0;
    std::uint64_t lus = 16;
    for (const auto& [fin, n] : fins) {
      if (fin <= coupe) {
        attendues = n;
        lus = fin;
      }
    }
    lecteur l = lecteur::ouvre(nom);
    EXPECT_EQ(l.nombre_trames(), attendues) << coupe;
    EXPECT_EQ(l.octets_lus(), lus) << coupe;
    EXPECT_EQ(l.octets_ignores(), coupe - lus) << coupe;
    const auto lues = tout(l);
    ASSERT_EQ(lues.size(), attendues) << coupe;
    for (std::size_t i = 0; i < attendues; ++i) {
      EXPECT_EQ(lues[i].tick, t[i]);
      EXPECT_EQ(lues[i].texte, trame(t[i]));
    }
  }
}

TEST_F(Enregistrement, WhatIsNoRecordingOrTooNewIsRefusedByName) {
  ecrit("bon.enr", ticks(3));
  std::string octets;
  {
    std::ifstream f(chemin("bon.enr"), std::ios::binary);
    octets.assign(std::istreambuf_iterator<char>(f), {});
  }
  const auto ecrit_octets = [&](const std::string& nom, const std::string& o) {
    std::ofstream(chemin(nom), std::ios::binary) << o;
    return chemin(nom);
  };
  std::string plus_recent = octets;
  plus_recent[8] = 2;
  std::string version_zero = octets;
  version_zero[8] = 0;
  struct cas {
    std::string chemin;
    std::string message;
  };
  const std::vector<cas> table = {
      {ecrit_octets("texte.txt", "TICK 1 0\r\nFIN TICK 1\r\n"),
       "texte.txt : ce n'est pas un enregistrement du jeu (signature absente)"},
      {ecrit_octets("rien.enr", ""),
       "rien.enr : ce n'est pas un enregistrement du jeu (signature absente)"},
      {ecrit_octets("zstd.zst", std::string("\x28\xb5\x2f\xfd", 4) + octets.substr(4)),
       "zstd.zst : ce n'est pas un enregistrement du jeu (signature absente)"},
      {ecrit_octets("signature.enr", octets.substr(0, 10)),
       "signature.enr : enregistrement coupe dans son en-tete"},
      {ecrit_octets("v2.enr", plus_recent),
       "v2.enr : enregistrement au format version 2, ce programme lit les versions 1 a 1 : il "
       "faut une version plus recente"},
      {ecrit_octets("v0.enr", version_zero), "v0.enr : enregistrement au format version 0"},
      {chemin("absent.enr"), "absent.enr : ouverture impossible : No such file or directory"},
      {dossier_.string(), "ce n'est pas un fichier ordinaire"},
  };
  for (const cas& c : table) {
    const std::string m = message_ouverture(c.chemin);
    EXPECT_NE(m.find(c.message), std::string::npos) << m;
  }
  EXPECT_EQ(lecteur::ouvre(ecrit_octets("copie.enr", octets)).nombre_trames(), 3u);
}

TEST_F(Enregistrement, DamageStopsTheIndexOrTheReadWithAMessage) {
  const auto t = ticks(30);
  std::vector<std::pair<std::uint64_t, std::size_t>> fins;
  ecrit("d.enr", t, &fins);
  std::string octets;
  {
    std::ifstream f(chemin("d.enr"), std::ios::binary);
    octets.assign(std::istreambuf_iterator<char>(f), {});
  }
  // A byte of the second chunk's header: the index stops before it.
  std::string entete = octets;
  entete[fins[0].first + 6] ^= 1;
  std::ofstream(chemin("entete.enr"), std::ios::binary) << entete;
  lecteur l = lecteur::ouvre(chemin("entete.enr"));
  EXPECT_EQ(l.nombre_trames(), 10u);
  EXPECT_EQ(l.octets_lus(), fins[0].first);
  // A byte of the second chunk's compressed bytes: indexed, refused when read.
  std::string contenu = octets;
  contenu[fins[0].first + 40] ^= 0x20;
  std::ofstream(chemin("contenu.enr"), std::ios::binary) << contenu;
  lecteur m = lecteur::ouvre(chemin("contenu.enr"));
  EXPECT_EQ(m.nombre_trames(), 30u);
  EXPECT_TRUE(m.cherche(t[0]));
  try {
    m.cherche(t[15]);
    ADD_FAILURE() << "a damaged chunk was read";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("bloc 2 (octet " + std::to_string(fins[0].first) +
                                         ") : endommage"),
              std::string::npos)
        << e.what();
  }
}

TEST_F(Enregistrement, WriterRefusesAnExistingFileAndTicksGoingBack) {
  ecrit("x.enr", ticks(2));
  const auto taille = fs::file_size(chemin("x.enr"));
  try {
    ecrivain e(chemin("x.enr"));
    ADD_FAILURE() << "an existing file was overwritten";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), chemin("x.enr") + " : le fichier existe deja, il n'est pas remplace");
  }
  EXPECT_EQ(fs::file_size(chemin("x.enr")), taille);
  EXPECT_THROW(ecrivain(chemin("absent/y.enr")), std::runtime_error);
  ecrivain e(chemin("z.enr"));
  e.ajoute(10, trame(10));
  EXPECT_THROW(e.ajoute(10, trame(10)), std::invalid_argument);
  EXPECT_THROW(e.ajoute(9, trame(9)), std::invalid_argument);
  e.ajoute(11, trame(11));
  e.termine();
  EXPECT_THROW(e.ajoute(12, trame(12)), std::logic_error);
  EXPECT_EQ(lecteur::ouvre(chemin("z.enr")).nombre_trames(), 2u);
}

TEST_F(Enregistrement, ChunkClosedByItsSizeToo) {
  const auto t = ticks(20);
  std::vector<std::pair<std::uint64_t, std::size_t>> fins;
  ecrit("o.enr", t, &fins, {.niveau = 1, .trames_par_bloc = 40, .octets_par_bloc = 300});
  EXPECT_GT(fins.size(), 3u);
  lecteur l = lecteur::ouvre(chemin("o.enr"));
  const auto lues = tout(l);
  ASSERT_EQ(lues.size(), t.size());
  for (std::size_t i = 0; i < t.size(); ++i) EXPECT_EQ(lues[i].texte, trame(t[i]));
}

}  // namespace
}  // namespace jeu::enregistrement
