#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <variant>

#include "spectateur/diffusion.h"
#include "spectateur/http.h"
#include "spectateur/options.h"
#include "spectateur/sondeur.h"
#include "spectateur/source_jeu.h"
#include "spectateur/source_relecture.h"

namespace {

void ecrit(const std::string& ligne) {
  std::printf("jeu-spectateur: %s\n", ligne.c_str());
  std::fflush(stdout);
}

// The address a browser on this machine opens for `ecoute`.
std::string adresse_a_ouvrir(const std::string& ecoute, int port) {
  std::string hote = ecoute;
  if (hote == "0.0.0.0" || hote.empty()) hote = "127.0.0.1";
  if (hote == "::") hote = "::1";
  if (hote.find(':') != std::string::npos) hote = "[" + hote + "]";
  return "http://" + hote + ":" + std::to_string(port) + "/";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace jeu::spectateur;
  const auto lu = lit_options(argc, argv);
  if (const auto* sortie = std::get_if<sortie_immediate>(&lu)) {
    std::fputs(sortie->texte.c_str(), sortie->code == 0 ? stdout : stderr);
    return sortie->code;
  }
  const options& o = std::get<options>(lu);

  // Ctrl-C and SIGTERM are taken by one thread, which stops the rest; a
  // viewer that goes away must not kill the program with SIGPIPE.
  sigset_t signaux;
  sigemptyset(&signaux);
  sigaddset(&signaux, SIGINT);
  sigaddset(&signaux, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signaux, nullptr);
  signal(SIGPIPE, SIG_IGN);

  diffusion d;
  serveur_http http(d, o.vues);
  const int port = http.ecoute(o.ecoute, o.http);
  if (port < 0) {
    std::fprintf(stderr,
                 "jeu-spectateur: cannot serve on %s port %d (in use, or not an address of "
                 "this machine)\n",
                 o.ecoute.c_str(), o.http);
    return 2;
  }
  ecrit("open " + adresse_a_ouvrir(o.ecoute, port) + " in a browser");
  std::unique_ptr<source> origine;
  if (o.rejoue.empty()) {
    origine = std::make_unique<source_jeu>(o.hote, o.port, std::chrono::seconds(2));
  } else {
    try {
      auto relecture = std::make_unique<source_relecture>(o.rejoue);
      http.accepte_commandes([r = relecture.get()](const std::string& nom, const std::string& valeur) {
        return r->commande(nom, valeur);
      });
      origine = std::move(relecture);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "jeu-spectateur: %s\n", e.what());
      return 2;
    }
  }
  sondeur lecteur(*origine, d, cadence{std::chrono::milliseconds(1000 / o.frequence)},
                  [](bool, const std::string& texte) { ecrit(texte); });

  std::atomic<bool> fini = false;
  std::thread arret([&] {
    int recu = 0;
    sigwait(&signaux, &recu);
    d.ferme();
    // A stop asked for before the server runs would be lost.
    while (!fini && !http.en_service()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    http.arrete();
  });
  http.sert();
  fini = true;
  // sert also returns when listening fails: wake the stopping thread then.
  d.ferme();
  kill(getpid(), SIGTERM);
  arret.join();
  ecrit("stopped");
  return 0;
}
