#pragma once

// Writes a recording: the tick stream's frames, in chunks of about one
// second compressed with zstd (docs/enregistrement.md). A chunk is written
// in one write once complete, so a recording cut short (the program killed,
// the disk full) still reads up to its last complete chunk. Not shared
// between threads.

#include <cstdint>
#include <string>
#include <string_view>

namespace jeu::enregistrement {

struct reglages_ecrivain {
  int niveau = 9;                  // zstd's compression level
  std::size_t trames_par_bloc = 40;  // one second of ticks; at most 65,535
  // A chunk is also closed once its frames hold this many bytes.
  std::size_t octets_par_bloc = 16 * 1024 * 1024;
  // Chunks coded by differences (enregistrement/ecarts.h) rather than as
  // texts; a chunk whose coding does not decode back to its frames is
  // written as texts.
  bool ecarts = true;
};

class ecrivain {
 public:
  // Creates `chemin` and writes the file's header. An existing file is
  // never overwritten: throws std::runtime_error naming the file and why
  // (it exists, a folder is missing...).
  explicit ecrivain(const std::string& chemin, reglages_ecrivain r = {});
  // Writes the last chunk, if any; a failure is then silent (call termine()
  // to see it).
  ~ecrivain();
  ecrivain(const ecrivain&) = delete;
  ecrivain& operator=(const ecrivain&) = delete;

  // Appends the frame of tick `tick`: its text as the stream sent it, from
  // its "TICK" line to its "FIN TICK" line. Ticks must increase (else
  // std::invalid_argument); a frame longer than 4 GB too. Writes a chunk when
  // one is complete; throws std::runtime_error when that write fails (disk
  // full...): the file then holds the chunks before it.
  void ajoute(std::uint64_t tick, std::string_view texte);

  // Writes the chunk being filled, then closes the file. Later calls do
  // nothing; ajoute() throws afterwards. Throws std::runtime_error when the
  // write or the close fails.
  void termine();

  std::uint64_t trames() const { return trames_; }
  // Bytes in the file so far (header and complete chunks).
  std::uint64_t octets() const { return octets_; }

 private:
  void ecrit_bloc();

  std::string chemin_;
  reglages_ecrivain reglages_;
  int fd_ = -1;
  bool termine_ = false;
  std::uint64_t dernier_tick_ = 0;
  std::uint64_t trames_ = 0;
  std::uint64_t octets_ = 0;
  // The chunk being filled: each frame's tick and length, and the texts.
  std::string index_;
  std::string textes_;
  std::size_t en_cours_ = 0;
  std::uint64_t premier_du_bloc_ = 0;
};

}  // namespace jeu::enregistrement
