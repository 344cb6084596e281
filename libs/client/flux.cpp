#include "client/flux.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "client/reponses.h"

namespace jeu_client {

namespace interne {

namespace {

using std::string_view;

[[noreturn]] void inattendue(string_view quoi, string_view ligne) {
  throw erreur(erreur::sorte::inattendue, "unexpected stream frame (" + std::string(quoi) +
                                              "): " + cite(ligne));
}

std::optional<std::uint64_t> naturel(string_view texte) {
  std::uint64_t n = 0;
  if (texte.empty() || texte[0] < '0' || texte[0] > '9') return std::nullopt;
  const auto [fin, e] = std::from_chars(texte.data(), texte.data() + texte.size(), n);
  if (e != std::errc() || fin != texte.data() + texte.size()) return std::nullopt;
  return n;
}

// The line without its CR LF, or the error.
string_view corps(string_view ligne, string_view quoi) {
  if (!ligne.ends_with("\r\n")) inattendue(quoi, ligne);
  ligne.remove_suffix(2);
  return ligne;
}

// The first field of `texte`, which loses it and its space.
string_view champ(string_view& texte) {
  const std::size_t espace = texte.find(' ');
  const string_view c = texte.substr(0, espace);
  texte.remove_prefix(espace == string_view::npos ? texte.size() : espace + 1);
  return c;
}

struct entete_tick {
  std::uint64_t tick;
  std::uint64_t perdus;
};

entete_tick lit_tick(string_view ligne) {
  string_view c = corps(ligne, "TICK line");
  if (!c.starts_with("TICK ")) inattendue("TICK line expected", ligne);
  c.remove_prefix(5);
  const auto tick = naturel(champ(c));
  const auto perdus = naturel(c);
  if (!tick || !perdus) inattendue("TICK line", ligne);
  return {*tick, *perdus};
}

// "FIN TICK <tick>": true; false for a block header, whose name, count and
// remaining fields are then set.
struct entete_bloc {
  string_view nom;
  std::uint64_t nombre = 0;
  string_view reste;
};

bool lit_fin_ou_bloc(string_view ligne, std::uint64_t tick, entete_bloc& bloc) {
  string_view c = corps(ligne, "bloc ou FIN TICK");
  if (c.starts_with("FIN TICK ")) {
    const auto n = naturel(c.substr(9));
    if (!n || *n != tick) inattendue("FIN TICK " + std::to_string(tick) + " expected", ligne);
    return true;
  }
  if (!c.starts_with("PUT ")) inattendue("block or FIN TICK expected", ligne);
  c.remove_prefix(4);
  bloc.nom = champ(c);
  const auto n = naturel(champ(c));
  if (bloc.nom.empty() || !n) inattendue("block header", ligne);
  if (*n > max_elements) {
    inattendue("more than " + std::to_string(max_elements) + " lines announced", ligne);
  }
  bloc.nombre = *n;
  bloc.reste = c;
  return false;
}

// Cuts `texte` into lines (each with its CR LF); nothing after the last LF.
class lignes_texte {
 public:
  explicit lignes_texte(string_view texte) : reste_(texte) {}
  string_view suivante() {
    if (reste_.empty()) throw erreur(erreur::sorte::inattendue, "incomplete stream frame");
    const std::size_t lf = reste_.find('\n');
    if (lf == string_view::npos) inattendue("line without an end", reste_);
    const string_view l = reste_.substr(0, lf + 1);
    reste_.remove_prefix(lf + 1);
    return l;
  }
  string_view reste() const { return reste_; }

 private:
  string_view reste_;
};

}  // namespace

std::string lit_texte_trame(source_lignes& lignes) {
  std::string texte(lignes.suivante());
  const entete_tick t = lit_tick(texte);
  for (;;) {
    const string_view ligne = lignes.suivante();
    texte += ligne;
    entete_bloc bloc;
    if (lit_fin_ou_bloc(ligne, t.tick, bloc)) return texte;
    for (std::uint64_t i = 0; i < bloc.nombre; ++i) texte += lignes.suivante();
  }
}

}  // namespace interne

trame_flux lit_trame_flux(std::string_view texte) {
  using namespace interne;
  lignes_texte lignes(texte);
  trame_flux trame;
  const entete_tick t = lit_tick(lignes.suivante());
  trame.tick = t.tick;
  trame.ticks_perdus = t.perdus;
  for (;;) {
    const std::string_view ligne = lignes.suivante();
    entete_bloc bloc;
    if (lit_fin_ou_bloc(ligne, t.tick, bloc)) break;
    const auto element = [&](std::uint64_t i) {
      const std::string_view l = lignes.suivante();
      if (!l.ends_with("\r\n")) inattendue(std::string(bloc.nom) + " line " + std::to_string(i + 1), l);
      return l.substr(0, l.size() - 2);
    };
    const auto quoi = [&](std::uint64_t i) {
      return std::string(bloc.nom) + " line " + std::to_string(i + 1) + " of " +
             std::to_string(bloc.nombre);
    };
    if (bloc.nom == "VAISSEAUX" || bloc.nom == "BALLES") {
      if (!bloc.reste.empty()) inattendue("block header", ligne);
      const bool navires = bloc.nom == "VAISSEAUX";
      for (std::uint64_t i = 0; i < bloc.nombre; ++i) {
        const std::string_view l = element(i);
        if (navires) {
          const auto v = lit_ligne_vaisseau(l);
          if (!v) inattendue(quoi(i), l);
          trame.vaisseaux.push_back(*v);
        } else {
          const auto b = lit_ligne_balle(l);
          if (!b) inattendue(quoi(i), l);
          trame.balles.push_back(*b);
        }
      }
    } else if (bloc.nom == "EVENEMENTS") {
      const auto manques = naturel(bloc.reste);
      if (!manques) inattendue("block header", ligne);
      trame.evenements_manques = *manques;
      for (std::uint64_t i = 0; i < bloc.nombre; ++i) trame.evenements.emplace_back(element(i));
    } else {
      for (std::uint64_t i = 0; i < bloc.nombre; ++i) element(i);
    }
  }
  if (!lignes.reste().empty()) inattendue("bytes after FIN TICK", lignes.reste());
  return trame;
}

}  // namespace jeu_client
