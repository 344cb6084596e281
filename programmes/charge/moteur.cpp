#include "charge/moteur.h"

#include "charge/processus_serveur.h"
#include "charge/repartition.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
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
constexpr std::uint64_t repere_sonde = std::numeric_limits<std::uint64_t>::max();

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
  emplacement(connexion_charge cx, std::int64_t quand) : c(std::move(cx)), ouverture(quand) {}
  connexion_charge c;
  std::int64_t ouverture;  // when its connect is issued
  int fd = -1;
  std::uint32_t evenements = 0;  // registered with epoll
  std::optional<std::int64_t> echeance_programmee;
};

// Opens a non-blocking TCP socket, bound to `source` when it is not
// 0.0.0.0, and issues its connect: the descriptor, or -1 when that failed
// at once.
int connecte(const sockaddr_in& adresse, in_addr source = {}) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int un = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
  if (source.s_addr != 0) {
    sockaddr_in locale{};
    locale.sin_family = AF_INET;
    locale.sin_addr = source;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&locale), sizeof locale) != 0) {
      close(fd);
      return -1;
    }
  }
  const int r = connect(fd, reinterpret_cast<const sockaddr*>(&adresse), sizeof adresse);
  if (r != 0 && errno != EINPROGRESS) {
    close(fd);
    return -1;
  }
  return fd;
}

// The connect of `fd`, reported writable, succeeded.
bool connexion_reussie(int fd) {
  int erreur = 0;
  socklen_t taille = sizeof erreur;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &erreur, &taille) != 0) erreur = errno;
  return erreur == 0;
}

enum class envoi { fait, perdu };

// Writes what it can of `sortie` and erases that.
envoi envoie(int fd, std::string& sortie) {
  if (sortie.empty()) return envoi::fait;
  const ssize_t n = send(fd, sortie.data(), sortie.size(), MSG_NOSIGNAL);
  if (n > 0) {
    sortie.erase(0, static_cast<std::size_t>(n));
  } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
    return envoi::perdu;
  }
  return envoi::fait;
}

regime regime_de(const options& o) {
  regime r;
  r.requetes = o.requetes;
  r.pipeline = o.pipeline;
  r.debit = o.debit;
  r.enregistrement = o.enregistrement;
  r.trame = o.trame;
  r.periode_trame = en_ns(o.periode_ms / 1e3);
  r.tir_chaque = o.tir_chaque;
  return r;
}

}  // namespace

class moteur::boucle {
 public:
  boucle(const options& o, rappel_progression progression)
      : o_(o),
        progression_(std::move(progression)),
        regime_(regime_de(o)),
        epoll_(epoll_create1(EPOLL_CLOEXEC)) {
    if (epoll_.get() < 0) echec_systeme("epoll_create1");
    adresse_.sin_family = AF_INET;
    adresse_.sin_port = htons(static_cast<std::uint16_t>(o.port));
    if (inet_pton(AF_INET, o.adresse.c_str(), &adresse_.sin_addr) != 1) {
      throw std::invalid_argument("bad address " + o.adresse);
    }
    emplacements_.reserve(static_cast<std::size_t>(o.connexions));
    debut_ = maintenant();
    prochain_point_ = debut_ + seconde;
    dernier_point_ = debut_;
  }

  ~boucle() {
    for (emplacement& e : emplacements_) {
      if (e.fd >= 0) close(e.fd);
    }
    if (fd_sonde_ >= 0) close(fd_sonde_);
  }

  void ajoute(int n, std::int64_t t, double montee, bool retenues);
  void relache(std::int64_t t);
  void ouvre_sonde();
  void tourne(std::int64_t jusqua, const std::function<bool()>& fini);
  void arrete();
  bool installees() const;
  bool tout_repondu() const;
  void abandonne();

  comptes m_;      // the current window
  comptes total_;  // the windows before it
  sonde_stats sonde_;

 private:
  void ouvre(std::size_t i, std::int64_t t);
  void traite(std::size_t i, std::uint32_t evenements);
  void lit(std::size_t i);
  // Writes what the connection has to say, then fits the epoll interest and
  // the timers to its new state; closes it when it is over.
  void apres(std::size_t i);
  void ferme(std::size_t i);
  void traite_sonde(std::uint32_t evenements);
  void apres_sonde();
  // Registers `fd` with epoll for `voulus`, `actuels` being what it has.
  void interesse(int fd, std::uint64_t qui, std::uint32_t voulus, std::uint32_t& actuels);
  // Waits for events until `reveil` at the latest; how many are in prets_.
  int attend(std::int64_t reveil);
  void point_de_progression(std::int64_t t);

  const options& o_;
  rappel_progression progression_;
  regime regime_;
  descripteur epoll_;
  sockaddr_in adresse_{};
  std::vector<emplacement> emplacements_;
  std::size_t a_ouvrir_ = 0;
  std::priority_queue<std::pair<std::int64_t, std::size_t>,
                      std::vector<std::pair<std::int64_t, std::size_t>>, std::greater<>>
      echeances_;
  int fd_sonde_ = -1;
  std::uint32_t evenements_sonde_ = 0;
  bool arretee_ = false;
  std::int64_t debut_ = 0;
  std::int64_t prochain_point_ = 0;
  std::int64_t dernier_point_ = 0;
  std::uint64_t reponses_au_point_ = 0;  // replies since the start, at the last point
  std::vector<epoll_event> prets_ = std::vector<epoll_event>(1024);
  std::array<char, 1 << 16> tampon_;
};

void moteur::boucle::ajoute(int n, std::int64_t t, double montee, bool retenues) {
  const std::size_t premier = emplacements_.size();
  for (int k = 0; k < n; ++k) {
    const auto i = static_cast<std::int64_t>(premier) + k;
    const bool tireur = !regime_.trame.empty() && est_tireur(i, o_.tireurs);
    const std::int64_t decalage =
        regime_.periode_trame > 0 ? decalage_trames(i, regime_.periode_trame) : 0;
    const std::int64_t quand = montee > 0 ? t + en_ns(montee * k / n) : t;
    emplacements_.emplace_back(connexion_charge(regime_, o_.couleur + i, tireur, decalage), quand);
    if (retenues) emplacements_.back().c.retiens();
  }
}

void moteur::boucle::relache(std::int64_t t) {
  for (std::size_t i = 0; i < emplacements_.size(); ++i) {
    emplacements_[i].c.relache(t, m_);
    if (emplacements_[i].fd >= 0) apres(i);
  }
}

void moteur::boucle::ouvre(std::size_t i, std::int64_t t) {
  emplacement& e = emplacements_[i];
  e.c.debut_connexion(t);
  // Connection i comes from 127.0.0.(1 + i mod sources) and on: as many
  // hosts as asked, each with its own address.
  in_addr source{};
  if (o_.sources > 1) {
    source.s_addr = htonl(0x7F000001u + static_cast<std::uint32_t>(i % static_cast<std::size_t>(o_.sources)));
  }
  e.fd = connecte(adresse_, source);
  if (e.fd < 0) {
    e.c.connexion_echouee(m_);
    return;
  }
  // Writable means connected (or failed: SO_ERROR tells).
  interesse(e.fd, i, EPOLLOUT, e.evenements);
}

void moteur::boucle::ouvre_sonde() {
  fd_sonde_ = connecte(adresse_);
  if (fd_sonde_ < 0) {
    sonde_.perdue();
    return;
  }
  interesse(fd_sonde_, repere_sonde, EPOLLOUT, evenements_sonde_);
}

void moteur::boucle::interesse(int fd, std::uint64_t qui, std::uint32_t voulus,
                               std::uint32_t& actuels) {
  if (voulus == actuels) return;
  epoll_event ev{};
  ev.events = voulus;
  ev.data.u64 = qui;
  if (epoll_ctl(epoll_.get(), actuels == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &ev) != 0) {
    echec_systeme("epoll_ctl");
  }
  actuels = voulus;
}

void moteur::boucle::ferme(std::size_t i) {
  emplacement& e = emplacements_[i];
  if (e.fd < 0) return;
  close(e.fd);  // also leaves the epoll set
  e.fd = -1;
  e.evenements = 0;
}

void moteur::boucle::traite(std::size_t i, std::uint32_t evenements) {
  emplacement& e = emplacements_[i];
  if (e.c.etat_courant() == connexion_charge::etat::connexion) {
    if (connexion_reussie(e.fd)) {
      e.c.connexion_etablie(maintenant(), m_);
    } else {
      e.c.connexion_echouee(m_);
    }
    apres(i);
    return;
  }
  if (evenements & (EPOLLIN | EPOLLERR | EPOLLHUP)) lit(i);
  apres(i);
}

void moteur::boucle::lit(std::size_t i) {
  emplacement& e = emplacements_[i];
  const ssize_t n = recv(e.fd, tampon_.data(), tampon_.size(), 0);
  if (n > 0) {
    e.c.recoit(std::string_view(tampon_.data(), static_cast<std::size_t>(n)), maintenant(), m_);
  } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
    e.c.perdue(m_);
  }
}

void moteur::boucle::apres(std::size_t i) {
  emplacement& e = emplacements_[i];
  std::string& sortie = e.c.a_ecrire();
  if (e.fd >= 0 && e.c.etat_courant() != connexion_charge::etat::fermee &&
      envoie(e.fd, sortie) == envoi::perdu) {
    e.c.perdue(m_);
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
  interesse(e.fd, i, voulus, e.evenements);
  const std::optional<std::int64_t> prochaine = e.c.prochaine_echeance();
  if (prochaine && prochaine != e.echeance_programmee) echeances_.emplace(*prochaine, i);
  e.echeance_programmee = prochaine;
}

void moteur::boucle::traite_sonde(std::uint32_t evenements) {
  if (sonde_.etat_courant() == sonde_stats::etat::inactive) {
    if (connexion_reussie(fd_sonde_)) {
      sonde_.connexion_etablie(maintenant());
    } else {
      sonde_.perdue();
    }
  } else if (evenements & (EPOLLIN | EPOLLERR | EPOLLHUP)) {
    const ssize_t n = recv(fd_sonde_, tampon_.data(), tampon_.size(), 0);
    if (n > 0) {
      sonde_.recoit(std::string_view(tampon_.data(), static_cast<std::size_t>(n)), maintenant());
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      sonde_.perdue();
    }
  }
  apres_sonde();
}

void moteur::boucle::apres_sonde() {
  if (fd_sonde_ < 0) return;
  std::string& sortie = sonde_.a_ecrire();
  if (sonde_.etat_courant() != sonde_stats::etat::fermee &&
      envoie(fd_sonde_, sortie) == envoi::perdu) {
    sonde_.perdue();
  }
  if (sonde_.etat_courant() == sonde_stats::etat::fermee) {
    close(fd_sonde_);
    fd_sonde_ = -1;
    return;
  }
  const std::uint32_t voulus = sonde_.etat_courant() == sonde_stats::etat::inactive
                                   ? std::uint32_t{EPOLLOUT}
                                   : EPOLLIN | (sortie.empty() ? 0u : std::uint32_t{EPOLLOUT});
  interesse(fd_sonde_, repere_sonde, voulus, evenements_sonde_);
}

int moteur::boucle::attend(std::int64_t reveil) {
  // A timeout to the nanosecond, without a timer descriptor to arm and read
  // at each of the thousands of wake-ups a second of a frame run.
  const std::int64_t delai = std::max<std::int64_t>(reveil - maintenant(), 0);
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(delai / seconde);
  ts.tv_nsec = static_cast<long>(delai % seconde);
  const int n = epoll_pwait2(epoll_.get(), prets_.data(), static_cast<int>(prets_.size()), &ts,
                             nullptr);
  if (n >= 0 || errno != ENOSYS) return n;
  // Kernels before 5.11: milliseconds, rounded up so as not to spin.
  return epoll_wait(epoll_.get(), prets_.data(), static_cast<int>(prets_.size()),
                    static_cast<int>((delai + 999'999) / 1'000'000));
}

bool moteur::boucle::installees() const {
  return std::all_of(emplacements_.begin(), emplacements_.end(), [](const emplacement& e) {
    const auto etat = e.c.etat_courant();
    return etat == connexion_charge::etat::active || etat == connexion_charge::etat::fermee;
  });
}

bool moteur::boucle::tout_repondu() const {
  return std::all_of(emplacements_.begin(), emplacements_.end(), [](const emplacement& e) {
    return e.c.etat_courant() == connexion_charge::etat::fermee ||
           (e.c.etat_courant() == connexion_charge::etat::active && e.c.en_suspens() == 0);
  });
}

void moteur::boucle::arrete() {
  arretee_ = true;
  for (emplacement& e : emplacements_) e.c.arrete();
}

void moteur::boucle::point_de_progression(std::int64_t t) {
  if (t < prochain_point_) return;
  const std::uint64_t reponses = total_.reponses + m_.reponses;
  if (progression_) {
    const double intervalle = static_cast<double>(t - dernier_point_) / 1e9;
    progression_(instantane{static_cast<double>(t - debut_) / 1e9,
                            static_cast<double>(reponses - reponses_au_point_) / intervalle,
                            total_.erreurs() + m_.erreurs(), m_.connexions_ouvertes});
  }
  reponses_au_point_ = reponses;
  dernier_point_ = t;
  while (prochain_point_ <= t) prochain_point_ += seconde;
}

void moteur::boucle::tourne(std::int64_t jusqua, const std::function<bool()>& fini) {
  for (;;) {
    const std::int64_t t = maintenant();
    while (!arretee_ && a_ouvrir_ < emplacements_.size() &&
           emplacements_[a_ouvrir_].ouverture <= t) {
      ouvre(a_ouvrir_, t);
      apres(a_ouvrir_);
      ++a_ouvrir_;
    }
    while (!echeances_.empty() && echeances_.top().first <= t) {
      const std::size_t i = echeances_.top().second;
      const std::int64_t quand = echeances_.top().first;
      echeances_.pop();
      emplacement& e = emplacements_[i];
      if (e.echeance_programmee != quand) continue;  // superseded
      e.echeance_programmee.reset();
      if (!arretee_) e.c.echeance(t, m_);
      apres(i);
    }
    if (const auto quand = sonde_.prochaine_demande(); quand && *quand <= t) {
      sonde_.demande(t);
      apres_sonde();
    }
    point_de_progression(t);
    if (t >= jusqua || (fini && fini())) return;

    std::int64_t reveil = std::min(jusqua, prochain_point_);
    if (!arretee_ && a_ouvrir_ < emplacements_.size()) {
      reveil = std::min(reveil, emplacements_[a_ouvrir_].ouverture);
    }
    if (!echeances_.empty()) reveil = std::min(reveil, echeances_.top().first);
    if (const auto quand = sonde_.prochaine_demande()) reveil = std::min(reveil, *quand);
    const int n = attend(reveil);
    if (n < 0) {
      if (errno == EINTR) continue;
      echec_systeme("epoll_wait");
    }
    for (int k = 0; k < n; ++k) {
      const epoll_event& ev = prets_[static_cast<std::size_t>(k)];
      if (ev.data.u64 == repere_sonde) {
        if (fd_sonde_ >= 0) traite_sonde(ev.events);
        continue;
      }
      const std::size_t i = static_cast<std::size_t>(ev.data.u64);
      if (emplacements_[i].fd < 0) continue;  // closed earlier in this batch
      traite(i, ev.events);
    }
  }
}

void moteur::boucle::abandonne() {
  for (emplacement& e : emplacements_) {
    if (e.c.etat_courant() == connexion_charge::etat::connexion) {
      e.c.connexion_echouee(m_);
    } else {
      e.c.abandonne(m_);
    }
  }
}

moteur::moteur(const options& o, rappel_progression progression)
    : b_(std::make_unique<boucle>(o, std::move(progression))) {}
moteur::~moteur() = default;
void moteur::ajoute(int n, std::int64_t t, double montee, bool retenues) {
  b_->ajoute(n, t, montee, retenues);
}
void moteur::relache(std::int64_t t) { b_->relache(t); }
void moteur::ouvre_sonde() { b_->ouvre_sonde(); }
void moteur::tourne(std::int64_t t, const std::function<bool()>& fini) { b_->tourne(t, fini); }
void moteur::arrete() { b_->arrete(); }
bool moteur::installees() const { return b_->installees(); }
bool moteur::tout_repondu() const { return b_->tout_repondu(); }
void moteur::abandonne() { b_->abandonne(); }
const comptes& moteur::fenetre_courante() const { return b_->m_; }
void moteur::nouvelle_fenetre() {
  b_->total_.ajoute(b_->m_);
  b_->m_.remet_a_zero();
}
comptes moteur::total() const {
  comptes t = b_->total_;
  t.ajoute(b_->m_);
  t.connexions_ouvertes = b_->m_.connexions_ouvertes;
  return t;
}
const sonde_stats& moteur::sonde() const { return b_->sonde_; }

std::optional<pid_t> processus_serveur(const options& o) {
  if (o.pid) return o.pid;
  return processus_a_l_ecoute(o.port);
}

bilan_execution lance(const options& o, const rappel_progression& progression) {
  moteur mo(o, progression);
  const bool trames = !o.trame.empty();
  if (trames && o.stats) mo.ouvre_sonde();
  const std::int64_t debut = maintenant();
  std::optional<fenetre> f;
  if (trames) f.emplace(debut, processus_serveur(o), 0);
  mo.ajoute(o.connexions, debut, o.montee);
  mo.tourne(debut + en_ns(o.duree));
  const std::int64_t arret = maintenant();
  std::optional<mesure> mesure_trames;
  if (f) mesure_trames = f->ferme(arret, mo.fenetre_courante(), mo.sonde().releves());
  const std::uint64_t reponses_a_l_arret = mo.fenetre_courante().reponses;
  mo.arrete();
  mo.tourne(arret + en_ns(o.delai_fin), [&] { return mo.tout_repondu(); });
  const std::int64_t fin = std::min(maintenant(), arret + en_ns(o.delai_fin));
  mo.abandonne();
  return bilan_execution{mo.total(), static_cast<double>(arret - debut) / 1e9,
                         reponses_a_l_arret, static_cast<double>(fin - arret) / 1e9,
                         mesure_trames};
}

}  // namespace jeu::charge
