#pragma once

#include <string>
#include <string_view>

#include "net/reponse_differee.h"
#include "net/traitement.h"
#include "world/monde.h"

namespace jeu {

// A spectator's connection: it has no ship and never changes the world.
// Like joueur, each request is handled in two steps: traite_requete under
// the world lock, then ajoute_reponse without it. Spectators are not logged.
class spectateur {
 public:
  // Handles one request line (bytes before the LF, CR included). The GET
  // requests get the players' replies, except "GET STATUT", answered
  // "PUT STATUT spectateur"; "GET STATS" reports the server's figures;
  // "GET SCORES" every colour's scores; "GET EVENEMENTS" the events since
  // the previous one (at the first, since the connection began watching: see
  // commence); "GET FLUX" answers "PUT FLUX" and sets `flux` (the session
  // then streams); "PUT ACTION QUITTE" answers "OK" and sets `fin`; anything
  // else, the other actions and registration included, is "ERREUR SYNTAXE".
  // REQUIRES: m.verrou_monde.
  issue_requete traite_requete(const monde& m, std::string_view ligne) REQUIRES(m.verrou_monde);

  // The connection begins watching now: its first "GET EVENEMENTS" starts
  // with the next event. REQUIRES: m.verrou_monde.
  void commence(const monde& m) REQUIRES(m.verrou_monde) { evenements_ = m.evenements.prochain(); }

  // A line longer than taille_max_ligne: "ERREUR SYNTAXE". No lock.
  issue_requete refuse_ligne();

  // Appends the reply to the last request handled to `sortie`. Call it once
  // after each traite_requete or refuse_ligne; no lock needed.
  void ajoute_reponse(std::string& sortie) { reponse_.ajoute(sortie); }
  void ajoute_reponse(tampon_sortie& sortie) { reponse_.ajoute(sortie); }

 private:
  reponse_differee reponse_;
  std::uint64_t evenements_ = 0;  // the number of the next event to send
};

// The figures of "GET STATS" at `maintenant`. REQUIRES: m.verrou_monde.
etat_serveur etat_du_serveur(const monde& m, horloge::time_point maintenant)
    REQUIRES(m.verrou_monde);

}  // namespace jeu
