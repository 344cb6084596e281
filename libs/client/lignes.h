#pragma once

// The server's byte stream cut into reply lines, with bounded memory.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace jeu_client::interne {

// Longest reply line accepted, CR LF included. The server's lines are far
// shorter; a longer one is refused instead of growing the buffer.
inline constexpr std::size_t taille_max_ligne = 4096;

// `octets` for an error message: in double quotes, control bytes, bytes
// beyond ASCII, '"' and '\' escaped (\r, \n, \x00), cut after 80 bytes ("...").
std::string cite(std::string_view octets);

// Gives the lines of a byte stream one at a time: first from `tampon` (bytes
// received and not yet used), then from `remplit`, which appends the next
// bytes to the buffer and returns false at the end of the stream (it throws
// erreur(delai) or erreur(fermee) itself when nothing comes). When the
// source is destroyed, the lines it gave are gone from `tampon`; what
// remains is the start of the next reply.
class source_lignes {
 public:
  source_lignes(std::string& tampon, std::function<bool(std::string&)> remplit);
  ~source_lignes();
  source_lignes(const source_lignes&) = delete;
  source_lignes& operator=(const source_lignes&) = delete;

  // The next line, up to and including its LF, valid until the next call.
  // Throws erreur(fermee) at the end of the stream (quoting the unfinished
  // line, if any), erreur(inattendue) for a line longer than
  // taille_max_ligne, as soon as that many bytes have come without a LF.
  std::string_view suivante();

 private:
  std::string& tampon_;
  std::function<bool(std::string&)> remplit_;
  std::size_t debut_ = 0;  // where the next line starts in tampon_
};

}  // namespace jeu_client::interne
