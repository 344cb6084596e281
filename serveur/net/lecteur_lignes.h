#pragma once

// Framing of the request stream: a request is the bytes before each LF (the
// LF removed, a CR kept). Memory per connection is bounded: of a longer line
// only the first taille_max_ligne bytes are kept, the rest is dropped.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace jeu {

// Longest request line kept whole, LF not counted. No request is that long,
// so a longer line can only be refused.
inline constexpr std::size_t taille_max_ligne = 4096;

// Cuts a byte stream, given in pieces of any size, into lines.
class assembleur_lignes {
 public:
  assembleur_lignes() { ligne_.reserve(taille_max_ligne); }

  // Takes bytes from the front of `octets` up to and including the first LF
  // and returns how many it took. When it took a LF, the line is complete()
  // until suivante() is called; complete() must be false on entry.
  std::size_t ajoute(std::string_view octets);
  bool complete() const { return complete_; }
  // Some byte of a line not yet complete has arrived.
  bool en_cours() const { return !complete_ && (!ligne_.empty() || tronquee_); }
  // The line (or what arrived of it), at most taille_max_ligne bytes.
  std::string_view ligne() const { return ligne_; }
  // The line is longer than taille_max_ligne; ligne() is its beginning.
  bool tronquee() const { return tronquee_; }
  // Forgets the current line, complete or not.
  void suivante();

 private:
  std::string ligne_;
  bool tronquee_ = false;
  bool complete_ = false;
};

// Reads lines from a connected socket, taille_tampon bytes at most per read.
class lecteur_lignes {
 public:
  static constexpr std::size_t taille_tampon = 4096;
  enum class resultat { ligne, fin, erreur };

  explicit lecteur_lignes(int fd) : fd_(fd) {}

  // Blocks until the next line is there: resultat::ligne, then ligne() and
  // tronquee() describe it until the next call. A last fragment without LF
  // followed by the end of the stream is one more line; the end of the
  // stream with nothing pending is resultat::fin; a failed read (the
  // fragment, if any, is lost) resultat::erreur.
  resultat lit();
  std::string_view ligne() const { return assembleur_.ligne(); }
  bool tronquee() const { return assembleur_.tronquee(); }
  // Whether the bytes already read hold the end of another line: then the
  // next lit() returns at once, without waiting for the peer.
  bool ligne_prete() const;

 private:
  int fd_;
  assembleur_lignes assembleur_;
  std::array<char, taille_tampon> tampon_;
  std::size_t debut_ = 0;
  std::size_t fin_ = 0;
  bool termine_ = false;
};

}  // namespace jeu
