// serveur_plancher: the floor under serveur_jeu's cost. Same model (one
// thread per connection with the same stack size, blocking sockets, request
// lines read 4096 bytes at a time and bounded at 4096 bytes, the replies to
// requests that arrived together sent in one write) and the same replies to
// a player's frames, but no world: a 40 Hz thread rebuilds ready-made ship
// and bullet lists of the real sizes, and each reply is a copy of one of
// them. What it costs is what the bytes and the threads alone cost.
//
//   serveur_plancher [--balles-par-joueur R] [port]      (port 12345)
//
// Registration is checked as the real server checks it (a canonical signed
// 64-bit colour, not used by a connected player). Players get "GET
// VAISSEAUX" (one line per registered player), "GET BALLES" (R bullets per
// player), "GET STATUT", "OK" for the actions; spectators get "GET STATS"
// in the real server's form. A new ship shows in the lists from the next
// tick on. It listens on 127.0.0.1 only.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "commun/limite_fichiers.h"
#include "commun/options_cli.h"

namespace {

using horloge = std::chrono::steady_clock;
using texte = std::shared_ptr<const std::string>;

constexpr std::size_t taille_max_ligne = 4096;
constexpr std::size_t pile_session = 256 * 1024;  // as the real server's sessions
constexpr std::size_t envoi_min = 64 * 1024;      // replies wait at most this much

// A registered player's ship, as the lists show it.
struct vaisseau {
  int x;
  int y;
  double angle;
};

class plancher {
 public:
  explicit plancher(double balles_par_joueur) : balles_par_joueur_(balles_par_joueur) {}

  // Registers `couleur`; false when a connected player has it.
  bool enregistre(std::int64_t couleur) {
    std::lock_guard verrou(mutex_);
    const int x = static_cast<int>(hasard_() % 990);
    const int y = static_cast<int>(hasard_() % 990);
    const double angle = std::uniform_real_distribution<double>(0, 6.283185307179586)(hasard_);
    return joueurs_.emplace(couleur, vaisseau{x, y, angle}).second;
  }
  void retire(std::int64_t couleur) {
    std::lock_guard verrou(mutex_);
    joueurs_.erase(couleur);
  }
  texte vaisseaux() {
    std::lock_guard verrou(mutex_);
    return vaisseaux_;
  }
  texte balles() {
    std::lock_guard verrou(mutex_);
    return balles_;
  }
  std::string stats();

  // The 40 Hz thread: a tick rebuilds the lists, then sleeps 25 ms, as the
  // real server's tick does.
  [[noreturn]] void ticks();

  std::atomic<std::uint64_t> requetes{0};
  std::atomic<std::int64_t> nb_joueurs{0};
  std::atomic<std::int64_t> nb_spectateurs{0};

 private:
  struct fin_tick {
    horloge::time_point fin;
    std::uint64_t requetes;
  };

  void reconstruit();

  const double balles_par_joueur_;
  std::mutex mutex_;
  std::minstd_rand hasard_{12345};
  std::unordered_map<std::int64_t, vaisseau> joueurs_;
  texte vaisseaux_ = std::make_shared<const std::string>("PUT VAISSEAUX 0\r\n");
  texte balles_ = std::make_shared<const std::string>("PUT BALLES 0\r\n");
  std::array<fin_tick, 64> fins_{};
  std::array<std::int64_t, 1000> durees_us_{};
  std::size_t notes_ = 0;
  std::int64_t p99_us_ = 0;
  std::size_t nb_balles_ = 0;
};

void plancher::reconstruit() {
  std::vector<std::pair<std::int64_t, vaisseau>> copie;
  {
    std::lock_guard verrou(mutex_);
    // Every player turns as a frame's GAUCHE turns it, so the angles grow
    // and take as many digits as the real ones.
    for (auto& [couleur, v] : joueurs_) v.angle += 0.15;
    copie.assign(joueurs_.begin(), joueurs_.end());
  }
  char ligne[128];
  auto v = std::make_shared<std::string>("PUT VAISSEAUX " + std::to_string(copie.size()) + "\r\n");
  for (const auto& [couleur, s] : copie) {
    char angle[40];
    std::snprintf(angle, sizeof angle, "%.12g", s.angle);
    const bool entier = std::string_view(angle).find_first_of(".e") == std::string_view::npos;
    std::snprintf(ligne, sizeof ligne, "%d %d %s%s 5 %lld\r\n", s.x, s.y, angle, entier ? "." : "",
                  static_cast<long long>(couleur));
    *v += ligne;
  }
  const auto n = static_cast<std::size_t>(
      std::llround(balles_par_joueur_ * static_cast<double>(copie.size())));
  auto b = std::make_shared<std::string>("PUT BALLES " + std::to_string(n) + "\r\n");
  std::minstd_rand hasard(static_cast<unsigned>(notes_ + 1));
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(ligne, sizeof ligne, "%u %u %lld\r\n", static_cast<unsigned>(hasard() % 990),
                  static_cast<unsigned>(hasard() % 990),
                  static_cast<long long>(copie[i % copie.size()].first));
    *b += ligne;
  }
  std::lock_guard verrou(mutex_);
  vaisseaux_ = std::move(v);
  balles_ = std::move(b);
  nb_balles_ = n;
}

void plancher::ticks() {
  for (;;) {
    const horloge::time_point debut = horloge::now();
    reconstruit();
    const horloge::time_point fin = horloge::now();
    {
      std::lock_guard verrou(mutex_);
      durees_us_[notes_ % durees_us_.size()] =
          std::chrono::duration_cast<std::chrono::microseconds>(fin - debut).count();
      fins_[notes_ % fins_.size()] = {fin, requetes.load(std::memory_order_relaxed)};
      ++notes_;
      std::vector<std::int64_t> tri(durees_us_.begin(),
                                    durees_us_.begin() + static_cast<std::ptrdiff_t>(
                                                             std::min(notes_, durees_us_.size())));
      const auto rang = static_cast<std::ptrdiff_t>((tri.size() * 99 + 99) / 100 - 1);
      std::nth_element(tri.begin(), tri.begin() + rang, tri.end());
      p99_us_ = tri[static_cast<std::size_t>(rang)];
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
}

std::string plancher::stats() {
  const horloge::time_point maintenant = horloge::now();
  const std::uint64_t total = requetes.load(std::memory_order_relaxed);
  std::lock_guard verrou(mutex_);
  double ticks_s = 0;
  std::int64_t requetes_s = 0;
  std::int64_t duree_us = 0;
  if (notes_ > 0) {
    duree_us = durees_us_[(notes_ - 1) % durees_us_.size()];
    const std::size_t n = std::min(notes_, fins_.size());
    const auto fin = [&](std::size_t age) -> const fin_tick& {
      return fins_[(notes_ - 1 - age) % fins_.size()];
    };
    std::size_t recents = 0;
    while (recents < n && maintenant - fin(recents).fin <= std::chrono::seconds(1)) ++recents;
    ticks_s = static_cast<double>(recents);
    if (recents >= 2) {
      const std::chrono::duration<double> ecart = fin(0).fin - fin(recents - 1).fin;
      if (ecart.count() > 0) ticks_s = static_cast<double>(recents - 1) / ecart.count();
    }
    const fin_tick& depart = fin(recents < n ? recents : n - 1);
    const std::chrono::duration<double> duree = maintenant - depart.fin;
    if (duree.count() > 0 && total >= depart.requetes) {
      requetes_s = std::llround(static_cast<double>(total - depart.requetes) / duree.count());
    }
  }
  char ligne[256];
  std::snprintf(ligne, sizeof ligne,
                "PUT STATS ticks_s=%.1f tick_us=%lld tick_p99_us=%lld joueurs=%lld "
                "spectateurs=%lld vaisseaux=%zu balles=%zu requetes_s=%lld\r\n",
                ticks_s, static_cast<long long>(duree_us), static_cast<long long>(p99_us_),
                static_cast<long long>(nb_joueurs.load()),
                static_cast<long long>(nb_spectateurs.load()), joueurs_.size(), nb_balles_,
                static_cast<long long>(requetes_s));
  return ligne;
}

// A canonical signed 64-bit decimal: no '+', no leading zero, no "-0".
bool couleur_canonique(std::string_view t, std::int64_t& couleur) {
  if (t.empty() || t.size() > 20) return false;
  errno = 0;
  const std::string s(t);
  char* fin = nullptr;
  const long long v = std::strtoll(s.c_str(), &fin, 10);
  if (errno != 0 || fin != s.c_str() + s.size() || std::to_string(v) != s) return false;
  couleur = v;
  return true;
}

// One connection: lines read in blocks of 4096 bytes, bounded at 4096
// bytes; replies kept until no further line is already there.
class session {
 public:
  session(plancher& p, int fd) : p_(p), fd_(fd) { ligne_.reserve(taille_max_ligne); }
  ~session() {
    if (couleur_) {
      p_.retire(*couleur_);
      p_.nb_joueurs.fetch_sub(1);
    }
    if (spectateur_) p_.nb_spectateurs.fetch_sub(1);
    close(fd_);
  }
  session(const session&) = delete;
  session& operator=(const session&) = delete;

  void sert() {
    while (lit_ligne()) {
      p_.requetes.fetch_add(1, std::memory_order_relaxed);
      if (tronquee_) {
        sortie_ += "ERREUR SYNTAXE\r\n";
      } else if (!repond(ligne_)) {
        break;
      }
    }
    envoie();
  }

 private:
  bool ligne_prete() const {
    return std::find(tampon_.begin() + static_cast<std::ptrdiff_t>(debut_),
                     tampon_.begin() + static_cast<std::ptrdiff_t>(fin_), '\n') !=
           tampon_.begin() + static_cast<std::ptrdiff_t>(fin_);
  }

  bool envoie() {
    std::size_t fait = 0;
    while (fait < sortie_.size()) {
      const ssize_t n = send(fd_, sortie_.data() + fait, sortie_.size() - fait, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      fait += static_cast<std::size_t>(n);
    }
    sortie_.clear();
    return true;
  }

  // The next line, its LF removed, in ligne_ (its first 4096 bytes).
  bool lit_ligne() {
    if ((!ligne_prete() || sortie_.size() >= envoi_min) && !envoie()) return false;
    ligne_.clear();
    tronquee_ = false;
    for (;;) {
      if (debut_ == fin_) {
        const ssize_t n = read(fd_, tampon_.data(), tampon_.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return !ligne_.empty() || tronquee_;
        debut_ = 0;
        fin_ = static_cast<std::size_t>(n);
      }
      const char* d = tampon_.data() + debut_;
      const char* lf = static_cast<const char*>(std::memchr(d, '\n', fin_ - debut_));
      const std::size_t morceau = lf ? static_cast<std::size_t>(lf - d) : fin_ - debut_;
      const std::size_t place = taille_max_ligne - ligne_.size();
      ligne_.append(d, std::min(morceau, place));
      tronquee_ = tronquee_ || morceau > place;
      debut_ += morceau + (lf ? 1 : 0);
      if (lf) return true;
    }
  }

  // Adds the reply to `requete` to sortie_; false when the connection ends.
  bool repond(std::string_view requete) {
    constexpr std::string_view prefixe_couleur = "PUT COULEUR VAISSEAU ";
    if (!couleur_ && !spectateur_) {
      std::int64_t couleur = 0;
      if (requete == "PUT SPECTATEUR\r") {
        spectateur_ = true;
        p_.nb_spectateurs.fetch_add(1);
        sortie_ += "SPECTATEUR ENREGISTRE\r\n";
      } else if (requete.starts_with(prefixe_couleur) && requete.ends_with('\r') &&
                 couleur_canonique(requete.substr(prefixe_couleur.size(),
                                                  requete.size() - prefixe_couleur.size() - 1),
                                   couleur)) {
        if (p_.enregistre(couleur)) {
          couleur_ = couleur;
          p_.nb_joueurs.fetch_add(1);
          sortie_ += "VAISSEAU ENREGISTRE\r\n";
        } else {
          sortie_ += "ERREUR COULEUR UTILISEE\r\n";
        }
      } else {
        sortie_ += "ERREUR SYNTAXE\r\n";
      }
      return true;
    }
    if (requete == "GET VAISSEAUX\r") {
      sortie_ += *p_.vaisseaux();
    } else if (requete == "GET BALLES\r") {
      sortie_ += *p_.balles();
    } else if (requete == "PUT ACTION QUITTE\r") {
      sortie_ += "OK\r\n";
      return false;
    } else if (spectateur_) {
      sortie_ += requete == "GET STATS\r" ? p_.stats() : "ERREUR SYNTAXE\r\n";
    } else if (requete == "PUT ACTION GAUCHE\r" || requete == "PUT ACTION DROITE\r" ||
               requete == "PUT ACTION TIRE\r" || requete == "PUT ACTION ACCELERE\r" ||
               requete == "PUT ACTION DECELERE\r") {
      sortie_ += "OK\r\n";
    } else if (requete == "GET STATUT\r") {
      sortie_ += "PUT STATUT vivant\r\n";
    } else {
      sortie_ += "ERREUR SYNTAXE\r\n";
    }
    return true;
  }

  plancher& p_;
  int fd_;
  std::array<char, taille_max_ligne> tampon_;
  std::size_t debut_ = 0;
  std::size_t fin_ = 0;
  std::string ligne_;
  bool tronquee_ = false;
  std::string sortie_;
  std::optional<std::int64_t> couleur_;
  bool spectateur_ = false;
};

struct depart {
  plancher* p;
  int fd;
};

void* corps_session(void* arg) {
  const std::unique_ptr<depart> d(static_cast<depart*>(arg));
  try {
    session(*d->p, d->fd).sert();
  } catch (...) {
    // Out of memory: this connection ends, not the program.
  }
  return nullptr;
}

void lance_session(plancher& p, int fd) {
  pthread_attr_t attributs;
  pthread_attr_init(&attributs);
  pthread_attr_setstacksize(&attributs, pile_session);
  pthread_attr_setdetachstate(&attributs, PTHREAD_CREATE_DETACHED);
  auto* d = new depart{&p, fd};
  pthread_t fil;
  if (pthread_create(&fil, &attributs, corps_session, d) != 0) {
    delete d;
    close(fd);
  }
  pthread_attr_destroy(&attributs);
}

}  // namespace

int main(int argc, char** argv) {
  int port = 12345;
  double balles_par_joueur = 0;
  CLI::App app{"The floor under serveur_jeu: same threads and bytes, no world.",
               "serveur_plancher"};
  app.add_option("port", port, "TCP port, on 127.0.0.1")->check(CLI::Range(1, 65535));
  app.add_option("--balles-par-joueur", balles_par_joueur,
                 "bullets in the GET BALLES list per registered player")
      ->check(CLI::Range(0.0, 1000.0));
  if (auto sortie = jeu::commun::analyse(app, argc, argv)) return jeu::commun::termine(*sortie);

  std::signal(SIGPIPE, SIG_IGN);
  jeu::commun::leve_limite_fichiers();
  const int ecoute = socket(AF_INET, SOCK_STREAM, 0);
  const int oui = 1;
  setsockopt(ecoute, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  adresse.sin_port = htons(static_cast<std::uint16_t>(port));
  // The kernel caps the backlog at net.core.somaxconn, as the real server asks.
  if (ecoute < 0 || bind(ecoute, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse) != 0 ||
      listen(ecoute, 65535) != 0) {
    std::perror("serveur_plancher");
    return 1;
  }
  static plancher p(balles_par_joueur);
  std::thread([] { p.ticks(); }).detach();
  for (;;) {
    const int fd = accept(ecoute, nullptr, nullptr);
    if (fd < 0) {
      if (errno != EINTR && errno != ECONNABORTED) {
        std::this_thread::sleep_for(std::chrono::milliseconds(errno == EMFILE ? 50 : 1));
      }
      continue;
    }
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &oui, sizeof oui);
    lance_session(p, fd);
  }
}
