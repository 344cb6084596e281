#pragma once

// The spectator connection of a run, without the socket: it registers as a
// spectator, then asks "GET STATS" once a second and keeps what it reads,
// so that the server's tick rate is known second by second. Times are
// nanoseconds of a monotonic clock, given by the caller.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "charge/stats_serveur.h"

namespace jeu::charge {

class sonde_stats {
 public:
  static constexpr std::int64_t periode = 1'000'000'000;
  enum class etat { inactive, enregistrement, active, fermee };

  struct releve {
    std::int64_t t;  // when the reply arrived
    releve_stats stats;
  };

  // The connect completed at t: "PUT SPECTATEUR" is written.
  void connexion_etablie(std::int64_t t);
  // Bytes from the server arrived at t. Anything but "SPECTATEUR
  // ENREGISTRE" to the registration closes the probe: that server has no
  // spectators.
  void recoit(std::string_view octets, std::int64_t t);
  // The connect failed, the server closed the connection or the socket failed.
  void perdue() { ferme(); }

  // When the next "GET STATS" falls due; nullopt unless active.
  std::optional<std::int64_t> prochaine_demande() const;
  // The request due at or before t is written, unless the last one is still
  // unanswered: then that second is skipped. The next falls a period later.
  void demande(std::int64_t t);

  etat etat_courant() const { return etat_; }
  // Every reply read so far, in order.
  const std::vector<releve>& releves() const { return releves_; }
  // Bytes to write to the server; the caller erases what it has written.
  std::string& a_ecrire() { return sortie_; }

 private:
  static constexpr std::size_t ligne_max = 1024;  // longer lines are cut, not kept

  void sur_ligne(std::string_view ligne, std::int64_t t);
  void ferme();

  etat etat_ = etat::inactive;
  std::int64_t prochaine_ = 0;
  bool en_attente_ = false;  // a GET STATS unanswered
  std::string ligne_;
  std::string sortie_;
  std::vector<releve> releves_;
};

}  // namespace jeu::charge
