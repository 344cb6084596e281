#pragma once

// What a session does with each request line, apart from the socket: the
// world access, the reply bytes and the log text. The session (session.cpp)
// only reads lines, takes the lock, and writes what these functions return.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/protocole.h"
#include "net/reponse_differee.h"
#include "world/monde.h"

namespace jeu {

// The name of a colour in log lines: "noir", "rouge", "vert", "bleu",
// "jaune", "cyan", "magenta" for 0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
// 0xFFFF00, 0x00FFFF, 0xFF00FF; the integer text otherwise ("-5").
std::string nom_couleur(couleur_t couleur);

// "Le client " + nom_couleur + " ": the start of every play-phase log line.
std::string prefixe_client(couleur_t couleur);

// What handling a request left to do: text for standard output (empty:
// nothing to log), and whether the session ends after sending the reply.
struct issue_requete {
  std::string journal;
  bool fin = false;
  bool flux = false;  // "GET FLUX" answered: the connection now only streams
};

struct issue_enregistrement {
  std::string reponse;
  std::string journal;
  std::optional<identite> id;  // set when the ship was created
  bool spectateur = false;     // set when the connection became a spectator's
};

// Handles one line of the registration phase. "PUT SPECTATEUR" makes the
// connection a spectator's (reply "SPECTATEUR ENREGISTRE", no log, no
// world access). Another line that is not a registration request gets
// "ERREUR SYNTAXE" and the log line
// "erreur client: <line>\n", the line escaped (net/echappement.h); otherwise, in one hold of m.verrou_monde, the
// ship is created (reply "VAISSEAU ENREGISTRE", with the log line
// "Oh, un nouveau client (<name>)\n" when `journalise`) or refused ("ERREUR
// COULEUR UTILISEE", logged "erreur client: la couleur est deja utilisee\n",
// or "erreur client: plus de place dans l'arene\n" when the colour was free
// but the arena had no free place). Error lines are logged whatever
// `journalise` says. Takes m.verrou_monde itself.
issue_enregistrement enregistre(monde& m, std::string_view ligne, bool journalise)
    EXCLUDES(m.verrou_monde);

// A registration-phase line longer than taille_max_ligne, of which `debut`
// arrived: "ERREUR SYNTAXE", logged like any refused line. No lock.
issue_enregistrement refuse_enregistrement(std::string_view debut);

// The play phase of one session, owning the ship `id`: it acts on, reports
// and removes that ship only, never a later ship of the same colour.
// Each request is handled in two steps: traite_requete under the world lock
// (world access, and references to what a list reply needs), then ajoute_reponse
// without it (the reply bytes), so formatting never delays the others.
class joueur {
 public:
  joueur(const identite& id, bool journalise);

  const identite& id() const { return id_; }
  const std::string& prefixe() const { return prefixe_; }

  // Handles one play request line (bytes before the LF, CR included): reads
  // or acts on the world and keeps what its reply needs; returns the whole
  // log text when journalise. "PUT ACTION QUITTE" removes the ship here and
  // sets `fin`. The caller writes the log text before releasing the lock.
  // REQUIRES: m.verrou_monde.
  issue_requete traite_requete(monde& m, std::string_view ligne) REQUIRES(m.verrou_monde);

  // A line longer than taille_max_ligne, of which `debut` arrived: refused
  // with "ERREUR SYNTAXE", logged cut. Also every unknown request line: its
  // log shows the line escaped (net/echappement.h). Touches no world data:
  // no lock.
  issue_requete refuse_ligne(std::string_view debut);

  // Appends the reply to the last request handled to `sortie`. Call it once
  // after each traite_requete or refuse_ligne; no lock needed.
  void ajoute_reponse(std::string& sortie);
  // The same, the list blocks by reference: cheap enough to call with the
  // lock held.
  void ajoute_reponse(tampon_sortie& sortie);

 private:
  void ajoute_journal(issue_requete& issue, std::string_view texte, std::string_view suite) const;

  identite id_;
  bool journalise_;
  std::string prefixe_;
  reponse_differee reponse_;
};

}  // namespace jeu
