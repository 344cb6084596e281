#include "net/reponse_differee.h"

#include <algorithm>
#include <utility>

namespace jeu {

namespace {

// Big vectors of one reply are not kept for the next.
template <typename T>
void oublie(std::vector<T>& v) {
  if (v.capacity() * sizeof(T) > 64 * 1024) {
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

void reponse_differee::vaisseaux(const monde& m) {
  prend_vaisseaux(m, liste_);
  en_attente_ = attente::liste;
}

void reponse_differee::balles(const monde& m) {
  prend_balles(m, liste_);
  en_attente_ = attente::liste;
}

void reponse_differee::cubes(const monde& m) {
  prend_cubes(m, liste_);
  en_attente_ = attente::liste;
}

void reponse_differee::stats(const etat_serveur& e) {
  etat_ = e;
  en_attente_ = attente::stats;
}

void reponse_differee::scores(const monde& m) {
  scores_.clear();
  m.scores.copie(scores_, m.numero_tick);
  en_attente_ = attente::scores;
}

std::uint64_t reponse_differee::evenements(const monde& m, std::uint64_t depuis) {
  evenements_.clear();
  manques_ = m.evenements.lit(depuis, evenements_);
  en_attente_ = attente::evenements;
  return std::max(depuis, m.evenements.prochain());
}

const std::string& reponse_differee::formate() {
  if (en_attente_ != attente::texte) {
    std::string texte;
    ajoute(texte);
    texte_ = std::move(texte);
  }
  return texte_;
}

void reponse_differee::ajoute(std::string& sortie) {
  tampon_sortie t;
  ajoute(t);
  sortie += t.texte();
}

void reponse_differee::ajoute(tampon_sortie& sortie) {
  switch (en_attente_) {
    case attente::texte:
      sortie.ajoute(texte_);
      break;
    case attente::liste:
      liste_.transmet(sortie);
      break;
    case attente::stats: {
      std::string ligne;
      ajoute_stats(ligne, etat_);
      sortie.ajoute(ligne);
      break;
    }
    case attente::scores: {
      classe_scores(scores_);
      std::string texte;
      ajoute_scores(texte, scores_);
      sortie.ajoute(texte);
      oublie(scores_);
      break;
    }
    case attente::evenements: {
      std::string texte;
      ajoute_evenements(texte, evenements_, manques_);
      sortie.ajoute(texte);
      oublie(evenements_);
      break;
    }
  }
  en_attente_ = attente::texte;
  // A long text (a list formatted for the log) is not kept either.
  if (texte_.capacity() > 1024) {
    std::string().swap(texte_);
  } else {
    texte_.clear();
  }
}

}  // namespace jeu
