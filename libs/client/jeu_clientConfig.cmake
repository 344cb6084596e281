# find_package(jeu_client) gives the imported target jeu_client::jeu_client.
include("${CMAKE_CURRENT_LIST_DIR}/jeu_clientTargets.cmake")
