#include "net/session.h"

#include <unistd.h>

#include <cstdio>
#include <optional>

#include "config/configuration.h"
#include "net/lecteur_lignes.h"
#include "net/sortie.h"
#include "net/traitement.h"
#include "simulation/balles.h"

namespace jeu {

namespace {

enum class fin_partie {
  vaisseau_retire,  // "PUT ACTION QUITTE", or a failed log write, removed it
  deconnexion,      // end of stream or failed read
  echec,            // a failed reply, or anything else that went wrong
};

void retire_vaisseau(monde& m, const identite& id) EXCLUDES(m.verrou_monde) {
  VerrouGarde garde(m.verrou_monde);
  detruit_vaisseau(m, id);
}

// Registration: reads lines until a ship is created and announced. nullopt
// when the stream ends or a write fails; then no ship of this session is
// left in the world.
std::optional<joueur> init_client(monde& m, lecteur_lignes& lecteur, int socket)
    EXCLUDES(m.verrou_monde) {
  for (;;) {
    if (lecteur.lit() != lecteur_lignes::resultat::ligne) return std::nullopt;
    issue_enregistrement issue = enregistre(m, lecteur.ligne(), configuration::debug);
    const bool ecrit = (issue.journal.empty() || zorvex_print(stdout, issue.journal)) &&
                       zorvex_print(socket, issue.reponse);
    if (!ecrit) {
      if (issue.id) retire_vaisseau(m, *issue.id);
      return std::nullopt;
    }
    if (issue.id) {
      try {
        return joueur(*issue.id, configuration::debug);
      } catch (...) {
        retire_vaisseau(m, *issue.id);
        throw;
      }
    }
  }
}

// The play phase. The lock is held while a request is handled and its log
// written, never while reading or while sending the reply: a client that
// does not read its replies stalls only its own session.
fin_partie joue(monde& m, joueur& j, lecteur_lignes& lecteur, int socket)
    EXCLUDES(m.verrou_monde) {
  for (;;) {
    if (lecteur.lit() != lecteur_lignes::resultat::ligne) return fin_partie::deconnexion;
    issue_requete issue;
    {
      VerrouGarde garde(m.verrou_monde);
      issue = j.traite_requete(m, lecteur.ligne());
      if (!issue.journal.empty() && !zorvex_print(stdout, issue.journal)) {
        detruit_vaisseau(m, j.id());
        return fin_partie::vaisseau_retire;
      }
    }
    if (!zorvex_print(socket, issue.reponse)) return fin_partie::echec;
    if (issue.fin) return fin_partie::vaisseau_retire;
  }
}

void session(monde& m, int socket) EXCLUDES(m.verrou_monde) {
  lecteur_lignes lecteur(socket);
  std::optional<joueur> j = init_client(m, lecteur, socket);
  if (!j) return;
  fin_partie fin = fin_partie::echec;
  try {
    fin = joue(m, *j, lecteur, socket);
  } catch (...) {
    // Out of memory while building a reply: this session ends, not the server.
  }
  if (fin != fin_partie::vaisseau_retire) retire_vaisseau(m, j->id());
  if (fin == fin_partie::deconnexion && configuration::debug) {
    zorvex_print(stdout, j->prefixe() + "s'est barre sans prevenir\n");
  }
}

}  // namespace

void client(monde& m, int socket) {
  try {
    session(m, socket);
  } catch (...) {
    // As above: the failure ends this session only.
  }
  ::close(socket);
}

}  // namespace jeu
