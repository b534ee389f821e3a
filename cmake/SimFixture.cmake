# kelo_sim_fixture(<name> SCENARIO <file> [CONTROL 127.0.0.1:<port>])
# A ctest fixture that runs kelo-printer-sim with a scenario around the tests that require it
# (set_tests_properties(<test> PROPERTIES FIXTURES_REQUIRED <name>)). The simulator's ready
# file, <build>/sim-fixtures/<name>/ready, names its control address ("control HOST:PORT").
# Windows builds take the simulator from the native build folder.
function(kelo_sim_fixture name)
  cmake_parse_arguments(F "" "SCENARIO;CONTROL" "" ${ARGN})
  if(NOT F_CONTROL)
    set(F_CONTROL 127.0.0.1:0)
  endif()
  if(TARGET kelo-printer-sim)
    set(program $<TARGET_FILE:kelo-printer-sim>)
  else()
    set(program ${KELO_NATIVE_BUILD_DIR}/kelo-printer-sim)
  endif()
  set(helper ${CMAKE_SOURCE_DIR}/tests/peers/simulator.py)
  set(state ${CMAKE_BINARY_DIR}/sim-fixtures/${name})
  add_test(NAME ${name}_start COMMAND /usr/bin/python3 ${helper} start ${program} ${CMAKE_SOURCE_DIR}/${F_SCENARIO}
           ${state} ${F_CONTROL})
  add_test(NAME ${name}_stop COMMAND /usr/bin/python3 ${helper} stop ${state})
  set_tests_properties(${name}_start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 60)
  set_tests_properties(${name}_stop PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 60)
endfunction()
