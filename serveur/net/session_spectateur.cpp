#include "net/session_spectateur.h"

namespace jeu {

etat_serveur etat_du_serveur(const monde& m, horloge::time_point maintenant) {
  const compteurs_sessions& c = m.compteurs;
  const mesures::apercu a =
      m.ticks.calcule(maintenant, c.requetes.load(std::memory_order_relaxed));
  return etat_serveur{
      .ticks_par_seconde = a.ticks_par_seconde,
      .duree_tick_us = a.duree_tick_us,
      .p99_tick_us = a.p99_tick_us,
      .joueurs = c.joueurs.load(std::memory_order_relaxed),
      .spectateurs = c.spectateurs.load(std::memory_order_relaxed),
      .vaisseaux = static_cast<std::int64_t>(m.vaisseaux.size()),
      .balles = static_cast<std::int64_t>(m.balles.size()),
      .requetes_par_seconde = a.requetes_par_seconde,
      .fermes_delai = c.fermes_delai.load(std::memory_order_relaxed),
      .fermes_adresse = c.fermes_adresse.load(std::memory_order_relaxed),
      .fermes_place = c.fermes_place.load(std::memory_order_relaxed),
      .fermes_ecriture = c.fermes_ecriture.load(std::memory_order_relaxed),
  };
}

issue_requete spectateur::traite_requete(const monde& m, std::string_view ligne) {
  issue_requete issue;
  switch (const requete r = reconnait_requete(ligne)) {
    case requete::balles:
      reponse_.balles(m);
      break;
    case requete::vaisseaux:
      reponse_.vaisseaux(m);
      break;
    case requete::cubes:
      reponse_.cubes(m);
      break;
    case requete::max_pt_vie:
    case requete::rayon_balle:
    case requete::rayon_vaisseau:
    case requete::taille_plateau:
      reponse_.texte(reponse_constante(r));
      break;
    case requete::statut:
      reponse_.texte(reponse_statut_spectateur);
      break;
    case requete::stats:
      reponse_.stats(etat_du_serveur(m, horloge::now()));
      break;
    case requete::scores:
      reponse_.scores(m);
      break;
    case requete::evenements:
      evenements_ = reponse_.evenements(m, evenements_);
      break;
    case requete::flux:
      reponse_.texte(reponse_flux);
      issue.flux = true;
      break;
    case requete::quitte:
      reponse_.texte(reponse_ok);
      issue.fin = true;
      break;
    case requete::accelere:
    case requete::decelere:
    case requete::droite:
    case requete::gauche:
    case requete::tire:
    case requete::inconnue:
      return refuse_ligne();
  }
  return issue;
}

issue_requete spectateur::refuse_ligne() {
  reponse_.texte(reponse_syntaxe);
  return {};
}

}  // namespace jeu
