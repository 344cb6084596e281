#include "spectateur/source_relecture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <thread>

#include "jeu_client.h"

namespace jeu::spectateur {

namespace {

constexpr double ticks_par_seconde = 40;
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
    : nom_(chemin), lecteur_(enregistrement::lecteur::ouvre(chemin)) {
  if (lecteur_.vide()) throw std::runtime_error(chemin + ": the recording holds no frame");
  premier_ = lecteur_.premier_tick();
  dernier_ = lecteur_.dernier_tick();
  base_ = static_cast<double>(premier_);
  depart_ = horloge::now();
}

plateau source_relecture::ouvre() {
  plateau p;
  p.taille = {990, 990};
  p.rayon_vaisseau = 9;
  p.rayon_balle = 4;
  p.max_pt_vie = 5;
  return p;
}

double source_relecture::position(horloge::time_point t) const {
  if (pause_) return base_;
  return base_ + std::chrono::duration<double>(t - depart_).count() * ticks_par_seconde * vitesse_;
}

image source_relecture::trame() {
  std::this_thread::sleep_for(periode);
  std::lock_guard garde(verrou_);
  const auto maintenant = horloge::now();
  if (cherche_) {
    if (!lecteur_.cherche(static_cast<std::uint64_t>(base_))) lecteur_.cherche(dernier_);
    courante_.reset();
    suivante_.reset();
    cherche_ = false;
  }
  if (!courante_ && !suivante_) suivante_ = lecteur_.suivante();
  const double cible = position(maintenant);
  while (suivante_ && (!courante_ || static_cast<double>(suivante_->tick) <= cible)) {
    courante_ = std::move(suivante_);
    suivante_ = lecteur_.suivante();
  }
  if (!courante_) throw std::runtime_error(nom_ + ": no frame to show");
  if (!suivante_ && !pause_ && cible >= static_cast<double>(dernier_)) {
    // The end: paused on the last frame.
    pause_ = true;
    base_ = static_cast<double>(dernier_);
  }
  jeu_client::trame_flux f = jeu_client::lit_trame_flux(courante_->texte);
  image i;
  i.tick = f.tick;
  i.ticks_perdus = f.ticks_perdus;
  i.vaisseaux = std::move(f.vaisseaux);
  i.balles = std::move(f.balles);
  i.relecture = etat_relecture{premier_, dernier_, pause_, vitesse_};
  i.scores_servis = false;
  return i;
}

std::string source_relecture::commande(const std::string& nom, const std::string& valeur) {
  std::lock_guard garde(verrou_);
  const auto maintenant = horloge::now();
  if (nom == "pause") {
    if (valeur != "0" && valeur != "1") return "pause takes 0 or 1";
    const bool pause = valeur == "1";
    if (pause == pause_) return "";
    base_ = position(maintenant);
    if (!pause && base_ >= static_cast<double>(dernier_)) {
      base_ = static_cast<double>(premier_);  // played to the end: from the start again
      cherche_ = true;
    }
    pause_ = pause;
    depart_ = maintenant;
    return "";
  }
  if (nom == "vitesse") {
    const auto v = nombre<double>(valeur);
    if (!v || !(*v >= vitesse_min && *v <= vitesse_max)) return "vitesse takes 0.25 to 16";
    base_ = position(maintenant);
    depart_ = maintenant;
    vitesse_ = *v;
    return "";
  }
  if (nom == "tick") {
    const auto t = nombre<std::uint64_t>(valeur);
    if (!t) return "tick takes a tick number";
    base_ = static_cast<double>(std::clamp(*t, premier_, dernier_));
    depart_ = maintenant;
    cherche_ = true;
    return "";
  }
  return "unknown command " + nom;
}

}  // namespace jeu::spectateur
