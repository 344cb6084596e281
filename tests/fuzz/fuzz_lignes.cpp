// Fuzz target: the line assembler, fed arbitrary bytes in arbitrary pieces.
//
// Input layout: the first byte k says how many of the last bytes are piece
// sizes (k % 32 of them, read from the end backwards); the bytes between are
// the stream. Each size byte s gives a piece of 1 + s * s / 4 bytes (1 to
// 16,257, so pieces both far shorter and longer than a line limit occur);
// when the sizes run out, the rest of the stream is one piece.
//
// Checked against a plain split of the stream at every LF: each complete
// line comes back whole and not tronquee() when it has at most
// taille_max_ligne bytes, and otherwise as its first taille_max_ligne bytes,
// tronquee(); a final fragment without LF is what en_cours() and ligne()
// show at the end. ajoute() never takes bytes past the first LF, and always
// takes at least one byte of a non-empty piece.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/lecteur_lignes.h"

namespace {

using jeu::assembleur_lignes;
using jeu::taille_max_ligne;

[[noreturn]] void echec(const char* quoi) {
  std::fprintf(stderr, "fuzz_lignes: %s\n", quoi);
  std::abort();
}

void verifie(bool condition, const char* quoi) {
  if (!condition) echec(quoi);
}

struct ligne_rendue {
  std::string texte;
  bool tronquee;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* donnees, std::size_t taille) {
  if (taille == 0) return 0;
  std::size_t nb_coupes = donnees[0] % 32;
  if (nb_coupes > taille - 1) nb_coupes = taille - 1;
  const std::string_view flux(reinterpret_cast<const char*>(donnees) + 1,
                              taille - 1 - nb_coupes);
  std::vector<std::size_t> coupes;
  for (std::size_t i = 0; i < nb_coupes; ++i) {
    const std::size_t s = donnees[taille - 1 - i];
    coupes.push_back(1 + s * s / 4);
  }

  assembleur_lignes a;
  verifie(!a.complete() && !a.en_cours() && !a.tronquee() && a.ligne().empty(),
          "fresh assembler not empty");
  std::vector<ligne_rendue> rendues;
  std::size_t pos = 0;
  std::size_t k = 0;
  while (pos < flux.size()) {
    const std::size_t longueur = k < coupes.size() ? coupes[k++] : flux.size() - pos;
    std::string_view morceau = flux.substr(pos, longueur);
    pos += morceau.size();
    while (!morceau.empty()) {
      const std::size_t pris = a.ajoute(morceau);
      verifie(pris >= 1 && pris <= morceau.size(), "ajoute took no byte or too many");
      const std::size_t lf = morceau.find('\n');
      if (lf == std::string_view::npos) {
        verifie(pris == morceau.size(), "piece without LF not taken whole");
        verifie(!a.complete(), "complete without LF");
      } else {
        verifie(pris == lf + 1, "ajoute did not stop at the first LF");
        verifie(a.complete(), "LF taken but line not complete");
      }
      verifie(a.ligne().size() <= taille_max_ligne, "line beyond the limit");
      morceau.remove_prefix(pris);
      if (a.complete()) {
        verifie(!a.en_cours(), "complete and en_cours at once");
        rendues.push_back({std::string(a.ligne()), a.tronquee()});
        a.suivante();
        verifie(!a.complete() && !a.en_cours() && !a.tronquee() && a.ligne().empty(),
                "suivante left something");
      }
    }
  }

  // The reference: the stream split at every LF.
  std::size_t debut = 0;
  std::size_t n = 0;
  for (;;) {
    const std::size_t lf = flux.find('\n', debut);
    if (lf == std::string_view::npos) break;
    const std::string_view originale = flux.substr(debut, lf - debut);
    verifie(n < rendues.size(), "a line is missing");
    const ligne_rendue& r = rendues[n++];
    if (originale.size() <= taille_max_ligne) {
      verifie(!r.tronquee, "short line marked tronquee");
      verifie(r.texte == originale, "line differs from the input");
    } else {
      verifie(r.tronquee, "long line not marked tronquee");
      verifie(r.texte == originale.substr(0, taille_max_ligne),
              "long line is not the beginning of the input line");
    }
    debut = lf + 1;
  }
  verifie(n == rendues.size(), "more lines than LFs");
  const std::string_view reste = flux.substr(debut);
  verifie(!a.complete(), "complete at the end");
  verifie(a.en_cours() == !reste.empty(), "en_cours disagrees with the last fragment");
  verifie(a.tronquee() == (reste.size() > taille_max_ligne), "last fragment tronquee wrong");
  verifie(a.ligne() == reste.substr(0, taille_max_ligne), "last fragment differs");
  return 0;
}
