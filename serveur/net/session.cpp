#include "net/session.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "config/configuration.h"
#include "net/journal_refus.h"
#include "net/lecteur_lignes.h"
#include "net/ecriture.h"
#include "net/session_spectateur.h"
#include "net/tampon_sortie.h"
#include "net/traitement.h"
#include "net/trame_flux.h"
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
  detruit_vaisseau(m, id, raison_depart::deconnecte);
}

// Counts a connection in `compteur` for as long as it lives.
class presence {
 public:
  explicit presence(std::atomic<std::int64_t>& compteur) : compteur_(compteur) {
    compteur_.fetch_add(1, std::memory_order_relaxed);
  }
  ~presence() { compteur_.fetch_sub(1, std::memory_order_relaxed); }
  presence(const presence&) = delete;
  presence& operator=(const presence&) = delete;

 private:
  std::atomic<std::int64_t>& compteur_;
};

// One connection. Replies accumulate in `sortie_` while further requests
// are already there to read, and leave in one write before the session
// waits for the peer: a client that sends several requests at once gets all
// their replies at once, and a lone request is answered at once.
class session {
 public:
  session(monde& m, int socket, salle_attente::ticket& attente)
      : m_(m), socket_(socket), attente_(attente), lecteur_(socket) {}

  void sert() EXCLUDES(m_.verrou_monde) {
    std::optional<joueur> j;
    switch (init_client(j)) {
      case inscription::aucune: return;
      case inscription::spectateur: regarde(); return;
      case inscription::joueur: break;
    }
    presence compte(m_.compteurs.joueurs);
    fin_partie fin = fin_partie::echec;
    try {
      fin = joue(*j);
    } catch (...) {
      // Out of memory while building a reply: this session ends, not the server.
    }
    if (fin != fin_partie::vaisseau_retire) retire_vaisseau(m_, j->id());
    if (fin == fin_partie::deconnexion && configuration::debug) {
      ecrit_tout(stdout, j->prefixe() + "s'est barre sans prevenir\n");
    }
  }

 private:
  // Replies wait at most this many bytes for the requests after them.
  static constexpr std::size_t envoi_min = 64 * 1024;
  // Requests already read that one hold of the lock handles at most.
  static constexpr int lot_max = 16;

  // Sends what has accumulated. false when the write failed, counted when
  // it made no progress for the socket's send timeout (net/serveur.h).
  bool envoie() {
    if (sortie_.est_vide() || sortie_.envoie(socket_)) return true;
    if (sortie_.erreur() == EAGAIN || sortie_.erreur() == EWOULDBLOCK) {
      m_.compteurs.fermes_ecriture.fetch_add(1, std::memory_order_relaxed);
    }
    return false;
  }

  enum class lecture { ligne, fin, ecriture_ratee };

  // The next line, once what has accumulated is sent if the line is not
  // there yet. `fin` at the end of the stream or when a read failed.
  lecture lit() {
    if (!lecteur_.ligne_prete() || sortie_.taille() >= envoi_min) {
      if (!envoie()) return lecture::ecriture_ratee;
    }
    if (lecteur_.lit() != lecteur_lignes::resultat::ligne) return lecture::fin;
    m_.compteurs.requetes.fetch_add(1, std::memory_order_relaxed);
    return lecture::ligne;
  }

  enum class inscription { aucune, joueur, spectateur };

  // Registration: reads lines until a ship is created (then `j` is its
  // player) or the connection becomes a spectator's. `aucune` when the
  // stream ends or a write fails; then no ship of this session is left in
  // the world. The welcome reply leaves with the next phase's first write.
  // Refusals are logged within the connection's budget, and how many were
  // not when the phase ends.
  inscription init_client(std::optional<joueur>& j) EXCLUDES(m_.verrou_monde) {
    journal_refus refus;
    const inscription fin = inscrit(j, refus);
    if (fin == inscription::aucune) {
      if (const std::string bilan = refus.bilan(); !bilan.empty()) ecrit_tout(stdout, bilan);
    }
    return fin;
  }

  inscription inscrit(std::optional<joueur>& j, journal_refus& refus) EXCLUDES(m_.verrou_monde) {
    for (;;) {
      if (lit() != lecture::ligne || !attente_.commence()) return inscription::aucune;
      // Made before a ship may exist: nothing may fail once one does.
      const std::string bilan = refus.bilan();
      issue_enregistrement issue = lecteur_.tronquee()
                                       ? refuse_enregistrement(lecteur_.ligne())
                                       : enregistre(m_, lecteur_.ligne(), configuration::debug);
      const bool refusee = !issue.id && !issue.spectateur;
      if (refusee) issue.journal = refus.note(std::move(issue.journal));
      if ((!refusee && !bilan.empty() && !ecrit_tout(stdout, bilan)) ||
          (!issue.journal.empty() && !ecrit_tout(stdout, issue.journal))) {
        if (issue.id) retire_vaisseau(m_, *issue.id);
        return inscription::aucune;
      }
      if (issue.id || issue.spectateur) {
        attente_.sort();
      } else {
        attente_.reprend();
      }
      if (issue.id) {
        // Out of memory from here on must not leave a ship without its session.
        try {
          sortie_.ajoute(issue.reponse);
          j.emplace(*issue.id, configuration::debug);
          return inscription::joueur;
        } catch (...) {
          retire_vaisseau(m_, *issue.id);
          throw;
        }
      }
      sortie_.ajoute(issue.reponse);
      if (issue.spectateur) return inscription::spectateur;
    }
  }

  // A spectator's connection, until it quits or its stream ends. It holds
  // the lock only to read the world, as players do.
  void regarde() EXCLUDES(m_.verrou_monde) {
    presence compte(m_.compteurs.spectateurs);
    spectateur s;
    {
      VerrouGarde garde(m_.verrou_monde);
      s.commence(m_);
    }
    for (;;) {
      if (lit() != lecture::ligne) return;
      issue_requete issue;
      if (lecteur_.tronquee()) {
        issue = s.refuse_ligne();
      } else {
        VerrouGarde garde(m_.verrou_monde);
        issue = s.traite_requete(m_, lecteur_.ligne());
      }
      s.ajoute_reponse(sortie_);
      if (issue.fin) {
        envoie();
        return;
      }
      if (issue.flux) {
        diffuse();
        return;
      }
    }
  }

  // The tick stream, until the client goes or a frame cannot be written
  // within the send timeout. Each tick's frame is the text encoded once for
  // every stream (by the first to send it), after this stream's own "TICK"
  // line. A stream
  // that is still writing an older frame when ticks pass sends only the
  // newest next, and counts the others as lost: whole frames or nothing.
  void diffuse() EXCLUDES(m_.verrou_monde) {
    std::uint64_t dernier = 0;
    // The events sent up to: those from here on are in a frame sent, or
    // counted as missed.
    std::uint64_t evenements = 0;
    {
      // Under the world lock, as the tick reads the count: every tick after
      // this one publishes a frame.
      VerrouGarde garde(m_.verrou_monde);
      dernier = m_.numero_tick;
      evenements = m_.evenements.prochain();
      m_.flux.abonne();
    }
    struct desabonnement {
      diffusion& d;
      ~desabonnement() { d.desabonne(); }
    } fin{m_.flux};
    // How long a stream waits for a frame before it checks its client is
    // still there (ticks come every 25 ms).
    constexpr auto attente_max = std::chrono::milliseconds(100);
    std::string ligne_tick;
    if (!envoie()) return;
    for (;;) {
      if (auto t = m_.flux.attend(dernier, horloge::now() + attente_max)) {
        encode(*t);
        const std::uint64_t manques =
            (t->debut_evenements > evenements ? t->debut_evenements - evenements : 0) +
            t->evenements_perdus;
        ligne_tick.clear();
        ajoute_ligne_tick(ligne_tick, t->tick, t->tick - dernier - 1);
        sortie_.ajoute(ligne_tick);
        sortie_.ajoute(t->corps);
        ligne_tick.clear();
        ajoute_entete_evenements(ligne_tick, *t, manques);
        sortie_.ajoute(ligne_tick);
        sortie_.ajoute(t->suite);
        evenements = t->fin_evenements;
        dernier = t->tick;
        t.reset();
        if (!envoie()) return;
      }
      if (!ignore_entree()) return;
    }
  }

  // Reads and drops what the client sent, without waiting. false once the
  // client has closed the connection or it failed.
  bool ignore_entree() {
    char poubelle[4096];
    for (;;) {
      const ssize_t n = ::recv(socket_, poubelle, sizeof poubelle, MSG_DONTWAIT);
      if (n > 0) continue;
      if (n == 0) return false;
      return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
  }

  // The play phase. The lock is held while requests are handled, their log
  // written and their replies queued (list blocks by reference), never
  // while formatting a list, reading or sending: a client that does not
  // read its replies stalls only its own session. The requests that came
  // together (a bot's frame) are handled in one hold of the lock, as if
  // they had been handled one after the other with nobody in between.
  fin_partie joue(joueur& j) EXCLUDES(m_.verrou_monde) {
    for (;;) {
      switch (lit()) {
        case lecture::ligne: break;
        case lecture::fin: return fin_partie::deconnexion;
        case lecture::ecriture_ratee: return fin_partie::echec;
      }
      bool fin = false;
      {
        VerrouGarde garde(m_.verrou_monde);
        for (int n = 1;; ++n) {
          const issue_requete issue = lecteur_.tronquee() ? j.refuse_ligne(lecteur_.ligne())
                                                          : j.traite_requete(m_, lecteur_.ligne());
          // A failed log write ends the session without this request's
          // reply; the replies to the requests before it still go out.
          if (!issue.journal.empty() && !ecrit_tout(stdout, issue.journal)) {
            detruit_vaisseau(m_, j.id(), raison_depart::deconnecte);
            fin = true;
            break;
          }
          j.ajoute_reponse(sortie_);
          if (issue.fin) {
            fin = true;
            break;
          }
          if (n == lot_max || !lecteur_.ligne_prete() || sortie_.taille() >= envoi_min) break;
          if (lecteur_.lit() != lecteur_lignes::resultat::ligne) break;  // cannot be: a line is ready
          m_.compteurs.requetes.fetch_add(1, std::memory_order_relaxed);
        }
      }
      if (fin) {
        envoie();
        return fin_partie::vaisseau_retire;
      }
    }
  }

  monde& m_;
  int socket_;
  salle_attente::ticket& attente_;
  lecteur_lignes lecteur_;
  tampon_sortie sortie_;
};

}  // namespace

namespace {

void sert(monde& m, int socket, salle_attente* salle, salle_attente::place p)
    EXCLUDES(m.verrou_monde) {
  {
    // Out of the room before the descriptor closes: the room may shut down
    // only descriptors that are still this connection's.
    salle_attente::ticket attente(salle, p);
    try {
      session(m, socket, attente).sert();
    } catch (...) {
      // As above: the failure ends this session only.
    }
  }
  ::close(socket);
  if (salle != nullptr) m.compteurs.sockets_ouverts.fetch_sub(1, std::memory_order_relaxed);
}

}  // namespace

void client(monde& m, int socket) { sert(m, socket, nullptr, {}); }

void client(monde& m, int socket, salle_attente& salle, salle_attente::place p) {
  sert(m, socket, &salle, p);
}

}  // namespace jeu
