#pragma once

// The game server read as a spectator, through jeu_client: "PUT SPECTATEUR",
// the arena once per connection, then one frame of "GET VAISSEAUX",
// "GET BALLES" and "GET STATS" in a single write.

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
};

}  // namespace jeu::spectateur
