// The HTTP side in-process, read by an HTTP client: the page, the stream's
// start and events, and the limit on viewers.
#include "spectateur/http.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "spectateur/page.h"
#include "commun/attente.h"

namespace jeu::spectateur {
namespace {

using namespace std::chrono_literals;

class ServeurHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = http_.ecoute("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
    fil_ = std::thread([this] { http_.sert(); });
  }
  void TearDown() override {
    d_.ferme();
    http_.arrete();
    fil_.join();
  }
  // Reads "/flux" until `assez` holds for what came; returns the status.
  int lit_flux(std::string& recu, const std::function<bool(const std::string&)>& assez) {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(10s);
    int statut = -1;
    client.Get(
        "/flux",
        [&](const httplib::Response& r) {
          statut = r.status;
          if (statut == 200) {
            EXPECT_EQ(r.get_header_value("Content-Type"), "text/event-stream");
          }
          return true;
        },
        [&](const char* octets, std::size_t n) {
          recu.append(octets, n);
          return !assez(recu);
        });
    return statut;
  }

  diffusion d_;
  serveur_http http_{d_, 1};
  int port_ = 0;
  std::thread fil_;
};

TEST_F(ServeurHttp, PageAndOneStreamPerViewerUpToTheLimit) {
  httplib::Client client("127.0.0.1", port_);
  const auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(page->body, page_html());
  // Nothing is fetched from elsewhere.
  EXPECT_EQ(page->body.find("http"), std::string::npos);
  EXPECT_EQ(page->body.find("url("), std::string::npos);

  d_.publie_statut("{\"connecte\":true}");
  d_.publie_image("{\"n\":1}");
  std::string recu;
  std::atomic<bool> premier_a_lu = false;
  std::atomic<int> statut_premier = 0;
  std::thread premier([&] {
    statut_premier = lit_flux(recu, [&](const std::string& r) {
      if (r.find("data: {\"n\":1}") != std::string::npos) premier_a_lu = true;
      return r.find("data: {\"n\":2}") != std::string::npos;
    });
  });
  ASSERT_TRUE(commun::attend_jusqua([&] { return premier_a_lu.load(); }, 10s));
  // One viewer at most here: a second one is refused while the first reads.
  std::string refuse;
  EXPECT_EQ(lit_flux(refuse, [](const std::string&) { return false; }), 503);
  d_.publie_image("{\"n\":2}");
  premier.join();
  EXPECT_EQ(statut_premier, 200);
  EXPECT_EQ(recu,
            "retry: 1000\n\nevent: statut\ndata: {\"connecte\":true}\n\n"
            "event: image\ndata: {\"n\":1}\n\nevent: image\ndata: {\"n\":2}\n\n");

  // The first viewer's place is freed once its stream finds it gone.
  std::string encore;
  EXPECT_TRUE(commun::attend_jusqua(
      [&] {
        d_.publie_image("{\"n\":3}");
        encore.clear();
        return lit_flux(encore, [](const std::string& r) {
                 return r.find("event: image") != std::string::npos;
               }) == 200;
      },
      10s, 50ms));
}

}  // namespace
}  // namespace jeu::spectateur
