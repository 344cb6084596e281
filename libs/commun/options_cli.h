#pragma once

#include <optional>
#include <string>

#include <CLI/CLI.hpp>

namespace jeu::commun {

// What a program prints and returns instead of running: --help (code 0,
// for stdout) or a bad command line (non-zero, for stderr).
struct sortie_immediate {
  int code;
  std::string texte;
};

// Parses the command line into `app`; nullopt when the program should run.
std::optional<sortie_immediate> analyse(CLI::App& app, int argc, const char* const* argv);

// Splits "host:port" (an IPv6 host in brackets: "[::1]:12345") at its last
// colon into `hote` and `port` (1..65535); returns "" when it is well
// formed, else what is wrong, and then leaves both unchanged.
std::string lit_hote_port(const std::string& texte, std::string& hote, int& port);

// Prints `s` where it belongs (stdout for code 0, stderr otherwise) and
// returns its code, for main to return.
int termine(const sortie_immediate& s);

}  // namespace jeu::commun
