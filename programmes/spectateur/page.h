#pragma once

// The page served at "/": HTML, style and script in one text, nothing
// fetched from elsewhere. It opens the event stream "flux" (etat.h) and
// draws the arena on a canvas; "?taille=N" fixes the canvas's larger side at
// N pixels, at the page's top left (otherwise it fits the window).

#include <string_view>

namespace jeu::spectateur {

std::string_view page_html();

}  // namespace jeu::spectateur
