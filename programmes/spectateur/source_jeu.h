#pragma once

// The game server read as a spectator, through jeu_client: "PUT SPECTATEUR",
// the arena once per connection, then one frame of "GET VAISSEAUX",
// "GET BALLES", "GET STATS" and "GET EVENEMENTS" in a single write, with
// "GET SCORES" once a second. A server that refuses the last two is read
// without them.

#include <chrono>
#include <optional>
#include <string>

#include "jeu_client.h"
#include "spectateur/source.h"

namespace jeu::spectateur {

class source_jeu : public source {
 public:
  // Every call waits at most `delai` for the server.
  source_jeu(std::string hote, int port, std::chrono::milliseconds delai);

  plateau ouvre() override;
  image trame() override;
  std::string nom() const override;

 private:
  std::string hote_;
  int port_;
  std::chrono::milliseconds delai_;
  std::optional<jeu_client::connexion> connexion_;
  bool scores_servis_ = true;
  std::chrono::steady_clock::time_point derniers_scores_{};
};

}  // namespace jeu::spectateur
