# cmake -DHEX=unifont.hex -DOUT=unifont_glyphs.cpp -P GenerateGlyphs.cmake
# Writes the 8x16 glyph rows of bytes 0x20-0x7E and 0xA0-0xFF (Latin-1);
# every other byte stays an empty cell.
file(STRINGS "${HEX}" lines REGEX "^00[0-9A-Fa-f][0-9A-Fa-f]:[0-9A-Fa-f]+$")
set(glyphs "")
foreach(code RANGE 255)
  set(rows "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0")
  if((code GREATER_EQUAL 32 AND code LESS_EQUAL 126) OR code GREATER_EQUAL 160)
    math(EXPR code_hex "${code}" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${code_hex}" 2 -1 digits)
    string(TOUPPER "${digits}" digits)
    string(LENGTH "${digits}" len)
    if(len EQUAL 1)
      set(digits "0${digits}")
    endif()
    set(found "")
    foreach(line IN LISTS lines)
      if(line MATCHES "^00${digits}:([0-9A-Fa-f]+)$")
        set(found "${CMAKE_MATCH_1}")
        break()
      endif()
    endforeach()
    string(LENGTH "${found}" found_len)
    if(found_len EQUAL 0)
      message(FATAL_ERROR "Unifont has no glyph for byte 0x${digits}")
    endif()
    # Unifont draws a few control-like code points (the soft hyphen, 0xAD) as 16x16
    # placeholder boxes; those cannot fit a cell and stay empty.
    if(found_len EQUAL 32)
      set(rows "")
      foreach(i RANGE 0 30 2)
        string(SUBSTRING "${found}" ${i} 2 pair)
        string(APPEND rows "0x${pair},")
      endforeach()
    endif()
  endif()
  string(APPEND glyphs "    {${rows}},\n")
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated at build time from GNU Unifont (${HEX}). Do not edit.
#include \"display/glyphs.h\"

namespace stillmon {
namespace {
constexpr std::array<GlyphRows, 256> unifont_glyphs{{
${glyphs}}};
}  // namespace

const GlyphRows& glyph_rows(unsigned char byte) { return unifont_glyphs[byte]; }
}  // namespace stillmon
")
file(RENAME "${OUT}.tmp" "${OUT}")
