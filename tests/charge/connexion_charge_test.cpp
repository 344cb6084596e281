// One connection's behaviour, driven with made-up times: what it writes,
// when, and what it counts.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charge/connexion_charge.h"

namespace jeu::charge {
namespace {

constexpr std::int64_t ms = 1'000'000;

regime par_requetes(std::vector<std::string> requetes, int pipeline, double debit,
                    bool enregistrement) {
  regime r;
  r.requetes = std::move(requetes);
  r.pipeline = pipeline;
  r.debit = debit;
  r.enregistrement = enregistrement;
  return r;
}

// Frames of GET VAISSEAUX, GET BALLES, PUT ACTION GAUCHE every 25 ms; a
// shooter shoots in one frame out of `tir_chaque`.
regime par_trames(std::int64_t periode, int tir_chaque = 10) {
  regime r;
  r.trame = {"GET VAISSEAUX", "GET BALLES", "PUT ACTION GAUCHE"};
  r.periode_trame = periode;
  r.tir_chaque = tir_chaque;
  r.enregistrement = false;
  return r;
}

const std::string trame = "GET VAISSEAUX\r\nGET BALLES\r\nPUT ACTION GAUCHE\r\n";
const std::string trame_tir = trame + "PUT ACTION TIRE\r\n";
// The replies to one frame: two list replies, then OK.
const std::string reponses = "PUT VAISSEAUX 2\r\n1 2 3. 5 7\r\n4 5 6. 5 8\r\nPUT BALLES 1\r\n1 2 7\r\nOK\r\n";

// One connection and what it counted. ouvre() connects it at time 0.
class Connexion : public testing::Test {
 protected:
  connexion_charge& ouvre(regime r, std::int64_t couleur = 0, std::int64_t etablie = 0,
                          bool tireur = false, std::int64_t decalage = 0) {
    regime_ = std::move(r);
    c_.emplace(regime_, couleur, tireur, decalage);
    c_->debut_connexion(0);
    c_->connexion_etablie(etablie, m_);
    return *c_;
  }
  // Takes what the connection wants written.
  std::string ecrit() {
    std::string s;
    std::swap(s, c_->a_ecrire());
    return s;
  }
  void recoit(std::string_view octets, std::int64_t t) { c_->recoit(octets, t, m_); }

  regime regime_;
  std::optional<connexion_charge> c_;
  comptes m_;
};

TEST_F(Connexion, RegistersThenSendsBatchesOfKAndWaitsForAllReplies) {
  regime_ = par_requetes({"GET STATUT", "GET VAISSEAUX"}, 3, 0, true);
  c_.emplace(regime_, 16711680);
  c_->debut_connexion(5);
  c_->connexion_etablie(25, m_);
  EXPECT_EQ(m_.connexion.max(), 20u);
  EXPECT_EQ(ecrit(), "PUT COULEUR VAISSEAU 16711680\r\n");
  EXPECT_EQ(c_->etat_courant(), connexion_charge::etat::enregistrement);

  recoit("VAISSEAU ENREGISTRE\r\n", 30);
  EXPECT_EQ(m_.enregistrement.max(), 5u);
  EXPECT_EQ(ecrit(), "GET STATUT\r\nGET VAISSEAUX\r\nGET STATUT\r\n");
  recoit("PUT STATUT vivant\r\nPUT VAISSEAUX 1\r\n1 2 3. 5 16711680\r\n", 50);
  EXPECT_EQ(ecrit(), "") << "the batch is not fully answered";
  EXPECT_EQ(m_.reponses, 2u);
  recoit("PUT STATUT vivant\r\n", 70);
  EXPECT_EQ(ecrit(), "GET VAISSEAUX\r\nGET STATUT\r\nGET VAISSEAUX\r\n");
  EXPECT_EQ(m_.envoyees, 6u);
  EXPECT_EQ(m_.reponses, 3u);
  EXPECT_EQ(m_.latence.min(), 20u);
  EXPECT_EQ(m_.latence.max(), 40u);
  EXPECT_EQ(m_.erreurs(), 0u);
  EXPECT_EQ(m_.connexions_ouvertes, 1);
}

TEST_F(Connexion, ClosedLoopStopsStartingBatchesOnceStopped) {
  ouvre(par_requetes({"PING"}, 2, 0, false), 0, 1);
  EXPECT_EQ(ecrit(), "PING\r\nPING\r\n");
  c_->arrete();
  EXPECT_EQ(c_->en_suspens(), 2u);
  recoit("+PONG\r\n+PONG\r\n", 9);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(c_->en_suspens(), 0u);
}

TEST_F(Connexion, ErrorRepliesAreAnsweredLikeOthers) {
  ouvre(par_requetes({"GET STATUT", "GET FOO"}, 1, 0, false));
  recoit("PUT STATUT vivant\r\n", 1);
  recoit("ERREUR SYNTAXE\r\n", 2);
  EXPECT_EQ(ecrit(), "GET STATUT\r\nGET FOO\r\nGET STATUT\r\n");
}

// How each way of failing is counted, once, in its own counter.
struct echec {
  const char* nom;
  regime r;
  std::function<void(connexion_charge&, comptes&)> deroule;  // after ouvre()
  std::uint64_t reponses, reponses_erreur, inattendues, enregistrements_refuses, fermetures,
      sans_reponse;
  std::int64_t ouvertes;
  connexion_charge::etat etat_final;
};

void PrintTo(const echec& e, std::ostream* os) { *os << e.nom; }

using etat = connexion_charge::etat;

const std::vector<echec> echecs = {
    {"error_reply", par_requetes({"GET STATUT", "GET FOO"}, 1, 0, false),
     [](connexion_charge& c, comptes& m) {
       c.recoit("PUT STATUT vivant\r\n", 1, m);
       c.recoit("ERREUR SYNTAXE\r\n", 2, m);
     },
     2, 1, 0, 0, 0, 0, 1, etat::active},
    {"reply_nothing_waited_for", par_requetes({"PING"}, 2, 0, false),
     [](connexion_charge& c, comptes& m) {
       c.arrete();
       c.recoit("+PONG\r\n+PONG\r\n+PONG\r\n", 9, m);
     },
     2, 0, 1, 0, 0, 0, 1, etat::active},
    {"registration_refused", par_requetes({"GET STATUT"}, 1, 0, true),
     [](connexion_charge& c, comptes& m) { c.recoit("ERREUR COULEUR UTILISEE\r\n", 2, m); },
     0, 0, 0, 1, 0, 0, 0, etat::fermee},
    {"lost_with_requests_in_flight", par_requetes({"GET CUBES"}, 4, 0, false),
     [](connexion_charge& c, comptes& m) {
       c.recoit("PUT CUBES 1\r\n1 2 3 4\r\n", 2, m);
       c.perdue(m);
     },
     1, 0, 0, 0, 1, 3, 0, etat::fermee},
    {"registration_unanswered_at_the_end", par_requetes({"GET STATUT"}, 1, 0, true),
     [](connexion_charge& c, comptes& m) {
       c.arrete();
       c.abandonne(m);
     },
     0, 0, 0, 0, 0, 1, 1, etat::enregistrement},
    // 10 requests/s from 1 ns: the first at once, two more due by 200 ms + 1 ns, never sent.
    {"due_at_the_end", par_requetes({"PING"}, 1, 10, false),
     [](connexion_charge& c, comptes& m) {
       c.echeance(200 * ms + 1, m);
       c.arrete();
       EXPECT_EQ(c.prochaine_echeance(), std::nullopt);
       c.abandonne(m);
       EXPECT_EQ(m.envoyees, 1u);
     },
     0, 0, 0, 0, 0, 3, 1, etat::active},
};

class Echecs : public Connexion, public testing::WithParamInterface<echec> {};

TEST_P(Echecs, CountedOnceEach) {
  const echec& e = GetParam();
  ouvre(e.r, 3, 1);
  ecrit();
  e.deroule(*c_, m_);
  EXPECT_EQ(c_->etat_courant(), e.etat_final);
  if (e.etat_final == etat::fermee) {
    EXPECT_EQ(ecrit(), "");
  }
  EXPECT_EQ(m_.reponses, e.reponses);
  EXPECT_EQ(m_.reponses_erreur, e.reponses_erreur);
  EXPECT_EQ(m_.inattendues, e.inattendues);
  EXPECT_EQ(m_.enregistrements_refuses, e.enregistrements_refuses);
  EXPECT_EQ(m_.fermetures, e.fermetures);
  EXPECT_EQ(m_.sans_reponse, e.sans_reponse);
  EXPECT_EQ(m_.connexions_echouees, 0u);
  EXPECT_EQ(m_.connexions_ouvertes, e.ouvertes);
  EXPECT_EQ(m_.erreurs(), e.reponses_erreur + e.inattendues + e.enregistrements_refuses +
                              e.fermetures + e.sans_reponse);
}

INSTANTIATE_TEST_SUITE_P(Table, Echecs, testing::ValuesIn(echecs),
                         [](const auto& info) { return std::string(info.param.nom); });

TEST_F(Connexion, FailedConnect) {
  regime_ = par_requetes({"GET STATUT"}, 1, 0, true);
  c_.emplace(regime_, 0);
  c_->debut_connexion(0);
  c_->perdue(m_);
  EXPECT_EQ(c_->etat_courant(), etat::fermee);
  EXPECT_EQ(m_.connexions_echouees, 1u);
  EXPECT_EQ(m_.fermetures, 0u);
  EXPECT_EQ(m_.connexion.nombre(), 0u);
  EXPECT_EQ(m_.erreurs(), 1u);
}

// 10 requests/s: one every 100 ms, the first at activation.
TEST_F(Connexion, FixedRateSendsOnScheduleWhenTheServerKeepsUp) {
  ouvre(par_requetes({"PING"}, 1, 10, false));
  EXPECT_EQ(ecrit(), "PING\r\n");
  EXPECT_EQ(c_->prochaine_echeance(), 100 * ms);
  recoit("+PONG\r\n", 1 * ms);
  EXPECT_EQ(ecrit(), "") << "nothing before the next scheduled time";
  c_->echeance(100 * ms, m_);
  EXPECT_EQ(ecrit(), "PING\r\n");
  recoit("+PONG\r\n", 102 * ms);
  EXPECT_EQ(m_.latence.min(), 1 * ms);
  EXPECT_EQ(m_.latence.max(), 2 * ms);
  EXPECT_EQ(c_->prochaine_echeance(), 200 * ms);
}

// The server stalls 300 ms: requests due meanwhile are sent late but their
// latency runs from when they were due.
TEST_F(Connexion, FixedRateLateRequestsCountFromTheirScheduledTime) {
  ouvre(par_requetes({"PING"}, 1, 10, false));
  ecrit();
  c_->echeance(100 * ms, m_);
  c_->echeance(250 * ms, m_);
  EXPECT_EQ(ecrit(), "") << "one batch in flight at a time";
  EXPECT_EQ(c_->en_suspens(), 3u);
  recoit("+PONG\r\n", 300 * ms);
  EXPECT_EQ(ecrit(), "PING\r\n") << "the late one goes at once";
  recoit("+PONG\r\n", 310 * ms);
  EXPECT_EQ(ecrit(), "PING\r\n");
  recoit("+PONG\r\n", 320 * ms);
  EXPECT_EQ(ecrit(), "") << "caught up";
  EXPECT_EQ(m_.latence.nombre(), 3u);
  EXPECT_EQ(m_.latence.max(), 300 * ms);
  // Due at 100 ms; the histogram reads it to within 0.4%.
  EXPECT_NEAR(static_cast<double>(m_.latence.percentile(50)), 210.0 * ms, 0.004 * 210 * ms);
  EXPECT_EQ(m_.latence.min(), 120 * ms);  // due at 200
  EXPECT_EQ(c_->prochaine_echeance(), 300 * ms);
}

TEST_F(Connexion, FixedRatePipelinedBatchesShareTheirScheduledTime) {
  ouvre(par_requetes({"A", "B", "C"}, 2, 20, false));  // a batch of 2 every 100 ms
  EXPECT_EQ(ecrit(), "A\r\nB\r\n");
  EXPECT_EQ(c_->prochaine_echeance(), 100 * ms);
  c_->echeance(100 * ms, m_);
  EXPECT_EQ(ecrit(), "");
  recoit("OK\r\nOK\r\n", 150 * ms);
  EXPECT_EQ(ecrit(), "C\r\nA\r\n");
  recoit("OK\r\nOK\r\n", 160 * ms);
  EXPECT_EQ(m_.latence.max(), 150 * ms);
  EXPECT_EQ(m_.latence.min(), 60 * ms);
  EXPECT_EQ(m_.envoyees, 4u);
}

TEST_F(Connexion, FrameIsOneWriteTimedFromItsDueTimeToItsLastReply) {
  ouvre(par_trames(25 * ms));
  EXPECT_EQ(ecrit(), trame);
  EXPECT_EQ(c_->en_suspens(), 3u);
  EXPECT_EQ(c_->prochaine_echeance(), 25 * ms);
  // The last byte of the last reply ends the frame, whatever the pieces.
  const std::size_t fin_balles = reponses.find("OK");
  recoit(reponses.substr(0, 20), 1 * ms);
  recoit(reponses.substr(20, fin_balles - 20), 2 * ms);
  EXPECT_EQ(m_.trame.nombre(), 0u) << "two replies of three";
  EXPECT_EQ(m_.reponses, 2u);
  recoit("OK\r", 3 * ms);
  EXPECT_EQ(m_.trame.nombre(), 0u) << "the OK's LF is not there";
  recoit("\n", 4 * ms);
  EXPECT_EQ(m_.trame.nombre(), 1u);
  EXPECT_EQ(m_.trame.max(), 4 * ms);
  EXPECT_EQ(m_.latence.nombre(), 0u) << "frames are timed, not their requests";
  EXPECT_EQ(m_.reponses, 3u);
  EXPECT_EQ(m_.envoyees, 3u);
  EXPECT_EQ(m_.trames_demandees, 1u);
  EXPECT_EQ(c_->en_suspens(), 0u);
  EXPECT_EQ(ecrit(), "") << "the next frame waits for its time";
  c_->echeance(25 * ms, m_);
  EXPECT_EQ(ecrit(), trame);
}

// The server stalls 60 ms: the frames due meanwhile leave one at a time,
// each as soon as the one before is answered, timed from when it was due.
TEST_F(Connexion, LateFramesCountFromTheirDueTime) {
  ouvre(par_trames(25 * ms));
  ecrit();
  c_->echeance(60 * ms, m_);
  EXPECT_EQ(ecrit(), "") << "one frame in flight at a time";
  EXPECT_EQ(m_.trames_demandees, 3u);
  EXPECT_EQ(c_->en_suspens(), 9u);
  recoit(reponses, 60 * ms);
  EXPECT_EQ(ecrit(), trame);
  recoit(reponses, 61 * ms);
  EXPECT_EQ(ecrit(), trame);
  recoit(reponses, 62 * ms);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(m_.trame.nombre(), 3u);
  EXPECT_EQ(m_.trame.max(), 60 * ms);  // due at 0
  EXPECT_EQ(m_.trame.min(), 12 * ms);  // due at 50
  EXPECT_EQ(m_.ecart_trames_max, 1 * ms) << "between frames completed at 60, 61 and 62 ms";
}

// Which frames carry the shot, and what a frame's requests count for.
struct cas_tir {
  const char* nom;
  bool tireur;
  int tir_chaque;
  std::vector<bool> tirs;  // frame by frame
};

void PrintTo(const cas_tir& c, std::ostream* os) { *os << c.nom; }

class Tirs : public Connexion, public testing::WithParamInterface<cas_tir> {};

TEST_P(Tirs, OneFrameInNCarriesTheShot) {
  const cas_tir& c = GetParam();
  ouvre(par_trames(25 * ms, c.tir_chaque), 0, 0, c.tireur);
  std::uint64_t requetes = 0;
  for (std::size_t k = 0; k < c.tirs.size(); ++k) {
    if (k > 0) c_->echeance(static_cast<std::int64_t>(k) * 25 * ms, m_);
    EXPECT_EQ(ecrit(), c.tirs[k] ? trame_tir : trame) << "frame " << k;
    requetes += c.tirs[k] ? 4 : 3;
    EXPECT_EQ(c_->en_suspens(), c.tirs[k] ? 4u : 3u);
    recoit(reponses + (c.tirs[k] ? "OK\r\n" : ""), static_cast<std::int64_t>(k) * 25 * ms + 1);
  }
  EXPECT_EQ(m_.envoyees, requetes);
  EXPECT_EQ(m_.reponses, requetes);
  EXPECT_EQ(m_.trame.nombre(), c.tirs.size());
  EXPECT_EQ(m_.erreurs(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Tirs,
    testing::Values(cas_tir{"not_a_shooter", false, 2, {false, false, false, false}},
                    cas_tir{"every_second_frame", true, 2, {true, false, true, false, true}},
                    cas_tir{"every_frame", true, 1, {true, true, true}},
                    cas_tir{"one_in_ten", true, 10,
                            {true, false, false, false, false, false, false, false, false, false,
                             true}}),
    [](const auto& info) { return std::string(info.param.nom); });

TEST_F(Connexion, FirstFrameFallsItsOffsetAfterActivation) {
  ouvre(par_trames(25 * ms), 0, 100 * ms, false, 7 * ms);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(c_->prochaine_echeance(), 107 * ms);
  c_->echeance(106 * ms, m_);
  EXPECT_EQ(ecrit(), "");
  c_->echeance(107 * ms, m_);
  EXPECT_EQ(ecrit(), trame);
  EXPECT_EQ(c_->prochaine_echeance(), 132 * ms);
}

TEST_F(Connexion, HeldConnectionRegistersAndWaitsForItsRelease) {
  regime r = par_trames(25 * ms);
  r.enregistrement = true;
  regime_ = r;
  c_.emplace(regime_, 9, false, 5 * ms);
  c_->retiens();
  c_->debut_connexion(0);
  c_->connexion_etablie(1 * ms, m_);
  EXPECT_EQ(ecrit(), "PUT COULEUR VAISSEAU 9\r\n");
  recoit("VAISSEAU ENREGISTRE\r\n", 2 * ms);
  EXPECT_EQ(c_->etat_courant(), etat::active);
  EXPECT_EQ(ecrit(), "");
  EXPECT_EQ(c_->prochaine_echeance(), std::nullopt);
  c_->echeance(500 * ms, m_);
  EXPECT_EQ(ecrit(), "") << "held: no frame falls due";
  EXPECT_EQ(m_.trames_demandees, 0u);
  c_->relache(1000 * ms, m_);
  EXPECT_EQ(c_->prochaine_echeance(), 1005 * ms);
  c_->echeance(1005 * ms, m_);
  EXPECT_EQ(ecrit(), trame);
}

TEST_F(Connexion, ClosedLoopFramesFollowEachOther) {
  ouvre(par_trames(0), 0, 0, true);
  EXPECT_EQ(ecrit(), trame_tir);
  EXPECT_EQ(c_->prochaine_echeance(), std::nullopt);
  recoit(reponses + "OK\r\n", 3 * ms);
  EXPECT_EQ(ecrit(), trame);
  recoit(reponses, 5 * ms);
  EXPECT_EQ(m_.trame.min(), 2 * ms);
  EXPECT_EQ(m_.trame.max(), 3 * ms);
  EXPECT_EQ(m_.trames_demandees, 3u);
}

// The end of the run: every request of the frames in flight or due counts
// as unanswered, a shot included.
TEST_F(Connexion, FramesPendingAtTheEndCountTheirRequests) {
  ouvre(par_trames(25 * ms, 2), 0, 0, true);
  EXPECT_EQ(ecrit(), trame_tir);
  c_->echeance(50 * ms, m_);
  c_->arrete();
  c_->abandonne(m_);
  EXPECT_EQ(m_.sans_reponse, 4u + 3u + 4u);
  EXPECT_EQ(c_->en_suspens(), 0u);
}

TEST(Comptes, WindowsAddUpAndResetKeepsTheOpenConnections) {
  comptes a;
  a.trame.enregistre(5);
  a.latence.enregistre(7);
  a.envoyees = 3;
  a.trames_demandees = 2;
  a.reponses = 3;
  a.reponses_erreur = 1;
  a.fermetures = 1;
  a.connexions_ouvertes = 4;
  comptes total;
  total.connexions_ouvertes = 9;
  total.ajoute(a);
  total.ajoute(a);
  EXPECT_EQ(total.trame.nombre(), 2u);
  EXPECT_EQ(total.latence.nombre(), 2u);
  EXPECT_EQ(total.envoyees, 6u);
  EXPECT_EQ(total.trames_demandees, 4u);
  EXPECT_EQ(total.reponses, 6u);
  EXPECT_EQ(total.erreurs(), 4u);
  EXPECT_EQ(total.connexions_ouvertes, 9) << "a level, not a count";
  a.remet_a_zero();
  EXPECT_EQ(a.trame.nombre(), 0u);
  EXPECT_EQ(a.envoyees, 0u);
  EXPECT_EQ(a.erreurs(), 0u);
  EXPECT_EQ(a.connexions_ouvertes, 4);
}

}  // namespace
}  // namespace jeu::charge
