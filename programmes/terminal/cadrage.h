#pragma once

// Where the arena goes on the terminal: scaled to fit with its proportions
// kept, a one-cell frame around it, the status bar on the last line.

namespace jeu::terminal {

// A terminal cell is about this many times as tall as it is wide.
inline constexpr double rapport_cellule = 2.0;

struct case_ecran {
  int colonne = 0;
  int ligne = 0;
  bool operator==(const case_ecran&) const = default;
};

// Cells [c0, c1] x [l0, l1], bounds included.
struct zone {
  int c0 = 0;
  int l0 = 0;
  int c1 = 0;
  int l1 = 0;
  bool operator==(const zone&) const = default;
};

struct disposition {
  // The inside of the frame: its top-left cell and its size in cells.
  int colonne = 0;
  int ligne = 0;
  int largeur = 0;
  int hauteur = 0;
  int ligne_etat = 0;  // the status bar's row
  double largeur_arene = 1;
  double hauteur_arene = 1;

  // False when the terminal is too small to show the arena at all.
  bool arene_visible() const { return largeur > 0 && hauteur > 0; }
};

// The layout for a terminal of `colonnes` x `lignes` and an arena of
// `largeur_arene` x `hauteur_arene` units (both > 0): the largest inside
// whose width / (height * rapport_cellule) is the arena's width / height
// (to the nearest cell), centred in all but the last line.
disposition dispose(int colonnes, int lignes, double largeur_arene, double hauteur_arene);

// The cell showing arena point (x, y), y downward; points outside the arena
// go to the nearest edge cell. Requires d.arene_visible().
case_ecran case_de(const disposition& d, double x, double y);

// Every cell the rectangle [x1, x2) x [y1, y2) overlaps, clipped to the
// inside; at least one cell. Requires d.arene_visible().
zone zone_de(const disposition& d, double x1, double y1, double x2, double y2);

}  // namespace jeu::terminal
