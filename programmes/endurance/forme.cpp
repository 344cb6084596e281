#include "endurance/forme.h"

#include <charconv>
#include <cstdlib>

namespace jeu::endurance {

namespace {

std::vector<std::string_view> champs(std::string_view l) {
  std::vector<std::string_view> c;
  std::size_t i = 0;
  for (;;) {
    const std::size_t e = l.find(' ', i);
    c.push_back(l.substr(i, e == std::string_view::npos ? std::string_view::npos : e - i));
    if (e == std::string_view::npos) return c;
    i = e + 1;
  }
}

bool entier(std::string_view s, std::int64_t* v = nullptr) {
  std::int64_t x = 0;
  if (s.empty()) return false;
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), x);
  if (ec != std::errc{} || p != s.data() + s.size()) return false;
  if (v) *v = x;
  return true;
}

bool reel(std::string_view s) {
  if (s.empty() || s.size() > 40) return false;
  const std::string t(s);
  char* fin = nullptr;
  std::strtod(t.c_str(), &fin);
  // Written with a '.' or an exponent, never as a bare integer.
  return fin == t.c_str() + t.size() && t.find_first_of(".e") != std::string::npos;
}

bool que_des_entiers(std::string_view l, std::size_t n) {
  const auto c = champs(l);
  if (c.size() != n) return false;
  for (auto f : c) {
    if (!entier(f)) return false;
  }
  return true;
}

// Removes the CR the server ends every line with; false when it is missing.
bool sans_cr(std::string& l) {
  if (l.empty() || l.back() != '\r') return false;
  l.pop_back();
  return true;
}

std::string apercu(std::string_view s) {
  std::string r;
  for (char c : s.substr(0, 60)) {
    if (c >= 0x20 && c < 0x7f) {
      r += c;
    } else {
      char h[8];
      std::snprintf(h, sizeof h, "\\x%02x", static_cast<unsigned char>(c));
      r += h;
    }
  }
  if (s.size() > 60) r += "...";
  return r;
}

}  // namespace

bool ligne_vaisseau(std::string_view l) {
  const auto c = champs(l);
  return c.size() == 5 && entier(c[0]) && entier(c[1]) && reel(c[2]) && entier(c[3]) &&
         entier(c[4]);
}

bool ligne_balle(std::string_view l) { return que_des_entiers(l, 3); }
bool ligne_cube(std::string_view l) { return que_des_entiers(l, 4); }

std::int64_t couleur_vaisseau(std::string_view l) {
  std::int64_t v = 0;
  entier(champs(l).back(), &v);
  return v;
}

reponse_lue lit_reponse(lien& l, std::string_view requete, bool inscrit, horloge::time_point limite) {
  reponse_lue r;
  // Appended piece by piece: g++ 12 at -O3 warns wrongly on "'" + string.
  std::string req = "'";
  req += apercu(requete);
  req += "': ";
  auto premiere = l.ligne(limite);
  if (!premiere) {
    r.probleme = req + (l.fin() ? "connection closed before the reply" : "no reply in time");
    return r;
  }
  r.entete = std::move(*premiere);
  if (!sans_cr(r.entete)) {
    r.probleme = req + "reply line without CR: '" + apercu(r.entete) + "'";
    return r;
  }
  auto attendu = [&](std::string_view e) {
    if (r.entete != e) r.probleme = req + "'" + apercu(r.entete) + "' instead of '" + std::string(e) + "'";
  };
  if (!inscrit) {
    if (requete.starts_with("PUT COULEUR VAISSEAU ")) {
      if (r.entete != "VAISSEAU ENREGISTRE" && r.entete != "ERREUR COULEUR UTILISEE" &&
          r.entete != "ERREUR SYNTAXE") {
        r.probleme = req + "unexpected registration reply '" + apercu(r.entete) + "'";
      }
    } else {
      attendu("ERREUR SYNTAXE");
    }
    return r;
  }
  // Requests are recognised by the whole line, CR included.
  if (requete.empty() || requete.back() != '\r') {
    attendu("ERREUR SYNTAXE");
    return r;
  }
  const std::string_view q = requete.substr(0, requete.size() - 1);
  if (q == "GET TAILLE PLATEAU") {
    attendu("PUT TAILLE PLATEAU 990 990");
  } else if (q == "GET RAYON VAISSEAU") {
    attendu("PUT RAYON VAISSEAU 9");
  } else if (q == "GET RAYON BALLE") {
    attendu("PUT RAYON BALLE 4");
  } else if (q == "GET MAX PT VIE") {
    attendu("PUT MAX PT VIE 5");
  } else if (q == "GET STATUT") {
    if (r.entete != "PUT STATUT vivant" && r.entete != "PUT STATUT mort") {
      r.probleme = req + "'" + apercu(r.entete) + "' is no status";
    }
  } else if (q.starts_with("PUT ACTION ") &&
             (q == "PUT ACTION ACCELERE" || q == "PUT ACTION DECELERE" || q == "PUT ACTION GAUCHE" ||
              q == "PUT ACTION DROITE" || q == "PUT ACTION TIRE" || q == "PUT ACTION QUITTE")) {
    attendu("OK");
  } else if (q == "GET VAISSEAUX" || q == "GET BALLES" || q == "GET CUBES") {
    const std::string mot(q.substr(4));
    const std::string prefixe = "PUT " + mot + " ";
    std::int64_t n = -1;
    if (!r.entete.starts_with(prefixe) || !entier(std::string_view(r.entete).substr(prefixe.size()), &n) ||
        n < 0 || n > 1'000'000) {
      r.probleme = req + "bad list header '" + apercu(r.entete) + "'";
      return r;
    }
    if (mot == "CUBES" && n != 200) r.probleme = req + "announces " + std::to_string(n) + " cubes, not 200";
    auto forme = mot == "VAISSEAUX" ? ligne_vaisseau : mot == "BALLES" ? ligne_balle : ligne_cube;
    for (std::int64_t i = 0; i < n; ++i) {
      auto li = l.ligne(limite);
      if (!li) {
        r.probleme = req + "item line " + std::to_string(i + 1) + " of " + std::to_string(n) +
                     (l.fin() ? " missing: connection closed" : " missing: not in time");
        return r;
      }
      if (!sans_cr(*li) || !forme(*li)) {
        if (r.probleme.empty()) r.probleme = req + "malformed item line '" + apercu(*li) + "'";
      }
      r.lignes.push_back(std::move(*li));
    }
  } else {
    attendu("ERREUR SYNTAXE");
  }
  return r;
}

}  // namespace jeu::endurance
