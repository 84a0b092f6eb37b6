# stillsim, the device simulator: its model as unit tests, and runs of the real program.
add_executable(stillsim_model_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/fault_plan_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/frame_schedule_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/frame_stamp_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/run_model_test.cpp)
target_link_libraries(stillsim_model_tests PRIVATE stillsim_model stillmon_warnings
                      GTest::gtest GTest::gtest_main)
# Pure and fast: they run with the unit tests, under the sanitizers too, and carry the
# "tools" label as well. gtest_discover_tests cannot pass a list of labels through, so both
# are set once the tests are known.
gtest_discover_tests(stillsim_model_tests PROPERTIES LABELS unit DISCOVERY_TIMEOUT 60)
set(stillsim_model_labels ${CMAKE_CURRENT_BINARY_DIR}/stillsim_model_tests_labels.cmake)
file(WRITE ${stillsim_model_labels}
  "foreach(test IN LISTS stillsim_model_tests_TESTS)\n"
  "  set_tests_properties(\${test} PROPERTIES LABELS \"unit;tools\")\n"
  "endforeach()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${stillsim_model_labels})

add_executable(stillsim_run_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/stillsim_process.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/stillsim_run_test.cpp)
target_include_directories(stillsim_run_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                           ${CMAKE_CURRENT_SOURCE_DIR}/tools)
target_link_libraries(stillsim_run_tests PRIVATE stillmon_test_support
                      stillmon_warnings GTest::gtest GTest::gtest_main)
target_compile_definitions(stillsim_run_tests PRIVATE STILLSIM_PROGRAM="$<TARGET_FILE:stillsim>")
add_dependencies(stillsim_run_tests stillsim)
gtest_discover_tests(stillsim_run_tests PROPERTIES LABELS tools TIMEOUT 60 DISCOVERY_TIMEOUT 60)
