#include "support/protocole_essai.h"

#include <span>

namespace jeu::essai {

namespace {

template <class Record>
std::string sans_entete(const Record& r) {
  std::string reponse;
  ajoute_liste(reponse, std::span<const Record>(&r, 1));
  return reponse.substr(reponse.find('\n') + 1);
}

std::string champ(std::string_view ligne, int rang) {
  for (; rang > 0; --rang) ligne.remove_prefix(ligne.find(' ') + 1);
  return std::string(ligne.substr(0, ligne.find_first_of(" \r")));
}

}  // namespace

std::string ligne_vaisseau(const vaisseau& v) { return sans_entete(v); }
std::string ligne_balle(const balle& b) { return sans_entete(b); }
std::string ligne_cube(const cube& c) { return sans_entete(c); }

std::string texte_tronque(double v) { return champ(ligne_balle({v, 0.0, 0.0, 0}), 0); }
std::string texte_angle(double v) {
  return champ(ligne_vaisseau({0.0, 0.0, v, 0.0, 1, 0, 0}), 2);
}

reponse_complete traite(joueur& j, monde& m, std::string_view ligne) {
  issue_requete issue = j.traite_requete(m, ligne);
  reponse_complete r{std::string(), std::move(issue.journal), issue.fin};
  j.ajoute_reponse(r.reponse);
  return r;
}

}  // namespace jeu::essai
