#include "net/traitement.h"

#include "net/protocole.h"
#include "simulation/actions.h"
#include "simulation/apparition.h"
#include "simulation/balles.h"
#include "world/recherche.h"

namespace jeu {

namespace {

std::string ligne_erreur(std::string_view ligne) {
  std::string texte = "erreur client: ";
  texte += ligne;
  texte += '\n';
  return texte;
}

// Header then items; the log gets the request's words, then "  " + each line.
template <class Liste, class Encodeur>
void repond_liste(requete r, const Liste& liste, Encodeur encode, std::string_view demande,
                  const std::string& prefixe, bool journalise, issue_requete& issue) {
  const std::string entete = entete_liste(r, liste.size());
  // Lines are under 64 bytes: one allocation for the whole reply.
  issue.reponse.reserve(entete.size() + 64 * liste.size());
  issue.reponse = entete;
  std::string* journal = nullptr;
  if (journalise) {
    issue.journal = prefixe;
    issue.journal += demande;
    issue.journal += "\n  ";
    issue.journal += entete;
    journal = &issue.journal;
  }
  for (const auto& element : liste) encode(element, issue.reponse, journal);
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

issue_enregistrement enregistre(monde& m, std::string_view ligne, bool journalise) {
  issue_enregistrement issue;
  const std::optional<couleur_t> couleur = lit_enregistrement(ligne);
  if (!couleur) {
    issue.reponse = reponse_syntaxe;
    issue.journal = ligne_erreur(ligne);
    return issue;
  }
  // Built before the ship exists, so that nothing can fail once it does.
  std::string bienvenue =
      journalise ? "Oh, un nouveau client (" + nom_couleur(*couleur) + ")\n" : std::string();
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
    issue.reponse = reponse_enregistre;
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

issue_requete joueur::traite_requete(monde& m, std::string_view ligne) {
  issue_requete issue;
  const auto journal = [&](std::string_view texte, std::string_view suite) {
    if (!journalise_) return;
    issue.journal = prefixe_;
    issue.journal += texte;
    issue.journal += suite;
  };
  const auto constante = [&](std::string_view texte, std::string reponse) {
    journal(texte, "\n  " + reponse);
    issue.reponse = std::move(reponse);
  };
  const auto demande_action = [&](std::string_view texte, action a) {
    journal(texte, "\n  OK\n");
    issue.reponse = reponse_ok;
    return a;
  };

  std::optional<action> a;
  const requete r = reconnait_requete(ligne);
  switch (r) {
    case requete::balles:
      repond_liste(r, m.balles, envoie_balle, "demande la liste des balles", prefixe_, journalise_,
                   issue);
      break;
    case requete::vaisseaux:
      repond_liste(r, m.vaisseaux, envoie_vaisseau, "demande la liste des vaisseaux", prefixe_,
                   journalise_, issue);
      break;
    case requete::cubes:
      if (lignes_cubes_.empty()) {
        for (const cube& c : m.cubes) {
          envoie_cube(c, lignes_cubes_, journalise_ ? &journal_cubes_ : nullptr);
        }
      }
      issue.reponse = entete_liste(r, m.cubes.size());
      journal("demande la liste des cubes\n  ", issue.reponse + journal_cubes_);
      issue.reponse += lignes_cubes_;
      break;
    case requete::max_pt_vie:
      constante("demande le nombre max de pt vie", reponse_constante(r));
      break;
    case requete::rayon_balle:
      constante("demande du rayon des balles", reponse_constante(r));
      break;
    case requete::rayon_vaisseau:
      constante("demande du rayon des vaisseaux", reponse_constante(r));
      break;
    case requete::taille_plateau:
      constante("demande la taille du plateau", reponse_constante(r));
      break;
    case requete::statut:
      constante("demande son statut",
                std::string(cherche_vaisseau(m, id_) ? reponse_vivant : reponse_mort));
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
      journal("s'est barre", "\n  OK\n");
      detruit_vaisseau(m, id_);
      issue.reponse = reponse_ok;
      issue.fin = true;
      break;
    case requete::inconnue:
      journal("fait une demande incorrecte : ", ligne);
      if (journalise_) issue.journal += '\n';
      issue.reponse = reponse_syntaxe;
      break;
  }
  if (a) traite_action_joueur(m, id_, *a);
  return issue;
}

}  // namespace jeu
