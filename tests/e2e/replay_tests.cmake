# End-to-end tests of the replay with the real program (label "e2e": they need Xvfb, xdotool,
# xwd, tmux and GNU Unifont's hex file), and a round trip through the device simulator.
if(NOT TARGET stillmon OR NOT TARGET stillsim)
  return()
endif()

find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

set(STILLMON_REPLAY_E2E_ENVIRONMENT
  "STILLMON=$<TARGET_FILE:stillmon>"
  "STILLSIM=$<TARGET_FILE:stillsim>"
  "STILLMON_E2E_FAILURES=${CMAKE_BINARY_DIR}/e2e-failures")
if(STILLMON_SANITIZE)
  list(APPEND STILLMON_REPLAY_E2E_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# One CTest entry per test class, so they can run side by side, each with its own X server.
foreach(suite ReplayScreen ReplayKeys ReplaySilentEndings ReplayBadInput HeadlessPrompt
              ReplayRoundTrip)
  add_test(NAME e2e.replay.${suite}
           COMMAND ${Python3_EXECUTABLE} -m unittest -v replay_test.${suite}
           WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR})
  set_tests_properties(e2e.replay.${suite} PROPERTIES
    LABELS e2e
    TIMEOUT 300
    ENVIRONMENT "${STILLMON_REPLAY_E2E_ENVIRONMENT}")
endforeach()
