# Platform tests: the chart window's SDL parts, and end-to-end runs of the window probe under
# a virtual X server (label "e2e": they need Xvfb, xdotool, xwd, netpbm and tmux).

# Unit tests of the SDL-facing code that need no display.
add_executable(stillmon_window_tests
  ${CMAKE_CURRENT_LIST_DIR}/sdl_key_translation_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_snapshot_test.cpp)
target_include_directories(stillmon_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(stillmon_window_tests PRIVATE stillmon_window stillmon_test_support
                      stillmon_warnings
                      GTest::gtest GTest::gtest_main)
gtest_discover_tests(stillmon_window_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)

add_executable(window_probe ${CMAKE_CURRENT_LIST_DIR}/window_probe.cpp)
target_link_libraries(window_probe PRIVATE stillmon_startup stillmon_window stillmon_warnings)

# Under the sanitizers, leaks inside the system libraries SDL brings along are not ours.
set(STILLMON_WINDOW_E2E_ENVIRONMENT
  "WINDOW_PROBE=$<TARGET_FILE:window_probe>"
  "STILLMON_SMALL_SCREEN_NAME=${STILLMON_SMALL_SCREEN_NAME}")
if(STILLMON_SANITIZE)
  list(APPEND STILLMON_WINDOW_E2E_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
endif()

# One CTest entry per test class, so they can run side by side, each with its own X server.
foreach(suite WindowPixels WindowTitle WindowKeys HeadlessKeys HeadlessIdle)
  add_test(NAME e2e.window.${suite}
           COMMAND ${Python3_EXECUTABLE} -m unittest -v window_probe_test.${suite}
           WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
  set_tests_properties(e2e.window.${suite} PROPERTIES
    LABELS e2e
    TIMEOUT 180
    ENVIRONMENT "${STILLMON_WINDOW_E2E_ENVIRONMENT}")
endforeach()
