// A first bot: registers a green ship, then for 200 frames (5 seconds) turns,
// fires and counts the ships it sees. Usage: premier_bot [host [port]]
#include <jeu_client.h>

#include <array>
#include <charconv>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  using namespace jeu_client;
  const std::string hote = argc > 1 ? argv[1] : "127.0.0.1";
  int port = 12345;
  if (argc > 2) {
    const std::string texte = argv[2];
    const auto [fin, code] = std::from_chars(texte.data(), texte.data() + texte.size(), port);
    if (code != std::errc() || fin != texte.data() + texte.size() || port < 1 || port > 65535) {
      std::cerr << "premier_bot: the port must be a number from 1 to 65535, not \"" << texte
                << "\"\nusage: premier_bot [host [port]]\n";
      return 1;
    }
  }
  try {
    connexion c = connexion::ouvre(hote, port);
    c.enregistre(0x00FF00);
    constexpr std::array trame{requete::gauche, requete::tire, requete::vaisseaux};
    // The server moves the world 40 times a second: one frame per tick, as
    // more would turn and fire several times before anything moved.
    constexpr auto tick = std::chrono::milliseconds(25);
    auto prochaine = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i) {
      const std::vector<reponse> r = c.trame(trame);  // one write, one round trip
      if (i % 50 == 0) std::cout << std::get<std::vector<vaisseau>>(r[2]).size() << " vaisseaux\n";
      prochaine += tick;
      std::this_thread::sleep_until(prochaine);
    }
    c.quitte();
  } catch (const erreur& e) {
    std::cerr << "premier_bot: " << e.what() << '\n';
    return 1;
  }
}
