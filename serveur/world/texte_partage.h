#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jeu {

// The encoded text of a list (one line per item, in list order), cut into
// blocks of par_bloc items. A block is encoded when its items change, not
// when the list is read, and every reply that reads it shares its bytes:
// with N players polling N ships, the text is not formatted N times over.
//
// The world marks what changed (change, tout_change, or a new version of the
// list); the protocol layer, which alone knows the line format, passes the
// encoder to blocs(). No lock of its own: the world keeps it under
// verrou_monde.
class texte_partage {
 public:
  using bloc = std::shared_ptr<const std::string>;
  static constexpr std::size_t par_bloc = 32;

  // Any item may have changed, and their number and order too.
  void tout_change() { tout_change_ = true; }
  // Only the item at `rang` changed (not the count nor the order).
  void change(std::size_t rang) {
    if (rang / par_bloc < sales_.size()) sales_[rang / par_bloc] = 1;
  }

  // The blocks of a list of `nombre` items, at `version` (a count the list
  // bumps at every change, or always 0 when changes are marked instead),
  // after encoding again those whose items changed: encode(debut, fin, t)
  // appends the lines of items [debut, fin) to t. The blocks stay valid for
  // as long as a caller keeps them. Out of memory: throws, and the blocks
  // not brought up to date are encoded again at the next call.
  template <class Encode>
  const std::vector<bloc>& blocs(std::size_t nombre, std::uint64_t version, Encode&& encode) {
    if (tout_change_ || nombre != nombre_ || version != version_) {
      blocs_.resize((nombre + par_bloc - 1) / par_bloc);
      sales_.assign(blocs_.size(), 1);
      nombre_ = nombre;
      version_ = version;
      tout_change_ = false;
    }
    for (std::size_t k = 0; k < blocs_.size(); ++k) {
      if (sales_[k] == 0) continue;
      std::string texte;
      texte.reserve(64 * par_bloc);
      const std::size_t debut = k * par_bloc;
      encode(debut, debut + par_bloc < nombre ? debut + par_bloc : nombre, texte);
      blocs_[k] = std::make_shared<const std::string>(std::move(texte));
      sales_[k] = 0;
    }
    return blocs_;
  }

 private:
  std::vector<bloc> blocs_;
  std::vector<char> sales_;  // 1: the block's items changed since it was encoded
  std::size_t nombre_ = 0;
  std::uint64_t version_ = 0;
  bool tout_change_ = true;
};

}  // namespace jeu
