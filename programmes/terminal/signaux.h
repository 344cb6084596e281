#pragma once

// Signals that would end the program are only recorded, so that the loop
// ends by itself and gives the terminal back.

namespace jeu::terminal {

// Records SIGINT, SIGTERM and SIGHUP instead of dying; ignores SIGPIPE. To
// be called before the terminal is set up, so that curses keeps these.
void installe_signaux();

// The last signal recorded, 0 if none.
int signal_recu();

}  // namespace jeu::terminal
