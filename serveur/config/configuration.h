#pragma once

// The game's fixed parameters. Lengths are arena units, speeds are units per
// tick, angles radians, times seconds.
namespace jeu::configuration {

inline constexpr double largeur_plateau = 990.0;
inline constexpr double hauteur_plateau = 990.0;
inline constexpr double taille_cube = 22.0;
inline constexpr int nb_cubes = 200;
inline constexpr double rayon_vaisseau = 9.0;
inline constexpr double vitesse_max = 3.0;
inline constexpr double vitesse_min = -2.0;
inline constexpr double rayon_balle = 4.0;
inline constexpr double vitesse_balle = 3.5;
inline constexpr int degats_balle = 1;
inline constexpr int max_pt_vie = 5;
inline constexpr double pas_rotation = 0.15;
inline constexpr double pas_acceleration = 0.1;
// Bullets of one colour in flight at most; a shot beyond it fires nothing.
inline constexpr int max_balles_par_vaisseau = 256;

// Set once by the program entry, before any other thread starts; read-only
// afterwards, so readers need no lock.
inline bool debug = false;

inline constexpr int port_defaut = 12345;
inline constexpr double periode_tick = 1.0 / 40.0;

}  // namespace jeu::configuration
