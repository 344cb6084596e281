# find_package(jeu_client) gives the imported target jeu_client::jeu_client.
include(CMakeFindDependencyMacro)
find_dependency(Threads)
include("${CMAKE_CURRENT_LIST_DIR}/jeu_clientTargets.cmake")
