#include "net/ligne_commande.h"

#include <limits>
#include <string>

#include "config/configuration.h"

namespace jeu {

namespace {

int valeur_chiffre(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::optional<std::int64_t> lit_entier(std::string_view texte) {
  const bool negatif = !texte.empty() && texte.front() == '-';
  if (negatif) texte.remove_prefix(1);
  int base = 10;
  if (texte.size() >= 2 && texte[0] == '0') {
    switch (texte[1]) {
      case 'x': case 'X': base = 16; break;
      case 'o': case 'O': base = 8; break;
      case 'b': case 'B': base = 2; break;
      default: break;
    }
    if (base != 10) texte.remove_prefix(2);
  }
  // Accumulate as a negative number so that the most negative value fits.
  constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
  std::int64_t valeur = 0;
  bool chiffre_vu = false;
  for (const char c : texte) {
    if (c == '_' && chiffre_vu) continue;
    const int chiffre = valeur_chiffre(c);
    if (chiffre >= base) return std::nullopt;
    if (valeur < (minimum + chiffre) / base) return std::nullopt;
    valeur = valeur * base - chiffre;
    chiffre_vu = true;
  }
  if (!chiffre_vu) return std::nullopt;
  if (negatif) return valeur;
  if (valeur == minimum) return std::nullopt;
  return -valeur;
}

std::optional<options> lit_ligne_commande(int argc, const char* const* argv) {
  const std::string_view interrupteur = "-debug";
  std::string_view port_texte;
  bool debug = false;
  if (argc == 1) {
    return options{configuration::port_defaut, false};
  } else if (argc == 2) {
    if (argv[1] == interrupteur) return options{configuration::port_defaut, true};
    port_texte = argv[1];
  } else if (argc == 3) {
    debug = true;
    if (argv[1] == interrupteur) {
      port_texte = argv[2];
    } else if (argv[2] == interrupteur) {
      port_texte = argv[1];
    } else {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  const std::optional<std::int64_t> port = lit_entier(port_texte);
  if (!port || *port < 0 || *port > 65535) return std::nullopt;
  return options{static_cast<int>(*port), debug};
}

}  // namespace jeu
