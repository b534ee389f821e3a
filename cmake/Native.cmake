# Native Linux build: layer-1 tests under AddressSanitizer and UndefinedBehaviorSanitizer.
kelo_test(native_pure_tests SOURCES ${KELO_PURE_TESTS} LIBS kelo_pure)
kelo_test(native_sim_tests SOURCES ${KELO_SIM_TESTS} LIBS kelo_sim)

# The simulator server: every printer of a scenario on its loopback endpoints (Linux only,
# Wine cannot give each printer its own UDP address).
find_package(Threads REQUIRED)
add_executable(kelo-printer-sim
  sim/server/ControlService.cpp
  sim/server/HttpService.cpp
  sim/server/Log.cpp
  sim/server/Main.cpp
  sim/server/Net.cpp
  sim/server/PrinterServices.cpp
  sim/server/SimServer.cpp
  sim/server/SnmpListener.cpp
  sim/server/TcpListener.cpp
)
target_compile_options(kelo-printer-sim PRIVATE ${KELO_WARNINGS})
target_link_libraries(kelo-printer-sim PRIVATE kelo_sim Threads::Threads)
set_target_properties(kelo-printer-sim PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The simulator against real peers (net-snmp's snmpget/snmpset, curl) and malformed input.
add_test(NAME sim_peer_tests COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/sim_peer_test.py)
set_tests_properties(sim_peer_tests PROPERTIES
  ENVIRONMENT "KELO_PRINTER_SIM=$<TARGET_FILE:kelo-printer-sim>" TIMEOUT 120)
# The fixture plumbing itself: started in the background, reachable, stopped.
kelo_sim_fixture(sim_fixture SCENARIO tests/peers/fixture.scenario)
add_test(NAME sim_fixture_check COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/peers/fixture_check.py
         ${CMAKE_BINARY_DIR}/sim-fixtures/sim_fixture/ready)
set_tests_properties(sim_fixture_check PROPERTIES FIXTURES_REQUIRED sim_fixture TIMEOUT 60)
