#pragma once

// One client connection's behaviour, without the socket: what to write and
// when, and what the replies mean. Times are nanoseconds of a monotonic
// clock, given by the caller.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commun/histogramme.h"
#include "charge/trames.h"

namespace jeu::charge {

using commun::histogramme;

// How every connection issues its requests.
struct regime {
  std::vector<std::string> requetes;  // cycled in order, without line end
  int pipeline = 1;                   // requests per batch, one write
  double debit = 0;                   // requests/s per connection; 0: closed loop
  bool enregistrement = true;         // register a colour first
  // Frame mode when not empty: each batch is these lines, in one write,
  // timed as a whole up to its last reply; requetes, pipeline and debit are
  // then unused.
  std::vector<std::string> trame;
  std::int64_t periode_trame = 0;  // ns between a connection's frames; 0: closed loop
  // A shooter adds `tir` to one frame in tir_chaque, its first included.
  std::string tir = "PUT ACTION TIRE";
  int tir_chaque = 10;
};

// Everything counted over a run; times in nanoseconds.
struct comptes {
  histogramme latence;         // request sent (or scheduled) -> reply complete
  histogramme trame;           // frame sent (or due) -> its last reply complete
  // The longest time between two frames of one player completing (ns): a
  // player starved of service shows here, whatever the percentiles say.
  std::uint64_t ecart_trames_max = 0;
  histogramme connexion;       // connect() issued -> socket writable
  histogramme enregistrement;  // colour sent -> "VAISSEAU ENREGISTRE"
  std::uint64_t envoyees = 0;
  std::uint64_t trames_demandees = 0;       // frames made: due, or sent in closed loop
  std::uint64_t reponses = 0;
  std::uint64_t reponses_erreur = 0;        // "ERREUR..." or "-ERR..."
  std::uint64_t inattendues = 0;            // a reply nothing was waiting for
  std::uint64_t connexions_echouees = 0;    // the connect failed
  std::uint64_t enregistrements_refuses = 0;
  std::uint64_t fermetures = 0;             // lost once established
  std::uint64_t sans_reponse = 0;           // unanswered, or due and never sent
  std::int64_t connexions_ouvertes = 0;     // established and not lost

  // Each failure counted once: error replies, unexpected replies, failed
  // connects, lost connections, refused registrations, unanswered requests.
  std::uint64_t erreurs() const {
    return reponses_erreur + inattendues + connexions_echouees + enregistrements_refuses +
           fermetures + sans_reponse;
  }
  // Adds the histograms and counts of `autre`; connexions_ouvertes, a level
  // rather than a count, is left as it is.
  void ajoute(const comptes& autre);
  // Forgets the histograms and counts, not connexions_ouvertes: a new
  // measuring window starts.
  void remet_a_zero();
};

class connexion_charge {
 public:
  enum class etat { inactive, connexion, enregistrement, active, fermee };

  // `couleur` is sent at registration when the regime registers. In frame
  // mode a `tireur` adds the shot to some frames, and the first frame falls
  // `decalage` ns after activation, so that players' frames spread over the
  // period instead of all falling at once.
  connexion_charge(const regime& r, std::int64_t couleur, bool tireur = false,
                   std::int64_t decalage = 0);

  etat etat_courant() const { return etat_; }

  // connect() was issued at t.
  void debut_connexion(std::int64_t t);
  // The connect completed at t: the colour, or the first batch, is written.
  void connexion_etablie(std::int64_t t, comptes& m);
  // Once active, start no batch until relache(): the connection stays idle.
  void retiens() { retenue_ = true; }
  // Batches may start from t on (at once when already active).
  void relache(std::int64_t t, comptes& m);
  // The connect failed; the connection is closed.
  void connexion_echouee(comptes& m);
  // Bytes from the server arrived at t. A refused registration closes the
  // connection; replies may let the next batch be written.
  void recoit(std::string_view octets, std::int64_t t, comptes& m);
  // The server closed the connection or the socket failed; requests still
  // unanswered count as such.
  void perdue(comptes& m);

  // Fixed rate: when the next batch is scheduled; nullopt in closed loop,
  // when stopped or not yet active.
  std::optional<std::int64_t> prochaine_echeance() const;
  // Fixed rate: every batch scheduled at or before t becomes due. Due
  // batches are written one at a time, when nothing is in flight; each
  // request's (or frame's) latency is counted from its scheduled time, not
  // its write.
  void echeance(std::int64_t t, comptes& m);
  // No batch is started any more; replies still in flight are awaited.
  void arrete() { arretee_ = true; }
  // Requests written and unanswered, plus due ones not yet written.
  std::size_t en_suspens() const { return requetes_en_vol_ + requetes_dues_; }
  // The end of the run: what is still pending, an unanswered registration
  // included, counts as unanswered.
  void abandonne(comptes& m);

  // Bytes to write to the server; the caller erases what it has written.
  std::string& a_ecrire() { return sortie_; }

 private:
  // A batch: when it was scheduled, and how many requests it holds.
  struct lot {
    std::int64_t prevu;
    int requetes;
  };
  // What is timed as one (a request, or a frame) and its replies to come.
  struct attendu {
    std::int64_t prevu;
    int reponses;
  };

  bool mode_trame() const { return !regime_.trame.empty(); }
  void active(std::int64_t t, comptes& m);
  void demarre(std::int64_t t, comptes& m);
  // The next batch, scheduled at `prevu`.
  lot lot_suivant(std::int64_t prevu, comptes& m);
  void ecrit_lot(const lot& l, comptes& m);
  // Writes the oldest due batch when nothing is in flight.
  void ecrit_dus(comptes& m);
  void sur_reponse(const reponse& r, std::int64_t t, comptes& m);
  void ferme(comptes& m);

  const regime& regime_;
  std::int64_t couleur_;
  bool tireur_;
  std::int64_t decalage_;
  etat etat_ = etat::inactive;
  std::int64_t debut_ = 0;  // connect issued, then colour sent
  std::size_t prochaine_requete_ = 0;
  std::int64_t intervalle_ = 0;  // between batches, fixed rate
  std::int64_t prochain_lot_ = 0;
  bool arretee_ = false;
  bool retenue_ = false;
  std::uint64_t trames_ = 0;    // frames made so far
  std::int64_t derniere_trame_ = -1;  // when the last frame completed
  std::deque<attendu> en_vol_;  // written, oldest first
  std::deque<lot> dues_;        // due and not yet written
  std::size_t requetes_en_vol_ = 0;
  std::size_t requetes_dues_ = 0;
  decodeur_reponses decodeur_;
  std::string sortie_;
};

}  // namespace jeu::charge
