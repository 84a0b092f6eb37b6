# Embeds GNU Unifont's 8x16 glyphs for the bytes the text grid can show.
# The glyph table is generated at build time from the Debian package's hex file;
# none of it is kept in the repository.
find_file(STILLMON_UNIFONT_HEX unifont.hex PATHS /usr/share/unifont NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT STILLMON_UNIFONT_HEX)
  message(FATAL_ERROR
    "GNU Unifont was not found (/usr/share/unifont/unifont.hex). "
    "Install the Debian package 'unifont' (scripts/test does this).")
endif()
set(STILLMON_GLYPH_SOURCE ${CMAKE_BINARY_DIR}/generated/unifont_glyphs.cpp)
add_custom_command(
  OUTPUT ${STILLMON_GLYPH_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DHEX=${STILLMON_UNIFONT_HEX} -DOUT=${STILLMON_GLYPH_SOURCE}
          -P ${CMAKE_SOURCE_DIR}/cmake/GenerateGlyphs.cmake
  DEPENDS ${STILLMON_UNIFONT_HEX} ${CMAKE_SOURCE_DIR}/cmake/GenerateGlyphs.cmake
  COMMENT "Embedding Unifont 8x16 glyphs"
  VERBATIM)
