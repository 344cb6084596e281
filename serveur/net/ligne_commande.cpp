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

namespace {

constexpr std::string_view debut_option = "--";
constexpr std::string_view noms_options[] = {"adresse",        "delai-inscription",
                                             "delai-ecriture", "attente-max-par-adresse",
                                             "scores",         "scores-max"};
constexpr std::int64_t delai_max_s = 86'400;

bool option_connue(std::string_view nom) {
  for (const std::string_view connu : noms_options) {
    if (nom == connu) return true;
  }
  return false;
}

// Reads option `nom` (without "--") with `valeur` into `o`; "" when it was
// read, else what is wrong.
std::string lit_option(std::string_view nom, std::string_view valeur, options& o) {
  if (nom == "adresse") {
    const std::optional<adresse_ip> a = lit_adresse_ip(valeur);
    if (!a) return "--adresse attend une adresse IPv4 ou IPv6, pas '" + std::string(valeur) + "'";
    o.adresse = *a;
    return "";
  }
  if (nom == "scores") {
    if (valeur.empty()) return "--scores attend le chemin d'un fichier";
    o.base_scores = valeur;
    return "";
  }
  const std::optional<std::int64_t> n = lit_entier(valeur);
  if (nom == "scores-max") {
    if (!n || *n < 0 || *n > 10'000'000) {
      return "--scores-max attend un nombre de 0 a 10000000, pas '" + std::string(valeur) + "'";
    }
    o.scores_max = static_cast<std::size_t>(*n);
  }
  if (nom == "delai-inscription" || nom == "delai-ecriture") {
    if (!n || *n < 0 || *n > delai_max_s) {
      return "--" + std::string(nom) + " attend un nombre de secondes de 0 a 86400, pas '" +
             std::string(valeur) + "'";
    }
    (nom == "delai-inscription" ? o.delai_inscription : o.delai_ecriture) =
        std::chrono::seconds(*n);
  }
  if (nom == "attente-max-par-adresse") {
    if (!n || *n < 0 || *n > 1'000'000) {
      return "--attente-max-par-adresse attend un nombre de 0 a 1000000, pas '" +
             std::string(valeur) + "'";
    }
    o.attente_max_par_adresse = static_cast<int>(*n);
  }
  return "";
}

// The command line as it was before options existed.
bool lit_port_et_debug(const std::string_view* args, std::size_t n, options& o) {
  const std::string_view interrupteur = "-debug";
  std::string_view port_texte;
  if (n == 0) return true;
  if (n == 1) {
    if (args[0] == interrupteur) {
      o.debug = true;
      return true;
    }
    port_texte = args[0];
  } else if (n == 2) {
    o.debug = true;
    if (args[0] == interrupteur) {
      port_texte = args[1];
    } else if (args[1] == interrupteur) {
      port_texte = args[0];
    } else {
      return false;
    }
  } else {
    return false;
  }
  const std::optional<std::int64_t> port = lit_entier(port_texte);
  if (!port || *port < 0 || *port > 65535) return false;
  o.port = static_cast<int>(*port);
  return true;
}

}  // namespace

std::optional<options> lit_ligne_commande(int argc, const char* const* argv, std::string* erreur) {
  options o{configuration::port_defaut, false, adresse_ip{}};
  std::string probleme;
  // Three positional arguments are already too many: keep up to three.
  std::string_view positionnels[3];
  std::size_t n = 0;
  bool trop = false;
  for (int k = 1; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (!arg.starts_with(debut_option)) {
      if (n < 3) positionnels[n++] = arg;
      else trop = true;
      continue;
    }
    std::string_view nom = arg.substr(debut_option.size());
    std::string_view valeur;
    const std::size_t egal = nom.find('=');
    if (egal != std::string_view::npos) nom = nom.substr(0, egal);
    if (!option_connue(nom)) {
      probleme = "option inconnue : --" + std::string(nom);
      break;
    }
    if (egal != std::string_view::npos) {
      valeur = arg.substr(debut_option.size() + egal + 1);
    } else if (k + 1 < argc) {
      valeur = argv[++k];
    } else {
      probleme = "--" + std::string(nom) + " attend une valeur";
      break;
    }
    probleme = lit_option(nom, valeur, o);
    if (!probleme.empty()) break;
  }
  if (probleme.empty() && !trop && lit_port_et_debug(positionnels, n, o)) return o;
  if (erreur) *erreur = probleme;
  return std::nullopt;
}

}  // namespace jeu
