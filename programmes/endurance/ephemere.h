#pragma once

// Short-lived connections: each registers a ship or not, sends a few valid
// and invalid requests (fragmented lines, lines over 4096 bytes, binary
// bytes) and checks their replies, then ends in one of the ways a
// connection can end. They start at a steady rate, with a bounded number in
// flight at once.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace jeu::endurance {

enum class fin_connexion {
  quitte,           // PUT ACTION QUITTE, then the server closes
  fermeture,        // close() after reading every reply
  demi_fermeture,   // a last line without LF, shutdown(SHUT_WR), read to EOF
  coupure_en_ligne, // close() in the middle of a request line
  reset_en_reponse, // GET CUBES, part of the reply read, then a reset
  sans_lecture,     // many GET CUBES, nothing read, then close()
};
constexpr std::size_t nb_fins = 6;
const char* nom(fin_connexion f);

struct bilan_ephemeres {
  std::mutex verrou;
  std::array<std::uint64_t, nb_fins> par_fin{};
  std::uint64_t connexions = 0;
  std::uint64_t inscrites = 0;
  std::uint64_t requetes = 0;     // request lines sent, fragments and unanswered included
  std::uint64_t fausses = 0;      // wrong or missing replies, or a close not seen
  std::uint64_t echecs_connexion = 0;
  std::vector<std::string> exemples;

  void faute(const std::string& quoi);
};

struct regime_ephemeres {
  int port;
  int total;          // connections over the run
  double duree;       // seconds over which they start
  int en_vol;         // at most this many at once
  std::int64_t couleur_base;  // connection i registers couleur_base + i
  unsigned graine;
};

// Runs every connection and returns when all are over (or `abandon` is set,
// then no more start).
void lance_ephemeres(const regime_ephemeres& r, const std::atomic<bool>& abandon,
                     std::atomic<int>& faites, bilan_ephemeres& b);

}  // namespace jeu::endurance
