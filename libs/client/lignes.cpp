#include "client/lignes.h"

#include <cstdio>
#include <utility>

#include "jeu_client.h"

namespace jeu_client::interne {

std::string cite(std::string_view octets) {
  constexpr std::size_t montre_max = 80;
  std::string texte = "\"";
  for (const char c : octets.substr(0, montre_max)) {
    const auto octet = static_cast<unsigned char>(c);
    if (c == '\r') {
      texte += "\\r";
    } else if (c == '\n') {
      texte += "\\n";
    } else if (c == '"' || c == '\\') {
      texte += '\\';
      texte += c;
    } else if (octet < 0x20 || octet >= 0x7f) {
      char code[5];
      std::snprintf(code, sizeof code, "\\x%02x", octet);
      texte += code;
    } else {
      texte += c;
    }
  }
  texte += '"';
  if (octets.size() > montre_max) texte += "...";
  return texte;
}

source_lignes::source_lignes(std::string& tampon, std::function<bool(std::string&)> remplit)
    : tampon_(tampon), remplit_(std::move(remplit)) {}

source_lignes::~source_lignes() { tampon_.erase(0, debut_); }

std::string_view source_lignes::suivante() {
  std::size_t cherche = debut_;
  for (;;) {
    const std::size_t lf = tampon_.find('\n', cherche);
    const std::size_t longueur = (lf == std::string::npos ? tampon_.size() : lf + 1) - debut_;
    if (longueur > taille_max_ligne) {
      throw erreur(erreur::sorte::inattendue,
                   "line longer than " + std::to_string(taille_max_ligne) +
                       " bytes: " + cite(std::string_view(tampon_).substr(debut_)));
    }
    if (lf != std::string::npos) {
      const std::string_view ligne(tampon_.data() + debut_, longueur);
      debut_ = lf + 1;
      return ligne;
    }
    // The lines already given are no longer used: drop them before reading,
    // so that the buffer holds at most one line and one read.
    tampon_.erase(0, debut_);
    debut_ = 0;
    cherche = tampon_.size();
    if (!remplit_(tampon_)) {
      throw erreur(erreur::sorte::fermee,
                   tampon_.empty()
                       ? "connection closed by the server"
                       : "connection closed by the server in the middle of the line " + cite(tampon_));
    }
  }
}

}  // namespace jeu_client::interne
