// A connection against a scripted peer in the same thread: a listening
// socket whose accepted connection the test reads and writes itself. The
// kernel completes the client's connect before accept, and the peer's
// replies wait in the client's socket until it reads them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "jeu_client.h"

// Every send of this program comes here first (linker --wrap=send): the
// tests count the library's writes.
namespace {
int envois = 0;
}
extern "C" ssize_t __real_send(int fd, const void* octets, std::size_t n, int options);
extern "C" ssize_t __wrap_send(int fd, const void* octets, std::size_t n, int options) {
  ++envois;
  return __real_send(fd, octets, n, options);
}

namespace jeu_client {
namespace {

using namespace std::chrono_literals;
using s = erreur::sorte;

class pair_scripte {
 public:
  pair_scripte() {
    ecoute_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t taille = sizeof adresse;
    if (bind(ecoute_, reinterpret_cast<sockaddr*>(&adresse), taille) != 0 || listen(ecoute_, 4) != 0 ||
        getsockname(ecoute_, reinterpret_cast<sockaddr*>(&adresse), &taille) != 0) {
      ADD_FAILURE() << "no listening socket";
    }
    port_ = ntohs(adresse.sin_port);
  }
  ~pair_scripte() {
    ferme();
    close(ecoute_);
  }
  int port() const { return port_; }
  void accepte() { fd_ = accept(ecoute_, nullptr, nullptr); }
  void ecrit(const std::string& octets) {
    ASSERT_EQ(send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  }
  // What one read gives once something has come (within 5 s).
  std::string lit_une_fois() {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1) return "";
    char bloc[65536];
    const ssize_t n = recv(fd_, bloc, sizeof bloc, 0);
    return n > 0 ? std::string(bloc, static_cast<std::size_t>(n)) : "";
  }
  void ferme() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int ecoute_ = -1;
  int fd_ = -1;
  int port_ = 0;
};

// The kind of error `appel` throws; fails the test if it throws none.
template <class Appel>
std::optional<s> sorte_erreur(Appel&& appel, std::string* message = nullptr) {
  try {
    appel();
  } catch (const erreur& e) {
    if (message) *message = e.what();
    return e.quoi();
  }
  ADD_FAILURE() << "no error";
  return std::nullopt;
}

TEST(Transport, FrameIsOneWriteAndRepliesComeInOrder) {
  pair_scripte pair;
  connexion c = connexion::ouvre("127.0.0.1", pair.port());
  pair.accepte();
  constexpr std::array trame{requete::taille_plateau, requete::tire, requete::vaisseaux,
                             requete::statut, requete::rayon_balle};
  envois = 0;
  c.envoie(trame);
  EXPECT_EQ(envois, 1);
  EXPECT_EQ(pair.lit_une_fois(),
            "GET TAILLE PLATEAU\r\nPUT ACTION TIRE\r\nGET VAISSEAUX\r\nGET STATUT\r\nGET RAYON BALLE\r\n");
  pair.ecrit(
      "PUT TAILLE PLATEAU 990 990\r\nOK\r\nPUT VAISSEAUX 1\r\n512 301 1.57 5 255\r\n"
      "PUT STATUT vivant\r\nPUT RAYON BALLE 4\r\n");
  const auto r = c.recoit(trame);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(std::get<taille_plateau>(r[0]).hauteur, 990);
  EXPECT_TRUE(std::holds_alternative<ok>(r[1]));
  ASSERT_EQ(std::get<std::vector<vaisseau>>(r[2]).size(), 1u);
  EXPECT_EQ(std::get<std::vector<vaisseau>>(r[2])[0].couleur, 255);
  EXPECT_EQ(std::get<statut>(r[3]), statut::vivant);
  EXPECT_EQ(std::get<int>(r[4]), 4);
}

// A refused request in a frame: the frame's other replies are read, so the
// connection stays in step for the next request.
TEST(Transport, RefusalInAFrameKeepsTheConnectionInStep) {
  pair_scripte pair;
  connexion c = connexion::ouvre("127.0.0.1", pair.port());
  pair.accepte();
  pair.ecrit("OK\r\nERREUR SYNTAXE\r\nPUT BALLES 1\r\n1 2 3\r\nPUT STATUT mort\r\n");
  constexpr std::array trame{requete::gauche, requete::stats, requete::balles};
  EXPECT_EQ(sorte_erreur([&] { c.trame(trame); }), s::syntaxe);
  EXPECT_NE(c.descripteur(), -1);
  EXPECT_EQ(c.etat(), statut::mort);
}

TEST(Transport, SilentPeerGivesDelaiAndClosesTheConnection) {
  pair_scripte pair;
  connexion c = connexion::ouvre("127.0.0.1", pair.port(), 200ms);
  pair.accepte();
  std::string message;
  EXPECT_EQ(sorte_erreur([&] { c.etat(); }, &message), s::delai);
  EXPECT_NE(message.find("GET STATUT"), std::string::npos) << message;
  // A late reply could otherwise be taken for the next request's.
  EXPECT_EQ(c.descripteur(), -1);
  EXPECT_EQ(sorte_erreur([&] { c.etat(); }), s::fermee);
}

TEST(Transport, PeerSendingGarbage) {
  const struct {
    std::string octets;
    std::string dans_message;
  } cas[] = {
      {"BONJOUR\r\n", R"("BONJOUR\r\n")"},
      {"PUT VAISSEAUX 999999999999\r\n", "plus de 1000000 elements"},
      {std::string(10000, 'z'), "ligne de plus de 4096 octets"},
  };
  for (const auto& [octets, dans_message] : cas) {
    pair_scripte pair;
    connexion c = connexion::ouvre("127.0.0.1", pair.port());
    pair.accepte();
    pair.ecrit(octets);
    std::string message;
    EXPECT_EQ(sorte_erreur([&] { c.vaisseaux(); }, &message), s::inattendue);
    EXPECT_NE(message.find(dans_message), std::string::npos) << message;
    EXPECT_EQ(c.descripteur(), -1);
  }
}

TEST(Transport, PeerClosing) {
  pair_scripte pair;
  connexion c = connexion::ouvre("127.0.0.1", pair.port());
  pair.accepte();
  pair.ecrit("PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n3 4");
  pair.ferme();
  std::string message;
  EXPECT_EQ(sorte_erreur([&] { c.vaisseaux(); }, &message), s::fermee);
  EXPECT_NE(message.find(R"("3 4")"), std::string::npos) << message;
  EXPECT_EQ(c.descripteur(), -1);
}

TEST(Transport, ConnectionRefused) {
  int port = 0;
  {
    pair_scripte pair;
    port = pair.port();
  }
  EXPECT_EQ(sorte_erreur([&] { connexion::ouvre("127.0.0.1", port); }), s::connexion);
  EXPECT_EQ(sorte_erreur([&] { connexion::ouvre("127.0.0.1", 70000); }), s::connexion);
}

TEST(Transport, MoveAndMisuse) {
  pair_scripte pair;
  connexion a = connexion::ouvre("127.0.0.1", pair.port());
  pair.accepte();
  const int fd = a.descripteur();
  connexion b = std::move(a);
  EXPECT_EQ(a.descripteur(), -1);
  EXPECT_EQ(b.descripteur(), fd);
  EXPECT_THROW(b.action(requete::vaisseaux), std::invalid_argument);
  pair.ecrit("OK\r\n");
  b.quitte();
  EXPECT_EQ(b.descripteur(), -1);
  EXPECT_EQ(pair.lit_une_fois(), "PUT ACTION QUITTE\r\n") << "nothing sent for the refused action";
}

}  // namespace
}  // namespace jeu_client
