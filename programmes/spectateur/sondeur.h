#pragma once

// The one thread that reads the game for every viewer: a frame every
// `periode` (or, from a source with its own pace, every frame read and one
// per `periode` at most published), published to the diffusion with the scores when they changed
// and the kill feed when it grew; when the source fails, a status saying
// so, then a new try every `pause`.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "spectateur/diffusion.h"
#include "spectateur/source.h"

namespace jeu::spectateur {

struct cadence {
  std::chrono::milliseconds periode{40};
  std::chrono::milliseconds pause{1000};
};

class sondeur {
 public:
  // Called on the sondeur's thread at each change of status.
  using journal = std::function<void(bool connecte, const std::string& texte)>;

  // Starts the thread. `s` and `d` must outlive the sondeur.
  sondeur(source& s, diffusion& d, cadence c, journal j = {});
  // Stops and joins the thread (at most one source call away).
  ~sondeur();
  sondeur(const sondeur&) = delete;
  sondeur& operator=(const sondeur&) = delete;

 private:
  void boucle();
  // Sleeps until `t` or until the destructor runs; false in the latter case.
  bool dort_jusqua(std::chrono::steady_clock::time_point t);
  void annonce(bool connecte, const std::string& texte);
  void publie_scores(const image& i);

  source& source_;
  diffusion& diffusion_;
  cadence cadence_;
  journal journal_;
  std::mutex verrou_;
  std::condition_variable reveil_;
  bool arret_ = false;
  // Only the sondeur's thread touches these two.
  std::string derniers_scores_;
  fil_victimes fil_;
  std::thread fil_lecture_;
};

}  // namespace jeu::spectateur
