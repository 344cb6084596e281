#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/client_tcp.h"

namespace jeu::test {

// Sends "PUT COULEUR VAISSEAU <couleur>" + CR LF; returns the reply line.
std::optional<std::string> inscrit(client_tcp& c, std::int64_t couleur);

// Reads a list reply: the header "PUT <mot> <n>\r\n", then n lines, which
// are returned (each with its CR LF). nullopt on a malformed header or a
// missing line.
std::optional<std::vector<std::string>> lit_liste(client_tcp& c, std::string_view mot);

// Sends `requete` + CR LF and reads the list reply whose header word is the
// request's last word ("GET VAISSEAUX" -> "VAISSEAUX").
std::optional<std::vector<std::string>> demande_liste(client_tcp& c, std::string_view requete);

// A field of /proc/<pid>/status given in kB ("VmRSS", "VmHWM"), or nullopt.
std::optional<long> memoire_ko(pid_t pid, std::string_view champ);

}  // namespace jeu::test
