#include "charge/moteur.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <limits>
#include <queue>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace jeu::charge {

std::int64_t maintenant() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

namespace {

constexpr std::int64_t seconde = 1'000'000'000;
constexpr std::uint64_t repere_minuterie = std::numeric_limits<std::uint64_t>::max();

std::int64_t en_ns(double secondes) { return std::llround(secondes * 1e9); }

[[noreturn]] void echec_systeme(const char* quoi) {
  throw std::system_error(errno, std::generic_category(), quoi);
}

class descripteur {
 public:
  explicit descripteur(int fd) : fd_(fd) {}
  ~descripteur() {
    if (fd_ >= 0) close(fd_);
  }
  descripteur(const descripteur&) = delete;
  descripteur& operator=(const descripteur&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

struct emplacement {
  explicit emplacement(connexion_charge cx) : c(std::move(cx)) {}
  connexion_charge c;
  int fd = -1;
  std::uint32_t evenements = 0;  // registered with epoll
  std::optional<std::int64_t> echeance_programmee;
};

regime regime_de(const options& o) {
  regime r;
  r.requetes = o.requetes;
  r.pipeline = o.pipeline;
  r.debit = o.debit;
  r.enregistrement = o.enregistrement;
  return r;
}

class boucle {
 public:
  boucle(const options& o, const std::function<void(const instantane&)>& progression)
      : o_(o),
        progression_(progression),
        regime_(regime_de(o)),
        epoll_(epoll_create1(EPOLL_CLOEXEC)),
        minuterie_(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
    if (epoll_.get() < 0) echec_systeme("epoll_create1");
    if (minuterie_.get() < 0) echec_systeme("timerfd_create");
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = repere_minuterie;
    if (epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, minuterie_.get(), &ev) != 0) {
      echec_systeme("epoll_ctl");
    }
    adresse_.sin_family = AF_INET;
    adresse_.sin_port = htons(static_cast<std::uint16_t>(o.port));
    if (inet_pton(AF_INET, o.adresse.c_str(), &adresse_.sin_addr) != 1) {
      throw std::invalid_argument("bad address " + o.adresse);
    }
    emplacements_.reserve(static_cast<std::size_t>(o.connexions));
    for (int i = 0; i < o.connexions; ++i) {
      emplacements_.emplace_back(connexion_charge(regime_, o.couleur + i));
    }
  }

  ~boucle() {
    for (emplacement& e : emplacements_) {
      if (e.fd >= 0) close(e.fd);
    }
  }

  bilan_execution execute();

 private:
  void ouvre(std::size_t i, std::int64_t t);
  void traite(std::size_t i, std::uint32_t evenements);
  void lit(std::size_t i);
  // Writes what the connection has to say, then fits the epoll interest and
  // the timers to its new state; closes it when it is over.
  void apres(std::size_t i);
  void ferme(std::size_t i);
  void arme_minuterie(std::int64_t quand);
  std::int64_t debut_connexion(std::size_t i) const;
  bool tout_repondu() const;

  const options& o_;
  const std::function<void(const instantane&)>& progression_;
  regime regime_;
  descripteur epoll_;
  descripteur minuterie_;
  sockaddr_in adresse_{};
  std::vector<emplacement> emplacements_;
  std::priority_queue<std::pair<std::int64_t, std::size_t>,
                      std::vector<std::pair<std::int64_t, std::size_t>>, std::greater<>>
      echeances_;
  std::int64_t debut_ = 0;
  std::int64_t minuterie_armee_ = -1;
  comptes m_;
  std::array<char, 1 << 16> tampon_;
};

std::int64_t boucle::debut_connexion(std::size_t i) const {
  if (o_.montee <= 0) return debut_;
  return debut_ + en_ns(o_.montee * static_cast<double>(i) / o_.connexions);
}

void boucle::ouvre(std::size_t i, std::int64_t t) {
  emplacement& e = emplacements_[i];
  e.c.debut_connexion(t);
  e.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (e.fd < 0) {
    e.c.connexion_echouee(m_);
    return;
  }
  const int un = 1;
  setsockopt(e.fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
  const int r = connect(e.fd, reinterpret_cast<const sockaddr*>(&adresse_), sizeof adresse_);
  if (r != 0 && errno != EINPROGRESS) {
    e.c.connexion_echouee(m_);
    ferme(i);
    return;
  }
  // Writable means connected (or failed: SO_ERROR tells).
  epoll_event ev{};
  ev.events = EPOLLOUT;
  ev.data.u64 = i;
  if (epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, e.fd, &ev) != 0) echec_systeme("epoll_ctl");
  e.evenements = EPOLLOUT;
}

void boucle::ferme(std::size_t i) {
  emplacement& e = emplacements_[i];
  if (e.fd < 0) return;
  close(e.fd);  // also leaves the epoll set
  e.fd = -1;
  e.evenements = 0;
}

void boucle::traite(std::size_t i, std::uint32_t evenements) {
  emplacement& e = emplacements_[i];
  if (e.c.etat_courant() == connexion_charge::etat::connexion) {
    int erreur = 0;
    socklen_t taille = sizeof erreur;
    if (getsockopt(e.fd, SOL_SOCKET, SO_ERROR, &erreur, &taille) != 0) erreur = errno;
    if (erreur != 0) {
      e.c.connexion_echouee(m_);
    } else {
      e.c.connexion_etablie(maintenant(), m_);
    }
    apres(i);
    return;
  }
  if (evenements & (EPOLLIN | EPOLLERR | EPOLLHUP)) lit(i);
  apres(i);
}

void boucle::lit(std::size_t i) {
  emplacement& e = emplacements_[i];
  const ssize_t n = recv(e.fd, tampon_.data(), tampon_.size(), 0);
  if (n > 0) {
    e.c.recoit(std::string_view(tampon_.data(), static_cast<std::size_t>(n)), maintenant(), m_);
  } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    e.c.perdue(m_);
  }
}

void boucle::apres(std::size_t i) {
  emplacement& e = emplacements_[i];
  std::string& sortie = e.c.a_ecrire();
  if (e.fd >= 0 && !sortie.empty() && e.c.etat_courant() != connexion_charge::etat::fermee) {
    const ssize_t n = send(e.fd, sortie.data(), sortie.size(), MSG_NOSIGNAL);
    if (n > 0) {
      sortie.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      e.c.perdue(m_);
    }
  }
  if (e.c.etat_courant() == connexion_charge::etat::fermee) {
    ferme(i);
    return;
  }
  if (e.fd < 0) return;
  const std::uint32_t voulus =
      e.c.etat_courant() == connexion_charge::etat::connexion
          ? std::uint32_t{EPOLLOUT}
          : EPOLLIN | (sortie.empty() ? 0u : std::uint32_t{EPOLLOUT});
  if (voulus != e.evenements) {
    epoll_event ev{};
    ev.events = voulus;
    ev.data.u64 = i;
    if (epoll_ctl(epoll_.get(), EPOLL_CTL_MOD, e.fd, &ev) != 0) echec_systeme("epoll_ctl");
    e.evenements = voulus;
  }
  const std::optional<std::int64_t> prochaine = e.c.prochaine_echeance();
  if (prochaine && prochaine != e.echeance_programmee) echeances_.emplace(*prochaine, i);
  e.echeance_programmee = prochaine;
}

void boucle::arme_minuterie(std::int64_t quand) {
  if (quand == minuterie_armee_) return;
  itimerspec reglage{};
  // it_value zero would disarm: an instant already past is 1 ns.
  quand = std::max<std::int64_t>(quand, 1);
  reglage.it_value.tv_sec = quand / seconde;
  reglage.it_value.tv_nsec = quand % seconde;
  if (timerfd_settime(minuterie_.get(), TFD_TIMER_ABSTIME, &reglage, nullptr) != 0) {
    echec_systeme("timerfd_settime");
  }
  minuterie_armee_ = quand;
}

bool boucle::tout_repondu() const {
  return std::all_of(emplacements_.begin(), emplacements_.end(), [](const emplacement& e) {
    return e.c.etat_courant() == connexion_charge::etat::fermee ||
           (e.c.etat_courant() == connexion_charge::etat::active && e.c.en_suspens() == 0);
  });
}

bilan_execution boucle::execute() {
  debut_ = maintenant();
  const std::int64_t fin_charge = debut_ + en_ns(o_.duree);
  const std::int64_t fin_attente = fin_charge + en_ns(o_.delai_fin);
  std::size_t a_ouvrir = 0;
  std::int64_t prochain_point = debut_ + seconde;
  std::uint64_t reponses_au_point = 0;
  std::int64_t dernier_point = debut_;
  bool arretee = false;
  std::int64_t arret = fin_charge;
  std::uint64_t reponses_a_l_arret = 0;
  std::int64_t fin = fin_attente;
  std::vector<epoll_event> prets(1024);

  for (;;) {
    std::int64_t t = maintenant();
    while (a_ouvrir < emplacements_.size() && debut_connexion(a_ouvrir) <= t && !arretee) {
      ouvre(a_ouvrir, t);
      apres(a_ouvrir);
      ++a_ouvrir;
    }
    while (!echeances_.empty() && echeances_.top().first <= t) {
      const std::size_t i = echeances_.top().second;
      const std::int64_t quand = echeances_.top().first;
      echeances_.pop();
      emplacement& e = emplacements_[i];
      if (e.echeance_programmee != quand) continue;  // superseded
      e.echeance_programmee.reset();
      if (!arretee) e.c.echeance(t, m_);
      apres(i);
    }
    if (!arretee && t >= fin_charge) {
      arretee = true;
      arret = t;
      reponses_a_l_arret = m_.reponses;
      for (std::size_t i = 0; i < emplacements_.size(); ++i) emplacements_[i].c.arrete();
    }
    if (t >= prochain_point) {
      if (progression_) {
        const double intervalle = static_cast<double>(t - dernier_point) / 1e9;
        progression_(instantane{static_cast<double>(t - debut_) / 1e9,
                                static_cast<double>(m_.reponses - reponses_au_point) / intervalle,
                                m_.erreurs(), m_.connexions_ouvertes});
      }
      reponses_au_point = m_.reponses;
      dernier_point = t;
      while (prochain_point <= t) prochain_point += seconde;
    }
    if (arretee && (t >= fin_attente || tout_repondu())) {
      fin = std::min(t, fin_attente);
      break;
    }

    std::int64_t reveil = arretee ? fin_attente : fin_charge;
    reveil = std::min(reveil, prochain_point);
    if (!arretee && a_ouvrir < emplacements_.size()) {
      reveil = std::min(reveil, debut_connexion(a_ouvrir));
    }
    if (!echeances_.empty()) reveil = std::min(reveil, echeances_.top().first);
    arme_minuterie(reveil);

    const int n = epoll_wait(epoll_.get(), prets.data(), static_cast<int>(prets.size()), -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      echec_systeme("epoll_wait");
    }
    for (int k = 0; k < n; ++k) {
      const std::uint64_t qui = prets[static_cast<std::size_t>(k)].data.u64;
      if (qui == repere_minuterie) {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t lu = read(minuterie_.get(), &expirations, sizeof expirations);
        minuterie_armee_ = -1;
        continue;
      }
      const std::size_t i = static_cast<std::size_t>(qui);
      if (emplacements_[i].fd < 0) continue;  // closed earlier in this batch
      traite(i, prets[static_cast<std::size_t>(k)].events);
    }
  }

  for (emplacement& e : emplacements_) {
    if (e.c.etat_courant() == connexion_charge::etat::connexion) {
      e.c.connexion_echouee(m_);
    } else {
      e.c.abandonne(m_);
    }
  }
  return bilan_execution{m_, static_cast<double>(arret - debut_) / 1e9, reponses_a_l_arret,
                         static_cast<double>(fin - arret) / 1e9};
}

}  // namespace

bilan_execution lance(const options& o, const std::function<void(const instantane&)>& progression) {
  boucle b(o, progression);
  return b.execute();
}

}  // namespace jeu::charge
