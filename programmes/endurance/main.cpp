// jeu-endurance: a soak test of serveur_jeu. See README, "Soak test".

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <set>
#include <memory>
#include <optional>
#include <thread>
#include <variant>

#include "endurance/ephemere.h"
#include "endurance/forme.h"
#include "endurance/joueur.h"
#include "endurance/lien.h"
#include "endurance/options.h"
#include "endurance/rapport.h"
#include "endurance/sonde.h"
#include "commun/attente.h"
#include "commun/processus.h"
#include "commun/limite_fichiers.h"

namespace {

using namespace jeu::endurance;
using namespace std::chrono_literals;

constexpr std::int64_t couleur_joueurs = 1'000'000;    // + index
constexpr std::int64_t couleur_ephemeres = 2'000'000;  // + index
constexpr std::int64_t couleur_temoin = 999'999;


std::string ms(std::uint64_t ns) {
  char t[32];
  std::snprintf(t, sizeof t, "%.2f ms", static_cast<double>(ns) / 1e6);
  return t;
}

std::string fois(double x) {
  char t[32];
  std::snprintf(t, sizeof t, "%.1f", x);
  return t;
}

// The ship colours a fresh connection sees, its own excluded; nullopt when
// the reply was wrong.
std::optional<std::multiset<std::int64_t>> couleurs_vues(lien& temoin, std::string* probleme) {
  temoin.envoie("GET VAISSEAUX\r\n");
  const reponse_lue r = lit_reponse(temoin, "GET VAISSEAUX\r", true, horloge::now() + 10s);
  if (!r.ok()) {
    *probleme = r.probleme;
    return std::nullopt;
  }
  std::multiset<std::int64_t> c;
  for (const auto& l : r.lignes) c.insert(couleur_vaisseau(l));
  c.erase(couleur_temoin);
  return c;
}

std::string liste(const std::multiset<std::int64_t>& c) {
  std::string t;
  int n = 0;
  for (auto x : c) {
    if (n++ == 8) return t + " ...";
    if (!t.empty()) t += ' ';
    t += std::to_string(x);
  }
  return t.empty() ? "none" : t;
}

int execute(const options& o) {
  int port = o.port;
  pid_t pid = -1;
  std::unique_ptr<jeu::commun::processus> serveur;
  if (port == 0) {
    port = jeu::commun::port_libre();
    // The server writes a line on its standard output for every wrong
    // request; a pipe nobody reads would fill and stop it, so that output
    // goes to /dev/null. The shell execs the server: same pid.
    serveur = std::make_unique<jeu::commun::processus>(
        "/bin/sh", std::vector<std::string>{"-c", "exec \"$0\" \"$1\" >/dev/null", o.serveur,
                                            std::to_string(port)});
    pid = serveur->pid();
    if (!jeu::commun::attend_ecoute_de(pid, port, 10s)) {
      serveur->collecte(100ms);
      std::fprintf(stderr, "jeu-endurance: %s does not listen on port %d: %s\n", o.serveur.c_str(), port,
                   serveur->erreur().c_str());
      return 2;
    }
  } else {
    const auto pids = jeu::commun::ecoutent_sur(port);
    if (pids.size() == 1) pid = pids.front();
  }
  const auto reglement = std::chrono::milliseconds(static_cast<long>(o.reglement * 1000));
  const releve avant = pid > 0 ? releve_de(pid) : releve{};
  std::fprintf(stderr, "server pid %d on port %d; before: %s\n", static_cast<int>(pid), port, texte(avant).c_str());

  // Steady players, for the whole run.
  bilan_joueurs bj;
  std::atomic<bool> arret{false};
  std::vector<std::unique_ptr<joueur>> joueurs;
  std::vector<std::thread> fils_joueurs;
  for (int i = 0; i < o.joueurs; ++i) {
    joueurs.push_back(std::make_unique<joueur>(port, couleur_joueurs + i, o.graine * 7919u + static_cast<unsigned>(i), o.rondes));
  }
  for (auto& j : joueurs) fils_joueurs.emplace_back([&, jp = j.get()] { jp->joue(arret, bj); });

  // Short-lived connections, meanwhile.
  bilan_ephemeres be;
  std::atomic<bool> abandon{false};
  std::atomic<int> faites{0};
  const regime_ephemeres re{port, o.connexions, o.duree, o.en_vol, couleur_ephemeres, o.graine};
  const auto debut = horloge::now();
  std::thread fil_ephemeres([&] { lance_ephemeres(re, abandon, faites, be); });
  // However slow the server, the run stops: whatever has not started by then
  // does not start.
  const auto butoir = debut + std::chrono::duration_cast<horloge::duration>(std::chrono::duration<double>(o.duree * 3 + 60));
  while (faites.load() < o.connexions) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double ecoule = std::chrono::duration<double>(horloge::now() - debut).count();
    static double derniere = 0;
    if (ecoule - derniere >= 5) {
      derniere = ecoule;
      std::lock_guard g(bj.verrou);
      std::fprintf(stderr, "%6.1f s  short-lived %d/%d  player requests %llu  worst wait %s  wrong replies %llu+%llu\n",
                   ecoule, faites.load(), o.connexions, static_cast<unsigned long long>(bj.requetes),
                   ms(bj.attente.max()).c_str(), static_cast<unsigned long long>(bj.fausses),
                   static_cast<unsigned long long>(be.fausses));
    }
    if (horloge::now() > butoir) {
      abandon = true;
      break;
    }
  }
  fil_ephemeres.join();
  const double duree_churn = std::chrono::duration<double>(horloge::now() - debut).count();
  arret = true;
  for (auto& f : fils_joueurs) f.join();
  const double duree_jeu = std::chrono::duration<double>(horloge::now() - debut).count();

  rapport r;
  // Settling. A fresh connection watches until no bullet flies (no ship can
  // be destroyed any more), then the players say whether their ship lives.
  lien temoin;
  bool temoin_pret = false;
  std::string probleme_temoin;
  jeu::commun::attend_jusqua([&] {
    if (!temoin.ouvert() && !temoin.ouvre(port)) return false;
    temoin.envoie("PUT COULEUR VAISSEAU " + std::to_string(couleur_temoin) + "\r\n");
    const reponse_lue rep = lit_reponse(temoin, "PUT COULEUR VAISSEAU 0", false, horloge::now() + 10s);
    if (!rep.ok()) probleme_temoin = rep.probleme, temoin.ferme();
    return temoin_pret = rep.entete == "VAISSEAU ENREGISTRE";
  }, reglement, 50ms);
  std::size_t balles = 0;
  if (temoin_pret) {
    jeu::commun::attend_jusqua([&] {
      temoin.envoie("GET BALLES\r\n");
      const reponse_lue rep = lit_reponse(temoin, "GET BALLES\r", true, horloge::now() + 10s);
      balles = rep.ok() ? rep.lignes.size() : 1;
      return balles == 0;
    }, reglement, 100ms);
  }
  std::multiset<std::int64_t> vivants;
  int connectes = 0;
  for (auto& j : joueurs) {
    if (j->vivant(bj)) vivants.insert(j->couleur());
    connectes += j->connecte();
  }
  std::multiset<std::int64_t> vus;
  bool vus_ok = false;
  if (temoin_pret) {
    jeu::commun::attend_jusqua([&] {
      auto c = couleurs_vues(temoin, &probleme_temoin);
      if (!c) return false;
      vus = *c;
      return vus_ok = vus == vivants;
    }, reglement, 100ms);
  }
  temoin.ferme();

  // The server's figures, first with the players still connected, then after
  // they have left.
  releve apres_churn, apres_depart;
  auto attend_releve = [&](releve& rel, long permis) {
    if (pid <= 0) return;
    jeu::commun::attend_jusqua([&] {
      rel = releve_de(pid);
      return rel.threads <= avant.threads + permis && rel.descripteurs <= avant.descripteurs + permis;
    }, reglement, 50ms);
  };
  attend_releve(apres_churn, connectes);
  for (auto& j : joueurs) j->part();
  attend_releve(apres_depart, 0);

  // The report.
  r.chiffre("steady players", std::to_string(o.joueurs) + " at " + fois(o.rondes) + " rounds/s, " +
                                  fois(duree_jeu) + " s");
  r.chiffre("player requests", std::to_string(bj.requetes));
  r.chiffre("player re-registrations", std::to_string(bj.reinscriptions) + " (ship destroyed), " +
                                           std::to_string(bj.refus) + " registrations refused (colour used)");
  r.chiffre("player wait p50", ms(bj.attente.percentile(50)));
  r.chiffre("player wait p99", ms(bj.attente.percentile(99)));
  r.chiffre("player wait p99.9", ms(bj.attente.percentile(99.9)));
  r.chiffre("player wait max", ms(bj.attente.max()));
  r.chiffre("short-lived connections", std::to_string(be.connexions) + " of " + std::to_string(o.connexions) +
                                           " over " + fois(duree_churn) + " s, at most " +
                                           std::to_string(o.en_vol) + " at once");
  for (std::size_t k = 0; k < nb_fins; ++k) {
    r.chiffre(std::string("  ended by ") + nom(static_cast<fin_connexion>(k)), std::to_string(be.par_fin[k]));
  }
  r.chiffre("  registered a ship", std::to_string(be.inscrites));
  r.chiffre("  failed to connect", std::to_string(be.echecs_connexion));
  r.chiffre("short-lived requests", std::to_string(be.requetes));
  r.chiffre("server before", texte(avant));
  r.chiffre("server after churn", texte(apres_churn) + " (" + std::to_string(connectes) + " players connected)");
  r.chiffre("server after players left", texte(apres_depart));
  for (const auto& e : bj.exemples) r.chiffre("wrong player reply", e);
  for (const auto& e : be.exemples) r.chiffre("wrong short-lived reply", e);

  const double borne_ns = o.attente_max_ms * 1e6;
  r.verifie("steady players got only right replies", bj.fausses == 0,
            std::to_string(bj.fausses) + " wrong of " + std::to_string(bj.requetes));
  r.verifie("steady players' worst wait within " + fois(o.attente_max_ms) + " ms",
            static_cast<double>(bj.attente.max()) <= borne_ns && bj.requetes > 0,
            "max " + ms(bj.attente.max()) + ", p99 " + ms(bj.attente.percentile(99)));
  r.verifie("short-lived connections got only right replies", be.fausses == 0,
            std::to_string(be.fausses) + " wrong or missing, " + std::to_string(be.echecs_connexion) +
                " failed connects");
  r.verifie("every short-lived connection ran", be.connexions == static_cast<std::uint64_t>(o.connexions),
            std::to_string(be.connexions) + " of " + std::to_string(o.connexions));
  r.verifie("no bullet left in flight", temoin_pret && balles == 0,
            temoin_pret ? std::to_string(balles) + " bullets" : "no fresh connection registered: " + probleme_temoin);
  std::multiset<std::int64_t> en_trop, manquants;
  std::set_difference(vus.begin(), vus.end(), vivants.begin(), vivants.end(), std::inserter(en_trop, en_trop.end()));
  std::set_difference(vivants.begin(), vivants.end(), vus.begin(), vus.end(), std::inserter(manquants, manquants.end()));
  r.verifie("ships listed are exactly the live players'", vus_ok,
            std::to_string(vus.size()) + " listed, " + std::to_string(vivants.size()) + " players alive; extra: " +
                liste(en_trop) + "; missing: " + liste(manquants) +
                (probleme_temoin.empty() ? "" : "; " + probleme_temoin));
  if (pid > 0) {
    r.verifie("threads back (players' own allowed)", apres_churn.threads <= avant.threads + connectes,
              std::to_string(avant.threads) + " before, " + std::to_string(apres_churn.threads) + " with " +
                  std::to_string(connectes) + " players connected");
    r.verifie("descriptors back (players' own allowed)", apres_churn.descripteurs <= avant.descripteurs + connectes,
              std::to_string(avant.descripteurs) + " before, " + std::to_string(apres_churn.descripteurs) +
                  " with " + std::to_string(connectes) + " players connected");
    r.verifie("threads back after the players left", apres_depart.threads <= avant.threads,
              std::to_string(avant.threads) + " before, " + std::to_string(apres_depart.threads) + " after");
    r.verifie("descriptors back after the players left", apres_depart.descripteurs <= avant.descripteurs,
              std::to_string(avant.descripteurs) + " before, " + std::to_string(apres_depart.descripteurs) + " after");
    const long borne_ko = static_cast<long>(o.memoire_max_mio * 1024);
    r.verifie("VmRSS within +" + fois(o.memoire_max_mio) + " MiB of before",
              apres_depart.rss_ko >= 0 && apres_depart.rss_ko <= avant.rss_ko + borne_ko,
              std::to_string(avant.rss_ko) + " kB before, " + std::to_string(apres_churn.rss_ko) +
                  " kB after churn, " + std::to_string(apres_depart.rss_ko) + " kB after the players left");
  } else {
    r.chiffre("server process", "not found: thread, descriptor and memory checks skipped");
  }
  if (serveur) {
    const auto statut = serveur->attend_fin(0ms);
    r.verifie("server still running", !statut.has_value(),
              statut ? "exited with status " + std::to_string(*statut) : "running");
  }
  std::fputs(r.texte().c_str(), stdout);
  return r.tout_reussi() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto lu = lit_options(argc, argv);
  if (const auto* s = std::get_if<sortie_immediate>(&lu)) {
    std::fputs(s->texte.c_str(), s->code == 0 ? stdout : stderr);
    return s->code;
  }
  jeu::commun::leve_limite_fichiers();
  try {
    return execute(std::get<options>(lu));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jeu-endurance: %s\n", e.what());
    return 2;
  }
}
