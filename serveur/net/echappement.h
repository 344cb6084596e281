#pragma once

#include <string>
#include <string_view>

namespace jeu {

// A client's bytes as the log writes them: printable ASCII and valid UTF-8
// of printable characters as they came; every other byte (C0 and C1
// controls, DEL, bytes that do not form valid UTF-8) as "\xhh", so that a
// log line stays one line, changes nothing on the terminal showing it, and
// shows what came. A CR that ends `octets` (the protocol's CR LF) is kept.
// A backslash is written as it is.
std::string echappe(std::string_view octets);

}  // namespace jeu
