#include "charge/processus_serveur.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commun/processus.h"

namespace jeu::charge {

std::optional<pid_t> processus_a_l_ecoute(int port) {
  const std::vector<pid_t> pids = commun::ecoutent_sur(port);
  if (pids.size() != 1) return std::nullopt;
  return pids.front();
}

std::optional<std::uint64_t> ticks_cpu(std::string_view stat) {
  // The command name, field 2, is in parentheses and may hold spaces or
  // parentheses itself: fields are counted from the last ')'.
  const std::size_t fin_nom = stat.rfind(')');
  if (fin_nom == std::string_view::npos) return std::nullopt;
  stat.remove_prefix(fin_nom + 1);
  // After it come field 3 (state) onwards; utime and stime are fields 14 and 15.
  std::uint64_t total = 0;
  for (int champ = 3; champ <= 15; ++champ) {
    const std::size_t debut = stat.find_first_not_of(' ');
    if (debut == std::string_view::npos) return std::nullopt;
    stat.remove_prefix(debut);
    const std::size_t fin = std::min(stat.find(' '), stat.size());
    if (champ >= 14) {
      std::uint64_t v = 0;
      const auto [p, ec] = std::from_chars(stat.data(), stat.data() + fin, v);
      if (ec != std::errc{} || p != stat.data() + fin) return std::nullopt;
      total += v;
    }
    stat.remove_prefix(fin);
  }
  return total;
}

std::optional<double> temps_cpu(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  if (!f) return std::nullopt;
  const std::string texte{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  const std::optional<std::uint64_t> ticks = ticks_cpu(texte);
  if (!ticks) return std::nullopt;
  return static_cast<double>(*ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<long> memoire_residente(pid_t pid) { return commun::memoire_ko(pid, "VmRSS"); }

double temps_cpu_propre() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const auto secondes = [](const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
  };
  return secondes(u.ru_utime) + secondes(u.ru_stime);
}

}  // namespace jeu::charge
