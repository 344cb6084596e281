// A connection against a scripted peer in the same thread: the kernel
// completes the client's connect before accept, and what the peer writes
// waits in the client's socket until it reads.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <future>
#include <string>
#include <thread>

#include "client/reseau.h"
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

// A listening socket on 127.0.0.1, and the one connection it accepts.
struct pair_scripte {
  pair_scripte() {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t taille = sizeof a;
    EXPECT_EQ(bind(ecoute, reinterpret_cast<sockaddr*>(&a), taille), 0);
    EXPECT_EQ(listen(ecoute, 4), 0);
    getsockname(ecoute, reinterpret_cast<sockaddr*>(&a), &taille);
    port = ntohs(a.sin_port);
  }
  ~pair_scripte() {
    close(fd);
    close(ecoute);
  }
  connexion connecte(std::chrono::milliseconds delai = 5s) {
    connexion c = connexion::ouvre("127.0.0.1", port, delai);
    fd = accept(ecoute, nullptr, nullptr);
    return c;
  }
  void ecrit(const std::string& octets) {
    EXPECT_EQ(send(fd, octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  }
  // What one read gives once something has come (within 5 s).
  std::string recu() {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1) return "";
    char bloc[4096];
    const ssize_t n = recv(fd, bloc, sizeof bloc, 0);
    return n > 0 ? std::string(bloc, static_cast<std::size_t>(n)): "";
  }
  int ecoute = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int fd = -1;
  int port = 0;
};

template <class Appel>
std::string erreur_de(Appel&& appel) {
  try {
    appel();
  } catch (const erreur& e) {
    return std::to_string(static_cast<int>(e.quoi())) + ' ' + e.what();
  }
  return "no error";
}

TEST(Transport, FramesAndRefusals) {
  pair_scripte pair;
  connexion c = pair.connecte();
  constexpr std::array trame{requete::taille_plateau, requete::tire, requete::vaisseaux,
                             requete::statut};
  EXPECT_THROW(c.action(requete::vaisseaux), std::invalid_argument);
  envois = 0;
  c.envoie(trame);
  EXPECT_EQ(envois, 1);
  // One write is one segment on the loopback: one read, nothing before it.
  EXPECT_EQ(pair.recu(),
            "GET TAILLE PLATEAU\r\nPUT ACTION TIRE\r\nGET VAISSEAUX\r\nGET STATUT\r\n");
  pair.ecrit(
      "PUT TAILLE PLATEAU 990 990\r\nOK\r\nPUT VAISSEAUX 1\r\n512 301 1.57 5 255\r\nPUT STATUT "
      "vivant\r\n");
  const auto r = c.recoit(trame);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(std::get<taille_plateau>(r[0]).hauteur, 990);
  EXPECT_TRUE(std::holds_alternative<ok>(r[1]));
  EXPECT_EQ(std::get<std::vector<vaisseau>>(r[2]).at(0).couleur, 255);
  EXPECT_EQ(std::get<statut>(r[3]), statut::vivant);

  // A refusal inside a frame: the frame's other replies are read, so the
  // next request gets its own reply.
  pair.ecrit("OK\r\nERREUR SYNTAXE\r\nPUT BALLES 1\r\n1 2 3\r\nPUT STATUT mort\r\n");
  constexpr std::array refusee{requete::gauche, requete::stats, requete::balles};
  EXPECT_EQ(erreur_de([&] { c.trame(refusee); }), "5 GET STATS refused: ERREUR SYNTAXE");
  EXPECT_EQ(c.etat(), statut::mort);
  pair.ecrit("OK\r\n");
  c.quitte();
  EXPECT_EQ(c.descripteur(), -1);
}

// A peer that says nothing, says something else, or leaves: an error naming
// what came, and the connection closed.
TEST(Transport, PeerFailures) {
  const struct {
    std::string octets;
    bool ferme;
    std::string attendu;
  } cas[] = {
      {"", false, "2 no complete reply: nothing within 200 ms (reply to GET VAISSEAUX)"},
      {"BONJOUR\r\n", false, R"(3 unexpected reply to GET VAISSEAUX: "BONJOUR\r\n")"},
      {"PUT VAISSEAUX 999999999999\r\n", false,
       "3 unexpected reply to GET VAISSEAUX: more than 1000000"},
      {std::string(10000, 'z'), false, "3 line longer than 4096 bytes"},
      {"PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n3 4", true,
       R"(1 connection closed by the server in the middle of the line "3 4")"},
  };
  for (const auto& [octets, ferme, attendu] : cas) {
    pair_scripte pair;
    connexion c = pair.connecte(200ms);
    pair.ecrit(octets);
    if (ferme) shutdown(pair.fd, SHUT_WR);
    EXPECT_TRUE(erreur_de([&] { c.vaisseaux(); }).starts_with(attendu)) << attendu;
    EXPECT_EQ(c.descripteur(), -1);
    EXPECT_EQ(erreur_de([&] { c.etat(); }), "1 connection already closed");
  }
}

TEST(Transport, ConnectionRefused) {
  int port = 0;
  {
    pair_scripte pair;
    port = pair.port;
  }
  EXPECT_TRUE(erreur_de([&] {
                connexion::ouvre("127.0.0.1", port);
              }).starts_with("0 connecting to 127.0.0.1"));
}

TEST(Transport, ANameIsResolved) {
  pair_scripte pair;
  connexion c = connexion::ouvre("localhost", pair.port);
  EXPECT_GE(c.descripteur(), 0);
}

// A name server that answers only when the test lets it: numeric
// addresses are read at once, names wait for `reponds`.
std::promise<void> reponds;
const std::shared_future<void> reponse_permise = reponds.get_future().share();
std::atomic<int> appels{0};
std::atomic<int> noms_finis{0};

int resolveur_lent(const char* hote, const char* service, const addrinfo* indices,
                   addrinfo** adresses) {
  ++appels;
  if (indices->ai_flags & AI_NUMERICHOST) return getaddrinfo(hote, service, indices, adresses);
  reponse_permise.wait();
  ++noms_finis;
  return EAI_AGAIN;
}

TEST(Resolution, ASlowNameServerDoesNotOutlastTheDelay) {
  appels = 0;
  // Without a deadline on the resolution this call would wait for ever.
  EXPECT_EQ(erreur_de([] { interne::resout("lent.invalid", 80, interne::echeance(100ms), resolveur_lent); }),
            "0 connecting to lent.invalid port 80: name not resolved within 100 ms");
  EXPECT_EQ(appels, 2) << "the numeric reading, then the name";
  EXPECT_EQ(noms_finis, 0);
  // The resolver's thread, left behind, ends once its answer comes.
  reponds.set_value();
  for (int i = 0; i < 1000 && noms_finis == 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(noms_finis, 1);
}

TEST(Resolution, NumericAddressesAreReadWithoutANameServer) {
  for (const auto& [hote, famille] : {std::pair{"127.0.0.1", AF_INET}, std::pair{"::1", AF_INET6}}) {
    appels = 0;
    const auto a = interne::resout(hote, 8080, interne::echeance(100ms), resolveur_lent);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->ai_family, famille) << hote;
    EXPECT_EQ(appels, 1) << hote;
  }
  EXPECT_EQ(erreur_de([] { interne::resout("127.0.0.1", 70000, interne::echeance(100ms)); }),
            "0 connecting to 127.0.0.1 port 70000: invalid port");
}

}  // namespace
}  // namespace jeu_client
