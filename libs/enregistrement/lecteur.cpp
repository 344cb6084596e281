#include "enregistrement/lecteur.h"

#include "enregistrement/ecarts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace jeu::enregistrement {

namespace {

// Reads n bytes at `position`; how many came (fewer at the end of the file).
std::size_t lit_a(int fd, unsigned char* octets, std::size_t n, std::uint64_t position,
                  const std::string& chemin) {
  std::size_t lus = 0;
  while (lus < n) {
    const ssize_t k = ::pread(fd, octets + lus, n - lus, static_cast<off_t>(position + lus));
    if (k < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(chemin + " : lecture impossible : " + std::strerror(errno));
    }
    if (k == 0) break;
    lus += static_cast<std::size_t>(k);
  }
  return lus;
}

// The frames' ticks increase, from the header's first tick over its span.
void verifie(const std::vector<trame_enregistree>& trames, const entete_bloc& e,
             const std::string& ou) {
  for (std::size_t i = 1; i < trames.size(); ++i) {
    if (trames[i].tick <= trames[i - 1].tick) {
      throw std::runtime_error(ou + " : index des trames incoherent");
    }
  }
  if (trames.front().tick != e.premier_tick || trames.back().tick - trames.front().tick != e.etendue) {
    throw std::runtime_error(ou + " : index des trames incoherent");
  }
}

}  // namespace

lecteur lecteur::ouvre(const std::string& chemin) {
  lecteur l;
  l.chemin_ = chemin;
  l.fd_ = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
  if (l.fd_ < 0) {
    throw std::runtime_error(chemin + " : ouverture impossible : " + std::strerror(errno));
  }
  struct stat s {};
  if (::fstat(l.fd_, &s) != 0 || !S_ISREG(s.st_mode)) {
    throw std::runtime_error(chemin + " : ce n'est pas un fichier ordinaire");
  }
  l.taille_fichier_ = static_cast<std::uint64_t>(s.st_size);
  unsigned char entete[taille_entete_fichier];
  const std::size_t n = lit_a(l.fd_, entete, sizeof entete, 0, chemin);
  if (n < signature.size() || std::memcmp(entete, signature.data(), signature.size()) != 0) {
    throw std::runtime_error(chemin + " : ce n'est pas un enregistrement du jeu (signature " +
                             "absente)");
  }
  if (n < sizeof entete) {
    throw std::runtime_error(chemin + " : enregistrement coupe dans son en-tete");
  }
  l.version_ = lit_u32(entete + 8);
  if (l.version_ == 0 || l.version_ > version_format) {
    throw std::runtime_error(chemin + " : enregistrement au format version " +
                             std::to_string(l.version_) + ", ce programme lit les versions 1 a " +
                             std::to_string(version_format) + " : il faut une version plus recente");
  }
  // The index: chunk after chunk, up to the end or the first chunk that is
  // cut short, damaged, or out of tick order.
  std::uint64_t position = sizeof entete;
  for (;;) {
    unsigned char o[taille_entete_bloc];
    if (lit_a(l.fd_, o, sizeof o, position, chemin) < sizeof o) break;
    entete_bloc e;
    if (!decode(o, e) || e.trames == 0 ||
        (e.code != codage::textes && e.code != codage::ecarts)) {
      break;
    }
    if (position + sizeof o + e.taille_compressee > l.taille_fichier_) break;
    if (!l.index_.empty()) {
      const entete_bloc& avant = l.index_.back().entete;
      if (e.premier_tick <= avant.premier_tick + avant.etendue) break;
    }
    l.index_.push_back({position, e});
    l.nombre_trames_ += e.trames;
    position += sizeof o + e.taille_compressee;
  }
  l.fin_lue_ = position;
  return l;
}

lecteur::lecteur(lecteur&& autre) noexcept
    : chemin_(std::move(autre.chemin_)),
      fd_(std::exchange(autre.fd_, -1)),
      version_(autre.version_),
      taille_fichier_(autre.taille_fichier_),
      fin_lue_(autre.fin_lue_),
      nombre_trames_(autre.nombre_trames_),
      index_(std::move(autre.index_)),
      bloc_charge_(autre.bloc_charge_),
      trames_(std::move(autre.trames_)),
      prochain_bloc_(autre.prochain_bloc_),
      prochaine_(autre.prochaine_) {}

lecteur& lecteur::operator=(lecteur&& autre) noexcept {
  if (this != &autre) {
    if (fd_ >= 0) ::close(fd_);
    chemin_ = std::move(autre.chemin_);
    fd_ = std::exchange(autre.fd_, -1);
    version_ = autre.version_;
    taille_fichier_ = autre.taille_fichier_;
    fin_lue_ = autre.fin_lue_;
    nombre_trames_ = autre.nombre_trames_;
    index_ = std::move(autre.index_);
    bloc_charge_ = autre.bloc_charge_;
    trames_ = std::move(autre.trames_);
    prochain_bloc_ = autre.prochain_bloc_;
    prochaine_ = autre.prochaine_;
  }
  return *this;
}

lecteur::~lecteur() {
  if (fd_ >= 0) ::close(fd_);
}

std::uint64_t lecteur::premier_tick() const {
  return index_.empty() ? 0 : index_.front().entete.premier_tick;
}

std::uint64_t lecteur::dernier_tick() const {
  return index_.empty() ? 0 : index_.back().entete.premier_tick + index_.back().entete.etendue;
}

void lecteur::charge(std::size_t numero) {
  if (numero == bloc_charge_) return;
  const bloc_indexe& b = index_[numero];
  const std::string ou = chemin_ + " : bloc " + std::to_string(numero + 1) + " (octet " +
                         std::to_string(b.position) + ")";
  std::string compresse(b.entete.taille_compressee, '\0');
  if (lit_a(fd_, reinterpret_cast<unsigned char*>(compresse.data()), compresse.size(),
            b.position + taille_entete_bloc, chemin_) != compresse.size()) {
    throw std::runtime_error(ou + " : fichier raccourci depuis son ouverture");
  }
  std::string brut(b.entete.taille_brute, '\0');
  const std::size_t n =
      ZSTD_decompress(brut.data(), brut.size(), compresse.data(), compresse.size());
  if (ZSTD_isError(n) || n != brut.size()) {
    throw std::runtime_error(ou + " : endommage (" +
                             (ZSTD_isError(n) ? ZSTD_getErrorName(n) : "taille inattendue") + ")");
  }
  const std::size_t nombre = b.entete.trames;
  std::vector<trame_enregistree> trames(nombre);
  if (b.entete.code == codage::ecarts) {
    try {
      auto decodees = decode_ecarts(brut, nombre);
      for (std::size_t i = 0; i < nombre; ++i) {
        trames[i].tick = decodees[i].first;
        trames[i].texte = std::move(decodees[i].second);
      }
    } catch (const std::runtime_error& e) {
      throw std::runtime_error(ou + " : endommage (" + e.what() + ")");
    }
    verifie(trames, b.entete, ou);
    trames_ = std::move(trames);
    bloc_charge_ = numero;
    return;
  }
  const std::size_t taille_index = 12 * nombre;
  if (brut.size() < taille_index) throw std::runtime_error(ou + " : index des trames tronque");
  std::size_t position = taille_index;
  const auto* p = reinterpret_cast<const unsigned char*>(brut.data());
  for (std::size_t i = 0; i < nombre; ++i) {
    trames[i].tick = lit_u64(p + 12 * i);
    const std::size_t longueur = lit_u32(p + 12 * i + 8);
    if (longueur > brut.size() - position ||
        (i > 0 && trames[i].tick <= trames[i - 1].tick)) {
      throw std::runtime_error(ou + " : index des trames incoherent");
    }
    trames[i].texte.assign(brut, position, longueur);
    position += longueur;
  }
  if (position != brut.size()) throw std::runtime_error(ou + " : index des trames incoherent");
  verifie(trames, b.entete, ou);
  trames_ = std::move(trames);
  bloc_charge_ = numero;
}

bool lecteur::cherche(std::uint64_t tick) {
  // The first chunk whose last tick is `tick` or later.
  const auto b = std::partition_point(index_.begin(), index_.end(), [&](const bloc_indexe& x) {
    return x.entete.premier_tick + x.entete.etendue < tick;
  });
  prochain_bloc_ = static_cast<std::size_t>(b - index_.begin());
  prochaine_ = 0;
  if (b == index_.end()) return false;
  charge(prochain_bloc_);
  while (trames_[prochaine_].tick < tick) ++prochaine_;
  return true;
}

std::optional<trame_enregistree> lecteur::suivante() {
  for (;;) {
    if (prochain_bloc_ >= index_.size()) return std::nullopt;
    charge(prochain_bloc_);
    if (prochaine_ < trames_.size()) return trames_[prochaine_++];
    ++prochain_bloc_;
    prochaine_ = 0;
  }
}

}  // namespace jeu::enregistrement
