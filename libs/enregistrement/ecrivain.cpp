#include "enregistrement/ecrivain.h"

#include <fcntl.h>
#include <unistd.h>
#include <zstd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include "enregistrement/ecarts.h"
#include "enregistrement/format.h"

namespace jeu::enregistrement {

namespace {

[[noreturn]] void echec(const std::string& chemin, const std::string& quoi, int erreur) {
  throw std::runtime_error(chemin + " : " + quoi + " : " + std::strerror(erreur));
}

// All of [octets, octets + n) written, or the error number.
int ecrit_tout(int fd, const unsigned char* octets, std::size_t n) {
  while (n > 0) {
    const ssize_t k = ::write(fd, octets, n);
    if (k < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (k == 0) return ENOSPC;
    octets += k;
    n -= static_cast<std::size_t>(k);
  }
  return 0;
}

struct libere_cctx {
  void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};

}  // namespace

ecrivain::ecrivain(const std::string& chemin, reglages_ecrivain r)
    : chemin_(chemin), reglages_(r) {
  if (reglages_.trames_par_bloc == 0 || reglages_.trames_par_bloc > 65535) {
    throw std::invalid_argument("ecrivain : trames_par_bloc hors de 1..65535");
  }
  fd_ = ::open(chemin.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    const int e = errno;
    if (e == EEXIST) {
      throw std::runtime_error(chemin + " : le fichier existe deja, il n'est pas remplace");
    }
    echec(chemin, "creation impossible", e);
  }
  unsigned char entete[taille_entete_fichier] = {};
  std::memcpy(entete, signature.data(), signature.size());
  ecrit_u32(entete + 8, version_format);
  if (const int e = ecrit_tout(fd_, entete, sizeof entete); e != 0) {
    ::close(fd_);
    fd_ = -1;
    echec(chemin, "ecriture impossible", e);
  }
  octets_ = sizeof entete;
}

ecrivain::~ecrivain() {
  try {
    termine();
  } catch (...) {
    // The chunks before the failed one stay readable.
  }
  if (fd_ >= 0) ::close(fd_);
}

void ecrivain::ajoute(std::uint64_t tick, std::string_view texte) {
  if (termine_ || fd_ < 0) throw std::logic_error("ecrivain::ajoute apres termine");
  if (trames_ > 0 && tick <= dernier_tick_) {
    throw std::invalid_argument("ecrivain::ajoute : tick " + std::to_string(tick) +
                                " apres le tick " + std::to_string(dernier_tick_));
  }
  if (texte.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::invalid_argument("ecrivain::ajoute : trame de plus de 4 Go");
  }
  if (en_cours_ > 0 && (tick - premier_du_bloc_ > std::numeric_limits<std::uint32_t>::max() ||
                        textes_.size() + texte.size() > reglages_.octets_par_bloc)) {
    ecrit_bloc();
  }
  if (en_cours_ == 0) premier_du_bloc_ = tick;
  unsigned char entree[12];
  ecrit_u64(entree, tick);
  ecrit_u32(entree + 8, static_cast<std::uint32_t>(texte.size()));
  index_.append(reinterpret_cast<const char*>(entree), sizeof entree);
  textes_ += texte;
  ++en_cours_;
  ++trames_;
  dernier_tick_ = tick;
  if (en_cours_ == reglages_.trames_par_bloc) ecrit_bloc();
}

void ecrivain::ecrit_bloc() {
  if (en_cours_ == 0) return;
  codage code = codage::textes;
  std::string brut;
  if (reglages_.ecarts) {
    std::vector<trame_codee> trames;
    trames.reserve(en_cours_);
    std::size_t position = 0;
    for (std::size_t i = 0; i < en_cours_; ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(index_.data()) + 12 * i;
      const std::size_t longueur = lit_u32(p + 8);
      trames.push_back({lit_u64(p), std::string_view(textes_).substr(position, longueur)});
      position += longueur;
    }
    brut = code_ecarts(trames);
    // Checked before it is trusted: what cannot be read back is not written.
    const auto relues = decode_ecarts(brut, trames.size());
    bool fidele = relues.size() == trames.size();
    for (std::size_t i = 0; fidele && i < trames.size(); ++i) {
      fidele = relues[i].first == trames[i].tick && relues[i].second == trames[i].texte;
    }
    if (fidele) code = codage::ecarts;
  }
  if (code == codage::textes) brut = index_ + textes_;
  std::unique_ptr<ZSTD_CCtx, libere_cctx> cctx(ZSTD_createCCtx());
  if (!cctx) throw std::bad_alloc();
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, reglages_.niveau);
  ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 1);
  std::string sortie(taille_entete_bloc + ZSTD_compressBound(brut.size()), '\0');
  const std::size_t n = ZSTD_compress2(cctx.get(), sortie.data() + taille_entete_bloc,
                                       sortie.size() - taille_entete_bloc, brut.data(), brut.size());
  if (ZSTD_isError(n)) {
    throw std::runtime_error(chemin_ + " : compression impossible : " + ZSTD_getErrorName(n));
  }
  if (brut.size() > std::numeric_limits<std::uint32_t>::max() ||
      n > std::numeric_limits<std::uint32_t>::max()) {
    throw std::runtime_error(chemin_ + " : bloc de plus de 4 Go");
  }
  entete_bloc e;
  e.premier_tick = premier_du_bloc_;
  e.trames = static_cast<std::uint16_t>(en_cours_);
  e.code = code;
  e.taille_brute = static_cast<std::uint32_t>(brut.size());
  e.taille_compressee = static_cast<std::uint32_t>(n);
  e.etendue = static_cast<std::uint32_t>(dernier_tick_ - premier_du_bloc_);
  const auto entete = encode(e);
  std::memcpy(sortie.data(), entete.data(), entete.size());
  index_.clear();
  textes_.clear();
  en_cours_ = 0;
  const int err = ecrit_tout(fd_, reinterpret_cast<const unsigned char*>(sortie.data()),
                             taille_entete_bloc + n);
  if (err != 0) echec(chemin_, "ecriture impossible", err);
  octets_ += taille_entete_bloc + n;
}

void ecrivain::termine() {
  if (termine_) return;
  termine_ = true;
  ecrit_bloc();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) echec(chemin_, "fermeture impossible", errno);
}

}  // namespace jeu::enregistrement
