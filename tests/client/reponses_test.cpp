// The reply parser and the line source, on replies given as bytes: every
// reply form, well made and malformed, whole and one byte at a time.
#include "reponses.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "lignes.h"

namespace jeu_client::interne {
namespace {

using s = erreur::sorte;

// A byte stream given in pieces, then its end.
class flux {
 public:
  explicit flux(std::vector<std::string> morceaux) : morceaux_(std::move(morceaux)) {}
  source_lignes source() {
    return source_lignes(tampon_, [this](std::string& t) {
      if (suivant_ == morceaux_.size()) return false;
      t += morceaux_[suivant_++];
      return true;
    });
  }

 private:
  std::vector<std::string> morceaux_;
  std::size_t suivant_ = 0;
  std::string tampon_;
};

std::vector<std::string> octet_par_octet(const std::string& texte) {
  std::vector<std::string> morceaux;
  for (const char c : texte) morceaux.emplace_back(1, c);
  return morceaux;
}

const char* nom_sorte(s sorte) {
  switch (sorte) {
    case s::connexion: return "connexion";
    case s::fermee: return "fermee";
    case s::delai: return "delai";
    case s::inattendue: return "inattendue";
    case s::couleur_utilisee: return "couleur_utilisee";
    case s::syntaxe: return "syntaxe";
  }
  return "?";
}

template <class... F>
struct surcharge : F... {
  using F::operator()...;
};
template <class... F>
surcharge(F...) -> surcharge<F...>;

// A reply as text, to compare with the table.
std::string texte(const reponse& r) {
  std::ostringstream o;
  o << std::setprecision(12);
  std::visit(surcharge{
                 [&](ok) { o << "ok"; },
                 [&](int n) { o << n; },
                 [&](taille_plateau t) { o << t.largeur << 'x' << t.hauteur; },
                 [&](statut e) {
                   o << (e == statut::vivant ? "vivant" : e == statut::mort ? "mort" : "spectateur");
                 },
                 [&](const std::vector<vaisseau>& l) {
                   for (const auto& v : l) {
                     o << '(' << v.x << ' ' << v.y << ' ' << v.angle << ' ' << v.pt_vie << ' '
                       << v.couleur << ')';
                   }
                 },
                 [&](const std::vector<balle>& l) {
                   for (const auto& b : l) o << '(' << b.x << ' ' << b.y << ' ' << b.couleur << ')';
                 },
                 [&](const std::vector<cube>& l) {
                   for (const auto& c : l) o << '(' << c.x1 << ' ' << c.y1 << ' ' << c.x2 << ' ' << c.y2 << ')';
                 },
                 [&](const statistiques& st) {
                   o << st.ticks_par_seconde << ' ' << st.duree_tick_us << ' ' << st.p99_tick_us << ' '
                     << st.joueurs << ' ' << st.spectateurs << ' ' << st.vaisseaux << ' ' << st.balles
                     << ' ' << st.requetes_par_seconde << " |";
                   for (const auto& [n, v] : st.champs) o << ' ' << n << '=' << v;
                 },
             },
             r);
  return o.str();
}

// What reading a reply gave: its text, or "!sorte message".
template <class Lecture>
std::string resultat(Lecture&& lecture) {
  try {
    return lecture();
  } catch (const erreur& e) {
    return std::string("!") + nom_sorte(e.quoi()) + ' ' + e.what();
  }
}

struct cas {
  requete r;
  std::string octets;
  // The reply's text, or "!" + the error's kind and a part of its message.
  std::string attendu;
};

const std::string stats =
    "PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 "
    "balles=40 requetes_s=812";
const std::string champs_stats =
    "ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 balles=40 "
    "requetes_s=812";

const std::vector<cas> table = {
    // Well made.
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990 990\r\n", "990x990"},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU 9\r\n", "9"},
    {requete::rayon_balle, "PUT RAYON BALLE 4\r\n", "4"},
    {requete::max_pt_vie, "PUT MAX PT VIE 5\r\n", "5"},
    {requete::statut, "PUT STATUT vivant\r\n", "vivant"},
    {requete::statut, "PUT STATUT mort\r\n", "mort"},
    {requete::statut, "PUT STATUT spectateur\r\n", "spectateur"},
    {requete::accelere, "OK\r\n", "ok"},
    {requete::decelere, "OK\r\n", "ok"},
    {requete::gauche, "OK\r\n", "ok"},
    {requete::droite, "OK\r\n", "ok"},
    {requete::tire, "OK\r\n", "ok"},
    {requete::vaisseaux, "PUT VAISSEAUX 0\r\n", ""},
    {requete::vaisseaux,
     "PUT VAISSEAUX 5\r\n512 301 1.57 5 16711680\r\n87 640 4.71238898038 3 255\r\n"
     "0 0 0. 1 -5\r\n-3 1000 1e-05 5 0\r\n9 9 -0.45 0 9223372036854775807\r\n",
     "(512 301 1.57 5 16711680)(87 640 4.71238898038 3 255)(0 0 0 1 -5)(-3 1000 1e-05 5 0)"
     "(9 9 -0.45 0 9223372036854775807)"},
    {requete::balles, "PUT BALLES 2\r\n524 313 16711680\r\n-1 990 0\r\n",
     "(524 313 16711680)(-1 990 0)"},
    {requete::cubes, "PUT CUBES 1\r\n352 88 374 110\r\n", "(352 88 374 110)"},
    {requete::stats, stats + "\r\n", "39.9 85 140 20 1 18 40 812 | " + champs_stats},
    {requete::stats, "PUT STATS version=2 " + champs_stats + " charge=a=b\r\n",
     "39.9 85 140 20 1 18 40 812 | version=2 " + champs_stats + " charge=a=b"},
    // Refused.
    {requete::tire, "ERREUR SYNTAXE\r\n", "!syntaxe PUT ACTION TIRE refusee"},
    {requete::stats, "ERREUR SYNTAXE\r\n", "!syntaxe GET STATS refusee"},
    // Not the reply the request calls for.
    {requete::tire, "OK\n", R"(!inattendue reponse inattendue a PUT ACTION TIRE : "OK\n")"},
    {requete::tire, "OK \r\n", "!inattendue"},
    {requete::tire, "ok\r\n", "!inattendue"},
    {requete::tire, "OK\r\r\n", "!inattendue"},
    {requete::statut, "ERREUR COULEUR UTILISEE\r\n", "!inattendue"},
    {requete::statut, "PUT STATUT zombie\r\n", R"(!inattendue reponse inattendue a GET STATUT : "PUT STATUT zombie\r\n")"},
    {requete::vaisseaux, "PUT STATUT vivant\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT BALLES 0\r\n", "!inattendue"},
    {requete::rayon_vaisseau, "PUT RAYON BALLE 4\r\n", "!inattendue"},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU -9\r\n", "!inattendue"},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU 9x\r\n", "!inattendue"},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU 99999999999\r\n", "!inattendue"},
    {requete::max_pt_vie, "PUT MAX PT VIE \r\n", "!inattendue"},
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990\r\n", "!inattendue"},
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990  990\r\n", "!inattendue"},
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990 990 990\r\n", "!inattendue"},
    {requete::stats, "PUT STATUT spectateur\r\n", "!inattendue"},
    {requete::tire, "BONJOUR\x01\xff\r\n", R"(!inattendue reponse inattendue a PUT ACTION TIRE : "BONJOUR\x01\xff\r\n")"},
    // List headers.
    {requete::vaisseaux, "PUT VAISSEAUX -1\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 2x\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX \r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 99999999999999999999999\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1000001\r\n1 2 0. 5 7\r\n",
     "!inattendue reponse inattendue a GET VAISSEAUX : plus de 1000000 elements"},
    {requete::balles, "PUT BALLES 18446744073709551615\r\n", "!inattendue"},
    // Ship lines.
    {requete::vaisseaux, "PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n1 2 0. 5\r\n",
     R"(!inattendue reponse inattendue a GET VAISSEAUX (ligne 2 sur 2) : "1 2 0. 5\r\n")"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 7 8\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 3 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 inf 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 nan 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 .5 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 1.5.2 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 1e999 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1.5 2 0. 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. -1 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 rouge\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 9223372036854775808\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1  2 0. 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n 1 2 0. 5 7\r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 7 \r\n", "!inattendue"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 7\n", "!inattendue"},
    // Bullet and cube lines.
    {requete::balles, "PUT BALLES 1\r\n1 2\r\n", "!inattendue"},
    {requete::balles, "PUT BALLES 1\r\n1 2 3 4\r\n", "!inattendue"},
    {requete::balles, "PUT BALLES 1\r\n1 2 0.\r\n", "!inattendue"},
    {requete::cubes, "PUT CUBES 1\r\n1 2 3\r\n", "!inattendue"},
    {requete::cubes, "PUT CUBES 1\r\n1 2 3 x\r\n", "!inattendue"},
    {requete::cubes, "PUT CUBES 2\r\n1 2 3 4\r\nERREUR SYNTAXE\r\n", "!inattendue"},
    // Stats.
    {requete::stats, "PUT STATS\r\n", "!inattendue"},
    {requete::stats, "PUT STATS \r\n", "!inattendue"},
    {requete::stats,
     "PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 "
     "requetes_s=812\r\n",
     "!inattendue reponse inattendue a GET STATS (champ balles absent)"},
    {requete::stats, stats + " joueurs=3\r\n", "!inattendue reponse inattendue a GET STATS (champ joueurs repete)"},
    {requete::stats, stats + " \r\n", "!inattendue"},
    {requete::stats, stats + "  x=1\r\n", "!inattendue"},
    {requete::stats, stats + " x\r\n", "!inattendue"},
    {requete::stats, stats + " =1\r\n", "!inattendue"},
    {requete::stats, stats + " x=\r\n", "!inattendue"},
    {requete::stats, "PUT STATS ticks_s=-1.0 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 balles=40 requetes_s=812\r\n", "!inattendue"},
    {requete::stats, "PUT STATS ticks_s=4e1 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 balles=40 requetes_s=812\r\n", "!inattendue"},
    {requete::stats, "PUT STATS ticks_s=39.9 tick_us=8.5 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 balles=40 requetes_s=812\r\n", "!inattendue"},
    {requete::stats, "PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=-20 spectateurs=1 vaisseaux=18 balles=40 requetes_s=812\r\n", "!inattendue"},
    // The stream ends, or sends a line no reply has.
    {requete::statut, "", "!fermee connexion fermee par le serveur"},
    {requete::statut, "PUT STAT", R"(!fermee connexion fermee par le serveur au milieu de la ligne "PUT STAT")"},
    {requete::vaisseaux, "PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n", "!fermee"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n" + std::string(5000, '7') + "\r\n",
     R"(!inattendue ligne de plus de 4096 octets : "7777)"},
};

TEST(Reponses, EveryFormWholeAndByteByByte) {
  for (const cas& c : table) {
    // After a reply that parses, the next line must be the one that follows it.
    const std::string apres = c.attendu.starts_with('!') ? "" : "SUITE\r\n";
    for (const bool par_octet : {false, true}) {
      flux f(par_octet ? octet_par_octet(c.octets + apres) : std::vector{c.octets + apres});
      std::string suite;
      const std::string obtenu = resultat([&] {
        source_lignes lignes = f.source();
        std::string t = texte(lit_reponse(c.r, lignes));
        if (!apres.empty()) suite = lignes.suivante();
        return t;
      });
      if (c.attendu.starts_with('!')) {
        EXPECT_TRUE(obtenu.starts_with(c.attendu)) << cite(c.octets) << "\n gave " << obtenu;
      } else {
        EXPECT_EQ(obtenu, c.attendu) << cite(c.octets);
        EXPECT_EQ(suite, apres) << cite(c.octets);
      }
    }
  }
}

TEST(Reponses, Accords) {
  const struct {
    accord a;
    std::string octets;
    std::string attendu;
  } cas_accords[] = {
      {accord::enregistrement, "VAISSEAU ENREGISTRE\r\n", ""},
      {accord::enregistrement, "ERREUR COULEUR UTILISEE\r\n", "!couleur_utilisee"},
      {accord::enregistrement, "ERREUR SYNTAXE\r\n", "!syntaxe PUT COULEUR VAISSEAU refusee"},
      {accord::enregistrement, "OK\r\n", R"(!inattendue reponse inattendue a PUT COULEUR VAISSEAU : "OK\r\n")"},
      {accord::enregistrement, "VAISSEAU ENREGISTRE\n", "!inattendue"},
      {accord::spectateur, "SPECTATEUR ENREGISTRE\r\n", ""},
      {accord::spectateur, "ERREUR SYNTAXE\r\n", "!syntaxe PUT SPECTATEUR refusee"},
      {accord::spectateur, "ERREUR COULEUR UTILISEE\r\n", "!inattendue"},
      {accord::spectateur, "VAISSEAU ENREGISTRE\r\n", "!inattendue"},
      {accord::depart, "OK\r\n", ""},
      {accord::depart, "ERREUR SYNTAXE\r\n", "!syntaxe PUT ACTION QUITTE refusee"},
      {accord::depart, "", "!fermee"},
  };
  for (const auto& c : cas_accords) {
    flux f({c.octets});
    const std::string obtenu = resultat([&] {
      source_lignes lignes = f.source();
      lit_accord(c.a, lignes);
      return std::string();
    });
    EXPECT_TRUE(obtenu.starts_with(c.attendu) && obtenu.empty() == c.attendu.empty())
        << cite(c.octets) << "\n gave " << obtenu;
  }
}

// A peer that sends bytes without end and no LF is refused after one line's
// worth, not read until memory runs out.
TEST(Lignes, EndlessLineIsRefusedEarly) {
  std::string tampon;
  int lectures = 0;
  source_lignes lignes(tampon, [&](std::string& t) {
    ++lectures;
    t.append(1000, 'x');
    return true;
  });
  try {
    lignes.suivante();
    FAIL() << "an endless line was taken";
  } catch (const erreur& e) {
    EXPECT_EQ(e.quoi(), s::inattendue);
  }
  EXPECT_EQ(lectures, 5);
  EXPECT_LE(tampon.size(), taille_max_ligne + 1000);
}

// What a source does not use stays for the next reply; what it gave is gone.
TEST(Lignes, LeftoverBytesStayForTheNextReply) {
  std::string tampon = "OK\r\nPUT STATUT mort\r\nPUT VAI";
  {
    source_lignes lignes(tampon, [](std::string&) { return false; });
    EXPECT_EQ(texte(lit_reponse(requete::tire, lignes)), "ok");
  }
  EXPECT_EQ(tampon, "PUT STATUT mort\r\nPUT VAI");
  {
    source_lignes lignes(tampon, [](std::string& t) {
      t += "SSEAUX 0\r\n";
      return true;
    });
    EXPECT_EQ(texte(lit_reponse(requete::statut, lignes)), "mort");
    EXPECT_EQ(texte(lit_reponse(requete::vaisseaux, lignes)), "");
  }
  EXPECT_EQ(tampon, "");
}

TEST(Lignes, Cite) {
  EXPECT_EQ(cite("OK\r\n"), R"("OK\r\n")");
  EXPECT_EQ(cite(std::string("a\0\"\\\x7f\xc3", 6)), R"("a\x00\"\\\x7f\xc3")");
  EXPECT_EQ(cite(std::string(100, 'a')), '"' + std::string(80, 'a') + "\"...");
}

}  // namespace
}  // namespace jeu_client::interne
