#pragma once

// The game server read as a spectator, through jeu_client, on two
// connections: one streams every tick's ships and bullets ("GET FLUX"); on
// the other, the arena once per connection, then at most every 100 ms
// "GET STATS" and "GET EVENEMENTS" in one write, with "GET SCORES" once a
// second. A server that refuses the scores and events is read without them.

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
  // The next tick's frame (waits for it), with the last figures read.
  image trame() override;
  std::string nom() const override;
  bool a_son_rythme() const override { return true; }

 private:
  // Stats and events, and the scores when a second has passed.
  void interroge(image& i, std::chrono::steady_clock::time_point maintenant);

  std::string hote_;
  int port_;
  std::chrono::milliseconds delai_;
  std::optional<jeu_client::connexion> requetes_;
  std::optional<jeu_client::connexion> flux_;
  bool scores_servis_ = true;
  jeu_client::statistiques stats_;
  std::chrono::steady_clock::time_point dernieres_stats_{};
  std::chrono::steady_clock::time_point derniers_scores_{};
};

}  // namespace jeu::spectateur
