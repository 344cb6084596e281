#include "endurance/joueur.h"

#include <random>
#include <thread>

#include "endurance/forme.h"

namespace jeu::endurance {

namespace {

constexpr auto delai_reponse = std::chrono::seconds(10);

const char* const actions[] = {"PUT ACTION ACCELERE", "PUT ACTION DECELERE", "PUT ACTION GAUCHE",
                               "PUT ACTION DROITE", "PUT ACTION TIRE"};

}  // namespace

void bilan_joueurs::faute(const std::string& quoi) {
  std::lock_guard g(verrou);
  ++fausses;
  if (exemples.size() < 10) exemples.push_back(quoi);
}

bool joueur::demande(const std::string& requete, bilan_joueurs& b, std::string* entete) {
  const auto debut = horloge::now();
  const std::string ligne = requete + "\r";
  reponse_lue r;
  if (!lien_.envoie(ligne + "\n")) {
    r.probleme = "'" + requete + "': write failed";
  } else {
    r = lit_reponse(lien_, ligne, inscrit_, debut + delai_reponse);
  }
  const auto fin = horloge::now();
  {
    std::lock_guard g(b.verrou);
    ++b.requetes;
    b.attente.enregistre(static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(fin - debut).count()));
  }
  if (!r.ok()) {
    b.faute("player " + std::to_string(couleur_) + ": " + r.probleme);
    lien_.ferme();
    inscrit_ = false;
    return false;
  }
  if (entete) *entete = r.entete;
  return true;
}

bool joueur::inscrit(const std::atomic<bool>& arret, bilan_joueurs& b) {
  while (!arret.load()) {
    if (!lien_.ouvert() && !lien_.ouvre(port_)) {
      b.faute("player " + std::to_string(couleur_) + ": connect failed");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    std::string e;
    if (!demande("PUT COULEUR VAISSEAU " + std::to_string(couleur_), b, &e)) continue;
    if (e == "VAISSEAU ENREGISTRE") {
      inscrit_ = true;
      return true;
    }
    if (e == "ERREUR SYNTAXE") {
      b.faute("player " + std::to_string(couleur_) + ": registration refused as a syntax error");
    } else {
      std::lock_guard g(b.verrou);
      ++b.refus;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void joueur::joue(const std::atomic<bool>& arret, bilan_joueurs& b) {
  std::mt19937 alea(graine_);
  std::uniform_int_distribution<int> action(0, 4);
  // Spread the players' rounds over a period.
  std::this_thread::sleep_for(std::chrono::duration<double>(
      std::uniform_real_distribution<double>(0, periode_)(alea)));
  auto prochaine = horloge::now();
  while (!arret.load()) {
    if (!inscrit_ && !inscrit(arret, b)) break;
    std::string statut;
    const bool ronde = demande("GET VAISSEAUX", b) && demande(actions[action(alea)], b) &&
                       demande("GET STATUT", b, &statut) && demande("GET BALLES", b);
    if (ronde && statut == "PUT STATUT mort") {
      // Destroyed: leave, and come back with the same colour.
      if (demande("PUT ACTION QUITTE", b)) {
        if (!lien_.attend_fin(horloge::now() + delai_reponse)) {
          b.faute("player " + std::to_string(couleur_) + ": connection not closed after QUITTE");
        }
      }
      lien_.ferme();
      inscrit_ = false;
      std::lock_guard g(b.verrou);
      ++b.reinscriptions;
    }
    prochaine += std::chrono::duration_cast<horloge::duration>(std::chrono::duration<double>(periode_));
    const auto maintenant = horloge::now();
    if (prochaine < maintenant) prochaine = maintenant;  // late: no burst to catch up
    std::this_thread::sleep_until(prochaine);
  }
}

bool joueur::vivant(bilan_joueurs& b) {
  if (!lien_.ouvert() || !inscrit_) return false;
  std::string statut;
  if (!demande("GET STATUT", b, &statut)) return false;
  return statut == "PUT STATUT vivant";
}

}  // namespace jeu::endurance
