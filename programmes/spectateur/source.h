#pragma once

// Where the frames come from: the game server (source_jeu.h), or a test's
// stand-in.

#include <string>

#include "spectateur/etat.h"

namespace jeu::spectateur {

class source {
 public:
  virtual ~source() = default;
  // Connects (again) as a spectator and reads the arena. Throws a
  // std::exception naming the failure.
  virtual plateau ouvre() = 0;
  // One frame: ships, bullets, statistics; `numero` left 0. Throws a
  // std::exception on failure, after which ouvre comes next.
  virtual image trame() = 0;
  // Where it reads from, for the status texts ("127.0.0.1:12345").
  virtual std::string nom() const = 0;
  // True when trame() itself waits for the next frame (a stream, a replay):
  // the reader then calls it again at once, and publishes at most one frame
  // per period; false, it sleeps a period between calls.
  virtual bool a_son_rythme() const { return false; }
  // What it is, for the status texts.
  virtual std::string description() const { return "the game server " + nom(); }
};

}  // namespace jeu::spectateur
