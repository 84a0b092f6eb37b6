# cmake -DOUT=web_assets.cpp -DHEADER=web/page_assets.h -DASSETS=name=path,name=path -P EmbedTextAssets.cmake
# Writes one function per text file, `std::string_view name()`, returning the file's bytes
# as a raw string literal: the page and its scripts are part of the program, which needs no
# files beside it and no network to serve them.
set(delimiter "stillmon_asset")
string(REPLACE "," ";" assets "${ASSETS}")
set(functions "")
foreach(asset IN LISTS assets)
  string(FIND "${asset}" "=" at)
  string(SUBSTRING "${asset}" 0 ${at} name)
  math(EXPR path_at "${at} + 1")
  string(SUBSTRING "${asset}" ${path_at} -1 path)
  file(READ "${path}" content)
  string(FIND "${content}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${path} holds the raw string delimiter ${delimiter}")
  endif()
  string(APPEND functions
    "// ${path}\nstd::string_view ${name}() {\n    return R\"${delimiter}(${content})${delimiter}\";\n}\n\n")
endforeach()
file(WRITE "${OUT}.tmp"
"// Generated at build time from the files named below. Do not edit.
#include \"${HEADER}\"

namespace stillmon {

${functions}}  // namespace stillmon
")
file(RENAME "${OUT}.tmp" "${OUT}")
