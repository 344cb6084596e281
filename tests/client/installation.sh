#!/usr/bin/env bash
# Installs the jeu_client component of a build, alone, into a scratch
# prefix; builds the example program against it with pkg-config and with
# find_package(jeu_client); runs both against the real server.
# Usage: installation.sh BUILD_DIR WORK_DIR EXAMPLES_DIR SERVER CXX GENERATOR [EXTRA_FLAGS]
set -euo pipefail
build=$1 travail=$2 exemples=$3 serveur=$4 cxx=$5 generateur=$6 extra=${7:-}
prefixe=$travail/prefixe
rm -rf "$travail"
cmake --install "$build" --prefix "$prefixe" --component jeu_client >/dev/null

# Exactly the library's files, nothing else of the project.
installes=$(cd "$prefixe" && find . -type f | sed 's/Targets-[a-z]*\.cmake$/Targets-CONFIG.cmake/' | LC_ALL=C sort)
attendus=$(printf '%s\n' ./include/jeu_client.h ./lib/cmake/jeu_client/jeu_clientConfig{,Version}.cmake \
  ./lib/cmake/jeu_client/jeu_clientTargets{-CONFIG,}.cmake ./lib/libjeu_client.a ./lib/pkgconfig/jeu_client.pc)
[ "$installes" = "$attendus" ] || { printf 'installed:\n%s\n' "$installes" >&2; exit 1; }

export PKG_CONFIG_PATH=$prefixe/lib/pkgconfig
# shellcheck disable=SC2046,SC2086  # flags are split on purpose
"$cxx" -std=c++20 -Wall -Wextra -Werror $extra "$exemples/premier_bot.cpp" \
  $(pkg-config --cflags --libs jeu_client) -o "$travail/premier_bot_pc"
cmake -S "$exemples" -B "$travail/exemple" -G "$generateur" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$prefixe" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror $extra" \
  -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build "$travail/exemple" >/dev/null

# A server on a free port (it exits with status 2 when the port is taken),
# waited for with a deadline.
serveur_pid=""
trap '[ -z "$serveur_pid" ] || kill "$serveur_pid"' EXIT
ecoute() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for _ in $(seq 20); do
  port=$((20000 + RANDOM % 40000))
  ecoute "$port" && continue
  "$serveur" "$port" >/dev/null 2>&1 &
  serveur_pid=$!
  for _ in $(seq 200); do
    ecoute "$port" && break 2
    kill -0 "$serveur_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$serveur_pid" 2>/dev/null || true
  serveur_pid=""
done
[ -n "$serveur_pid" ] || { echo "no server could be started" >&2; exit 1; }

for programme in "$travail/premier_bot_pc" "$travail/exemple/premier_bot"; do
  debut=$(date +%s%N)
  sortie=$("$programme" 127.0.0.1 "$port")
  duree_ms=$((($(date +%s%N) - debut) / 1000000))
  echo "$programme: $sortie (${duree_ms} ms)"
  # Four counts, each of at least its own ship.
  [ "$(grep -cE '^[1-9][0-9]* vaisseaux$' <<<"$sortie")" -eq 4 ] || { echo "unexpected output" >&2; exit 1; }
  # 200 frames, one per tick of 25 ms: never less than 5 s, however fast the machine.
  [ "$duree_ms" -ge 4975 ] || { echo "200 frames in $duree_ms ms: not one per tick" >&2; exit 1; }
done

# A port that is not a number: a message and status 1, not an abort.
if erreurs=$("$travail/premier_bot_pc" 127.0.0.1 notaport 2>&1); then
  echo "premier_bot accepted the port notaport" >&2; exit 1
else
  statut=$?
fi
[ "$statut" -eq 1 ] && grep -q 'port must be a number' <<<"$erreurs" ||
  { echo "premier_bot notaport: status $statut, $erreurs" >&2; exit 1; }
