#include "charge/rapport.h"

#include <cstdio>
#include <utility>
#include <string_view>

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
  ligne(s, "mode", (o.debit > 0 ? nombre(o.debit, 1) + " req/s per connection" : "closed loop") +
                       ", pipeline " + std::to_string(o.pipeline) + ", " +
                       std::to_string(o.requetes.size()) + " request line(s)");
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
  percentiles(s, "latency", m.latence);
  percentiles(s, "connect", m.connexion);
  if (o.enregistrement) percentiles(s, "registration", m.enregistrement);
  return s;
}

}  // namespace jeu::charge
