#include "terminal/ecran.h"

#include <curses.h>
#include <langinfo.h>

#include <algorithm>
#include <initializer_list>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "terminal/cadrage.h"
#include "terminal/couleurs.h"
#include "terminal/glyphes.h"

namespace jeu::terminal {

namespace {

void ecrit(int ligne, int colonne, std::string_view texte) {
  mvaddnstr(ligne, colonne, texte.data(), static_cast<int>(texte.size()));
}

void cadre(const disposition& d, const glyphes& g) {
  const int haut = d.ligne - 1;
  const int bas = d.ligne + d.hauteur;
  const int gauche = d.colonne - 1;
  const int droite = d.colonne + d.largeur;
  ecrit(haut, gauche, g.coin_haut_gauche);
  ecrit(haut, droite, g.coin_haut_droit);
  ecrit(bas, gauche, g.coin_bas_gauche);
  ecrit(bas, droite, g.coin_bas_droit);
  for (int c = d.colonne; c < droite; ++c) {
    ecrit(haut, c, g.horizontal);
    ecrit(bas, c, g.horizontal);
  }
  for (int l = d.ligne; l < bas; ++l) {
    ecrit(l, gauche, g.vertical);
    ecrit(l, droite, g.vertical);
  }
}

}  // namespace

void ecran::dessine_panneau(const disposition& d, const glyphes& g, const panneau& p) {
  std::size_t large = 0;
  for (const auto& l : p.lignes) large = std::max(large, l.size());
  // Inside the arena's frame, over its top right corner, clipped to it.
  const int largeur = std::min(static_cast<int>(large) + 2, d.largeur);
  const int hauteur = std::min(static_cast<int>(p.lignes.size()) + 2, d.hauteur);
  if (largeur < 3 || hauteur < 3) return;
  const disposition boite{d.colonne + d.largeur - largeur + 1, d.ligne + 1, largeur - 2,
                          hauteur - 2, d.ligne_etat, 1, 1};
  attr_set(A_NORMAL, 0, nullptr);
  for (int l = boite.ligne - 1; l <= boite.ligne + boite.hauteur; ++l) {
    mvhline(l, boite.colonne - 1, ' ', largeur);
  }
  cadre(boite, g);
  for (int i = 0; i < boite.hauteur; ++i) {
    const std::string& ligne = p.lignes[static_cast<std::size_t>(i)];
    const int ligne_ecran = boite.ligne + i;
    mvaddnstr(ligne_ecran, boite.colonne, ligne.c_str(), boite.largeur);
    const auto& c = p.couleurs[static_cast<std::size_t>(i)];
    if (c && ligne.size() >= colonne_couleur + largeur_couleur &&
        static_cast<int>(colonne_couleur + largeur_couleur) <= boite.largeur) {
      attr_set(A_BOLD, static_cast<short>(paire(*c)), nullptr);
      mvaddnstr(ligne_ecran, boite.colonne + static_cast<int>(colonne_couleur),
                ligne.c_str() + colonne_couleur, static_cast<int>(largeur_couleur));
      attr_set(A_NORMAL, 0, nullptr);
    }
  }
}

ecran::ecran() {
  utf8_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  // newterm, unlike initscr, returns instead of ending the program.
  terminal_ = newterm(nullptr, stdout, stdin);
  if (terminal_ == nullptr) {
    const char* nom = std::getenv("TERM");
    throw std::runtime_error(std::string("cannot drive this terminal (TERM=") +
                             (nom != nullptr ? nom : "") + ")");
  }
  cbreak();  // Ctrl-C still raises SIGINT, which the program turns into a clean end
  noecho();
  keypad(stdscr, TRUE);
  curs_set(0);
  if (has_colors()) {
    start_color();
    use_default_colors();
    // The colours' pairs, the cubes' and the own ship's must all exist.
    for (int n : {256, 16, 8}) {
      if (COLORS >= n && COLOR_PAIRS > n + 2) {
        nb_couleurs_ = n;
        break;
      }
    }
    for (int i = 0; i < nb_couleurs_; ++i) init_pair(static_cast<short>(i + 1), static_cast<short>(i), -1);
    if (nb_couleurs_ > 0) {
      paire_propre_ = nb_couleurs_ + 2;
      if (nb_couleurs_ >= 16) {
        // Grey cubes, darker than the ships they stand among.
        paire_cubes_ = nb_couleurs_ + 1;
        init_pair(static_cast<short>(paire_cubes_), static_cast<short>(couleur_proche(0x606060, nb_couleurs_)), -1);
      }
    }
  }
  if (paire_cubes_ == 0) attributs_cubes_ = A_DIM;
}

ecran::~ecran() {
  endwin();
  delscreen(terminal_);
}

std::optional<int> ecran::touche(std::chrono::milliseconds delai) {
  timeout(static_cast<int>(delai.count()));
  const int t = getch();
  if (t == ERR) return std::nullopt;
  return t;
}

int ecran::colonnes() const { return COLS; }

int ecran::paire(jeu_client::couleur_t c) const {
  return nb_couleurs_ == 0 ? 0 : couleur_proche(c, nb_couleurs_) + 1;
}

int ecran::paire_propre(jeu_client::couleur_t c) {
  if (paire_propre_ == 0) return 0;
  if (couleur_propre_ != c) {
    const short texte = sombre(c) ? COLOR_WHITE : COLOR_BLACK;
    init_pair(static_cast<short>(paire_propre_), texte, static_cast<short>(couleur_proche(c, nb_couleurs_)));
    couleur_propre_ = c;
  }
  return paire_propre_;
}

void ecran::dessine(const scene& s) {
  erase();
  attr_set(A_NORMAL, 0, nullptr);
  const disposition d = dispose(COLS, LINES, s.largeur_arene, s.hauteur_arene);
  const glyphes& g = jeu_de_glyphes(utf8_);
  if (d.arene_visible()) {
    cadre(d, g);
    attr_set(attributs_cubes_, static_cast<short>(paire_cubes_), nullptr);
    for (const jeu_client::cube& k : s.cubes) {
      const zone z = zone_de(d, k.x1, k.y1, k.x2, k.y2);
      for (int l = z.l0; l <= z.l1; ++l) {
        for (int c = z.c0; c <= z.c1; ++c) ecrit(l, c, g.cube);
      }
    }
    for (const jeu_client::balle& b : s.balles) {
      const case_ecran p = case_de(d, b.x, b.y);
      attr_set(A_BOLD, static_cast<short>(paire(b.couleur)), nullptr);
      ecrit(p.ligne, p.colonne, g.balle);
    }
    // The own ship last, over any other in its cell.
    const jeu_client::vaisseau* propre = nullptr;
    for (const jeu_client::vaisseau& v : s.vaisseaux) {
      if (s.propre && v.couleur == *s.propre) {
        propre = &v;
        continue;
      }
      const case_ecran p = case_de(d, v.x, v.y);
      attr_set(A_BOLD, static_cast<short>(paire(v.couleur)), nullptr);
      ecrit(p.ligne, p.colonne, marque_cap(v.angle, utf8_));
    }
    if (propre != nullptr) {
      const case_ecran p = case_de(d, propre->x, propre->y);
      // Its colour as background, given explicitly: some renderers get
      // reverse video wrong with 256 colours.
      const int p_propre = paire_propre(propre->couleur);
      attr_set(p_propre == 0 ? A_BOLD | A_REVERSE : A_BOLD, static_cast<short>(p_propre), nullptr);
      ecrit(p.ligne, p.colonne, marque_cap(propre->angle, utf8_));
    }
    if (s.classement != nullptr) dessine_panneau(d, g, *s.classement);
    if (!s.banniere.empty()) {
      const int largeur = std::min(static_cast<int>(s.banniere.size()), d.largeur);
      attr_set(A_BOLD | A_REVERSE, 0, nullptr);
      mvaddnstr(d.ligne + d.hauteur / 2, d.colonne + (d.largeur - largeur) / 2,
                s.banniere.c_str(), largeur);
    }
  } else {
    attr_set(A_NORMAL, 0, nullptr);
    mvaddnstr(0, 0, "terminal too small", COLS);
  }
  attr_set(A_REVERSE, 0, nullptr);
  mvhline(d.ligne_etat, 0, ' ', COLS);
  mvaddnstr(d.ligne_etat, 0, s.barre.c_str(), COLS);
  attr_set(A_NORMAL, 0, nullptr);
  refresh();
}

}  // namespace jeu::terminal
