#include "navigateur.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace jeu::test {

using json = nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr auto silence_max = 30s;

[[noreturn]] void echec(const std::string& quoi) { throw std::runtime_error("chromium: " + quoi); }

std::vector<std::uint8_t> base64(const std::string& texte) {
  std::vector<std::uint8_t> octets(texte.size() / 4 * 3 + 3);
  const int n = EVP_DecodeBlock(octets.data(), reinterpret_cast<const unsigned char*>(texte.data()),
                                static_cast<int>(texte.size()));
  if (n < 0) echec("a screenshot that is not base64");
  // EVP_DecodeBlock counts the padding as zero bytes.
  std::size_t taille = static_cast<std::size_t>(n);
  for (auto c = texte.rbegin(); c != texte.rend() && *c == '='; ++c) --taille;
  octets.resize(taille);
  return octets;
}

}  // namespace

std::int64_t image_rgb::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= largeur || y >= hauteur) return -1;
  const std::size_t i = (static_cast<std::size_t>(y) * largeur + x) * 3;
  return (octets[i] << 16) | (octets[i + 1] << 8) | octets[i + 2];
}

image_rgb decode_png(const std::vector<std::uint8_t>& png) {
  png_image lu{};
  lu.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&lu, png.data(), png.size())) {
    throw std::runtime_error(std::string("not a PNG: ") + lu.message);
  }
  lu.format = PNG_FORMAT_RGB;
  image_rgb image;
  image.largeur = static_cast<int>(lu.width);
  image.hauteur = static_cast<int>(lu.height);
  image.octets.resize(PNG_IMAGE_SIZE(lu));
  if (!png_image_finish_read(&lu, nullptr, image.octets.data(), 0, nullptr)) {
    throw std::runtime_error(std::string("bad PNG: ") + lu.message);
  }
  return image;
}

std::unique_ptr<navigateur> navigateur::lance(int largeur, int hauteur, std::string& pourquoi) {
  // A browser that dies must fail the test, not kill it.
  signal(SIGPIPE, SIG_IGN);
  std::unique_ptr<navigateur> n(new navigateur);
  char modele[] = "/tmp/jeu-chromium-XXXXXX";
  if (!mkdtemp(modele)) {
    pourquoi = "no temporary profile folder";
    return nullptr;
  }
  n->profil_ = modele;
  int commandes[2], reponses[2];
  if (pipe2(commandes, O_CLOEXEC) != 0 || pipe2(reponses, O_CLOEXEC) != 0) {
    pourquoi = "no pipe";
    return nullptr;
  }
  const std::vector<std::string> arguments{
      "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--remote-debugging-pipe",
      "--user-data-dir=" + n->profil_,
      "--window-size=" + std::to_string(largeur) + "," + std::to_string(hauteur),
      "--force-color-profile=srgb", "--hide-scrollbars", "--mute-audio", "--no-first-run",
      "about:blank"};
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  n->pid_ = fork();
  if (n->pid_ == 0) {
    // Its own process group, so that the browser's helpers end with it.
    setpgid(0, 0);
    dup2(commandes[0], 3);
    dup2(reponses[1], 4);
    const int nul = open("/dev/null", O_RDWR);
    dup2(nul, 0);
    dup2(nul, 1);
    dup2(nul, 2);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(commandes[0]);
  close(reponses[1]);
  n->vers_chromium_ = commandes[1];
  n->depuis_chromium_ = reponses[0];
  if (n->pid_ < 0) {
    pourquoi = "fork failed";
    return nullptr;
  }
  try {
    const json cibles = n->commande("Target.getTargets", json::object(), false);
    std::string page;
    for (const auto& c : cibles["targetInfos"]) {
      if (c["type"] == "page") page = c["targetId"];
    }
    if (page.empty()) echec("no page");
    n->session_ = n->commande("Target.attachToTarget", {{"targetId", page}, {"flatten", true}},
                              false)["sessionId"];
    n->commande("Emulation.setDeviceMetricsOverride", {{"width", largeur},
                                                       {"height", hauteur},
                                                       {"deviceScaleFactor", 1},
                                                       {"mobile", false}});
  } catch (const std::exception& e) {
    int statut = 0;
    pid_t fini = 0;
    for (int i = 0; i < 20 && (fini = waitpid(n->pid_, &statut, WNOHANG)) == 0; ++i) {
      std::this_thread::sleep_for(50ms);
    }
    const bool absent = fini == n->pid_ && WIFEXITED(statut) && WEXITSTATUS(statut) == 127;
    if (absent) n->pid_ = -1;
    pourquoi = absent ? "no chromium program in PATH" : e.what();
    return nullptr;
  }
  return n;
}

navigateur::~navigateur() {
  if (pid_ > 0) {
    const std::string fin = json{{"id", ++numero_}, {"method", "Browser.close"}}.dump();
    (void)!write(vers_chromium_, fin.c_str(), fin.size() + 1);
    for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
      std::this_thread::sleep_for(50ms);
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (vers_chromium_ >= 0) close(vers_chromium_);
  if (depuis_chromium_ >= 0) close(depuis_chromium_);
  std::error_code ignore;
  if (!profil_.empty()) std::filesystem::remove_all(profil_, ignore);
}

json navigateur::commande(const std::string& methode, json parametres, bool dans_la_page) {
  const int id = ++numero_;
  json message{{"id", id}, {"method", methode}, {"params", std::move(parametres)}};
  if (dans_la_page) message["sessionId"] = session_;
  const std::string texte = message.dump();
  // The NUL that ends the message is the string's own.
  for (std::size_t fait = 0; fait < texte.size() + 1;) {
    const ssize_t n = write(vers_chromium_, texte.c_str() + fait, texte.size() + 1 - fait);
    if (n <= 0) echec("closed its pipe (" + methode + ")");
    fait += static_cast<std::size_t>(n);
  }
  const auto limite = std::chrono::steady_clock::now() + silence_max;
  for (;;) {
    for (std::size_t fin; (fin = recu_.find('\0')) != std::string::npos;) {
      json reponse = json::parse(recu_.substr(0, fin));
      recu_.erase(0, fin + 1);
      if (!reponse.contains("id") || reponse["id"] != id) continue;  // events, and so on
      if (reponse.contains("error")) echec(methode + ": " + reponse["error"].dump());
      return reponse["result"];
    }
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(
        limite - std::chrono::steady_clock::now());
    pollfd p{depuis_chromium_, POLLIN, 0};
    if (reste <= 0ms || poll(&p, 1, static_cast<int>(reste.count())) <= 0) {
      echec("no reply to " + methode);
    }
    char tampon[65536];
    const ssize_t n = read(depuis_chromium_, tampon, sizeof tampon);
    if (n <= 0) echec("closed its pipe (" + methode + ")");
    recu_.append(tampon, static_cast<std::size_t>(n));
  }
}

void navigateur::ouvre(const std::string& url) {
  const json r = commande("Page.navigate", {{"url", url}});
  if (r.contains("errorText")) echec("cannot open " + url + ": " + r["errorText"].dump());
}

json navigateur::evalue(const std::string& expression) {
  const json r =
      commande("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
  if (r.contains("exceptionDetails")) echec(expression + ": " + r["exceptionDetails"].dump());
  return r["result"].value("value", json());
}

std::vector<std::uint8_t> navigateur::capture_png() {
  return base64(commande("Page.captureScreenshot", {{"format", "png"}})["data"]);
}

}  // namespace jeu::test
