#include "endurance/ephemere.h"

#include <random>
#include <thread>

#include "endurance/forme.h"
#include "endurance/lien.h"

namespace jeu::endurance {

namespace {

constexpr auto delai_reponse = std::chrono::seconds(10);

const char* const valides[] = {"GET TAILLE PLATEAU", "GET RAYON VAISSEAU", "GET RAYON BALLE",
                               "GET MAX PT VIE",     "GET STATUT",         "GET VAISSEAUX",
                               "GET BALLES",         "GET CUBES",          "PUT ACTION GAUCHE",
                               "PUT ACTION TIRE",    "PUT ACTION ACCELERE"};
const char* const invalides[] = {"GET", "get statut", "GET  STATUT", "PUT ACTION", "PUT ACTION SAUTE",
                                 "PUT COULEUR VAISSEAU 007", "GET STATUT ", ""};

class connexion_ephemere {
 public:
  connexion_ephemere(const regime_ephemeres& r, int i, bilan_ephemeres& b)
      : r_(r), i_(i), b_(b), alea_(r.graine * 1'000'003u + static_cast<unsigned>(i)) {}

  void execute();

 private:
  void faute(const std::string& quoi) {
    b_.faute("connection " + std::to_string(i_) + " (" + nom(fin_) + "): " + quoi);
    echouee_ = true;
  }
  // Sends `ligne` + LF, in pieces when `fragmente`, and checks the reply.
  bool echange(const std::string& ligne, bool fragmente);
  void une_requete_au_hasard();
  int hasard(int n) { return std::uniform_int_distribution<int>(0, n - 1)(alea_); }
  void compte_requetes(std::uint64_t n) {
    std::lock_guard g(b_.verrou);
    b_.requetes += n;
  }

  const regime_ephemeres& r_;
  int i_;
  bilan_ephemeres& b_;
  std::mt19937 alea_;
  lien lien_;
  fin_connexion fin_ = fin_connexion::fermeture;
  bool inscrit_ = false;
  bool echouee_ = false;
};

bool connexion_ephemere::echange(const std::string& ligne, bool fragmente) {
  compte_requetes(1);
  const std::string tout = ligne + "\n";
  if (fragmente && tout.size() > 2) {
    const std::size_t coupe = 1 + static_cast<std::size_t>(hasard(static_cast<int>(tout.size()) - 1));
    if (!lien_.envoie(std::string_view(tout).substr(0, coupe))) return faute("write failed"), false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + hasard(3)));
    if (!lien_.envoie(std::string_view(tout).substr(coupe))) return faute("write failed"), false;
  } else if (!lien_.envoie(tout)) {
    return faute("write failed"), false;
  }
  const reponse_lue rep = lit_reponse(lien_, ligne, inscrit_, horloge::now() + delai_reponse);
  if (!rep.ok()) return faute(rep.probleme), false;
  if (!inscrit_ && rep.entete == "VAISSEAU ENREGISTRE") {
    inscrit_ = true;
    std::lock_guard g(b_.verrou);
    ++b_.inscrites;
  }
  return true;
}

void connexion_ephemere::une_requete_au_hasard() {
  switch (hasard(5)) {
    case 0:
    case 1:
      echange(std::string(valides[hasard(std::size(valides))]) + "\r", hasard(3) == 0);
      break;
    case 2:
      echange(std::string(invalides[hasard(std::size(invalides))]) + (hasard(2) ? "\r" : ""), hasard(3) == 0);
      break;
    case 3: {  // over 4096 bytes: refused once, its bytes not kept
      std::string longue = "GET STATUT";
      longue.append(4097 + static_cast<std::size_t>(hasard(8000)), 'A' + static_cast<char>(hasard(26)));
      echange(longue + "\r", true);
      break;
    }
    default: {  // binary bytes, LF excepted
      std::string binaire(1 + static_cast<std::size_t>(hasard(200)), '\0');
      for (char& c : binaire) {
        do c = static_cast<char>(hasard(256));
        while (c == '\n');
      }
      echange(binaire, hasard(2) == 0);
      break;
    }
  }
}

void connexion_ephemere::execute() {
  fin_ = static_cast<fin_connexion>(i_ % static_cast<int>(nb_fins));
  if (!lien_.ouvre(r_.port)) {
    std::lock_guard g(b_.verrou);
    ++b_.echecs_connexion;
    ++b_.fausses;
    if (b_.exemples.size() < 10) b_.exemples.push_back("connection " + std::to_string(i_) + ": connect failed");
    return;
  }
  const bool doit_inscrire = fin_ == fin_connexion::quitte || fin_ == fin_connexion::reset_en_reponse ||
                             fin_ == fin_connexion::sans_lecture || (i_ / static_cast<int>(nb_fins)) % 2 == 0;
  const int avant = hasard(3);
  for (int k = 0; k < avant && !echouee_; ++k) une_requete_au_hasard();
  if (doit_inscrire && !echouee_) {
    echange("PUT COULEUR VAISSEAU " + std::to_string(r_.couleur_base + i_) + "\r", hasard(4) == 0);
  }
  const int apres = hasard(4);
  for (int k = 0; k < apres && !echouee_; ++k) une_requete_au_hasard();
  if (echouee_) {
    lien_.ferme();
    return;
  }
  const auto limite = horloge::now() + delai_reponse;
  switch (fin_) {
    case fin_connexion::quitte:
      if (echange("PUT ACTION QUITTE\r", false) && inscrit_) {
        std::size_t restants = 0;
        if (!lien_.attend_fin(limite, &restants)) faute("not closed after PUT ACTION QUITTE");
        else if (restants) faute(std::to_string(restants) + " bytes after the OK to QUITTE");
      }
      lien_.ferme();
      break;
    case fin_connexion::fermeture:
      lien_.ferme();
      break;
    case fin_connexion::demi_fermeture: {
      // The last fragment without LF is still one request, answered.
      compte_requetes(1);
      if (!lien_.envoie("GET STATUT\r")) {
        faute("write failed");
        break;
      }
      lien_.demi_ferme();
      const reponse_lue rep = lit_reponse(lien_, "GET STATUT\r", inscrit_, limite);
      if (!rep.ok()) faute(rep.probleme + " (after a half-close)");
      else if (!lien_.attend_fin(limite)) faute("not closed after a half-close");
      lien_.ferme();
      break;
    }
    case fin_connexion::coupure_en_ligne:
      compte_requetes(1);
      lien_.envoie("GET VAIS");
      lien_.ferme();
      break;
    case fin_connexion::reset_en_reponse:
      compte_requetes(1);
      if (lien_.envoie("GET CUBES\r\n")) lien_.lit_un_peu(std::chrono::milliseconds(100));
      lien_.reinitialise();
      break;
    case fin_connexion::sans_lecture: {
      const int n = 100 + hasard(200);
      std::string lot;
      for (int k = 0; k < n; ++k) lot += "GET CUBES\r\n";
      compte_requetes(static_cast<std::uint64_t>(n));
      lien_.envoie(lot);
      std::this_thread::sleep_for(std::chrono::milliseconds(5 + hasard(20)));
      lien_.ferme();
      break;
    }
  }
  std::lock_guard g(b_.verrou);
  ++b_.par_fin[static_cast<std::size_t>(fin_)];
}

}  // namespace

const char* nom(fin_connexion f) {
  switch (f) {
    case fin_connexion::quitte: return "QUITTE";
    case fin_connexion::fermeture: return "close";
    case fin_connexion::demi_fermeture: return "half-close";
    case fin_connexion::coupure_en_ligne: return "close mid-line";
    case fin_connexion::reset_en_reponse: return "reset mid-reply";
    case fin_connexion::sans_lecture: return "never reading";
  }
  return "?";
}

void bilan_ephemeres::faute(const std::string& quoi) {
  std::lock_guard g(verrou);
  ++fausses;
  if (exemples.size() < 10) exemples.push_back(quoi);
}

void lance_ephemeres(const regime_ephemeres& r, const std::atomic<bool>& abandon,
                     std::atomic<int>& faites, bilan_ephemeres& b) {
  std::atomic<int> prochaine{0};
  const auto debut = horloge::now();
  const double pas = r.total > 0 ? r.duree / r.total : 0;
  std::vector<std::thread> ouvriers;
  for (int k = 0; k < r.en_vol; ++k) {
    ouvriers.emplace_back([&] {
      for (;;) {
        const int i = prochaine.fetch_add(1);
        if (i >= r.total || abandon.load()) return;
        std::this_thread::sleep_until(
            debut + std::chrono::duration_cast<horloge::duration>(std::chrono::duration<double>(pas * i)));
        {
          std::lock_guard g(b.verrou);
          ++b.connexions;
        }
        connexion_ephemere(r, i, b).execute();
        faites.fetch_add(1);
      }
    });
  }
  for (auto& t : ouvriers) t.join();
}

}  // namespace jeu::endurance
