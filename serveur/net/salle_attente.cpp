#include "net/salle_attente.h"

#include <sys/socket.h>

#include <algorithm>

namespace jeu {

salle_attente::salle_attente(std::chrono::milliseconds delai, int max_par_adresse)
    : delai_(delai), max_par_adresse_(max_par_adresse) {}

std::optional<salle_attente::place> salle_attente::entre(int socket, const adresse_ip& adresse,
                                                         horloge::time_point arrivee) {
  GardeSimple garde(verrou_);
  int& de_l_adresse = par_adresse_[adresse];
  if (max_par_adresse_ > 0 && de_l_adresse >= max_par_adresse_) return std::nullopt;
  entrees_.push_back({socket, adresse, arrivee + delai_});
  ++de_l_adresse;
  ++en_attente_;
  return place{std::prev(entrees_.end())};
}

void salle_attente::ne_attend_plus(const entree& e) {
  --en_attente_;
  const auto a = par_adresse_.find(e.adresse);
  if (--a->second == 0) par_adresse_.erase(a);
}

void salle_attente::ferme(entree& e) {
  // Wakes the session blocked on the socket; the descriptor stays its own.
  ::shutdown(e.socket, SHUT_RDWR);
  e.e = etat::fermee;
  ne_attend_plus(e);
}

int salle_attente::ferme_expirees(horloge::time_point maintenant) {
  if (delai_.count() == 0) return 0;
  GardeSimple garde(verrou_);
  int fermees = 0;
  // In the order they arrived, hence of their deadlines.
  for (entree& e : entrees_) {
    if (e.echeance > maintenant) break;
    if (e.e == etat::attend) {
      ferme(e);
      ++fermees;
    }
  }
  return fermees;
}

int salle_attente::attente_ms(horloge::time_point maintenant) {
  if (delai_.count() == 0) return -1;
  GardeSimple garde(verrou_);
  for (const entree& e : entrees_) {
    if (e.e == etat::fermee) continue;
    // One handling a line past its deadline: look again shortly.
    if (e.echeance <= maintenant) return e.e == etat::traite ? 10 : 0;
    const auto reste =
        std::chrono::ceil<std::chrono::milliseconds>(e.echeance - maintenant).count();
    return static_cast<int>(std::min<std::int64_t>(reste, 60'000));
  }
  return -1;
}

bool salle_attente::ferme_plus_ancienne(const place* sauf) {
  GardeSimple garde(verrou_);
  for (auto it = entrees_.begin(); it != entrees_.end(); ++it) {
    if (it->e != etat::attend || (sauf != nullptr && it == sauf->it)) continue;
    ferme(*it);
    return true;
  }
  return false;
}

int salle_attente::en_attente() {
  GardeSimple garde(verrou_);
  return en_attente_;
}

void salle_attente::retire(place p) {
  GardeSimple garde(verrou_);
  if (p.it->e != etat::fermee) ne_attend_plus(*p.it);
  entrees_.erase(p.it);
}

bool salle_attente::commence(place p) {
  GardeSimple garde(verrou_);
  if (p.it->e == etat::fermee) return false;
  p.it->e = etat::traite;
  return true;
}

void salle_attente::reprend(place p) {
  GardeSimple garde(verrou_);
  if (p.it->e == etat::traite) p.it->e = etat::attend;
}

bool salle_attente::ticket::commence() { return salle_ == nullptr || salle_->commence(place_); }

void salle_attente::ticket::reprend() {
  if (salle_ != nullptr) salle_->reprend(place_);
}

void salle_attente::ticket::sort() {
  if (salle_ == nullptr) return;
  salle_->retire(place_);
  salle_ = nullptr;
}

}  // namespace jeu
