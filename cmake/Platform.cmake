# The chart window: SDL2 for the window and its keys, SDL2_image for PNG snapshots. Core code
# never includes these; only the program and the platform tests link them.

find_package(PkgConfig REQUIRED)
find_package(SDL2 REQUIRED)
pkg_check_modules(SDL2_IMAGE REQUIRED IMPORTED_TARGET SDL2_image)

file(GLOB STILLMON_WINDOW_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/display/sdl_*.cpp)
add_library(stillmon_window STATIC ${STILLMON_WINDOW_SOURCES})
target_link_libraries(stillmon_window
  PUBLIC stillmon_core SDL2::SDL2 PkgConfig::SDL2_IMAGE
  PRIVATE stillmon_warnings)
