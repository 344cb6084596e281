#include "charge/rapport.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

namespace jeu::charge {

namespace {

void ligne(std::string& sortie, std::string_view nom, const std::string& valeur) {
  // Padding counts characters, not bytes: "µ" is two bytes.
  std::size_t largeur = 0;
  for (const char c : nom) largeur += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  sortie += nom;
  sortie.append(largeur + 2 < 26 ? 26 - largeur : 2, ' ');
  sortie += valeur;
  sortie += '\n';
}

std::string nombre(double v, int decimales) {
  char tampon[64];
  std::snprintf(tampon, sizeof tampon, "%.*f", decimales, v);
  return tampon;
}

std::string micro(std::uint64_t ns) { return nombre(static_cast<double>(ns) / 1e3, 1); }

void percentiles(std::string& sortie, std::string_view quoi, const histogramme& h) {
  const std::string prefixe(quoi);
  if (h.nombre() == 0) {
    ligne(sortie, prefixe + " samples", "0");
    return;
  }
  ligne(sortie, prefixe + " samples", std::to_string(h.nombre()));
  for (const auto& [nom, p] : {std::pair{"p50", 50.0}, {"p90", 90.0}, {"p99", 99.0},
                               {"p99.9", 99.9}}) {
    ligne(sortie, prefixe + " " + nom + " (µs)", micro(h.percentile(p)));
  }
  ligne(sortie, prefixe + " max (µs)", micro(h.max()));
}

std::string ou_tiret(const std::optional<double>& v, int decimales) {
  return v ? nombre(*v, decimales) : "-";
}

// A frame run's window: rates, frame latency and the server's figures.
void lignes_trames(std::string& s, const mesure& f) {
  ligne(s, "frames/s asked", nombre(f.trames_demandees_s, 1));
  ligne(s, "frames/s served", nombre(f.trames_servies_s, 1));
  ligne(s, "frame samples", std::to_string(f.trames));
  for (const auto& [nom, v] : {std::pair{"p50", f.p50}, {"p99", f.p99}, {"p99.9", f.p999},
                               {"max", f.max}}) {
    ligne(s, std::string("frame ") + nom + " (µs)", micro(v));
  }
  ligne(s, "longest gap between a player's frames (µs)", micro(f.ecart_max));
  ligne(s, "ticks/s lowest", ou_tiret(f.ticks ? std::optional(f.ticks->plus_bas) : std::nullopt, 1));
  ligne(s, "ticks/s median", ou_tiret(f.ticks ? std::optional(f.ticks->median) : std::nullopt, 1));
  ligne(s, "bullets median", f.balles ? std::to_string(*f.balles) : "-");
  ligne(s, "server CPU (%)", ou_tiret(f.cpu_serveur, 1));
  ligne(s, "server VmRSS (KiB)", f.rss_ko ? std::to_string(*f.rss_ko) : "-");
  ligne(s, "jeu-charge CPU (%)", nombre(f.cpu_charge, 1));
}

std::string mode(const options& o) {
  if (o.trame.empty()) {
    return (o.debit > 0 ? nombre(o.debit, 1) + " req/s per connection" : "closed loop") +
           ", pipeline " + std::to_string(o.pipeline) + ", " + std::to_string(o.requetes.size()) +
           " request line(s)";
  }
  std::string m = "frames of " + std::to_string(o.trame.size()) + " line(s), " +
                  (o.periode_ms > 0 ? "every " + nombre(o.periode_ms, 1) + " ms" : "closed loop");
  if (o.tireurs > 0) {
    m += ", " + nombre(o.tireurs, 1) + "% shooting every " + std::to_string(o.tir_chaque) +
         " frames";
  }
  return m;
}

}  // namespace

std::string ligne_progression(const instantane& i, int connexions) {
  char tampon[160];
  std::snprintf(tampon, sizeof tampon, "[%6.1f s] %10.0f req/s  %llu errors  %lld/%d connections up\n",
                i.ecoule, i.requetes_par_seconde, static_cast<unsigned long long>(i.erreurs),
                static_cast<long long>(i.connexions_ouvertes), connexions);
  return tampon;
}

std::string rapport(const options& o, const bilan_execution& b) {
  const comptes& m = b.m;
  std::string s;
  ligne(s, "target", o.adresse + ":" + std::to_string(o.port));
  ligne(s, "connections", std::to_string(o.connexions) +
                              (o.montee > 0 ? ", ramp " + nombre(o.montee, 3) + " s" : ", at once") +
                              (o.enregistrement ? ", registering" : ", not registering"));
  ligne(s, "mode", mode(o));
  ligne(s, "duration (s)", nombre(b.duree, 3));
  ligne(s, "end wait (s)", nombre(b.attente_fin, 3));
  ligne(s, "requests", std::to_string(m.reponses));
  // Over the load only: replies awaited afterwards would dilute the rate.
  ligne(s, "requests/s",
        nombre(b.duree > 0 ? static_cast<double>(b.reponses_pendant) / b.duree : 0, 1));
  ligne(s, "requests sent", std::to_string(m.envoyees));
  ligne(s, "errors", std::to_string(m.erreurs()));
  ligne(s, "  error replies", std::to_string(m.reponses_erreur));
  ligne(s, "  unexpected replies", std::to_string(m.inattendues));
  ligne(s, "  unanswered", std::to_string(m.sans_reponse));
  ligne(s, "  connections lost", std::to_string(m.fermetures));
  ligne(s, "failed connections", std::to_string(m.connexions_echouees + m.enregistrements_refuses));
  ligne(s, "  connect failed", std::to_string(m.connexions_echouees));
  ligne(s, "  registration refused", std::to_string(m.enregistrements_refuses));
  if (b.trames) {
    lignes_trames(s, *b.trames);
  } else {
    percentiles(s, "latency", m.latence);
  }
  percentiles(s, "connect", m.connexion);
  if (o.enregistrement) percentiles(s, "registration", m.enregistrement);
  return s;
}

}  // namespace jeu::charge
