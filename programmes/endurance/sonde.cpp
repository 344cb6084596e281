#include "endurance/sonde.h"

#include "commun/processus.h"

namespace jeu::endurance {

releve releve_de(pid_t pid) {
  releve r;
  r.threads = commun::memoire_ko(pid, "Threads").value_or(-1);  // a plain count, read the same way
  r.rss_ko = commun::memoire_ko(pid, "VmRSS").value_or(-1);
  r.descripteurs = commun::descripteurs_ouverts(pid);
  return r;
}

std::string texte(const releve& r) {
  return "threads " + std::to_string(r.threads) + ", fds " + std::to_string(r.descripteurs) +
         ", VmRSS " + std::to_string(r.rss_ko) + " kB";
}

}  // namespace jeu::endurance
