# Tests of the Quill device access: the SNMP v1 stack and session layer, the managers, the USB device library route.

# The stack and session against scripted agents on loopback sockets.
kelo_test(quill_tests
  SOURCES tests/quill/SnmpSessionTest.cpp tests/quill/FakeSnmpAgent.cpp tests/quill/MacAddressByArpTest.cpp
          tests/TestFolder.cpp
  LIBS kelo_quill)

# The SNMP manager against the simulator's agents on 127.0.7.x.
kelo_sim_fixture(quill_sim SCENARIO tests/quill/quill.scenario)
kelo_test(quill_sim_tests
  SOURCES tests/quill/SNMPNWManagerTest.cpp tests/quill/QuillTestSupport.cpp tests/TestFolder.cpp
  LIBS kelo_quill)
set_tests_properties(quill_sim_tests PROPERTIES FIXTURES_REQUIRED quill_sim ENVIRONMENT
  "KELO_QUILL_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/quill_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The USB route: the real kelodev12.dll, loaded by name, against the simulator's Quill wire.
kelo_test(quill_usb_tests
  SOURCES tests/quill/QuillManagerTest.cpp tests/quill/QuillTestSupport.cpp tests/TestFolder.cpp
  LIBS kelo_quill)
add_dependencies(quill_usb_tests kelodev12)
set_tests_properties(quill_usb_tests PROPERTIES FIXTURES_REQUIRED quill_sim ENVIRONMENT
  "KELO_QUILL_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/quill_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# Without the library: a folder of its own, so neither the program's folder nor the current
# folder offers kelodev12.dll.
kelo_test(quill_no_library_tests
  SOURCES tests/quill/MissingLibraryTest.cpp tests/quill/QuillTestSupport.cpp tests/TestFolder.cpp
  LIBS kelo_quill)
set_target_properties(quill_no_library_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/quill-no-library)
set_tests_properties(quill_no_library_tests PROPERTIES WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/quill-no-library
  ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# Our SNMP stack against net-snmp's snmpd (skipped where snmpd is not installed).
set(KELO_SNMPD_STATE ${CMAKE_BINARY_DIR}/quill-snmpd)
add_test(NAME quill_snmpd_start COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/tests/quill/snmpd_peer.sh start ${KELO_SNMPD_STATE})
add_test(NAME quill_snmpd_stop COMMAND /bin/sh ${CMAKE_SOURCE_DIR}/tests/quill/snmpd_peer.sh stop ${KELO_SNMPD_STATE})
set_tests_properties(quill_snmpd_start PROPERTIES FIXTURES_SETUP quill_snmpd TIMEOUT 30)
set_tests_properties(quill_snmpd_stop PROPERTIES FIXTURES_CLEANUP quill_snmpd TIMEOUT 30)
kelo_test(quill_snmpd_peer_tests
  SOURCES tests/quill/SnmpdPeerTest.cpp tests/quill/QuillTestSupport.cpp tests/TestFolder.cpp
  LIBS kelo_quill)
set_tests_properties(quill_snmpd_peer_tests PROPERTIES FIXTURES_REQUIRED quill_snmpd ENVIRONMENT
  "KELO_SNMPD_STATE=${KELO_SNMPD_STATE};KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# Benchmark: ink read against a live and a dead printer, printing its figures.
add_executable(quill_ink_benchmark tests/quill/QuillInkBenchmark.cpp tests/quill/QuillTestSupport.cpp
  tests/TestFolder.cpp)
target_compile_options(quill_ink_benchmark PRIVATE ${KELO_WARNINGS})
target_include_directories(quill_ink_benchmark PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(quill_ink_benchmark PRIVATE kelo_quill)
add_test(NAME quill_ink_benchmark COMMAND quill_ink_benchmark)
set_tests_properties(quill_ink_benchmark PROPERTIES FIXTURES_REQUIRED quill_sim TIMEOUT 60 ENVIRONMENT
  "KELO_QUILL_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/quill_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# An incomplete library under the same name, in a folder of its own with its test program.
set(KELO_PARTIAL_LIBRARY_DIR ${CMAKE_BINARY_DIR}/quill-partial-library)
add_library(kelodev12_partial SHARED tests/quill/PartialLibrary.cpp)
set_target_properties(kelodev12_partial PROPERTIES PREFIX "" OUTPUT_NAME kelodev12
  RUNTIME_OUTPUT_DIRECTORY ${KELO_PARTIAL_LIBRARY_DIR} ARCHIVE_OUTPUT_DIRECTORY ${KELO_PARTIAL_LIBRARY_DIR})
target_include_directories(kelodev12_partial PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(kelodev12_partial PRIVATE ${KELO_WARNINGS})
kelo_test(quill_partial_library_tests SOURCES tests/quill/PartialLibraryTest.cpp LIBS kelo_quill)
set_target_properties(quill_partial_library_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_PARTIAL_LIBRARY_DIR})
add_dependencies(quill_partial_library_tests kelodev12_partial)
set_tests_properties(quill_partial_library_tests PROPERTIES WORKING_DIRECTORY ${KELO_PARTIAL_LIBRARY_DIR})
