#include "net/traitement.h"

#include <utility>

#include "net/echappement.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"
#include "world/recherche.h"

namespace jeu {

namespace {

std::string ligne_erreur(std::string_view ligne) {
  std::string texte = "erreur client: ";
  texte += echappe(ligne);
  texte += '\n';
  return texte;
}

// The log of a list reply: the request's words, then "  " + each line.
void journal_liste(std::string& journal, std::string_view reponse) {
  journal += '\n';
  while (!reponse.empty()) {
    const std::size_t fin = reponse.find('\n') + 1;  // every line ends in CR LF
    journal += "  ";
    journal += reponse.substr(0, fin);
    reponse.remove_prefix(fin);
  }
}

}  // namespace

std::string nom_couleur(couleur_t couleur) {
  switch (couleur) {
    case 0x000000: return "noir";
    case 0xFF0000: return "rouge";
    case 0x00FF00: return "vert";
    case 0x0000FF: return "bleu";
    case 0xFFFF00: return "jaune";
    case 0x00FFFF: return "cyan";
    case 0xFF00FF: return "magenta";
    default: return texte_entier(couleur);
  }
}

std::string prefixe_client(couleur_t couleur) { return "Le client " + nom_couleur(couleur) + " "; }

issue_enregistrement refuse_enregistrement(std::string_view debut) {
  issue_enregistrement issue;
  issue.reponse = reponse_syntaxe;
  issue.journal = ligne_erreur(debut);
  return issue;
}

issue_enregistrement enregistre(monde& m, std::string_view ligne, bool journalise) {
  issue_enregistrement issue;
  if (demande_spectateur(ligne)) {
    issue.reponse = reponse_spectateur;
    issue.spectateur = true;
    return issue;
  }
  const std::optional<couleur_t> couleur = lit_enregistrement(ligne);
  if (!couleur) return refuse_enregistrement(ligne);
  // Built before the ship exists, so that nothing can fail once it does.
  std::string bienvenue =
      journalise ? "Oh, un nouveau client (" + nom_couleur(*couleur) + ")\n" : std::string();
  std::string accueil(reponse_enregistre);
  bool utilisee = false;
  {
    VerrouGarde garde(m.verrou_monde);
    if (cree_vaisseau(m, *couleur)) {
      issue.id = identite{*couleur, m.vaisseaux.front().serie};
    } else {
      utilisee = couleur_prise(m, *couleur);
    }
  }
  if (issue.id) {
    issue.reponse = std::move(accueil);
    issue.journal = std::move(bienvenue);
  } else {
    issue.reponse = reponse_couleur_utilisee;
    issue.journal = utilisee ? "erreur client: la couleur est deja utilisee\n"
                             : "erreur client: plus de place dans l'arene\n";
  }
  return issue;
}

joueur::joueur(const identite& id, bool journalise)
    : id_(id), journalise_(journalise), prefixe_(prefixe_client(id.couleur)) {}

void joueur::ajoute_journal(issue_requete& issue, std::string_view texte,
                            std::string_view suite) const {
  if (!journalise_) return;
  issue.journal = prefixe_;
  issue.journal += texte;
  issue.journal += suite;
}

issue_requete joueur::traite_requete(monde& m, std::string_view ligne) {
  issue_requete issue;
  const auto constante = [&](std::string_view texte, std::string_view reponse) {
    reponse_.texte(reponse);
    ajoute_journal(issue, texte, "\n  ");
    if (journalise_) issue.journal += reponse;
  };
  const auto demande_action = [&](std::string_view texte, action a) {
    ajoute_journal(issue, texte, "\n  OK\n");
    reponse_.texte(reponse_ok);
    return a;
  };
  // In debug mode the log holds the whole reply, written under the lock
  // like every play log line: format it now.
  const auto liste = [&](std::string_view texte) {
    if (!journalise_) return;
    ajoute_journal(issue, texte, "");
    journal_liste(issue.journal, reponse_.formate());
  };

  std::optional<action> a;
  switch (reconnait_requete(ligne)) {
    case requete::balles:
      reponse_.balles(m);
      liste("demande la liste des balles");
      break;
    case requete::vaisseaux:
      reponse_.vaisseaux(m);
      liste("demande la liste des vaisseaux");
      break;
    case requete::cubes:
      // Encoded once for the world: the cubes never change.
      reponse_.cubes(m);
      liste("demande la liste des cubes");
      break;
    case requete::max_pt_vie:
      constante("demande le nombre max de pt vie", reponse_constante(requete::max_pt_vie));
      break;
    case requete::rayon_balle:
      constante("demande du rayon des balles", reponse_constante(requete::rayon_balle));
      break;
    case requete::rayon_vaisseau:
      constante("demande du rayon des vaisseaux", reponse_constante(requete::rayon_vaisseau));
      break;
    case requete::taille_plateau:
      constante("demande la taille du plateau", reponse_constante(requete::taille_plateau));
      break;
    case requete::statut:
      constante("demande son statut", cherche_vaisseau(m, id_) ? reponse_vivant : reponse_mort);
      break;
    case requete::accelere:
      a = demande_action("demande une acceleration", action::Accelere);
      break;
    case requete::decelere:
      a = demande_action("demande une deceleration", action::Decelere);
      break;
    case requete::droite:
      a = demande_action("demande une rotation droite", action::Droite);
      break;
    case requete::gauche:
      a = demande_action("demande une rotation gauche", action::Gauche);
      break;
    case requete::tire:
      a = demande_action("demande a tirer une balle", action::Tire);
      break;
    case requete::quitte:
      ajoute_journal(issue, "s'est barre", "\n  OK\n");
      detruit_vaisseau(m, id_, raison_depart::quitte);
      reponse_.texte(reponse_ok);
      issue.fin = true;
      break;
    case requete::stats:  // spectators only
    case requete::scores:
    case requete::evenements:
    case requete::flux:
    case requete::inconnue:
      return refuse_ligne(ligne);
  }
  if (a) traite_action_joueur(m, id_, *a);
  return issue;
}

issue_requete joueur::refuse_ligne(std::string_view debut) {
  issue_requete issue;
  if (journalise_) ajoute_journal(issue, "fait une demande incorrecte : ", echappe(debut));
  if (journalise_) issue.journal += '\n';
  reponse_.texte(reponse_syntaxe);
  return issue;
}

void joueur::ajoute_reponse(std::string& sortie) { reponse_.ajoute(sortie); }

void joueur::ajoute_reponse(tampon_sortie& sortie) { reponse_.ajoute(sortie); }

}  // namespace jeu
