// Replies made of own bytes and shared blocks arrive whole and in order,
// however many pieces and however small the socket's buffer.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "net/tampon_sortie.h"

namespace jeu {
namespace {

TEST(TamponSortie, ToutArriveDansLOrdreEnMorceauxPartagesEtPropres) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  const int petit = 4096;  // many short writes
  ::setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &petit, sizeof petit);

  tampon_sortie t;
  const auto bloc = std::make_shared<const std::string>(std::string(1000, 'b') + "\r\n");
  for (int k = 0; k < 300; ++k) {  // more pieces than one sendmsg takes
    t.ajoute("PUT " + std::to_string(k) + "\r\n");
    t.ajoute("x");  // joins the piece before it
    if (k % 3 == 0) t.ajoute(bloc);
  }
  t.ajoute(texte_partage::bloc{});  // nothing
  const std::string attendu = t.texte();
  EXPECT_EQ(t.taille(), attendu.size());

  std::string recu;
  std::thread lecteur([&] {
    char tampon[777];
    for (;;) {
      const ssize_t n = ::read(fds[1], tampon, sizeof tampon);
      if (n <= 0) return;
      recu.append(tampon, static_cast<std::size_t>(n));
    }
  });
  EXPECT_TRUE(t.envoie(fds[0]));
  EXPECT_TRUE(t.est_vide());
  t.ajoute("fin\r\n");  // reusable after a send
  EXPECT_TRUE(t.envoie(fds[0]));
  ::close(fds[0]);
  lecteur.join();
  ::close(fds[1]);
  EXPECT_EQ(recu, attendu + "fin\r\n");
  EXPECT_EQ(bloc.use_count(), 1) << "references kept after the send";

  // A peer that has gone fails the send, and the buffer is emptied all the same.
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  ::close(fds[1]);
  t.ajoute(bloc);
  EXPECT_FALSE(t.envoie(fds[0]));
  EXPECT_TRUE(t.est_vide());
  ::close(fds[0]);
}

}  // namespace
}  // namespace jeu
