#include "net/reponse_differee.h"

#include <span>
#include <utility>

namespace jeu {

namespace {

// A copy kept between requests must not pin the memory of a huge list.
template <class T>
void vide(std::vector<T>& v) {
  constexpr std::size_t garde_max = 4096;
  if (v.capacity() > garde_max) {
    std::vector<T>().swap(v);
  } else {
    v.clear();
  }
}

}  // namespace

void reponse_differee::texte(std::string_view t) {
  en_attente_ = attente::texte;
  texte_ = t;
}

void reponse_differee::vaisseaux(const std::deque<vaisseau>& v) {
  copie_vaisseaux_.assign(v.begin(), v.end());
  en_attente_ = attente::vaisseaux;
}

void reponse_differee::balles(const liste_balles& b) {
  copie_balles_.assign(b.begin(), b.end());
  en_attente_ = attente::balles;
}

void reponse_differee::cubes(const std::vector<cube>& c) {
  if (reponse_cubes_.empty()) ajoute_liste(reponse_cubes_, c);
  en_attente_ = attente::cubes;
}

void reponse_differee::stats(const etat_serveur& e) {
  etat_ = e;
  en_attente_ = attente::stats;
}

const std::string& reponse_differee::formate() {
  if (en_attente_ == attente::cubes) return reponse_cubes_;
  if (en_attente_ != attente::texte) {
    std::string texte;
    ajoute(texte);
    texte_ = std::move(texte);
  }
  return texte_;
}

void reponse_differee::ajoute(std::string& sortie) {
  switch (en_attente_) {
    case attente::texte:
      sortie += texte_;
      break;
    case attente::vaisseaux:
      ajoute_liste(sortie, std::span(std::as_const(copie_vaisseaux_)));
      vide(copie_vaisseaux_);
      break;
    case attente::balles:
      ajoute_liste(sortie, std::span(std::as_const(copie_balles_)));
      vide(copie_balles_);
      break;
    case attente::cubes:
      sortie += reponse_cubes_;
      break;
    case attente::stats:
      ajoute_stats(sortie, etat_);
      break;
  }
  en_attente_ = attente::texte;
  texte_.clear();
}

}  // namespace jeu
