#pragma once

// The server process as /proc shows it: threads, resident memory, open
// descriptors.

#include <sys/types.h>

#include <string>

namespace jeu::endurance {

struct releve {
  long threads = -1;
  long rss_ko = -1;
  long descripteurs = -1;
};

releve releve_de(pid_t pid);
std::string texte(const releve& r);  // "threads 3, fds 5, VmRSS 4120 kB"

}  // namespace jeu::endurance
