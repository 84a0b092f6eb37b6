# Installed documentation: each program's manual page (one hand-written roff source per
# program in man/, installed by the program's own rules) and the files Debian expects in
# share/doc/stillmon.
include(GNUInstallDirs)

# Installs SOURCE compressed as DESTINATION/NAME.gz, as Debian keeps manual pages and
# changelogs. gzip -n leaves the name and time out of the header, so the same file always
# makes the same package.
function(stillmon_install_compressed source destination)
  get_filename_component(name ${source} NAME)
  string(MAKE_C_IDENTIFIER ${name} target)
  set(copy ${CMAKE_BINARY_DIR}/compressed/${name})
  add_custom_command(
    OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  add_custom_target(compressed_${target} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

# Installs man/NAME.1 as share/man/man1/NAME.1.gz (or man/NAME.SECTION in its section).
function(stillmon_add_man_page name)
  set(section 1)
  if(ARGC GREATER 1)
    set(section ${ARGV1})
  endif()
  stillmon_install_compressed(${PROJECT_SOURCE_DIR}/man/${name}.${section}
                              ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
