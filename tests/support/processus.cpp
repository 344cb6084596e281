#include "support/processus.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

namespace jeu::test {

namespace {

using horloge = std::chrono::steady_clock;

int statut_de(int brut) {
  if (WIFEXITED(brut)) return WEXITSTATUS(brut);
  if (WIFSIGNALED(brut)) return 128 + WTERMSIG(brut);
  return -1;
}

}  // namespace

processus::processus(const std::string& programme, const std::vector<std::string>& arguments,
                     std::optional<int> max_fichiers) {
  int sortie[2];
  int erreur[2];
  if (pipe2(sortie, O_CLOEXEC) != 0 || pipe2(erreur, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe");
  }
  std::vector<std::string> args{programme};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    dup2(sortie[1], 1);
    dup2(erreur[1], 2);
    if (max_fichiers) {
      const rlimit limite{static_cast<rlim_t>(*max_fichiers), static_cast<rlim_t>(*max_fichiers)};
      setrlimit(RLIMIT_NOFILE, &limite);
    }
    execv(programme.c_str(), argv.data());
    _exit(127);
  }
  close(sortie[1]);
  close(erreur[1]);
  fd_sortie_ = sortie[0];
  fd_erreur_ = erreur[0];
}

processus::~processus() {
  tue();
  if (fd_sortie_ >= 0) close(fd_sortie_);
  if (fd_erreur_ >= 0) close(fd_erreur_);
}

void processus::tue() {
  if (pid_ > 0 && !statut_) {
    kill(pid_, SIGKILL);
    int brut = 0;
    waitpid(pid_, &brut, 0);
    statut_ = statut_de(brut);
  }
}

bool processus::lit_disponible(std::chrono::milliseconds delai) {
  pollfd fds[2] = {{fd_sortie_, POLLIN, 0}, {fd_erreur_, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(delai.count())) <= 0) return false;
  char tampon[4096];
  bool lu = false;
  for (int k = 0; k < 2; ++k) {
    if (!(fds[k].revents & (POLLIN | POLLHUP))) continue;
    const ssize_t n = read(fds[k].fd, tampon, sizeof tampon);
    if (n > 0) {
      (k == 0 ? sortie_ : erreur_).append(tampon, static_cast<std::size_t>(n));
      lu = true;
    }
  }
  return lu;
}

void processus::collecte(std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  while (horloge::now() < fin) {
    const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(fin - horloge::now());
    if (!lit_disponible(std::max(reste, 1ms))) {
      if (statut_ || waitpid(pid_, nullptr, WNOHANG) != 0) break;
    }
  }
}

bool processus::attend_sortie(const std::string& attendu, std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  while (sortie_.find(attendu) == std::string::npos) {
    if (horloge::now() >= fin) return false;
    lit_disponible(10ms);
  }
  return true;
}

std::optional<int> processus::attend_fin(std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  while (!statut_) {
    int brut = 0;
    const pid_t r = waitpid(pid_, &brut, WNOHANG);
    if (r == pid_) {
      statut_ = statut_de(brut);
      break;
    }
    if (horloge::now() >= fin) return std::nullopt;
    lit_disponible(5ms);
  }
  while (lit_disponible(0ms)) {
  }
  return statut_;
}

int port_libre() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in adresse{};
  adresse.sin_family = AF_INET;
  adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  adresse.sin_port = 0;
  bind(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse);
  socklen_t taille = sizeof adresse;
  getsockname(s, reinterpret_cast<sockaddr*>(&adresse), &taille);
  close(s);
  return ntohs(adresse.sin_port);
}

bool attend_ecoute(int port, std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  while (horloge::now() < fin) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    adresse.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse) == 0;
    close(s);
    if (ok) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

}  // namespace jeu::test
