#include "enregistrement/ecarts.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace jeu::enregistrement {

namespace {

using std::string_view;

// Codes of the frame structure, in the stream of operations.
enum op : unsigned char {
  op_fin = 0,        // "FIN TICK <tick>": the frame ends
  op_vaisseaux = 1,  // "PUT VAISSEAUX <n>" and its n lines, coded
  op_balles = 2,     // "PUT BALLES <n>" and its n lines, coded
  op_bloc_texte = 3, // a block header and its lines, as text
  op_trame_texte = 4 // the whole frame as text
};
// Within a coded list, an item is the one `s` items further in the previous
// list (s < regard), or new.
constexpr unsigned regard = 8;
constexpr unsigned op_nouveau = regard;
// How far from its predicted place an item may be found again.
constexpr std::int64_t portee = 16;

struct element {
  std::int64_t x = 0, y = 0, vie = 0, couleur = 0;
  std::string angle;  // ships only, as written
  std::int64_t vx = 0, vy = 0;  // its last move
};

// The three streams of a coding: operations, numbers (LEB128, signed ones
// zigzagged), texts (their lengths among the numbers).
struct flots {
  std::string ops, nombres, textes;

  void nombre(std::uint64_t v) {
    while (v >= 0x80) {
      nombres += static_cast<char>((v & 0x7f) | 0x80);
      v >>= 7;
    }
    nombres += static_cast<char>(v);
  }
  void signe(std::int64_t v) {
    nombre((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63));
  }
  void texte(string_view t) {
    nombre(t.size());
    textes += t;
  }
};

struct lecture {
  string_view ops, nombres, textes;

  [[noreturn]] static void abime() {
    throw std::runtime_error("codage par ecarts invalide");
  }
  unsigned char op() {
    if (ops.empty()) abime();
    const auto o = static_cast<unsigned char>(ops.front());
    ops.remove_prefix(1);
    return o;
  }
  std::uint64_t nombre() {
    std::uint64_t v = 0;
    for (int decalage = 0; decalage < 64; decalage += 7) {
      if (nombres.empty()) abime();
      const auto o = static_cast<unsigned char>(nombres.front());
      nombres.remove_prefix(1);
      v |= static_cast<std::uint64_t>(o & 0x7f) << decalage;
      if ((o & 0x80) == 0) return v;
    }
    abime();
  }
  std::int64_t signe() {
    const std::uint64_t v = nombre();
    return static_cast<std::int64_t>((v >> 1) ^ (~(v & 1) + 1));
  }
  string_view texte() {
    const std::uint64_t n = nombre();
    if (n > textes.size()) abime();
    const string_view t = textes.substr(0, n);
    textes.remove_prefix(n);
    return t;
  }
};

void ajoute_entier(std::string& s, std::int64_t v) {
  char tampon[24];
  const auto r = std::to_chars(tampon, tampon + sizeof tampon, v);
  s.append(tampon, r.ptr);
}

// The line of an item, CR LF included, as the server writes it.
void ecrit_element(std::string& s, const element& e, bool navire) {
  ajoute_entier(s, e.x);
  s += ' ';
  ajoute_entier(s, e.y);
  s += ' ';
  if (navire) {
    s += e.angle;
    s += ' ';
    ajoute_entier(s, e.vie);
    s += ' ';
  }
  ajoute_entier(s, e.couleur);
  s += "\r\n";
}

std::optional<std::int64_t> entier(string_view t) {
  std::int64_t v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return std::nullopt;
  return v;
}

// An item line (CR LF included) read, if writing it back gives the same bytes.
std::optional<element> lit_element(string_view ligne, bool navire) {
  if (!ligne.ends_with("\r\n")) return std::nullopt;
  string_view reste = ligne.substr(0, ligne.size() - 2);
  std::string_view champs[5];
  const std::size_t n = navire ? 5 : 3;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t espace = reste.find(' ');
    if ((i + 1 == n) != (espace == string_view::npos)) return std::nullopt;
    champs[i] = reste.substr(0, espace);
    if (i + 1 < n) reste.remove_prefix(espace + 1);
  }
  element e;
  const auto x = entier(champs[0]);
  const auto y = entier(champs[1]);
  const auto c = entier(champs[n - 1]);
  if (!x || !y || !c) return std::nullopt;
  e.x = *x;
  e.y = *y;
  e.couleur = *c;
  if (navire) {
    const auto v = entier(champs[3]);
    if (!v || champs[2].empty()) return std::nullopt;
    e.vie = *v;
    e.angle = champs[2];
  }
  std::string encore;
  ecrit_element(encore, e, navire);
  if (encore != ligne) return std::nullopt;
  return e;
}

// Splits `texte` into lines, LF included; false when it does not end in LF.
bool coupe(string_view texte, std::vector<string_view>& lignes) {
  lignes.clear();
  while (!texte.empty()) {
    const std::size_t lf = texte.find('\n');
    if (lf == string_view::npos) return false;
    lignes.push_back(texte.substr(0, lf + 1));
    texte.remove_prefix(lf + 1);
  }
  return true;
}

std::string ligne_tick(std::uint64_t tick, std::uint64_t perdus) {
  return "TICK " + std::to_string(tick) + ' ' + std::to_string(perdus) + "\r\n";
}
std::string ligne_fin(std::uint64_t tick) { return "FIN TICK " + std::to_string(tick) + "\r\n"; }

// A block header "PUT <NAME> <count>" (CR LF included): its name and count,
// when it has no other field.
bool lit_entete(string_view ligne, string_view& nom, std::uint64_t& nombre) {
  if (!ligne.starts_with("PUT ") || !ligne.ends_with("\r\n")) return false;
  string_view c = ligne.substr(4, ligne.size() - 6);
  const std::size_t espace = c.find(' ');
  if (espace == string_view::npos) return false;
  nom = c.substr(0, espace);
  const string_view n = c.substr(espace + 1);
  const auto r = std::from_chars(n.data(), n.data() + n.size(), nombre);
  return r.ec == std::errc() && r.ptr == n.data() + n.size() && !n.empty() && n[0] != '+' &&
         ("PUT " + std::string(nom) + ' ' + std::to_string(nombre) + "\r\n") == ligne;
}

// Codes list `actuelle` against `precedente` (then replaced by it).
void code_liste(flots& f, std::vector<element>& precedente, std::vector<element>& actuelle,
                bool navire) {
  std::size_t j = 0;
  for (element& c : actuelle) {
    unsigned trouve = op_nouveau;
    for (unsigned s = 0; s < regard && j + s < precedente.size(); ++s) {
      const element& p = precedente[j + s];
      if (p.couleur == c.couleur && std::llabs(c.x - (p.x + p.vx)) <= portee &&
          std::llabs(c.y - (p.y + p.vy)) <= portee) {
        trouve = s;
        break;
      }
    }
    f.ops += static_cast<char>(trouve);
    if (trouve == op_nouveau) {
      f.signe(c.x);
      f.signe(c.y);
      f.signe(c.couleur);
      if (navire) {
        f.signe(c.vie);
        f.texte(c.angle);
      }
      continue;
    }
    const element& p = precedente[j + trouve];
    f.signe(c.x - (p.x + p.vx));
    f.signe(c.y - (p.y + p.vy));
    if (navire) {
      f.signe(c.vie - p.vie);
      if (c.angle == p.angle) {
        f.nombre(0);
      } else {
        f.nombre(1);
        f.texte(c.angle);
      }
    }
    c.vx = c.x - p.x;
    c.vy = c.y - p.y;
    j += trouve + 1;
  }
  precedente.swap(actuelle);
}

void decode_liste(lecture& l, std::vector<element>& precedente, std::size_t nombre, bool navire,
                  std::string& sortie) {
  std::vector<element> actuelle;
  actuelle.reserve(nombre);
  std::size_t j = 0;
  for (std::size_t i = 0; i < nombre; ++i) {
    const unsigned o = l.op();
    element c;
    if (o == op_nouveau) {
      c.x = l.signe();
      c.y = l.signe();
      c.couleur = l.signe();
      if (navire) {
        c.vie = l.signe();
        c.angle = l.texte();
      }
    } else {
      if (o > op_nouveau || j + o >= precedente.size()) lecture::abime();
      const element& p = precedente[j + o];
      c.x = p.x + p.vx + l.signe();
      c.y = p.y + p.vy + l.signe();
      c.couleur = p.couleur;
      if (navire) {
        c.vie = p.vie + l.signe();
        c.angle = l.nombre() == 0 ? p.angle : std::string(l.texte());
      }
      c.vx = c.x - p.x;
      c.vy = c.y - p.y;
      j += o + 1;
    }
    ecrit_element(sortie, c, navire);
    actuelle.push_back(std::move(c));
  }
  precedente.swap(actuelle);
}

// One frame coded into `f`; false when it is not of the stream's form.
bool code_trame(flots& f, std::uint64_t tick, const std::vector<string_view>& lignes,
                std::vector<element>& navires, std::vector<element>& balles) {
  if (lignes.size() < 2 || lignes.back() != ligne_fin(tick)) return false;
  const std::string debut = "TICK " + std::to_string(tick) + ' ';
  if (!lignes[0].starts_with(debut)) return false;
  const string_view p = lignes[0].substr(debut.size());
  std::uint64_t perdus = 0;
  std::from_chars(p.data(), p.data() + p.size(), perdus);
  if (ligne_tick(tick, perdus) != lignes[0]) return false;
  f.nombre(perdus);
  std::size_t i = 1;
  while (i + 1 < lignes.size()) {
    string_view nom;
    std::uint64_t n = 0;
    const bool entete = lit_entete(lignes[i], nom, n);
    if (entete && i + 1 + n >= lignes.size()) return false;
    const bool liste = entete && (nom == "VAISSEAUX" || nom == "BALLES");
    std::vector<element> actuelle;
    if (liste) {
      for (std::size_t k = 0; k < n; ++k) {
        auto e = lit_element(lignes[i + 1 + k], nom == "VAISSEAUX");
        if (!e) break;
        actuelle.push_back(std::move(*e));
      }
    }
    if (liste && actuelle.size() == n) {
      const bool navire = nom == "VAISSEAUX";
      f.ops += static_cast<char>(navire ? op_vaisseaux : op_balles);
      f.nombre(n);
      code_liste(f, navire ? navires : balles, actuelle, navire);
    } else {
      // A block kept as text: its header and as many lines as it says, or
      // the one line when it is no header.
      const std::size_t fin = entete ? i + 1 + n : i + 1;
      std::string texte;
      for (std::size_t k = i; k < fin; ++k) texte += lignes[k];
      f.ops += static_cast<char>(op_bloc_texte);
      f.texte(texte);
      i = fin;
      continue;
    }
    i += 1 + n;
  }
  f.ops += static_cast<char>(op_fin);
  return true;
}

}  // namespace

std::string code_ecarts(const std::vector<trame_codee>& trames) {
  flots f;
  std::vector<element> navires, balles;
  std::vector<string_view> lignes;
  std::uint64_t avant = 0;
  for (const trame_codee& t : trames) {
    f.nombre(t.tick - avant);
    avant = t.tick;
    if (coupe(t.texte, lignes)) {
      flots essai;
      std::vector<element> n = navires, b = balles;
      if (code_trame(essai, t.tick, lignes, n, b)) {
        f.ops += essai.ops;
        f.nombres += essai.nombres;
        f.textes += essai.textes;
        navires.swap(n);
        balles.swap(b);
        continue;
      }
    }
    f.ops += static_cast<char>(op_trame_texte);
    f.texte(t.texte);
    navires.clear();
    balles.clear();
  }
  std::string sortie;
  flots tailles;
  tailles.nombre(f.ops.size());
  tailles.nombre(f.nombres.size());
  sortie = tailles.nombres + f.ops + f.nombres + f.textes;
  return sortie;
}

std::vector<std::pair<std::uint64_t, std::string>> decode_ecarts(std::string_view octets,
                                                                 std::size_t nombre) {
  lecture tailles{{}, octets, {}};
  const std::uint64_t n_ops = tailles.nombre();
  const std::uint64_t n_nombres = tailles.nombre();
  string_view reste = tailles.nombres;
  if (n_ops > reste.size() || n_nombres > reste.size() - n_ops) lecture::abime();
  lecture l{reste.substr(0, n_ops), reste.substr(n_ops, n_nombres), reste.substr(n_ops + n_nombres)};
  std::vector<std::pair<std::uint64_t, std::string>> trames;
  trames.reserve(nombre);
  std::vector<element> navires, balles;
  std::uint64_t tick = 0;
  for (std::size_t k = 0; k < nombre; ++k) {
    tick += l.nombre();
    std::string texte;
    // The frame's first operation says whether it is kept as text.
    if (!l.ops.empty() && static_cast<unsigned char>(l.ops.front()) == op_trame_texte) {
      l.op();
      texte = l.texte();
      navires.clear();
      balles.clear();
      trames.emplace_back(tick, std::move(texte));
      continue;
    }
    texte = ligne_tick(tick, l.nombre());
    for (;;) {
      const unsigned char o = l.op();
      if (o == op_fin) break;
      if (o == op_bloc_texte) {
        texte += l.texte();
      } else if (o == op_vaisseaux || o == op_balles) {
        const std::uint64_t n = l.nombre();
        if (n > octets.size()) lecture::abime();
        texte += o == op_vaisseaux ? "PUT VAISSEAUX " : "PUT BALLES ";
        texte += std::to_string(n) + "\r\n";
        decode_liste(l, o == op_vaisseaux ? navires : balles, n, o == op_vaisseaux, texte);
      } else {
        lecture::abime();
      }
    }
    texte += ligne_fin(tick);
    trames.emplace_back(tick, std::move(texte));
  }
  if (!l.ops.empty() || !l.nombres.empty() || !l.textes.empty()) lecture::abime();
  return trames;
}

}  // namespace jeu::enregistrement
