// The reply parser and the line source, on replies given as bytes: every
// reply form, well made and malformed, whole and one byte at a time.
#include "client/reponses.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace jeu_client::interne {
namespace {

// A reply as text, to compare with the table.
std::string texte(const reponse& r) {
  std::ostringstream o;
  o.precision(12);
  if (auto* n = std::get_if<int>(&r)) o << *n;
  if (auto* t = std::get_if<taille_plateau>(&r)) o << t->largeur << 'x' << t->hauteur;
  if (auto* e = std::get_if<statut>(&r)) o << "statut" << static_cast<int>(*e);
  if (std::holds_alternative<ok>(r)) o << "ok";
  if (auto* l = std::get_if<std::vector<vaisseau>>(&r)) {
    for (const auto& v : *l)
      o << '(' << v.x << ' ' << v.y << ' ' << v.angle << ' ' << v.pt_vie << ' ' << v.couleur << ')';
  }
  if (auto* l = std::get_if<std::vector<balle>>(&r)) {
    for (const auto& b : *l) o << '(' << b.x << ' ' << b.y << ' ' << b.couleur << ')';
  }
  if (auto* l = std::get_if<std::vector<cube>>(&r)) {
    for (const auto& c : *l) o << '(' << c.x1 << ' ' << c.y1 << ' ' << c.x2 << ' ' << c.y2 << ')';
  }
  if (auto* s = std::get_if<statistiques>(&r)) {
    o << s->ticks_par_seconde << ' ' << s->duree_tick_us << ' ' << s->p99_tick_us << ' '
      << s->joueurs << ' ' << s->spectateurs << ' ' << s->vaisseaux << ' ' << s->balles << ' '
      << s->requetes_par_seconde << " |";
    for (const auto& [nom, valeur] : s->champs) o << ' ' << nom << '=' << valeur;
  }
  if (auto* l = std::get_if<std::vector<score>>(&r)) {
    for (const auto& c : *l) {
      o << '(' << c.couleur << ' ' << c.victoires << ' ' << c.morts << ' ' << c.touches_donnees
        << ' ' << c.touches_recues << ' ' << c.touches_propres << ' ' << c.tirs << ' ' << c.vies
        << ' ' << c.ticks_vivant << ' ' << c.meilleure_serie << ' ' << c.vivant << ')';
    }
  }
  if (auto* l = std::get_if<lot_evenements>(&r)) {
    o << "manques " << l->manques;
    constexpr const char* sortes[] = {"touche", "detruit", "arrive", "part"};
    constexpr const char* raisons[] = {"quitte", "deconnecte", "detruit"};
    for (const auto& e : l->liste) {
      o << " (" << e.tick << ' ' << sortes[static_cast<int>(e.quoi)] << ' ' << e.tireur << ' '
        << e.couleur << ' ' << e.pt_vie << ' ' << raisons[static_cast<int>(e.raison)] << ')';
    }
  }
  return o.str();
}

// Parses `octets`, given in `morceaux` pieces then the end of the stream,
// with `lit`: its text, or "!" + the error's kind number and message.
template <class Lecture>
std::string lit_octets(const std::string& octets, std::size_t morceau, Lecture&& lit) {
  std::string tampon;
  std::size_t donne = 0;
  try {
    source_lignes lignes(tampon, [&](std::string& t) {
      if (donne == octets.size()) return false;
      t += octets.substr(donne, morceau);
      donne = std::min(octets.size(), donne + morceau);
      return true;
    });
    return lit(lignes);
  } catch (const erreur& e) {
    return "!" + std::to_string(static_cast<int>(e.quoi())) + ' ' + e.what();
  }
}

// The error kinds as the table writes them.
const std::string fermee = "!1", inattendue = "!3", couleur_utilisee = "!4", syntaxe = "!5";

const std::string stats_base =
    "PUT STATS ticks_s=39.9 tick_us=85 tick_p99_us=140 joueurs=20 spectateurs=1 vaisseaux=18 "
    "balles=40 requetes_s=812";
std::string stats(const std::string& de, const std::string& en) {
  std::string s = stats_base;
  s.replace(s.find(de), de.size(), en);
  return s + "\r\n";
}

struct cas {
  requete r;
  std::string octets;
  std::string attendu;  // the reply's text, or the start of "!kind message"
};

const std::vector<cas> table = {
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990 990\r\n", "990x990"},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU 9\r\n", "9"},
    {requete::rayon_balle, "PUT RAYON BALLE 4\r\n", "4"},
    {requete::max_pt_vie, "PUT MAX PT VIE 5\r\n", "5"},
    {requete::statut, "PUT STATUT vivant\r\n", "statut0"},
    {requete::statut, "PUT STATUT mort\r\n", "statut1"},
    {requete::statut, "PUT STATUT spectateur\r\n", "statut2"},
    {requete::tire, "OK\r\n", "ok"},
    {requete::vaisseaux, "PUT VAISSEAUX 0\r\n", ""},
    {requete::vaisseaux,
     "PUT VAISSEAUX 4\r\n512 301 1.57 5 16711680\r\n87 640 4.71238898038 3 255\r\n0 0 0. 1 -5\r\n"
     "-3 1000 1e-05 5 9223372036854775807\r\n",
     "(512 301 1.57 5 16711680)(87 640 4.71238898038 3 255)(0 0 0 1 -5)(-3 1000 1e-05 5 "
     "9223372036854775807)"},
    {requete::balles, "PUT BALLES 2\r\n524 313 16711680\r\n-1 990 0\r\n",
     "(524 313 16711680)(-1 990 0)"},
    {requete::cubes, "PUT CUBES 1\r\n352 88 374 110\r\n", "(352 88 374 110)"},
    {requete::stats, stats_base + "\r\n", "39.9 85 140 20 1 18 40 812 | " + stats_base.substr(10)},
    {requete::stats, stats("ticks_s", "v=2 ticks_s"),
     "39.9 85 140 20 1 18 40 812 | v=2 " + stats_base.substr(10)},
    {requete::scores, "PUT SCORES 0\r\n", ""},
    {requete::scores,
     "PUT SCORES 3\r\n16711680 3 1 9 4 0 120 2 4800 3 1\r\n255 1 3 4 9 1 80 4 2000 1 0\r\n"
     "-9223372036854775808 0 0 0 0 0 0 1 0 0 1\r\n",
     "(16711680 3 1 9 4 0 120 2 4800 3 1)(255 1 3 4 9 1 80 4 2000 1 0)"
     "(-9223372036854775808 0 0 0 0 0 0 1 0 0 1)"},
    {requete::evenements, "PUT EVENEMENTS 0 0\r\n", "manques 0"},
    {requete::evenements,
     "PUT EVENEMENTS 6 17\r\n1200 TOUCHE 16711680 255 0\r\n1200 DETRUIT 16711680 255\r\n"
     "1200 PART 255 detruit\r\n1 ARRIVE -7\r\n1201 PART 5 quitte\r\n1202 PART 6 deconnecte\r\n",
     "manques 17 (1200 touche 16711680 255 0 quitte) (1200 detruit 16711680 255 0 quitte)"
     " (1200 part 0 255 0 detruit) (1 arrive 0 -7 0 quitte) (1201 part 0 5 0 quitte)"
     " (1202 part 0 6 0 deconnecte)"},
    {requete::tire, "ERREUR SYNTAXE\r\n", syntaxe + " PUT ACTION TIRE refusee"},
    {requete::tire, "OK\n", inattendue + R"( reponse inattendue a PUT ACTION TIRE : "OK\n")"},
    {requete::tire, "OK\r\r\n", inattendue},
    {requete::tire, "BONJOUR\x01\xff\r\n",
     inattendue + R"( reponse inattendue a PUT ACTION TIRE : "BONJOUR\x01\xff\r\n")"},
    {requete::statut, "ERREUR COULEUR UTILISEE\r\n", inattendue},
    {requete::statut, "PUT STATUT zombie\r\n", inattendue},
    {requete::vaisseaux, "PUT BALLES 0\r\n", inattendue},
    {requete::rayon_vaisseau, "PUT RAYON BALLE 4\r\n", inattendue},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU -9\r\n", inattendue},
    {requete::rayon_vaisseau, "PUT RAYON VAISSEAU 99999999999\r\n", inattendue},
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990\r\n", inattendue},
    {requete::taille_plateau, "PUT TAILLE PLATEAU 990  990\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX -1\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1000001\r\n",
     inattendue + " reponse inattendue a GET VAISSEAUX : plus de 1000000"},
    {requete::vaisseaux, "PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n1 2 0. 5\r\n",
     inattendue + R"( reponse inattendue a GET VAISSEAUX (ligne 2 sur 2) : "1 2 0. 5\r\n")"},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 7 8\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 3 5 7\r\n",
     inattendue},  // an angle has "." or "e"
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 inf 5 7\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 .5 5 7\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1.5 2 0. 5 7\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. -1 7\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 9223372036854775808\r\n", inattendue},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n1 2 0. 5 7 \r\n", inattendue},
    {requete::balles, "PUT BALLES 1\r\n1 2\r\n", inattendue},
    {requete::cubes, "PUT CUBES 1\r\n1 2 3 x\r\n", inattendue},
    {requete::cubes, "PUT CUBES 2\r\n1 2 3 4\r\nERREUR SYNTAXE\r\n", inattendue},
    {requete::stats, "PUT STATS\r\n", inattendue},
    {requete::stats, stats(" balles=40", ""),
     inattendue + " reponse inattendue a GET STATS (champ balles absent)"},
    {requete::stats, stats("balles=40", "balles=4 balles=40"),
     inattendue + " reponse inattendue a GET STATS (champ balles repete)"},
    {requete::stats, stats("812", "812 "), inattendue},
    {requete::stats, stats("812", "812 x"), inattendue},
    {requete::stats, stats("812", "812 =1"), inattendue},
    {requete::stats, stats("39.9", "4e1"), inattendue},
    {requete::stats, stats("=85", "=8.5"), inattendue},
    {requete::stats, stats("=20", "=-20"), inattendue},
    {requete::scores, "ERREUR SYNTAXE\r\n", syntaxe + " GET SCORES refusee"},
    {requete::scores, "PUT EVENEMENTS 0 0\r\n", inattendue},
    {requete::scores, "PUT SCORES 1\r\n1 2 3 4 5 6 7 8 9 10\r\n",
     inattendue + R"( reponse inattendue a GET SCORES (ligne 1 sur 1) : "1 2 3 4 5 6 7 8 9 10\r\n")"},
    {requete::scores, "PUT SCORES 1\r\n1 2 3 4 5 6 7 8 9 10 1 0\r\n", inattendue},
    {requete::scores, "PUT SCORES 1\r\n1 2 3 4 5 6 7 8 9 10 2\r\n", inattendue},  // alive: 0 or 1
    {requete::scores, "PUT SCORES 1\r\n1 -2 3 4 5 6 7 8 9 10 1\r\n", inattendue},
    {requete::scores, "PUT SCORES 1\r\n1 2 3 4 5 6 7 8 x 10 1\r\n", inattendue},
    {requete::scores, "PUT SCORES 1\r\n1 2 3 4 5 6 7 8 9 10 1 \r\n", inattendue},
    {requete::scores, "PUT SCORES 1\r\n1 2  3 4 5 6 7 8 9 10 1\r\n", inattendue},
    {requete::scores, "PUT SCORES 1000001\r\n", inattendue + " reponse inattendue a GET SCORES : plus de"},
    {requete::scores, "PUT SCORES 2\r\n1 2 3 4 5 6 7 8 9 10 1\r\n", fermee},
    {requete::evenements, "PUT EVENEMENTS 0\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 0 -1\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 0 0 0\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n-1 ARRIVE 5\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 ARRIVE\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 ARRIVE 5 6\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 TOUCHE 5 6\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 TOUCHE 5 6 -1\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 DETRUIT 5 6 0\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 PART 5 parti\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 PART 5\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\n1 touche 5 6 0\r\n", inattendue},
    {requete::evenements, "PUT EVENEMENTS 1 0\r\nTOUCHE 5 6 0\r\n",
     inattendue + R"( reponse inattendue a GET EVENEMENTS (ligne 1 sur 1) : "TOUCHE 5 6 0\r\n")"},
    {requete::evenements, "PUT EVENEMENTS 2 0\r\n1 ARRIVE 5\r\n", fermee},
    {requete::statut, "", fermee + " connexion fermee par le serveur"},
    {requete::statut, "PUT STAT",
     fermee + R"( connexion fermee par le serveur au milieu de la ligne "PUT STAT")"},
    {requete::vaisseaux, "PUT VAISSEAUX 2\r\n1 2 0. 5 7\r\n", fermee},
    {requete::vaisseaux, "PUT VAISSEAUX 1\r\n" + std::string(5000, '7') + "\r\n",
     inattendue + R"( ligne de plus de 4096 octets : "7777)"},
};

TEST(Reponses, EveryFormWholeAndByteByByte) {
  for (const cas& c : table) {
    const bool erreur_attendue = c.attendu.starts_with('!');
    // After a reply that parses, the next line must be the one after it.
    const std::string octets = c.octets + (erreur_attendue ? "" : "SUITE\r\n");
    for (const std::size_t morceau : {octets.size() + 1, std::size_t{1}}) {
      const std::string obtenu = lit_octets(octets, morceau, [&](source_lignes& l) {
        std::string t = texte(lit_reponse(c.r, l));
        return erreur_attendue || l.suivante() == "SUITE\r\n" ? t : "no SUITE after " + t;
      });
      EXPECT_TRUE(erreur_attendue ? obtenu.starts_with(c.attendu) : obtenu == c.attendu)
          << cite(c.octets) << "\n gave " << obtenu;
    }
  }
}

TEST(Reponses, Accords) {
  const struct {
    accord a;
    std::string octets, attendu;
  } accords[] = {
      {accord::enregistrement, "VAISSEAU ENREGISTRE\r\n", ""},
      {accord::enregistrement, "ERREUR COULEUR UTILISEE\r\n", couleur_utilisee},
      {accord::enregistrement, "ERREUR SYNTAXE\r\n", syntaxe + " PUT COULEUR VAISSEAU refusee"},
      {accord::enregistrement, "OK\r\n",
       inattendue + R"( reponse inattendue a PUT COULEUR VAISSEAU : "OK\r\n")"},
      {accord::spectateur, "SPECTATEUR ENREGISTRE\r\n", ""},
      {accord::spectateur, "ERREUR SYNTAXE\r\n", syntaxe + " PUT SPECTATEUR refusee"},
      {accord::spectateur, "ERREUR COULEUR UTILISEE\r\n", inattendue},
      {accord::depart, "OK\r\n", ""},
      {accord::depart, "", fermee},
  };
  for (const auto& c : accords) {
    const std::string obtenu = lit_octets(c.octets, c.octets.size(), [&](source_lignes& l) {
      lit_accord(c.a, l);
      return std::string();
    });
    EXPECT_TRUE(c.attendu.empty() ? obtenu.empty() : obtenu.starts_with(c.attendu))
        << cite(c.octets) << "\n gave " << obtenu;
  }
}

// A peer sending bytes without end and no LF is refused after one line's
// worth, not read until memory runs out.
TEST(Lignes, EndlessLineIsRefusedEarly) {
  std::string tampon;
  int lectures = 0;
  source_lignes lignes(tampon, [&](std::string& t) {
    ++lectures;
    t.append(1000, 'x');
    return true;
  });
  EXPECT_THROW(lignes.suivante(), erreur);
  EXPECT_EQ(lectures, 5);
}

}  // namespace
}  // namespace jeu_client::interne
