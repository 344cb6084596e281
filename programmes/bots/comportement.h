#pragma once

// What a robot does each frame, from what it sees: pure functions of the
// world as the server sent it, so they are tested without a server.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "jeu_client.h"

namespace jeu::bots {

enum class comportement {
  tourelle,  // stays put, turns toward the nearest ship in sight, fires when aligned
  chasseur,  // steers toward the nearest ship around cubes, fires in range and in sight
};

// "tourelle" or "chasseur"; nullopt for another word.
std::optional<comportement> lit_comportement(std::string_view mot);
std::string_view nom(comportement c);

// The angle to add to `angle` to face `cible`, in (-pi, pi].
double ecart_angle(double cible, double angle);

// The nearest ship other than the one of colour `moi.couleur`, or nullptr.
const jeu_client::vaisseau* plus_proche(const jeu_client::vaisseau& moi,
                                        std::span<const jeu_client::vaisseau> vaisseaux);

// Whether a bullet going from (x1, y1) to (x2, y2) meets no cube.
bool tir_libre(double x1, double y1, double x2, double y2,
               std::span<const jeu_client::cube> cubes);

// The nearest ship other than `moi` with no cube in the line of fire, or
// nullptr.
const jeu_client::vaisseau* plus_proche_en_vue(const jeu_client::vaisseau& moi,
                                               std::span<const jeu_client::vaisseau> vaisseaux,
                                               std::span<const jeu_client::cube> cubes);

// Whether a ship centred at (x, y) would touch a cube or leave the arena
// (a margin of `marge` around the ship's radius).
bool bloque(double x, double y, std::span<const jeu_client::cube> cubes, double marge);

// This frame's actions for the ship `moi` whose speed (tracked by the
// robot, never sent by the server) is `vitesse`. At most one shot a frame.
std::vector<jeu_client::requete> decide(comportement c, const jeu_client::vaisseau& moi,
                                        double vitesse,
                                        std::span<const jeu_client::vaisseau> vaisseaux,
                                        std::span<const jeu_client::cube> cubes);

// `vitesse` after `a` (ACCELERE and DECELERE change it by 0.1 within
// -2.0..3.0; other actions leave it).
double vitesse_apres(double vitesse, jeu_client::requete a);

}  // namespace jeu::bots
