#pragma once

// Reads a recording written by `ecrivain`: every frame in tick order, or
// from any tick on. At opening it hops from chunk header to chunk header to
// index the file (no decompression); a file cut short is read up to its
// last complete chunk. Not shared between threads.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "enregistrement/format.h"

namespace jeu::enregistrement {

struct trame_enregistree {
  std::uint64_t tick = 0;
  std::string texte;  // as the stream sent it, "TICK" line to "FIN TICK" line
};

class lecteur {
 public:
  // Opens `chemin` and indexes its chunks. Throws std::runtime_error with a
  // message naming the file for a file that cannot be read, is not a
  // recording, or is of a newer version than version_format.
  static lecteur ouvre(const std::string& chemin);

  lecteur(lecteur&& autre) noexcept;
  lecteur& operator=(lecteur&& autre) noexcept;
  lecteur(const lecteur&) = delete;
  lecteur& operator=(const lecteur&) = delete;
  ~lecteur();

  std::uint32_t version() const { return version_; }
  std::uint64_t nombre_trames() const { return nombre_trames_; }
  bool vide() const { return index_.empty(); }
  // The first and last ticks recorded (0 for an empty recording).
  std::uint64_t premier_tick() const;
  std::uint64_t dernier_tick() const;
  // Bytes read: the header and the complete chunks; the file's size beyond
  // that (a chunk cut short, or damaged) is octets_ignores().
  std::uint64_t octets_lus() const { return fin_lue_; }
  std::uint64_t octets_ignores() const { return taille_fichier_ - fin_lue_; }

  // Positions the reader on the first frame whose tick is `tick` or later:
  // the next suivante() returns it. false when there is none (the next
  // suivante() then returns nullopt). Decompresses one chunk.
  bool cherche(std::uint64_t tick);

  // The next frame, in tick order, the first after opening; nullopt after
  // the last. Throws std::runtime_error when a chunk indexed as complete
  // does not decompress (a file damaged inside).
  std::optional<trame_enregistree> suivante();

 private:
  struct bloc_indexe {
    std::uint64_t position;  // of its header in the file
    entete_bloc entete;
  };
  lecteur() = default;
  void charge(std::size_t bloc);

  std::string chemin_;
  int fd_ = -1;
  std::uint32_t version_ = 0;
  std::uint64_t taille_fichier_ = 0;
  std::uint64_t fin_lue_ = 0;
  std::uint64_t nombre_trames_ = 0;
  std::vector<bloc_indexe> index_;
  // The chunk decompressed: its number, its frames' ticks and texts.
  std::size_t bloc_charge_ = static_cast<std::size_t>(-1);
  std::vector<trame_enregistree> trames_;
  std::size_t prochain_bloc_ = 0;  // the chunk of the next frame
  std::size_t prochaine_ = 0;      // the next frame in that chunk
};

}  // namespace jeu::enregistrement
