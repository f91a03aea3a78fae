# The program's version text, from project(... VERSION ...), as a header of its own so that a
# new version rebuilds only what shows or sends it.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/version/tellvaro/version.h
               @ONLY)
add_library(tellvaro_version INTERFACE)
target_include_directories(tellvaro_version INTERFACE ${CMAKE_BINARY_DIR}/version)
