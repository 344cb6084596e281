#pragma once

// What the server process costs, read from /proc while the load runs: its
// CPU time and resident memory, and this program's own CPU time.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace jeu::charge {

// The one process listening on TCP `port`; nullopt when none or several
// are seen (another user's processes are not).
std::optional<pid_t> processus_a_l_ecoute(int port);

// utime + stime, in clock ticks, from the text of /proc/<pid>/stat.
std::optional<std::uint64_t> ticks_cpu(std::string_view stat);

// CPU time of process `pid` so far, in seconds; nullopt once it is gone.
std::optional<double> temps_cpu(pid_t pid);

// VmRSS of process `pid`, in KiB.
std::optional<long> memoire_residente(pid_t pid);

// CPU time of this process so far (user + system), in seconds.
double temps_cpu_propre();

}  // namespace jeu::charge
