# The alert rules a distillery's Prometheus takes, checked and put through their promtool unit
# tests (e2e/tests.cmake has three columns scraped by a real Prometheus).
find_program(STILLMON_PROMTOOL promtool REQUIRED)
add_test(NAME monitoring.rules_check
         COMMAND ${STILLMON_PROMTOOL} check rules stillmon.rules.yml
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/monitoring)
add_test(NAME monitoring.rules_test
         COMMAND ${STILLMON_PROMTOOL} test rules stillmon.rules.test.yml
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/monitoring)
set_tests_properties(monitoring.rules_check monitoring.rules_test PROPERTIES
  LABELS unit TIMEOUT 60)
