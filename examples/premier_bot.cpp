// A first bot: registers a green ship, then for 200 frames turns, fires and
// counts the ships it sees. Usage: premier_bot [host [port]]
#include <jeu_client.h>

#include <array>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  using namespace jeu_client;
  try {
    connexion c =
        connexion::ouvre(argc > 1 ? argv[1] : "127.0.0.1", argc > 2 ? std::stoi(argv[2]) : 12345);
    c.enregistre(0x00FF00);
    constexpr std::array trame{requete::gauche, requete::tire, requete::vaisseaux};
    for (int i = 0; i < 200; ++i) {
      const std::vector<reponse> r = c.trame(trame);  // one write, one round trip
      if (i % 50 == 0) std::cout << std::get<std::vector<vaisseau>>(r[2]).size() << " vaisseaux\n";
    }
    c.quitte();
  } catch (const erreur& e) {
    std::cerr << "premier_bot: " << e.what() << '\n';
    return 1;
  }
}
