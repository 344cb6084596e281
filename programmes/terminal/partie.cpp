#include "terminal/partie.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <random>
#include <variant>

#include "terminal/barre.h"
#include "terminal/classement.h"
#include "terminal/commandes.h"
#include "terminal/signaux.h"

namespace jeu::terminal {

namespace {

using horloge = std::chrono::steady_clock;
using jeu_client::requete;

constexpr std::chrono::milliseconds delai_serveur{3000};
// Lines of the leaderboard panel at most, its header included.
constexpr std::size_t lignes_classement = 12;

jeu_client::couleur_t couleur_au_hasard() {
  static std::mt19937 generateur{std::random_device{}()};
  return std::uniform_int_distribution<jeu_client::couleur_t>{0, 0xFFFFFF}(generateur);
}

jeu_client::couleur_t enregistre(jeu_client::connexion& c, const options& o) {
  if (o.couleur) {
    c.enregistre(*o.couleur);
    return *o.couleur;
  }
  for (int essai = 1;; ++essai) {
    const jeu_client::couleur_t couleur = couleur_au_hasard();
    try {
      c.enregistre(couleur);
      return couleur;
    } catch (const jeu_client::erreur& e) {
      if (e.quoi() != jeu_client::erreur::sorte::couleur_utilisee || essai == 10) throw;
    }
  }
}

std::string pourquoi(const jeu_client::erreur& e) {
  using sorte = jeu_client::erreur::sorte;
  switch (e.quoi()) {
    case sorte::fermee:
      return std::string("server closed the connection (") + e.what() + ")";
    case sorte::delai:
      return std::string("server stopped answering (") + e.what() + ")";
    default:
      return std::string("unexpected reply from the server (") + e.what() + ")";
  }
}

std::string fin_par_signal(int numero) {
  switch (numero) {
    case SIGINT:
      return "interrupted (Ctrl-C)";
    case SIGHUP:
      return "terminal closed (SIGHUP)";
    default:
      return "terminated (signal " + std::to_string(numero) + ")";
  }
}

}  // namespace

partie::partie(const options& o, jeu_client::connexion c, jeu_client::couleur_t couleur)
    : options_(o), connexion_(std::move(c)), couleur_(couleur) {}

partie partie::ouvre(const options& o) {
  jeu_client::connexion c = jeu_client::connexion::ouvre(o.hote, o.port, delai_serveur);
  jeu_client::couleur_t couleur = 0;
  if (o.spectateur) {
    c.devient_spectateur();
  } else {
    couleur = enregistre(c, o);
  }
  partie p(o, std::move(c), couleur);
  const requete fixes[] = {requete::taille_plateau, requete::max_pt_vie, requete::cubes};
  auto r = p.connexion_.trame(fixes);
  p.taille_ = std::get<jeu_client::taille_plateau>(r[0]);
  p.max_pt_vie_ = std::get<int>(r[1]);
  p.cubes_ = std::move(std::get<std::vector<jeu_client::cube>>(r[2]));
  if (o.spectateur) {
    jeu_client::connexion f = jeu_client::connexion::ouvre(o.hote, o.port, delai_serveur);
    f.devient_spectateur();
    f.commence_flux();
    p.flux_.emplace(std::move(f));
  }
  return p;
}

void partie::rejoint() {
  try {
    jeu_client::connexion c = jeu_client::connexion::ouvre(options_.hote, options_.port, delai_serveur);
    c.enregistre(couleur_);
    connexion_ = std::move(c);
    detruit_ = false;
    vitesse_.remet_a_zero();
    message_.clear();
  } catch (const jeu_client::erreur& e) {
    message_ = std::string("rejoin failed: ") + e.what();
  }
}

void partie::lit_touches(ecran& e, std::chrono::steady_clock::time_point jusqua,
                         std::vector<requete>& actions) {
  for (;;) {
    if (signal_recu() != 0 || quitter_) return;
    const auto reste =
        std::max(std::chrono::ceil<std::chrono::milliseconds>(jusqua - horloge::now()),
                 std::chrono::milliseconds::zero());
    const auto t = e.touche(reste);
    if (!t) {
      if (reste.count() == 0) return;
      continue;
    }
    const ordre o = ordre_de(*t);
    if (o.quoi == commande::quitte) {
      quitter_ = true;
    } else if (o.quoi == commande::action && !options_.spectateur && !detruit_) {
      actions.push_back(o.action);
      vitesse_.applique(o.action);
    } else if (o.quoi == commande::rejoint && !options_.spectateur && detruit_) {
      rejoint();
    } else if (o.quoi == commande::classement && options_.spectateur) {
      classement_visible_ = !classement_visible_;
      derniers_scores_ = {};  // fresh scores at once
      return;
    }
  }
}

void partie::image(ecran& e, std::vector<requete>& requetes, double images_par_seconde) {
  const auto maintenant = horloge::now();
  if (flux_) {
    jeu_client::trame_flux f = flux_->flux_suivante();
    vaisseaux_ = std::move(f.vaisseaux);
    balles_ = std::move(f.balles);
    if (maintenant - dernieres_stats_ >= std::chrono::milliseconds(250)) {
      requetes.push_back(requete::stats);
    }
  } else {
    if (!options_.spectateur) requetes.push_back(requete::statut);
    requetes.push_back(requete::vaisseaux);
    requetes.push_back(requete::balles);
  }
  const bool avec_scores = options_.spectateur && classement_visible_ && scores_servis_ &&
                           maintenant - derniers_scores_ >= std::chrono::seconds(1);
  if (avec_scores) requetes.push_back(requete::scores);
  std::vector<jeu_client::reponse> reponses;
  if (!requetes.empty()) {
    try {
      reponses = connexion_.trame(requetes);
    } catch (const jeu_client::erreur& err) {
      // Every reply was read: a server without scores is watched without them.
      if (!avec_scores || err.quoi() != jeu_client::erreur::sorte::syntaxe) throw;
      scores_servis_ = false;
      requetes.pop_back();
      if (!requetes.empty()) reponses = connexion_.trame(requetes);
    }
  }
  if (avec_scores && scores_servis_) {
    scores_ = std::move(std::get<std::vector<jeu_client::score>>(reponses.back()));
    derniers_scores_ = maintenant;
  }
  for (jeu_client::reponse& r : reponses) {
    if (auto* s = std::get_if<jeu_client::statistiques>(&r)) {
      stats_ = std::move(*s);
      dernieres_stats_ = maintenant;
    } else if (auto* v = std::get_if<std::vector<jeu_client::vaisseau>>(&r)) {
      vaisseaux_ = std::move(*v);
    } else if (auto* b = std::get_if<std::vector<jeu_client::balle>>(&r)) {
      balles_ = std::move(*b);
    } else if (auto* st = std::get_if<jeu_client::statut>(&r)) {
      detruit_ = *st == jeu_client::statut::mort;
    }
  }

  etat_barre etat;
  etat.spectateur = options_.spectateur;
  etat.detruit = detruit_;
  etat.max_pt_vie = max_pt_vie_;
  etat.vitesse = vitesse_.valeur();
  etat.vaisseaux = vaisseaux_.size();
  etat.balles = balles_.size();
  etat.stats = stats_;
  etat.images_par_seconde = images_par_seconde;
  etat.message = message_;
  scene s;
  s.largeur_arene = taille_.largeur;
  s.hauteur_arene = taille_.hauteur;
  s.cubes = cubes_;
  s.vaisseaux = vaisseaux_;
  s.balles = balles_;
  if (!options_.spectateur && !detruit_) {
    s.propre = couleur_;
    for (const jeu_client::vaisseau& v : vaisseaux_) {
      if (v.couleur == couleur_) etat.pt_vie = v.pt_vie;
    }
  }
  if (detruit_) s.banniere = " your ship was destroyed: r rejoins, q quits ";
  s.barre = texte_barre(etat, e.colonnes());
  panneau classement;
  if (classement_visible_) {
    classement = panneau_classement(scores_, scores_servis_, lignes_classement);
    s.classement = &classement;
  }
  e.dessine(s);
}

bilan partie::joue(ecran& e) {
  const auto debut = horloge::now();
  // Watching, the stream sets the pace: one frame per tick.
  const auto periode = options_.images_par_seconde > 0 && !flux_
                           ? std::chrono::duration_cast<horloge::duration>(
                                 std::chrono::duration<double>(1.0 / options_.images_par_seconde))
                           : horloge::duration::zero();
  auto prochaine = debut;
  auto debut_seconde = debut;
  std::uint64_t images = 0;
  std::uint64_t images_seconde = 0;
  double images_par_seconde = 0;
  std::vector<requete> requetes;

  const auto termine = [&](std::string raison, int code) {
    return bilan{std::move(raison), code, images,
                 std::chrono::duration<double>(horloge::now() - debut).count()};
  };
  const auto quitte = [&] {
    try {
      connexion_.quitte();
    } catch (const jeu_client::erreur&) {
      // Leaving anyway: the server removes the ship when the socket closes.
    }
  };

  try {
    for (;;) {
      requetes.clear();
      lit_touches(e, prochaine, requetes);
      if (const int s = signal_recu(); s != 0) {
        quitte();
        return termine(fin_par_signal(s), 128 + s);
      }
      if (quitter_) {
        quitte();
        return termine("quit", 0);
      }
      image(e, requetes, images_par_seconde);

      ++images;
      ++images_seconde;
      const auto maintenant = horloge::now();
      if (maintenant - debut_seconde >= std::chrono::seconds(1)) {
        images_par_seconde =
            images_seconde / std::chrono::duration<double>(maintenant - debut_seconde).count();
        images_seconde = 0;
        debut_seconde = maintenant;
      }
      prochaine += periode;
      // Late by more than a frame (a slow server): start afresh rather than rush.
      if (maintenant > prochaine + periode) prochaine = maintenant;
    }
  } catch (const jeu_client::erreur& err) {
    return termine(pourquoi(err), 1);
  }
}

}  // namespace jeu::terminal
