#pragma once

// The HTTP side: "/" the page, "/flux" the server-sent events of the
// diffusion, one stream per viewer, each on a thread of its own; when
// replaying, "POST /relecture?<name>=<value>" the replay's commands. Streams
// begin with "retry:", so that a browser comes back by itself after the
// program restarts.

#include <httplib.h>

#include <atomic>
#include <functional>
#include <string>

#include "spectateur/diffusion.h"

namespace jeu::spectateur {

class serveur_http {
 public:
  // At most `vues_max` streams at once; one more is refused with 503.
  serveur_http(diffusion& d, int vues_max);

  // What handles "POST /relecture": each query parameter in turn, its
  // answer "" or why it was refused (400). Without one, 404. Call before sert.
  using commandes = std::function<std::string(const std::string& nom, const std::string& valeur)>;
  void accepte_commandes(commandes c);

  // Binds `adresse`:`port` (0: a free port). Returns the port bound, or -1
  // when the address cannot be bound.
  int ecoute(const std::string& adresse, int port);
  // Serves until arrete(); call after ecoute.
  void sert();
  // From any thread, once en_service: sert returns when the open streams
  // have seen the diffusion closed, so close it first.
  void arrete();
  // sert has begun serving and not ended.
  bool en_service() const { return serveur_.is_running(); }

  // How long a stream waits for an event before it writes a comment, which
  // finds viewers that went away.
  static constexpr std::chrono::seconds battement{10};
  // The "retry:" the streams begin with, in milliseconds.
  static constexpr int reprise_ms = 1000;

 private:
  diffusion& diffusion_;
  int vues_max_;
  std::atomic<int> vues_{0};
  httplib::Server serveur_;
};

}  // namespace jeu::spectateur
