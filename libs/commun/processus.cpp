#include "commun/processus.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace jeu::commun {

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

namespace {

// A TCP socket of /proc/net/tcp or tcp6: its state and inode.
struct socket_tcp {
  int etat;
  unsigned long inode;
};

std::vector<socket_tcp> sockets_sur(int port) {
  std::vector<socket_tcp> trouves;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream f(table);
    std::string ligne;
    std::getline(f, ligne);  // column titles
    while (std::getline(f, ligne)) {
      // sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode
      std::istringstream champs(ligne);
      std::string sl, local, distant, etat, files, minuterie, retransmis, uid, delai;
      unsigned long inode = 0;
      if (!(champs >> sl >> local >> distant >> etat >> files >> minuterie >> retransmis >> uid >>
            delai >> inode)) {
        continue;
      }
      const auto deux_points = local.rfind(':');
      if (deux_points == std::string::npos) continue;
      if (std::stoi(local.substr(deux_points + 1), nullptr, 16) != port) continue;
      trouves.push_back({std::stoi(etat, nullptr, 16), inode});
    }
  }
  return trouves;
}

constexpr int etat_listen = 0x0A;

const char* nom_etat(int etat) {
  static const char* const noms[] = {"?",         "ESTABLISHED", "SYN_SENT", "SYN_RECV",
                                     "FIN_WAIT1", "FIN_WAIT2",   "TIME_WAIT", "CLOSE",
                                     "CLOSE_WAIT", "LAST_ACK",   "LISTEN",    "CLOSING"};
  return etat > 0 && etat < 12 ? noms[etat] : "?";
}

std::string ligne_de_commande(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/cmdline");
  std::string texte((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  while (!texte.empty() && texte.back() == '\0') texte.pop_back();
  std::replace(texte.begin(), texte.end(), '\0', ' ');
  return texte;
}

}  // namespace

int descripteurs_ouverts(pid_t pid) {
  std::error_code erreur;
  int nombre = 0;
  for (std::filesystem::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", erreur), fin;
       !erreur && fd != fin; fd.increment(erreur)) {
    ++nombre;
  }
  return erreur ? -1 : nombre;
}

std::vector<pid_t> ecoutent_sur(int port) {
  std::set<unsigned long> inodes;
  for (const socket_tcp& s : sockets_sur(port)) {
    if (s.etat == etat_listen && s.inode != 0) inodes.insert(s.inode);
  }
  std::vector<pid_t> pids;
  if (inodes.empty()) return pids;
  // Processes come and go meanwhile, and some may not be readable: every
  // error just skips what it concerns.
  namespace fs = std::filesystem;
  std::error_code erreur;
  for (fs::directory_iterator entree("/proc", erreur), fin; !erreur && entree != fin;
       entree.increment(erreur)) {
    const std::string nom = entree->path().filename().string();
    if (nom.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code illisible;
    for (fs::directory_iterator fd(entree->path() / "fd", illisible); !illisible && fd != fin;
         fd.increment(illisible)) {
      std::error_code sans_lien;
      const std::string cible = fs::read_symlink(fd->path(), sans_lien).string();
      if (cible.rfind("socket:[", 0) != 0) continue;
      if (inodes.count(std::stoul(cible.substr(8)))) {
        pids.push_back(static_cast<pid_t>(std::stol(nom)));
        break;
      }
    }
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

std::string occupants_port(int port) {
  std::ostringstream texte;
  std::map<std::string, int> autres;
  bool ecoute = false;
  for (const socket_tcp& s : sockets_sur(port)) {
    if (s.etat == etat_listen) {
      ecoute = true;
    } else {
      ++autres[nom_etat(s.etat)];
    }
  }
  const std::vector<pid_t> pids = ecoutent_sur(port);
  for (pid_t pid : pids) {
    texte << "process " << pid << " (" << ligne_de_commande(pid) << ") listens on it; ";
  }
  if (ecoute && pids.empty()) texte << "a process not visible here listens on it; ";
  for (const auto& [etat, nombre] : autres) texte << nombre << " socket(s) in " << etat << "; ";
  std::string resultat = texte.str();
  if (resultat.size() >= 2) resultat.resize(resultat.size() - 2);
  return resultat;
}

bool attend_ecoute_de(pid_t pid, int port, std::chrono::milliseconds delai) {
  const auto fin = horloge::now() + delai;
  for (;;) {
    const std::vector<pid_t> pids = ecoutent_sur(port);
    if (std::find(pids.begin(), pids.end(), pid) != pids.end()) return true;
    if (horloge::now() >= fin) return false;
    std::this_thread::sleep_for(10ms);
  }
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

std::optional<long> memoire_ko(pid_t pid, std::string_view champ) {
  std::ifstream statut("/proc/" + std::to_string(pid) + "/status");
  const std::string debut = std::string(champ) + ":";
  for (std::string ligne; std::getline(statut, ligne);) {
    if (ligne.rfind(debut, 0) == 0) return std::stol(ligne.substr(debut.size()));
  }
  return std::nullopt;
}

}  // namespace jeu::commun
