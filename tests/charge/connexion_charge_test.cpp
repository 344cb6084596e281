// One connection's behaviour, driven with made-up times: what it writes,
// when, and what it counts.
#include <gtest/gtest.h>

#include <string>

#include "charge/connexion_charge.h"

namespace jeu::charge {
namespace {

constexpr std::int64_t ms = 1'000'000;

// Takes what the connection wants written.
std::string ecrit(connexion_charge& c) {
  std::string s;
  std::swap(s, c.a_ecrire());
  return s;
}

TEST(BoucleFermee, RegistersThenSendsBatchesOfKAndWaitsForAllReplies) {
  const regime r{{"GET STATUT", "GET VAISSEAUX"}, 3, 0, true};
  connexion_charge c(r, 16711680);
  comptes m;
  c.debut_connexion(5);
  c.connexion_etablie(25, m);
  EXPECT_EQ(m.connexion.max(), 20u);
  EXPECT_EQ(ecrit(c), "PUT COULEUR VAISSEAU 16711680\r\n");
  EXPECT_EQ(c.etat_courant(), connexion_charge::etat::enregistrement);

  c.recoit("VAISSEAU ENREGISTRE\r\n", 30, m);
  EXPECT_EQ(m.enregistrement.max(), 5u);
  EXPECT_EQ(ecrit(c), "GET STATUT\r\nGET VAISSEAUX\r\nGET STATUT\r\n");
  c.recoit("PUT STATUT vivant\r\nPUT VAISSEAUX 1\r\n1 2 3. 5 16711680\r\n", 50, m);
  EXPECT_EQ(ecrit(c), "") << "the batch is not fully answered";
  EXPECT_EQ(m.reponses, 2u);
  c.recoit("PUT STATUT vivant\r\n", 70, m);
  EXPECT_EQ(ecrit(c), "GET VAISSEAUX\r\nGET STATUT\r\nGET VAISSEAUX\r\n");
  EXPECT_EQ(m.envoyees, 6u);
  EXPECT_EQ(m.reponses, 3u);
  EXPECT_EQ(m.latence.min(), 20u);
  EXPECT_EQ(m.latence.max(), 40u);
  EXPECT_EQ(m.erreurs(), 0u);
  EXPECT_EQ(m.connexions_ouvertes, 1);
}

TEST(BoucleFermee, StopsStartingBatchesOnceStopped) {
  const regime r{{"PING"}, 2, 0, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(1, m);
  EXPECT_EQ(ecrit(c), "PING\r\nPING\r\n");
  c.arrete();
  EXPECT_EQ(c.en_suspens(), 2u);
  c.recoit("+PONG\r\n+PONG\r\n", 9, m);
  EXPECT_EQ(ecrit(c), "");
  EXPECT_EQ(c.en_suspens(), 0u);
  c.recoit("+PONG\r\n", 10, m);
  EXPECT_EQ(m.inattendues, 1u);
  EXPECT_EQ(m.erreurs(), 1u);
}

TEST(Connexion, ErrorRepliesAreCountedAndAnswered) {
  const regime r{{"GET STATUT", "GET FOO"}, 1, 0, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(0, m);
  c.recoit("PUT STATUT vivant\r\n", 1, m);
  c.recoit("ERREUR SYNTAXE\r\n", 2, m);
  EXPECT_EQ(m.reponses, 2u);
  EXPECT_EQ(m.reponses_erreur, 1u);
  EXPECT_EQ(m.erreurs(), 1u);
  EXPECT_EQ(ecrit(c), "GET STATUT\r\nGET FOO\r\nGET STATUT\r\n");
}

TEST(Connexion, RefusedRegistrationClosesIt) {
  const regime r{{"GET STATUT"}, 1, 0, true};
  connexion_charge c(r, 3);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(1, m);
  ecrit(c);
  c.recoit("ERREUR COULEUR UTILISEE\r\n", 2, m);
  EXPECT_EQ(c.etat_courant(), connexion_charge::etat::fermee);
  EXPECT_EQ(ecrit(c), "");
  EXPECT_EQ(m.enregistrements_refuses, 1u);
  EXPECT_EQ(m.connexions_ouvertes, 0);
  EXPECT_EQ(m.erreurs(), 1u);
}

TEST(Connexion, LostWithRequestsInFlight) {
  const regime r{{"GET CUBES"}, 4, 0, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(1, m);
  c.recoit("PUT CUBES 1\r\n1 2 3 4\r\n", 2, m);
  c.perdue(m);
  EXPECT_EQ(c.etat_courant(), connexion_charge::etat::fermee);
  EXPECT_EQ(m.reponses, 1u);
  EXPECT_EQ(m.sans_reponse, 3u);
  EXPECT_EQ(m.fermetures, 1u);
  EXPECT_EQ(m.connexions_ouvertes, 0);
  EXPECT_EQ(m.erreurs(), 4u);
}

TEST(Connexion, RegistrationUnansweredAtTheEnd) {
  const regime r{{"GET STATUT"}, 1, 0, true};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(1, m);
  c.arrete();
  c.abandonne(m);
  EXPECT_EQ(m.sans_reponse, 1u);
  EXPECT_EQ(m.erreurs(), 1u);
}

TEST(Connexion, FailedConnect) {
  const regime r{{"GET STATUT"}, 1, 0, true};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.perdue(m);
  EXPECT_EQ(c.etat_courant(), connexion_charge::etat::fermee);
  EXPECT_EQ(m.connexions_echouees, 1u);
  EXPECT_EQ(m.fermetures, 0u);
  EXPECT_EQ(m.connexion.nombre(), 0u);
}

// 10 requests/s: one every 100 ms, the first at activation.
TEST(DebitFixe, SendsOnScheduleWhenTheServerKeepsUp) {
  const regime r{{"PING"}, 1, 10, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(0, m);
  EXPECT_EQ(ecrit(c), "PING\r\n");
  EXPECT_EQ(c.prochaine_echeance(), 100 * ms);
  c.recoit("+PONG\r\n", 1 * ms, m);
  EXPECT_EQ(ecrit(c), "") << "nothing before the next scheduled time";
  c.echeance(100 * ms, m);
  EXPECT_EQ(ecrit(c), "PING\r\n");
  c.recoit("+PONG\r\n", 102 * ms, m);
  EXPECT_EQ(m.latence.min(), 1 * ms);
  EXPECT_EQ(m.latence.max(), 2 * ms);
  EXPECT_EQ(c.prochaine_echeance(), 200 * ms);
}

// The server stalls 300 ms: requests due meanwhile are sent late but their
// latency runs from when they were due.
TEST(DebitFixe, LateRequestsCountFromTheirScheduledTime) {
  const regime r{{"PING"}, 1, 10, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(0, m);
  ecrit(c);
  c.echeance(100 * ms, m);
  c.echeance(250 * ms, m);
  EXPECT_EQ(ecrit(c), "") << "one batch in flight at a time";
  EXPECT_EQ(c.en_suspens(), 3u);
  c.recoit("+PONG\r\n", 300 * ms, m);
  EXPECT_EQ(ecrit(c), "PING\r\n") << "the late one goes at once";
  c.recoit("+PONG\r\n", 310 * ms, m);
  EXPECT_EQ(ecrit(c), "PING\r\n");
  c.recoit("+PONG\r\n", 320 * ms, m);
  EXPECT_EQ(ecrit(c), "") << "caught up";
  EXPECT_EQ(m.latence.nombre(), 3u);
  EXPECT_EQ(m.latence.max(), 300 * ms);
  // Due at 100 ms; the histogram reads it to within 0.4%.
  EXPECT_NEAR(static_cast<double>(m.latence.percentile(50)), 210.0 * ms, 0.004 * 210 * ms);
  EXPECT_EQ(m.latence.min(), 120 * ms);                                       // due at 200
  EXPECT_EQ(c.prochaine_echeance(), 300 * ms);
}

TEST(DebitFixe, PipelinedBatchesShareTheirScheduledTime) {
  const regime r{{"A", "B", "C"}, 2, 20, false};  // a batch of 2 every 100 ms
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(0, m);
  EXPECT_EQ(ecrit(c), "A\r\nB\r\n");
  EXPECT_EQ(c.prochaine_echeance(), 100 * ms);
  c.echeance(100 * ms, m);
  EXPECT_EQ(ecrit(c), "");
  c.recoit("OK\r\nOK\r\n", 150 * ms, m);
  EXPECT_EQ(ecrit(c), "C\r\nA\r\n");
  c.recoit("OK\r\nOK\r\n", 160 * ms, m);
  EXPECT_EQ(m.latence.max(), 150 * ms);
  EXPECT_EQ(m.latence.min(), 60 * ms);
  EXPECT_EQ(m.envoyees, 4u);
}

TEST(DebitFixe, WhatIsDueAtTheEndCountsAsUnanswered) {
  const regime r{{"PING"}, 1, 10, false};
  connexion_charge c(r, 0);
  comptes m;
  c.debut_connexion(0);
  c.connexion_etablie(0, m);
  c.echeance(200 * ms, m);
  c.arrete();
  EXPECT_EQ(c.prochaine_echeance(), std::nullopt);
  c.abandonne(m);
  EXPECT_EQ(m.sans_reponse, 3u);
  EXPECT_EQ(m.envoyees, 1u);
}

}  // namespace
}  // namespace jeu::charge
