# Fuzz targets: log reading, number texts, the replay step and page requests. Each is built
# as an ordinary program that replays its committed corpus in tests/fuzz/corpus/<target>/
# (a unit test, so it also runs in the sanitizer pass), and with STILLMON_FUZZ=ON, under
# clang, as a libFuzzer program (scripts/fuzz runs those).
set(STILLMON_FUZZ_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(STILLMON_FUZZ_TARGETS text_log_reader read_number replay_cycle page_request)
set(page_request_libraries stillmon_http)  # what a target needs beyond stillmon_core

foreach(target IN LISTS STILLMON_FUZZ_TARGETS)
  set(source ${STILLMON_FUZZ_SOURCE_DIR}/${target}_fuzz.cpp)

  add_executable(${target}_corpus ${source} ${STILLMON_FUZZ_SOURCE_DIR}/corpus_main.cpp)
  target_include_directories(${target}_corpus PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target}_corpus PRIVATE stillmon_core ${${target}_libraries} stillmon_warnings)
  set_target_properties(${target}_corpus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_test(NAME fuzz_corpus.${target}
           COMMAND ${target}_corpus ${STILLMON_FUZZ_SOURCE_DIR}/corpus/${target})
  set_tests_properties(fuzz_corpus.${target} PROPERTIES LABELS unit TIMEOUT 60)

  if(STILLMON_FUZZ)
    add_executable(${target}_fuzz ${source})
    target_include_directories(${target}_fuzz PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target}_fuzz PRIVATE stillmon_core ${${target}_libraries} stillmon_warnings)
    target_link_options(${target}_fuzz PRIVATE -fsanitize=fuzzer)
    set_target_properties(${target}_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    list(APPEND STILLMON_FUZZ_PROGRAMS ${target}_fuzz)
  endif()
endforeach()

if(STILLMON_FUZZ)
  add_custom_target(fuzz_targets DEPENDS ${STILLMON_FUZZ_PROGRAMS})
endif()
