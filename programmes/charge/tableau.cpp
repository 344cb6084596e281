#include "charge/tableau.h"

#include <cstdio>
#include <optional>

namespace jeu::charge {

namespace {

std::string format(const char* modele, double v) {
  char tampon[64];
  std::snprintf(tampon, sizeof tampon, modele, v);
  return tampon;
}

std::string ou_tiret(const std::optional<double>& v, const char* modele) {
  return v ? format(modele, *v) : "-";
}

double en_ms(std::uint64_t ns) { return static_cast<double>(ns) / 1e6; }

constexpr const char* colonnes = "%7s %8s %8s %7s %7s %7s %6s %6s %6s %8s %7s %7s %6s %6s\n";

}  // namespace

std::string entete_tableau() {
  char tampon[512];
  std::string s;
  std::snprintf(tampon, sizeof tampon, colonnes, "", "frames/s", "frames/s", "frame", "frame",
                "frame", "ticks", "ticks", "server", "server", "KiB per", "bullets", "own",
                "");
  s += tampon;
  std::snprintf(tampon, sizeof tampon, colonnes, "players", "asked", "served", "p50 ms", "p99 ms",
                "p99.9ms", "lowest", "median", "CPU %", "VmRSSKiB", "player", "median", "CPU %",
                "errors");
  s += tampon;
  return s;
}

std::string ligne_tableau(const palier_mesure& p) {
  const mesure& m = p.m;
  const auto ticks = [&](bool bas) -> std::optional<double> {
    if (!m.ticks) return std::nullopt;
    return bas ? m.ticks->plus_bas : m.ticks->median;
  };
  char tampon[512];
  std::snprintf(
      tampon, sizeof tampon, colonnes, std::to_string(p.joueurs).c_str(),
      format("%.0f", m.trames_demandees_s).c_str(), format("%.0f", m.trames_servies_s).c_str(),
      format("%.2f", en_ms(m.p50)).c_str(), format("%.2f", en_ms(m.p99)).c_str(),
      format("%.2f", en_ms(m.p999)).c_str(), ou_tiret(ticks(true), "%.1f").c_str(),
      ou_tiret(ticks(false), "%.1f").c_str(), ou_tiret(m.cpu_serveur, "%.0f").c_str(),
      m.rss_ko ? std::to_string(*m.rss_ko).c_str() : "-",
      ou_tiret(p.ko_par_joueur, "%.1f").c_str(),
      m.balles ? std::to_string(*m.balles).c_str() : "-", format("%.0f", m.cpu_charge).c_str(),
      std::to_string(m.erreurs).c_str());
  return tampon;
}

std::string conclusion(const options& o, const bilan_capacite& b) {
  std::string s;
  if (b.rss_inactifs_ko && b.rss_vide_ko) {
    s += "idle: " + std::to_string(b.inactifs) + " players registered, no frame: VmRSS " +
         std::to_string(*b.rss_inactifs_ko) + " KiB, " +
         format("%.1f", static_cast<double>(*b.rss_inactifs_ko - *b.rss_vide_ko) / b.inactifs) +
         " KiB per player over the " + std::to_string(*b.rss_vide_ko) + " KiB with none\n";
  }
  if (b.paliers.empty()) return s + "no step measured\n";
  const palier_mesure& dernier = b.paliers.back();
  if (b.dernier.dans_les_limites()) {
    s += "stopped: last step (" + std::to_string(dernier.joueurs) + " players) within limits\n";
  } else {
    std::string pourquoi;
    const auto ajoute = [&](const std::string& raison) {
      pourquoi += (pourquoi.empty() ? "" : ", ") + raison;
    };
    if (b.dernier.latence) {
      ajoute("frame p99 " + format("%.2f", en_ms(dernier.m.p99)) + " ms > " +
             format("%g", o.p99_max_ms) + " ms");
    }
    if (b.dernier.ticks) {
      ajoute("lowest second " + format("%.1f", dernier.m.ticks->plus_bas) + " ticks < " +
             format("%g", o.ticks_min));
    }
    if (b.dernier.erreurs) ajoute(std::to_string(dernier.m.erreurs) + " errors");
    s += "stopped at " + std::to_string(dernier.joueurs) + " players: " + pourquoi + "\n";
  }
  const std::string au_moins = b.dernier.dans_les_limites() ? "at least " : "";
  s += "capacity: " +
       (b.capacite ? au_moins + std::to_string(*b.capacite) + " players"
                   : "below " + std::to_string(b.paliers.front().joueurs) + " players") +
       " (frame p99 <= " + format("%g", o.p99_max_ms) + " ms, ticks/s >= " +
       format("%g", o.ticks_min) + ")\n";
  s += "errors over the whole run: " + std::to_string(b.total.erreurs()) + "\n";
  return s;
}

}  // namespace jeu::charge
