#include "spectateur/http.h"

#include <sys/socket.h>

#include <memory>

#include "spectateur/page.h"

namespace jeu::spectateur {

serveur_http::serveur_http(diffusion& d, int vues_max) : diffusion_(d), vues_max_(vues_max) {
  // Each stream holds a thread for its whole life; the others serve the page
  // and keep-alive connections.
  serveur_.new_task_queue = [n = vues_max + 8] { return new httplib::ThreadPool(n); };
  // SO_REUSEADDR only: the library's default adds SO_REUSEPORT, with which
  // a second copy of the program would share the port instead of failing.
  serveur_.set_socket_options([](int s) {
    const int oui = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
  });

  serveur_.Get("/", [](const httplib::Request&, httplib::Response& r) {
    const std::string_view page = page_html();
    r.set_header("Cache-Control", "no-cache");
    r.set_content(page.data(), page.size(), "text/html; charset=utf-8");
  });

  serveur_.Get("/flux", [this](const httplib::Request&, httplib::Response& r) {
    if (vues_.fetch_add(1) >= vues_max_) {
      --vues_;
      r.status = 503;
      r.set_content("too many viewers\n", "text/plain");
      return;
    }
    r.set_header("Cache-Control", "no-cache");
    auto curseur = std::make_shared<diffusion::curseur>();
    auto debut = std::make_shared<bool>(true);
    r.set_chunked_content_provider(
        "text/event-stream",
        [this, curseur, debut](std::size_t, httplib::DataSink& sink) {
          if (*debut) {
            *debut = false;
            const std::string reprise = "retry: " + std::to_string(reprise_ms) + "\n\n";
            return sink.write(reprise.data(), reprise.size());
          }
          auto texte = diffusion_.attend(*curseur, battement);
          if (!texte) return false;
          if (texte->empty()) *texte = ": \n\n";
          return sink.write(texte->data(), texte->size());
        },
        [this](bool) { --vues_; });
  });
}

void serveur_http::accepte_commandes(commandes c) {
  serveur_.Post("/relecture", [c = std::move(c)](const httplib::Request& q, httplib::Response& r) {
    for (const auto& [nom, valeur] : q.params) {
      const std::string refus = c(nom, valeur);
      if (!refus.empty()) {
        r.status = 400;
        r.set_content(refus + "\n", "text/plain");
        return;
      }
    }
    r.status = 204;
  });
}

int serveur_http::ecoute(const std::string& adresse, int port) {
  if (port == 0) return serveur_.bind_to_any_port(adresse);
  return serveur_.bind_to_port(adresse, port) ? port : -1;
}

void serveur_http::sert() { serveur_.listen_after_bind(); }

void serveur_http::arrete() { serveur_.stop(); }

}  // namespace jeu::spectateur
