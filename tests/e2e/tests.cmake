# End-to-end runs of stillmon itself in live mode, against the device simulator or a device
# played by the test, under a virtual X server (label "e2e": they need Xvfb, xdotool, xwd).
if(NOT TARGET stillmon OR NOT TARGET stillsim)
  return()
endif()

find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

set(STILLMON_LIVE_E2E_ENVIRONMENT
  "STILLMON=$<TARGET_FILE:stillmon>"
  "STILLSIM=$<TARGET_FILE:stillsim>")
if(STILLMON_SANITIZE)
  list(APPEND STILLMON_LIVE_E2E_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# One CTest entry per test class, so they can run side by side, each with its own X server
# and its own device in a directory of its own.
foreach(suite LiveStartup LiveLogs LiveEnds LiveKeys LiveTiming LiveStall LiveHangup)
  add_test(NAME e2e.live.${suite}
           COMMAND ${Python3_EXECUTABLE} -m unittest -v live_test.${suite}
           WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
  set_tests_properties(e2e.live.${suite} PROPERTIES
    LABELS e2e
    TIMEOUT 180
    ENVIRONMENT "${STILLMON_LIVE_E2E_ENVIRONMENT}")
endforeach()
# The hang-up recovery takes the longest (about 35 s of fast cycles): start it first.
set_tests_properties(e2e.live.LiveHangup PROPERTIES COST 100)
