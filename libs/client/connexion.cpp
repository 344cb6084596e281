#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <utility>

#include "jeu_client.h"
#include "client/flux.h"
#include "client/lignes.h"
#include "client/reponses.h"
#include "client/requetes.h"
#include "client/reseau.h"

namespace jeu_client {

using namespace interne;

namespace {

bool est_refus(const erreur& e) {
  return e.quoi() == erreur::sorte::syntaxe || e.quoi() == erreur::sorte::couleur_utilisee;
}

void ferme(int& socket, std::string& entree) {
  if (socket >= 0) close(socket);
  socket = -1;
  entree.clear();
}

// Runs `corps`, which talks to the server. A refusal leaves the stream in
// step and the connection usable; after any other failure (a lost
// connection, a late or unexpected reply) what comes next cannot be matched
// to a request any more, so the connection is closed.
template <class Corps>
auto garde(int& socket, std::string& entree, Corps&& corps) -> decltype(corps()) {
  if (socket < 0) throw erreur(erreur::sorte::fermee, "connexion deja fermee");
  try {
    return corps();
  } catch (const erreur& e) {
    if (!est_refus(e)) ferme(socket, entree);
    throw;
  } catch (...) {
    ferme(socket, entree);
    throw;
  }
}

source_lignes source(int socket, std::string& entree, const echeance& e) {
  return source_lignes(entree, [socket, e](std::string& tampon) { return lit(socket, tampon, e); });
}

// The replies to `requetes`, in order. A refused request ("ERREUR SYNTAXE")
// does not stop the others from being read: its error is thrown once the
// whole frame is in, so the next frame starts in step.
std::vector<reponse> lit_reponses(int socket, std::string& entree,
                                  std::span<const requete> requetes, const echeance& e) {
  source_lignes lignes = source(socket, entree, e);
  std::vector<reponse> reponses;
  reponses.reserve(requetes.size());
  std::optional<erreur> refus;
  for (const requete r : requetes) {
    try {
      reponses.push_back(lit_reponse(r, lignes));
    } catch (const erreur& err) {
      if (err.quoi() == erreur::sorte::fermee || err.quoi() == erreur::sorte::delai) {
        throw erreur(err.quoi(),
                     std::string(err.what()) + " (reponse a " + std::string(nom(r)) + ")");
      }
      if (!est_refus(err)) throw;
      if (!refus) refus = err;
      reponses.emplace_back(ok{});
    }
  }
  if (refus) throw *refus;
  return reponses;
}

void demande_accord(int socket, std::string& entree, std::string_view ligne, accord a,
                    std::chrono::milliseconds delai) {
  const echeance e(delai);
  ecrit(socket, ligne, e);
  source_lignes lignes = source(socket, entree, e);
  lit_accord(a, lignes);
}

}  // namespace

connexion connexion::ouvre(const std::string& hote, int port, std::chrono::milliseconds delai) {
  return connexion(connecte(hote, port, echeance(delai)), delai);
}

connexion::connexion(int socket, std::chrono::milliseconds delai)
    : socket_(socket), delai_(delai) {}

connexion::connexion(connexion&& autre) noexcept
    : socket_(std::exchange(autre.socket_, -1)),
      delai_(autre.delai_),
      entree_(std::move(autre.entree_)) {}

connexion& connexion::operator=(connexion&& autre) noexcept {
  if (this != &autre) {
    ferme(socket_, entree_);
    socket_ = std::exchange(autre.socket_, -1);
    delai_ = autre.delai_;
    entree_ = std::move(autre.entree_);
  }
  return *this;
}

connexion::~connexion() { ferme(socket_, entree_); }

void connexion::enregistre(couleur_t c) {
  garde(socket_, entree_, [&] {
    demande_accord(socket_, entree_, ligne_enregistrement(c), accord::enregistrement, delai_);
  });
}

void connexion::devient_spectateur() {
  garde(socket_, entree_,
        [&] { demande_accord(socket_, entree_, ligne_spectateur, accord::spectateur, delai_); });
}

std::vector<reponse> connexion::trame(std::span<const requete> requetes) {
  return garde(socket_, entree_, [&] {
    const echeance e(delai_);
    ecrit(socket_, texte_trame(requetes), e);
    return lit_reponses(socket_, entree_, requetes, e);
  });
}

void connexion::envoie(std::span<const requete> requetes) {
  garde(socket_, entree_, [&] { ecrit(socket_, texte_trame(requetes), echeance(delai_)); });
}

std::vector<reponse> connexion::recoit(std::span<const requete> requetes) {
  return garde(socket_, entree_,
               [&] { return lit_reponses(socket_, entree_, requetes, echeance(delai_)); });
}

namespace {

template <class T>
T une(connexion& c, requete r) {
  const requete requetes[] = {r};
  return std::get<T>(c.trame(requetes).front());
}

}  // namespace

std::vector<vaisseau> connexion::vaisseaux() {
  return une<std::vector<vaisseau>>(*this, requete::vaisseaux);
}
std::vector<balle> connexion::balles() { return une<std::vector<balle>>(*this, requete::balles); }
std::vector<cube> connexion::cubes() { return une<std::vector<cube>>(*this, requete::cubes); }
statut connexion::etat() { return une<statut>(*this, requete::statut); }
statistiques connexion::stats() { return une<statistiques>(*this, requete::stats); }
std::vector<score> connexion::scores() { return une<std::vector<score>>(*this, requete::scores); }
lot_evenements connexion::evenements() { return une<lot_evenements>(*this, requete::evenements); }
taille_plateau connexion::taille() { return une<taille_plateau>(*this, requete::taille_plateau); }
int connexion::rayon_vaisseau() { return une<int>(*this, requete::rayon_vaisseau); }
int connexion::rayon_balle() { return une<int>(*this, requete::rayon_balle); }
int connexion::max_pt_vie() { return une<int>(*this, requete::max_pt_vie); }

void connexion::action(requete a) {
  if (!est_action(a)) {
    throw std::invalid_argument("connexion::action : " + std::string(nom(a)) +
                                " n'est pas une action");
  }
  une<ok>(*this, a);
}

void connexion::commence_flux() {
  garde(socket_, entree_, [&] {
    const echeance e(delai_);
    ecrit(socket_, ligne_flux, e);
    source_lignes lignes = source(socket_, entree_, e);
    const std::string_view ligne = lignes.suivante();
    if (ligne == "PUT FLUX\r\n") return;
    if (ligne == "ERREUR SYNTAXE\r\n") {
      throw erreur(erreur::sorte::syntaxe, "GET FLUX refusee : ERREUR SYNTAXE");
    }
    throw erreur(erreur::sorte::inattendue, "reponse inattendue a GET FLUX : " + cite(ligne));
  });
}

std::string connexion::flux_texte() {
  return garde(socket_, entree_, [&] {
    source_lignes lignes = source(socket_, entree_, echeance(delai_));
    return lit_texte_trame(lignes);
  });
}

trame_flux connexion::flux_suivante() {
  const std::string texte = flux_texte();
  return garde(socket_, entree_, [&] { return lit_trame_flux(texte); });
}

void connexion::quitte() {
  try {
    garde(socket_, entree_,
          [&] { demande_accord(socket_, entree_, ligne_quitte, accord::depart, delai_); });
  } catch (...) {
    ferme(socket_, entree_);
    throw;
  }
  ferme(socket_, entree_);
}

}  // namespace jeu_client
