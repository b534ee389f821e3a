# Tests of the diagnosis engine: the three automatic tests and the console front end end to end.


# The Connectivity Test: real ICMP echoes to loopback, faked ICMP and resolver seams, simulated USB printers.
kelo_test(connectivity_tests SOURCES tests/tools/ConnectivityTestTest.cpp LIBS kelo_sim_win)

# The Device Status Test through the diagnosis manager: the simulator's printers on 127.0.8.x,
# an in-process USB printer, and kelodev12.dll on the simulator's Quill wire.
kelo_sim_fixture(status_sim SCENARIO tests/sable/status.scenario)
kelo_test(device_status_tests
  SOURCES tests/sable/DeviceStatusTestTest.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp
  LIBS kelo_sim_win)
# A folder of its own with a copy of the library, so the kelodev12.ini the test writes beside it
# names this test's printer and no other test rewrites it meanwhile.
set(KELO_DEVICE_STATUS_DIR ${CMAKE_BINARY_DIR}/device-status)
set_target_properties(device_status_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DEVICE_STATUS_DIR})
add_custom_command(OUTPUT ${KELO_DEVICE_STATUS_DIR}/kelodev12.dll
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELO_DEVICE_STATUS_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:kelodev12> ${KELO_DEVICE_STATUS_DIR}
  DEPENDS kelodev12 $<TARGET_FILE:kelodev12>
  COMMENT "Copying kelodev12.dll beside device_status_tests")
add_custom_target(device_status_library DEPENDS ${KELO_DEVICE_STATUS_DIR}/kelodev12.dll)
add_dependencies(device_status_tests kelodev12 device_status_library)
set_tests_properties(device_status_tests PROPERTIES FIXTURES_REQUIRED status_sim
  WORKING_DIRECTORY ${KELO_DEVICE_STATUS_DIR} ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/status_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The Low level print Test through the diagnosis manager: simulated USB printers behind the
# device I/O fake, and network printers on 127.0.9.x whose raw sinks record, refuse or stall.
kelo_sim_fixture(print_sim SCENARIO tests/tools/print.scenario)
kelo_test(low_level_print_tests
  SOURCES tests/tools/LowLevelPrintTestTest.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp
  LIBS kelo_sim_win)
set_tests_properties(low_level_print_tests PROPERTIES FIXTURES_REQUIRED print_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/print_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

kelo_test(printer_reset_tests
  SOURCES tests/tools/PrinterResetTest.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp
  LIBS kelo_sim_win)
set_tests_properties(printer_reset_tests PROPERTIES FIXTURES_REQUIRED print_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/print_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# End to end on the demo printers, installed as queues of the Wine prefix: kelotsy, and the
# tool driven up to the print test page.
add_test(NAME demo_e2e_tests COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/demo_e2e.py)
set_tests_properties(demo_e2e_tests PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_spooler RUN_SERIAL ON ENVIRONMENT
  "KELO_ARCH=${KELO_WINDOWS_ARCH};KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};KELO_DIST=${KELO_DIST_DIR};KELO_PRINTER_SIM=${KELO_NATIVE_BUILD_DIR}/kelo-printer-sim;KELO_UI_STARTUP_TESTS=$<TARGET_FILE:ui_startup_tests>")

# Every device operation of kelotsy against every printer of the faults scenario: bounded,
# no crash, the right message; prints the matrix. It takes minutes and some of its cells are
# still open, so it runs only when asked (KELO_FAULT_MATRIX=1 scripts/test.sh -R fault_matrix).
add_test(NAME fault_matrix_tests COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/fault_matrix.py)
set_tests_properties(fault_matrix_tests PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_spooler RUN_SERIAL ON SKIP_RETURN_CODE 77 ENVIRONMENT
  "KELO_ARCH=${KELO_WINDOWS_ARCH};KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};KELO_DIST=${KELO_DIST_DIR};KELO_PRINTER_SIM=${KELO_NATIVE_BUILD_DIR}/kelo-printer-sim")

# kelotsy over a copy of its folder with one local file broken at a time (no printer needed).
add_test(NAME broken_files_tests COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/broken_files.py)
set_tests_properties(broken_files_tests PROPERTIES TIMEOUT 300 ENVIRONMENT
  "KELO_ARCH=${KELO_WINDOWS_ARCH};KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};KELO_DIST=${KELO_DIST_DIR}")

# The release files: scripts/package.sh's installer installed, run, upgraded and removed in the
# test prefix, and the portable zip run from a folder with a blank. It installs print queues
# and a product into the prefix the other Wine tests share.
add_test(NAME release_tests COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/release.py)
set_tests_properties(release_tests PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine_spooler ENVIRONMENT
  "KELO_ARCH=${KELO_WINDOWS_ARCH};KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};KELO_DIST=${KELO_DIST_DIR};KELO_PRINTER_SIM=${KELO_NATIVE_BUILD_DIR}/kelo-printer-sim")
