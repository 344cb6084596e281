#include "net/session.h"

#include <unistd.h>

namespace jeu {

void client(monde& /*m*/, int socket) { ::close(socket); }

}  // namespace jeu
