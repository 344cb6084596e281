// Framing: lines up to LF with the CR kept, pieces of any size, bounded
// memory for endless lines, and the last fragment before the end of stream.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/lecteur_lignes.h"

namespace jeu {
namespace {

using namespace std::string_literals;

struct ligne_recue {
  std::string octets;
  bool tronquee;
  bool operator==(const ligne_recue&) const = default;
};

// Feeds `flux` in pieces of `taille` bytes; returns the complete lines and
// leaves what is pending in `a`.
std::vector<ligne_recue> decoupe(assembleur_lignes& a, std::string_view flux, std::size_t taille) {
  std::vector<ligne_recue> lignes;
  for (std::size_t debut = 0; debut < flux.size(); debut += taille) {
    std::string_view morceau = flux.substr(debut, taille);
    while (!morceau.empty()) {
      morceau.remove_prefix(a.ajoute(morceau));
      if (a.complete()) {
        lignes.push_back({std::string(a.ligne()), a.tronquee()});
        a.suivante();
      }
    }
  }
  return lignes;
}

TEST(AssembleurLignes, SameLinesWhateverThePieces) {
  const std::string flux = "GET STATUT\r\nPUT\0X\r\n\n\r\nGET\r\rZ\nfin"s;
  const std::vector<ligne_recue> attendues{
      {"GET STATUT\r", false}, {"PUT\0X\r"s, false}, {"", false}, {"\r", false}, {"GET\r\rZ", false}};
  for (std::size_t taille = 1; taille <= flux.size(); ++taille) {
    assembleur_lignes a;
    EXPECT_EQ(decoupe(a, flux, taille), attendues) << "pieces of " << taille;
    EXPECT_TRUE(a.en_cours());
    EXPECT_EQ(a.ligne(), "fin");
  }
  assembleur_lignes vide;
  EXPECT_FALSE(vide.en_cours());
  EXPECT_EQ(decoupe(vide, "A\n", 2).size(), 1u);
  EXPECT_FALSE(vide.en_cours()) << "nothing pending right after a LF";
}

TEST(AssembleurLignes, KeepsOnlyTheStartOfOverlongLines) {
  const std::string limite(taille_max_ligne, 'a');
  std::string flux = limite + "\n" + limite + "b\n";
  // 10 MB without LF, then a normal line.
  std::string longue(10 << 20, 'x');
  longue[0] = 'D';
  flux += longue + "\nGET STATUT\r\n";
  assembleur_lignes a;
  const std::vector<ligne_recue> lignes = decoupe(a, flux, 4096);
  ASSERT_EQ(lignes.size(), 4u);
  EXPECT_EQ(lignes[0], (ligne_recue{limite, false})) << "exactly the limit is kept whole";
  EXPECT_EQ(lignes[1], (ligne_recue{limite, true}));
  EXPECT_EQ(lignes[2], (ligne_recue{"D" + std::string(taille_max_ligne - 1, 'x'), true}));
  EXPECT_EQ(lignes[3], (ligne_recue{"GET STATUT\r", false}));

  // A truncated fragment still counts as pending.
  assembleur_lignes b;
  decoupe(b, std::string(taille_max_ligne + 10, 'z'), 7);
  EXPECT_TRUE(b.en_cours());
  EXPECT_TRUE(b.tronquee());
  EXPECT_EQ(b.ligne().size(), taille_max_ligne);
}

class LecteurLignes : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0); }
  void TearDown() override {
    for (int fd : fds_) close(fd);
  }
  void ecrit(std::string_view octets) {
    ASSERT_EQ(send(fds_[1], octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  }
  int fds_[2] = {-1, -1};
};

TEST_F(LecteurLignes, LastFragmentBeforeEndOfStreamIsALine) {
  ecrit("GET BALLES\r\nGET STATUT\r");
  shutdown(fds_[1], SHUT_WR);
  lecteur_lignes lecteur(fds_[0]);
  ASSERT_EQ(lecteur.lit(), lecteur_lignes::resultat::ligne);
  EXPECT_EQ(lecteur.ligne(), "GET BALLES\r");
  ASSERT_EQ(lecteur.lit(), lecteur_lignes::resultat::ligne);
  EXPECT_EQ(lecteur.ligne(), "GET STATUT\r");
  EXPECT_EQ(lecteur.lit(), lecteur_lignes::resultat::fin);
  EXPECT_EQ(lecteur.lit(), lecteur_lignes::resultat::fin);
}

TEST_F(LecteurLignes, EndOfStreamRightAfterALfIsNoLine) {
  ecrit("A\r\n");
  shutdown(fds_[1], SHUT_WR);
  lecteur_lignes lecteur(fds_[0]);
  ASSERT_EQ(lecteur.lit(), lecteur_lignes::resultat::ligne);
  EXPECT_EQ(lecteur.lit(), lecteur_lignes::resultat::fin);
}

TEST(LecteurLignesErreur, AFailedReadIsNotTheEndOfStream) {
  int tube[2];
  ASSERT_EQ(pipe(tube), 0);
  ASSERT_EQ(write(tube[1], "GET\n", 4), 4);
  lecteur_lignes lecteur(tube[0]);  // recv on a pipe fails: not a socket
  EXPECT_EQ(lecteur.lit(), lecteur_lignes::resultat::erreur);
  close(tube[0]);
  close(tube[1]);
}

}  // namespace
}  // namespace jeu
