#include "terminal/commandes.h"

#include <curses.h>

namespace jeu::terminal {

ordre ordre_de(int touche) {
  using jeu_client::requete;
  switch (touche) {
    case KEY_LEFT:
      return {commande::action, requete::droite};
    case KEY_RIGHT:
      return {commande::action, requete::gauche};
    case KEY_UP:
      return {commande::action, requete::accelere};
    case KEY_DOWN:
      return {commande::action, requete::decelere};
    case ' ':
      return {commande::action, requete::tire};
    case 'q':
    case 'Q':
      return {commande::quitte};
    case 'r':
    case 'R':
      return {commande::rejoint};
    case 's':
    case 'S':
      return {commande::classement};
    default:
      return {};
  }
}

commande_relecture ordre_relecture(int touche) {
  switch (touche) {
    case ' ':
      return commande_relecture::pause;
    case '+':
    case '=':
    case KEY_UP:
      return commande_relecture::plus_vite;
    case '-':
    case KEY_DOWN:
      return commande_relecture::moins_vite;
    case KEY_LEFT:
      return commande_relecture::recule;
    case KEY_RIGHT:
      return commande_relecture::avance;
    case 'q':
    case 'Q':
      return commande_relecture::quitte;
    default:
      return commande_relecture::aucune;
  }
}

}  // namespace jeu::terminal
