#include "net/listes_partagees.h"

#include "net/protocole.h"

namespace jeu {

namespace {

template <class Liste>
void prend(texte_partage& texte, const Liste& liste, std::uint64_t version, std::string_view mot,
           liste_partagee& l) {
  const auto& blocs = texte.blocs(liste.size(), version,
                                  [&](std::size_t debut, std::size_t fin, std::string& t) {
                                    for (std::size_t i = debut; i < fin; ++i) ajoute_ligne(t, liste[i]);
                                  });
  l.entete.clear();
  ajoute_entete(l.entete, mot, liste.size());
  l.blocs.assign(blocs.begin(), blocs.end());
}

}  // namespace

void liste_partagee::ajoute(std::string& sortie) const {
  std::size_t taille = entete.size();
  for (const auto& b : blocs) taille += b->size();
  sortie.reserve(sortie.size() + taille);
  sortie += entete;
  for (const auto& b : blocs) sortie += *b;
}

void liste_partagee::transmet(tampon_sortie& sortie) {
  sortie.ajoute(entete);
  for (auto& b : blocs) sortie.ajoute(std::move(b));
  vide();
}

void liste_partagee::vide() {
  // A huge list's array of references is not kept between requests.
  constexpr std::size_t garde_max = 256;
  if (blocs.capacity() > garde_max) {
    std::vector<texte_partage::bloc>().swap(blocs);
  } else {
    blocs.clear();
  }
}

void prend_vaisseaux(const monde& m, liste_partagee& l) {
  prend(m.texte_vaisseaux, m.vaisseaux, 0, "PUT VAISSEAUX ", l);
}

void prend_cubes(const monde& m, liste_partagee& l) {
  prend(m.texte_cubes, m.cubes, 0, "PUT CUBES ", l);
}

void prend_balles(const monde& m, liste_partagee& l) {
  prend(m.texte_balles, m.balles, m.balles.version(), "PUT BALLES ", l);
}

}  // namespace jeu
