#include "terminal/signaux.h"

#include <csignal>
#include <initializer_list>

namespace jeu::terminal {

namespace {

volatile std::sig_atomic_t recu = 0;

void note(int numero) { recu = numero; }

}  // namespace

void installe_signaux() {
  struct sigaction a {};
  a.sa_handler = note;
  sigemptyset(&a.sa_mask);
  a.sa_flags = 0;  // no SA_RESTART: a wait for a key ends at once
  for (int numero : {SIGINT, SIGTERM, SIGHUP}) sigaction(numero, &a, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

int signal_recu() { return recu; }

}  // namespace jeu::terminal
