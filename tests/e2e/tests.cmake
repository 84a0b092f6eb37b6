# End-to-end runs of stillmon itself under a virtual X server (label "e2e": they need Xvfb,
# xdotool, xwd, tmux, GNU Unifont's hex file, and for the page Chromium and the Prometheus
# client's parser): live mode against the device simulator or a
# device played by the test, and replays of saved logs.
set(STILLMON_E2E_ENVIRONMENT
  "STILLMON=$<TARGET_FILE:stillmon>"
  "STILLSIM=$<TARGET_FILE:stillsim>"
  "STILLMON_REPORT=$<TARGET_FILE:stillmon-report>"
  "STILLMON_E2E_FAILURES=${CMAKE_BINARY_DIR}/e2e-failures")
# Preloaded into stillmon by the MQTT tests: libmosquitto refuses to publish the states.
if(STILLMON_MQTT)
  add_library(mosquitto_refusals MODULE ${CMAKE_CURRENT_LIST_DIR}/mosquitto_refusals.cpp)
  target_link_libraries(mosquitto_refusals PRIVATE stillmon_warnings ${CMAKE_DL_LIBS})
  list(APPEND STILLMON_E2E_ENVIRONMENT "MOSQUITTO_REFUSALS=$<TARGET_FILE:mosquitto_refusals>")
endif()
if(STILLMON_SANITIZE)
  list(APPEND STILLMON_E2E_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# One CTest entry per test class, so they can run side by side, each with its own X server
# and its own files in a directory of its own.
function(stillmon_add_e2e_suites module prefix timeout_s)
  foreach(suite ${ARGN})
    add_test(NAME e2e.${prefix}.${suite}
             COMMAND ${Python3_EXECUTABLE} -m unittest -v ${module}.${suite}
             WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
    set_tests_properties(e2e.${prefix}.${suite} PROPERTIES
      LABELS e2e
      TIMEOUT ${timeout_s}
      ENVIRONMENT "${STILLMON_E2E_ENVIRONMENT}")
  endforeach()
endfunction()

stillmon_add_e2e_suites(live_test live 180
  LiveStartup LiveLogs LiveEnds LiveKeys LiveTiming LiveStall LiveHonestLogs)
# The scenario of silences, an unplugged device and a lost byte takes the longest (about
# 40 s): start it first.
set_tests_properties(e2e.live.LiveHonestLogs PROPERTIES COST 100)

stillmon_add_e2e_suites(replay_test replay 300
  ReplayScreen ReplayKeys ReplaySilentEndings ReplayBadInput HeadlessPrompt ReplayRoundTrip)

# The live page: Chromium, the API against the log, bad requests, and 20 polling clients for
# STILLMON_PAGE_LOAD_S seconds (60 by default).
stillmon_add_e2e_suites(page_test page 240 PageInBrowser PageApi PageAlarms PageLoad)
set_tests_properties(e2e.page.PageLoad PROPERTIES COST 90)

# stillmon-report on a saved log, its report opened in headless Chromium (no X server needed),
# and on the logs of a live run against the simulator.
stillmon_add_e2e_suites(report_test report 180 ReportOfSavedRun ReportOfLiveRun
  ReportOfAppendedRuns ComparedRuns)

# Hostile page clients, devices and inputs: the run goes on and keeps logging.
stillmon_add_e2e_suites(hostile_test hostile 180 Hostile)

# The alarms: the window's row and tone.
stillmon_add_e2e_suites(alarm_window_test alarm_window 120 AlarmWindow)
# Where a live run's alarms go: webhooks (a local receiver, and one that never answers),
# commands and the events file; a replay sends nothing.
stillmon_add_e2e_suites(alarm_test alarm 180 AlarmDelivery)

# The operator's marks: said, shown, kept in the journal beside the logs, and replayed.
stillmon_add_e2e_suites(mark_test mark 120 Marks)

# Publishing to an MQTT broker: Mosquitto started by the tests (anonymous, with passwords,
# with TLS), paho as the subscriber, Jinja2 rendering Home Assistant's templates.
stillmon_add_e2e_suites(mqtt_test mqtt 180 MqttPublishing MqttFaults)

# The systemd unit's command run as the unit runs it, as a user of its own with its
# credential, against the simulator and a broker.
stillmon_add_e2e_suites(service_test service 120 ServiceRecipe)

# Three columns without a window, scraped by a real Prometheus with the shipped rules and
# dashboard.
stillmon_add_e2e_suites(fleet_test fleet 240 FleetInPrometheus)
