#pragma once

// Headless Chromium driven through its DevTools pipe (--remote-debugging-pipe:
// JSON commands on descriptor 3, replies on 4, each ended by a NUL byte):
// open a page, evaluate script in it, take a screenshot. A screenshot taken
// when the page says it has drawn, rather than at a fixed time, does not
// depend on how busy the machine is.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace jeu::test {

// An RGB image.
struct image_rgb {
  int largeur = 0;
  int hauteur = 0;
  std::vector<std::uint8_t> octets;  // 3 per pixel, rows top to bottom
  // 0xRRGGBB of pixel (x, y), or -1 outside the image.
  std::int64_t pixel(int x, int y) const;
};

class navigateur {
 public:
  // Starts chromium with a new profile and a viewport of largeur x hauteur
  // CSS pixels at one device pixel each. nullptr when it cannot start, with
  // the reason in `pourquoi`.
  static std::unique_ptr<navigateur> lance(int largeur, int hauteur, std::string& pourquoi);
  // Closes the browser; kills its process group if it lingers.
  ~navigateur();
  navigateur(const navigateur&) = delete;
  navigateur& operator=(const navigateur&) = delete;

  // Loads `url` in the page. Every call below throws std::runtime_error
  // when the browser fails, closes, or is silent for 30 s.
  void ouvre(const std::string& url);
  // The value of `expression` evaluated in the page (JSON-serialisable).
  nlohmann::json evalue(const std::string& expression);
  // The viewport as a PNG file's bytes.
  std::vector<std::uint8_t> capture_png();

 private:
  navigateur() = default;
  nlohmann::json commande(const std::string& methode, nlohmann::json parametres,
                          bool dans_la_page = true);

  pid_t pid_ = -1;
  int vers_chromium_ = -1;
  int depuis_chromium_ = -1;
  std::string profil_;
  std::string session_;
  std::string recu_;
  int numero_ = 0;
};

// Decodes a PNG file's bytes; throws std::runtime_error if it is not one.
image_rgb decode_png(const std::vector<std::uint8_t>& png);

}  // namespace jeu::test
