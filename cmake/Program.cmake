# The program itself: the core, the serial link and the window.
if(TARGET stillmon_window)
  add_executable(stillmon ${CMAKE_SOURCE_DIR}/src/main.cpp)
  target_link_libraries(stillmon PRIVATE stillmon_core stillmon_serial stillmon_window
                        stillmon_warnings)
  set_target_properties(stillmon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endif()
