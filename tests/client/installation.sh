#!/usr/bin/env bash
# Installs the jeu_client component of a build, alone, into a scratch
# prefix; builds the example program against it with pkg-config and with
# find_package(jeu_client); runs both against the real server.
# Usage: installation.sh BUILD_DIR WORK_DIR EXAMPLES_DIR SERVER CXX GENERATOR [EXTRA_FLAGS]
set -euo pipefail
build=$1 travail=$2 exemples=$3 serveur=$4 cxx=$5 generateur=$6 extra=${7:-}

rm -rf "$travail"
mkdir -p "$travail"
prefixe=$travail/prefixe
cmake --install "$build" --prefix "$prefixe" --component jeu_client >/dev/null

# Exactly the library's files, nothing else of the project.
installes=$(cd "$prefixe" && find . -type f | sed 's/Targets-[a-z]*\.cmake$/Targets-CONFIG.cmake/' | sort)
attendus="./include/jeu_client.h
./lib/cmake/jeu_client/jeu_clientConfig.cmake
./lib/cmake/jeu_client/jeu_clientConfigVersion.cmake
./lib/cmake/jeu_client/jeu_clientTargets-CONFIG.cmake
./lib/cmake/jeu_client/jeu_clientTargets.cmake
./lib/libjeu_client.a
./lib/pkgconfig/jeu_client.pc"
if [ "$installes" != "$attendus" ]; then
  printf 'installed:\n%s\nexpected:\n%s\n' "$installes" "$attendus" >&2
  exit 1
fi

# With pkg-config, as the README shows.
export PKG_CONFIG_PATH=$prefixe/lib/pkgconfig
read -r -a drapeaux_pc <<<"$(pkg-config --cflags --libs jeu_client)"
read -r -a drapeaux_extra <<<"$extra"
"$cxx" -std=c++20 -Wall -Wextra -Werror "${drapeaux_extra[@]}" "$exemples/premier_bot.cpp" \
  "${drapeaux_pc[@]}" -o "$travail/premier_bot_pc"

# With find_package, from the examples' own CMake project.
cmake -S "$exemples" -B "$travail/exemple" -G "$generateur" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_PREFIX_PATH="$prefixe" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror $extra" \
  -DCMAKE_EXE_LINKER_FLAGS="$extra" >/dev/null
cmake --build "$travail/exemple" >/dev/null

# A server on a free port: the server exits with status 2 when its port is taken.
serveur_pid=""
trap '[ -n "$serveur_pid" ] && kill "$serveur_pid" 2>/dev/null; true' EXIT
ecoute() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for essai in $(seq 20); do
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
  sortie=$("$programme" 127.0.0.1 "$port")
  echo "$programme: $sortie"
  # Four counts, each of at least its own ship.
  [ "$(grep -cE '^[1-9][0-9]* vaisseaux$' <<<"$sortie")" -eq 4 ] ||
    { echo "unexpected output from $programme" >&2; exit 1; }
done
