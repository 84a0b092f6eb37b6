# The serial link to the device, on standalone Asio. Only the program and the link's own
# tests link this; the core stays free of Asio.
find_path(STILLMON_ASIO_INCLUDE_DIR asio.hpp)
if(NOT STILLMON_ASIO_INCLUDE_DIR)
  message(FATAL_ERROR "Standalone Asio was not found: install the Debian package 'libasio-dev'.")
endif()
file(GLOB STILLMON_SERIAL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/link/serial_*.cpp)
add_library(stillmon_serial STATIC ${STILLMON_SERIAL_SOURCES})
target_include_directories(stillmon_serial SYSTEM PUBLIC ${STILLMON_ASIO_INCLUDE_DIR})
target_compile_definitions(stillmon_serial PUBLIC ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(stillmon_serial PUBLIC stillmon_core PRIVATE stillmon_warnings)
