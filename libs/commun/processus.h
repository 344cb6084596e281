#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jeu::commun {

using namespace std::chrono_literals;

// A child process with its standard output and error captured. Killed and
// reaped on destruction.
class processus {
 public:
  // Starts `programme` with `arguments` (argv[1..]). When `max_fichiers` is
  // set, the child's open-file limit (soft and hard) is lowered to it.
  processus(const std::string& programme, const std::vector<std::string>& arguments,
            std::optional<int> max_fichiers = std::nullopt);
  ~processus();
  processus(const processus&) = delete;
  processus& operator=(const processus&) = delete;

  pid_t pid() const { return pid_; }

  // Exit status if the child exits within `delai` (128 + signal if killed).
  std::optional<int> attend_fin(std::chrono::milliseconds delai);
  // Reads standard output until it contains `attendu` or `delai` passes.
  bool attend_sortie(const std::string& attendu, std::chrono::milliseconds delai);
  // What was captured so far (call attend_* first to collect more).
  const std::string& sortie() const { return sortie_; }
  const std::string& erreur() const { return erreur_; }
  // Collects whatever the child wrote within `delai`.
  void collecte(std::chrono::milliseconds delai);
  void tue();

 private:
  bool lit_disponible(std::chrono::milliseconds delai);

  pid_t pid_ = -1;
  int fd_sortie_ = -1;
  int fd_erreur_ = -1;
  std::string sortie_;
  std::string erreur_;
  std::optional<int> statut_;
};

// A TCP port that was free a moment ago on 127.0.0.1.
int port_libre();

// Waits until `port` on 127.0.0.1 accepts
// connections (one probe connection is opened and closed at once).
bool attend_ecoute(int port, std::chrono::milliseconds delai);

// Waits until process `pid` listens on TCP `port`, as /proc shows, without
// connecting: the server then starts no session, which tests counting its
// threads or descriptors need.
bool attend_ecoute_de(pid_t pid, int port, std::chrono::milliseconds delai);

// How many descriptors process `pid` has open (from /proc), -1 if unknown.
int descripteurs_ouverts(pid_t pid);

// The processes with a TCP socket listening on `port` (IPv4 or IPv6), as
// far as /proc shows them.
std::vector<pid_t> ecoutent_sur(int port);

// Who holds TCP `port`, for a message: each listening process with its
// command line, and how many other sockets use the port in which state
// (TIME_WAIT, ESTABLISHED...). "" when nothing uses it.
std::string occupants_port(int port);

// A field of /proc/<pid>/status given in kB ("VmRSS", "VmHWM"), or nullopt.
std::optional<long> memoire_ko(pid_t pid, std::string_view champ);

}  // namespace jeu::commun
