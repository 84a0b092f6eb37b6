# The Debian package, built by scripts/package with CPack: the programs and their manual
# pages come from their own install rules; this adds share/doc/stillmon and the package's
# control fields. Its dependencies are computed from the programs, so nothing used only to
# build or test stillmon is asked for.
include(GNUInstallDirs)

# The README links to the documents as docs/NAME.md, and they show their pictures beside
# them: all keep those places. The manual pages they link to are man's.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(documents operating.md page.md alarms.md mqtt.md fleet.md report.md windows.md figures.md
              development.md layout.md live-run.png live-page.png report.png)
list(TRANSFORM documents PREPEND ${PROJECT_SOURCE_DIR}/docs/)
install(FILES ${documents} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES ${PROJECT_SOURCE_DIR}/docs/examples/stillmon.toml
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Running without a person: the systemd unit template (instance = port digit) with an example
# of its environment file, and the monitoring files for Prometheus and Grafana.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/systemd/stillmon@.service
        DESTINATION lib/systemd/system)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/systemd/stillmon@.env
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/monitoring/prometheus.yml
              ${PROJECT_SOURCE_DIR}/monitoring/stillmon.rules.yml
              ${PROJECT_SOURCE_DIR}/monitoring/stillmon.rules.test.yml
              ${PROJECT_SOURCE_DIR}/monitoring/grafana-dashboard.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/stillmon/monitoring)

# Debian keeps the GPL's text in /usr/share/common-licenses: the copyright file refers to it
# rather than holding LICENSE whole.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A package whose newest changelog entry names another version confuses every tool that
# reads it, so a version bump without an entry stops here.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog newest_entry LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "^stillmon \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog has no entry for ${PROJECT_VERSION} on top: add one.")
endif()
stillmon_install_compressed(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stillmon)
set(CPACK_PACKAGE_VENDOR "the stillmon developers")
set(CPACK_PACKAGE_CONTACT "stillmon developers <stillmon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for an alcohol distillation column")
# Debian shows the description as written: lines under 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "stillmon reads the telemetry frames of a distillation column's measuring and\n"
  "control device over a USB serial port. It derives the strength of the boiling\n"
  "liquid and of the vapour, counts the equilibrium stages between them, charts\n"
  "every channel in a graphics window and keeps a text and a binary log of the\n"
  "run. It also replays saved logs.\n"
  "\n"
  "stillsim, included, plays the device on a pseudo-terminal, for trying stillmon\n"
  "without hardware.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
