// The spectators' tick stream ("GET FLUX"), sessions run in this process over
// socket pairs on a world whose ticks the test drives: each frame is the
// world as "GET VAISSEAUX" and "GET BALLES" show it between the same two
// ticks; a reader that does not read loses whole ticks and never slows the
// tick.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "commun/attente.h"
#include "net/session.h"
#include "net/protocole.h"
#include "net/session_spectateur.h"
#include "simulation/actions.h"
#include "simulation/tick.h"
#include "support/monde_essai.h"

namespace jeu {
namespace {

using namespace std::chrono_literals;

// A session on its own thread; this side of the pair is the client.
class session_locale {
 public:
  explicit session_locale(monde& m) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    fd_ = fds[1];
    fil_ = std::thread([&m, this, fd = fds[0]] {
      client(m, fd);
      finie_ = true;
    });
  }
  ~session_locale() {
    if (fd_ >= 0) close(fd_);
    fil_.join();
  }
  void envoie(std::string_view octets) {
    EXPECT_EQ(send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(octets.size()));
  }
  // The next line, LF included; nullopt at the end of the stream or after 5 s.
  std::optional<std::string> ligne() {
    const auto fin = std::chrono::steady_clock::now() + 5s;
    for (;;) {
      if (const auto lf = recu_.find('\n'); lf != std::string::npos) {
        std::string l = recu_.substr(0, lf + 1);
        recu_.erase(0, lf + 1);
        return l;
      }
      pollfd p{fd_, POLLIN, 0};
      if (std::chrono::steady_clock::now() > fin || poll(&p, 1, 100) < 0) return std::nullopt;
      if (!(p.revents & (POLLIN | POLLHUP))) continue;
      char bloc[65536];
      const ssize_t n = recv(fd_, bloc, sizeof bloc, 0);
      if (n <= 0) return std::nullopt;
      recu_.append(bloc, static_cast<std::size_t>(n));
    }
  }
  // One frame: its TICK line's fields and the text after that line, cut by
  // its blocks' counts ("PUT <NAME> <n>" then n lines) up to "FIN TICK".
  struct trame {
    std::uint64_t tick = 0;
    std::uint64_t perdus = 0;
    std::string corps;
  };
  std::optional<trame> trame_suivante() {
    const auto tete = ligne();
    if (!tete) return std::nullopt;
    trame t;
    if (std::sscanf(tete->c_str(), "TICK %lu %lu\r\n", &t.tick, &t.perdus) != 2) {
      ADD_FAILURE() << "not a TICK line: " << *tete;
      return std::nullopt;
    }
    for (;;) {
      const auto l = ligne();
      if (!l) return std::nullopt;
      t.corps += *l;
      if (l->starts_with("FIN TICK ")) {
        EXPECT_EQ(*l, "FIN TICK " + std::to_string(t.tick) + "\r\n");
        return t;
      }
      char nom[64];
      std::size_t n = 0;
      if (std::sscanf(l->c_str(), "PUT %63s %zu", nom, &n) != 2) {
        ADD_FAILURE() << "not a block header: " << *l;
        return std::nullopt;
      }
      for (std::size_t i = 0; i < n; ++i) {
        const auto item = ligne();
        if (!item) return std::nullopt;
        t.corps += *item;
      }
    }
  }
  bool finie() const { return finie_; }
  void ferme() {
    close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  std::string recu_;
  std::atomic<bool> finie_ = false;
  std::thread fil_;
};

// The frame of the tick just done, after its TICK line, as a spectator's
// "GET VAISSEAUX" and "GET BALLES" see the world now, with the events
// numbered from `depuis` on; `manques` stands for the events of lost ticks.
struct attendu {
  std::string listes;
  std::string evenements;
  std::size_t nombre = 0;
  std::uint64_t premier = 0;  // the events' numbers: [premier, premier + nombre)
  std::string fin;
  std::string texte(std::uint64_t manques) const {
    return listes + "PUT EVENEMENTS " + std::to_string(nombre) + ' ' + std::to_string(manques) +
           "\r\n" + evenements + fin;
  }
};
attendu attendu_du_tick(const monde& m, std::uint64_t depuis) REQUIRES(m.verrou_monde) {
  spectateur s;
  attendu a;
  s.traite_requete(m, "GET VAISSEAUX\r");
  s.ajoute_reponse(a.listes);
  s.traite_requete(m, "GET BALLES\r");
  s.ajoute_reponse(a.listes);
  std::vector<evenement> evenements;
  EXPECT_EQ(m.evenements.lit(depuis, evenements), 0u);
  for (const evenement& e : evenements) ajoute_evenement(a.evenements, e);
  a.nombre = evenements.size();
  a.premier = depuis;
  a.fin = "FIN TICK " + std::to_string(m.numero_tick) + "\r\n";
  return a;
}

// A world with ships and `balles` bullets scattered in it, no cube.
void peuple(monde& m, int balles, std::uint64_t graine) {
  VerrouGarde garde(m.verrou_monde);
  std::mt19937_64 alea(graine);
  std::uniform_real_distribution<double> place(100.0, 890.0);
  std::uniform_real_distribution<double> angle(0.0, 6.28);
  essai::pose(m, {essai::navire(100, 100, 255, 0.3, 1.5), essai::navire(500, 500, 7, 2.0, -1.0),
                  essai::navire(800, 200, 16711680, 4.0, 3.0, 2)});
  for (int i = 0; i < balles; ++i) {
    essai::lance(m, {{place(alea), place(alea), angle(alea), static_cast<couleur_t>(i % 5)}});
  }
}

std::uint64_t abonnes(const monde& m) { return static_cast<std::uint64_t>(m.flux.abonnes()); }

// Starts a stream on `s`: "SPECTATEUR ENREGISTRE", "PUT FLUX".
void commence(session_locale& s) {
  s.envoie("PUT SPECTATEUR\r\nGET FLUX\r\n");
  EXPECT_EQ(s.ligne(), "SPECTATEUR ENREGISTRE\r\n");
  EXPECT_EQ(s.ligne(), "PUT FLUX\r\n");
}

TEST(Flux, EachFrameIsTheWorldBetweenTheSameTwoTicks) {
  monde m(5);
  peuple(m, 100, 1);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(avance_monde_protege(m));
  session_locale s(m);
  commence(s);
  // "PUT FLUX" left after the stream counted itself in: every tick from now
  // on has its frame.
  ASSERT_EQ(abonnes(m), 1u);
  std::uint64_t evenements = 0;
  {
    VerrouGarde garde(m.verrou_monde);
    evenements = m.flux.fin_evenements_tick;
  }
  std::size_t tous = 0;
  for (std::uint64_t k = 4; k <= 40; ++k) {
    std::string texte;
    {
      // Between ticks the world changes too: a ship turns and fires.
      VerrouGarde garde(m.verrou_monde);
      if (k % 3 == 0 && !m.vaisseaux.empty()) {
        traite_action_joueur(m, essai::id_de(m.vaisseaux.front()), action::Tire);
        traite_action_joueur(m, essai::id_de(m.vaisseaux.front()), action::Gauche);
      }
    }
    ASSERT_TRUE(avance_monde_protege(m));
    {
      VerrouGarde garde(m.verrou_monde);
      ASSERT_EQ(m.numero_tick, k);
      const attendu a = attendu_du_tick(m, evenements);
      texte = a.texte(0);
      tous += a.nombre;
      evenements = m.evenements.prochain();
    }
    const auto t = s.trame_suivante();
    ASSERT_TRUE(t) << k;
    EXPECT_EQ(t->tick, k);
    EXPECT_EQ(t->perdus, 0u) << k;
    EXPECT_EQ(t->corps, texte) << k;
  }
  EXPECT_GT(tous, 0u) << "no event: the frames' events block was not tested";
  // Requests after GET FLUX are read and ignored: only frames come.
  s.envoie("GET VAISSEAUX\r\nGET STATS\r\nPUT ACTION QUITTE\r\n");
  ASSERT_TRUE(avance_monde_protege(m));
  const auto t = s.trame_suivante();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->tick, 41u);
  EXPECT_FALSE(s.finie());
  // Closing the connection ends the stream, and the tick stops publishing.
  s.ferme();
  EXPECT_TRUE(commun::attend_jusqua([&] { return s.finie() && abonnes(m) == 0; }, 10s));
}

TEST(Flux, NoStreamNoFrame) {
  monde m(6);
  peuple(m, 10, 2);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(avance_monde_protege(m));
  EXPECT_EQ(m.flux.attend(0, std::chrono::steady_clock::now()), nullptr);
  // A player asking for the stream gets a syntax error and stays a player.
  session_locale j(m);
  j.envoie("PUT COULEUR VAISSEAU 99\r\nGET FLUX\r\nGET STATUT\r\n");
  EXPECT_EQ(j.ligne(), "VAISSEAU ENREGISTRE\r\n");
  EXPECT_EQ(j.ligne(), "ERREUR SYNTAXE\r\n");
  EXPECT_EQ(j.ligne(), "PUT STATUT vivant\r\n");
  EXPECT_EQ(abonnes(m), 0u);
}

TEST(Flux, AReaderThatDoesNotReadLosesWholeTicksAndNeverSlowsTheTick) {
  monde m(7);
  // Frames of tens of kilobytes: a few fill the socket's buffers.
  peuple(m, 3000, 4);
  session_locale lent(m);
  commence(lent);
  ASSERT_EQ(abonnes(m), 1u);
  // The reader reads nothing while the ticks run. They run here, one after
  // the other: a tick that waited for the stream would never end.
  std::map<std::uint64_t, attendu> attendus;
  constexpr std::uint64_t ticks = 80;
  // A frame holds the events since the previous tick ended, those before
  // the stream began included (the ships' arrivals here); the events
  // missed are those since the stream began.
  std::uint64_t evenements = 0;
  std::uint64_t abonnement = 0;
  {
    VerrouGarde garde(m.verrou_monde);
    evenements = m.flux.fin_evenements_tick;
    abonnement = m.evenements.prochain();
  }
  ASSERT_GT(abonnement, evenements);
  for (std::uint64_t k = 1; k <= ticks; ++k) {
    ASSERT_TRUE(avance_monde_protege(m));
    VerrouGarde garde(m.verrou_monde);
    attendus[m.numero_tick] = attendu_du_tick(m, evenements);
    evenements = m.evenements.prochain();
  }
  {
    VerrouGarde garde(m.verrou_monde);
    EXPECT_EQ(m.numero_tick, ticks);
  }
  {
    session_locale* s = &lent;
    std::uint64_t precedent = 0;
    std::uint64_t recues = 0;
    std::uint64_t perdus = 0;
    while (precedent < ticks) {
      const auto t = s->trame_suivante();
      ASSERT_TRUE(t) << "after tick " << precedent;
      ASSERT_TRUE(attendus.count(t->tick)) << t->tick;
      // A whole frame, the world of its own tick; the events of the ticks
      // lost counted as missed.
      std::uint64_t manques = 0;
      for (std::uint64_t p = precedent + 1; p < t->tick; ++p) {
        const attendu& a = attendus[p];
        const std::uint64_t fin = a.premier + a.nombre;
        manques += fin - std::min(fin, std::max(a.premier, abonnement));
      }
      EXPECT_EQ(t->corps, attendus[t->tick].texte(manques)) << t->tick;
      EXPECT_EQ(t->perdus, t->tick - precedent - 1) << t->tick;
      precedent = t->tick;
      ++recues;
      perdus += t->perdus;
    }
    EXPECT_EQ(recues + perdus, ticks);
    EXPECT_GT(perdus, 0u) << "the slow reader lost nothing";
  }
}

}  // namespace
}  // namespace jeu
