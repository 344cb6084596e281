#include "commun/protocole_client.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

namespace jeu::commun {

std::optional<std::string> inscrit(client_tcp& c, std::int64_t couleur) {
  return c.demande("PUT COULEUR VAISSEAU " + std::to_string(couleur));
}

std::optional<std::string> inscrit_des_que_libre(client_tcp& c, std::int64_t couleur,
                                                 std::chrono::milliseconds delai) {
  const auto fin = std::chrono::steady_clock::now() + delai;
  const std::string requete = "PUT COULEUR VAISSEAU " + std::to_string(couleur) + "\r\n";
  for (;;) {
    if (!c.envoie(requete)) return std::nullopt;
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
        fin - std::chrono::steady_clock::now());
    std::optional<std::string> reponse = c.ligne(std::max(reste, std::chrono::milliseconds(1)));
    if (reponse != "ERREUR COULEUR UTILISEE\r\n" || std::chrono::steady_clock::now() >= fin) {
      return reponse;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<std::vector<std::string>> lit_liste(client_tcp& c, std::string_view mot) {
  const std::optional<std::string> entete = c.ligne();
  const std::string debut = "PUT " + std::string(mot) + " ";
  if (!entete || entete->rfind(debut, 0) != 0 || !entete->ends_with("\r\n")) return std::nullopt;
  const std::string nombre = entete->substr(debut.size(), entete->size() - debut.size() - 2);
  if (nombre.empty() || nombre.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  std::vector<std::string> lignes;
  for (long k = std::stol(nombre); k > 0; --k) {
    std::optional<std::string> l = c.ligne();
    if (!l) return std::nullopt;
    lignes.push_back(std::move(*l));
  }
  return lignes;
}

std::optional<std::vector<std::string>> demande_liste(client_tcp& c, std::string_view requete) {
  if (!c.envoie(std::string(requete) + "\r\n")) return std::nullopt;
  return lit_liste(c, requete.substr(requete.rfind(' ') + 1));
}

std::optional<std::int64_t> champ_stats(client_tcp& c, std::string_view nom) {
  const std::optional<std::string> ligne = c.demande("GET STATS");
  if (!ligne) return std::nullopt;
  std::string cle = " ";  // built in steps: g++ 12 -O3 warns wrongly on " " + ...
  cle += nom;
  cle += '=';
  const std::size_t ou = ligne->find(cle);
  if (ou == std::string::npos) return std::nullopt;
  try {
    return std::stoll(ligne->substr(ou + cle.size()));
  } catch (...) {
    return std::nullopt;
  }
}

}  // namespace jeu::commun
