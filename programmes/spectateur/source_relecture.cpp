#include "spectateur/source_relecture.h"

#include <charconv>
#include <optional>
#include <thread>

#include "jeu_client.h"

namespace jeu::spectateur {

namespace {

constexpr std::chrono::milliseconds periode{25};

template <class T>
std::optional<T> nombre(const std::string& texte) {
  T v{};
  const auto [fin, e] = std::from_chars(texte.data(), texte.data() + texte.size(), v);
  if (texte.empty() || e != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
  return v;
}

}  // namespace

source_relecture::source_relecture(const std::string& chemin)
    : nom_(chemin), lecture_(chemin, relecture::lecture::horloge::now()) {}

plateau source_relecture::ouvre() {
  plateau p;
  p.taille = {990, 990};
  p.rayon_vaisseau = 9;
  p.rayon_balle = 4;
  p.max_pt_vie = 5;
  return p;
}

image source_relecture::trame() {
  std::this_thread::sleep_for(periode);
  std::lock_guard garde(verrou_);
  const auto& t = lecture_.trame(relecture::lecture::horloge::now());
  jeu_client::trame_flux f = jeu_client::lit_trame_flux(t.texte);
  image i;
  i.tick = f.tick;
  i.ticks_perdus = f.ticks_perdus;
  i.vaisseaux = std::move(f.vaisseaux);
  i.balles = std::move(f.balles);
  i.relecture = etat_relecture{lecture_.premier(), lecture_.dernier(), lecture_.en_pause(),
                               lecture_.vitesse()};
  i.scores_servis = false;
  return i;
}

std::string source_relecture::commande(const std::string& nom, const std::string& valeur) {
  std::lock_guard garde(verrou_);
  const auto maintenant = relecture::lecture::horloge::now();
  if (nom == "pause") {
    if (valeur != "0" && valeur != "1") return "pause takes 0 or 1";
    lecture_.met_en_pause(valeur == "1", maintenant);
    return "";
  }
  if (nom == "vitesse") {
    const auto v = nombre<double>(valeur);
    if (!v || !(*v >= relecture::vitesse_min && *v <= relecture::vitesse_max)) {
      return "vitesse takes 0.25 to 16";
    }
    lecture_.change_vitesse(*v, maintenant);
    return "";
  }
  if (nom == "tick") {
    const auto t = nombre<std::uint64_t>(valeur);
    if (!t) return "tick takes a tick number";
    lecture_.cherche(*t, maintenant);
    return "";
  }
  return "unknown command " + nom;
}

}  // namespace jeu::spectateur
