#include "spectateur/etat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace jeu::spectateur {

namespace {

using json = nlohmann::json;

// Coordinates come from the server as integers.
std::int64_t entier(double v) { return std::llround(v); }

// Error texts may carry whatever bytes the game server sent.
std::string texte_json(const json& j) {
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::string couleur_css(jeu_client::couleur_t c) {
  char texte[8];
  std::snprintf(texte, sizeof texte, "#%06x",
                static_cast<unsigned>(static_cast<std::uint64_t>(c) & 0xFFFFFFu));
  return texte;
}

std::string json_plateau(const plateau& p) {
  json cubes = json::array();
  for (const auto& c : p.cubes) {
    cubes.push_back({entier(c.x1), entier(c.y1), entier(c.x2), entier(c.y2)});
  }
  return texte_json({{"largeur", p.taille.largeur},
                     {"hauteur", p.taille.hauteur},
                     {"rayon_vaisseau", p.rayon_vaisseau},
                     {"rayon_balle", p.rayon_balle},
                     {"max_pt_vie", p.max_pt_vie},
                     {"cubes", std::move(cubes)}});
}

std::string json_image(const image& i) {
  json vaisseaux = json::array();
  for (const auto& v : i.vaisseaux) {
    vaisseaux.push_back({entier(v.x), entier(v.y), v.angle, v.pt_vie, couleur_css(v.couleur),
                         std::to_string(v.couleur)});
  }
  json balles = json::array();
  for (const auto& b : i.balles) {
    balles.push_back({entier(b.x), entier(b.y), couleur_css(b.couleur)});
  }
  const auto& s = i.stats;
  json stats = {{"ticks_s", s.ticks_par_seconde},     {"tick_us", s.duree_tick_us},
                {"tick_p99_us", s.p99_tick_us},       {"joueurs", s.joueurs},
                {"spectateurs", s.spectateurs},       {"vaisseaux", s.vaisseaux},
                {"balles", s.balles},                 {"requetes_s", s.requetes_par_seconde}};
  json j = {{"n", i.numero},           {"tick", i.tick},
            {"perdus", i.ticks_perdus}, {"vaisseaux", std::move(vaisseaux)},
            {"balles", std::move(balles)}, {"stats", std::move(stats)}};
  if (i.relecture) {
    j["relecture"] = {{"premier", i.relecture->premier},
                      {"dernier", i.relecture->dernier},
                      {"pause", i.relecture->pause},
                      {"vitesse", i.relecture->vitesse}};
  }
  return texte_json(j);
}

std::string json_statut(bool connecte, std::string_view texte) {
  return texte_json({{"connecte", connecte}, {"texte", std::string(texte)}});
}

std::string json_scores(std::span<const jeu_client::score> lignes, bool servis) {
  json rangs = json::array();
  for (const auto& l : lignes.first(std::min(lignes.size(), lignes_scores_max))) {
    rangs.push_back({couleur_css(l.couleur), std::to_string(l.couleur), l.victoires, l.morts,
                     l.touches_donnees, l.tirs, l.vivant});
  }
  return texte_json({{"servis", servis}, {"total", lignes.size()}, {"lignes", std::move(rangs)}});
}

std::string json_fil(const fil_victimes& f) {
  json victimes = json::array();
  for (const auto& e : f.victimes()) {
    victimes.push_back({e.tick, couleur_css(e.tireur), std::to_string(e.tireur),
                        couleur_css(e.couleur), std::to_string(e.couleur)});
  }
  return texte_json({{"manques", f.manques()}, {"victimes", std::move(victimes)}});
}

std::string evenement(std::string_view nom, std::string_view donnees) {
  std::string e;
  e.reserve(nom.size() + donnees.size() + 16);
  e.append("event: ").append(nom).append("\ndata: ").append(donnees).append("\n\n");
  return e;
}

}  // namespace jeu::spectateur
