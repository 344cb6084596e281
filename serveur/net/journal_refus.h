#pragma once

#include <cstdint>
#include <string>

namespace jeu {

// Refused registration lines logged per connection; further ones are only
// counted, so that one connection cannot flood the log.
inline constexpr int refus_journalises_max = 20;

// The log of one connection's refused registrations, within its budget.
// No lock: one session owns it.
class journal_refus {
 public:
  // What to log for one more refusal whose log line is `ligne`: the line
  // while the budget lasts, then once a line saying that further refusals
  // of this connection are not logged, then nothing.
  std::string note(std::string ligne);
  // When the connection leaves the registration phase: how many refusals
  // were not logged, as a log line ("" when none).
  std::string bilan() const;

 private:
  std::int64_t refus_ = 0;
};

}  // namespace jeu
