#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commun/client_tcp.h"

namespace jeu::commun {

// Sends "PUT COULEUR VAISSEAU <couleur>" + CR LF; returns the reply line.
std::optional<std::string> inscrit(client_tcp& c, std::int64_t couleur);

// Registers `couleur`, asking again on the same connection while the reply
// is "ERREUR COULEUR UTILISEE", until `delai` has passed: a session whose
// client has gone holds its colour until it sees the end of its stream,
// which on a busy machine can take a while. Returns the last reply.
std::optional<std::string> inscrit_des_que_libre(client_tcp& c, std::int64_t couleur,
                                                 std::chrono::milliseconds delai);

// Reads a list reply: the header "PUT <mot> <n>\r\n", then n lines, which
// are returned (each with its CR LF). nullopt on a malformed header or a
// missing line.
std::optional<std::vector<std::string>> lit_liste(client_tcp& c, std::string_view mot);

// Sends `requete` + CR LF and reads the list reply whose header word is the
// request's last word ("GET VAISSEAUX" -> "VAISSEAUX").
std::optional<std::vector<std::string>> demande_liste(client_tcp& c, std::string_view requete);

// Sends "GET STATS" (the connection is a spectator's) and returns the
// integer value of field `nom`, nullopt when the reply has none.
std::optional<std::int64_t> champ_stats(client_tcp& c, std::string_view nom);

}  // namespace jeu::commun
