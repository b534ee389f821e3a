# The Windows test programs, registered with ctest (the product is in Windows.cmake).
kelo_test(pure_tests SOURCES ${KELO_PURE_TESTS} LIBS kelo_pure)
kelo_test(sim_tests SOURCES ${KELO_SIM_TESTS} LIBS kelo_sim)
kelo_test(sim_xml_tests SOURCES tests/sim/SableDocumentsXmlTest.cpp tests/TestFolder.cpp LIBS kelo_engine kelo_sim)
kelo_test(discovery_tests
  SOURCES tests/discovery/DeviceEnumerationTest.cpp tests/discovery/PrintQueueTest.cpp
          tests/discovery/UsbStatusTest.cpp tests/TestFolder.cpp
  LIBS kelo_sim_win)
kelo_test(winapi_tests SOURCES tests/winapi/HandlesTest.cpp LIBS kelo_engine)
kelo_test(support_tests
  SOURCES tests/support/CrashTraceTest.cpp tests/support/LogFileTest.cpp tests/support/XMLHandlerTest.cpp
          tests/support/ProductInfoCollTest.cpp tests/TestFolder.cpp
  LIBS kelo_engine)
# Window tests need a display (the test command starts Xvfb); the app tests
# carry the product's resources so pictures and templates can be loaded.
kelo_test(app_tests
  SOURCES tests/app/KeloTessalyAppTest.cpp tests/app/DialogExtendedTest.cpp tests/TestFolder.cpp
          res/KeloTessaly.rc
  LIBS kelo_ui)
# Link checks and support links against loopback HTTP servers (port 80 of 127.0.4.x needs root).
kelo_test(links_tests
  SOURCES tests/links/LinkCheckerTest.cpp tests/links/SupportLinkBuilderTest.cpp tests/LoopbackHttpServer.cpp
          tests/TestFolder.cpp
  LIBS kelo_links kelo_engine ws2_32)
# Simulated USB printers behind the device I/O wrapper, for tests only.
add_library(kelo_sim_win STATIC sim/FakeUsbDeviceIo.cpp)
target_compile_options(kelo_sim_win PRIVATE ${KELO_WARNINGS})
target_link_libraries(kelo_sim_win PUBLIC kelo_sim kelo_engine)
kelo_test(usb_device_tests SOURCES tests/sim/FakeUsbDeviceIoTest.cpp tests/TestFolder.cpp LIBS kelo_sim_win)
# Sable device data access: records, channels, documents, jobs, host-side information.
kelo_test(sable_tests
  SOURCES tests/discovery/DeviceRecordsTest.cpp tests/sable/SableUsbChannelTest.cpp tests/sable/SableJobsUsbTest.cpp
          tests/discovery/HostDeviceInfoTest.cpp tests/sable/SableUsbFramingTest.cpp
          tests/TestFolder.cpp
  LIBS kelo_sim_win)
# The network side against the simulator on 127.0.6.x.
kelo_sim_fixture(sable_sim SCENARIO tests/sable/sable.scenario)
kelo_test(sable_network_tests
  SOURCES tests/sable/SableNetworkChannelTest.cpp tests/sable/SableReadersTest.cpp tests/sable/SableJobsNetworkTest.cpp
          tests/sable/SimControl.cpp
          tests/TestFolder.cpp
  LIBS kelo_sim_win)
set_tests_properties(sable_network_tests PROPERTIES FIXTURES_REQUIRED sable_sim
  ENVIRONMENT "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/sable_sim/ready")
# Benchmark: one network device-information read, its HTTP requests and its time.
add_executable(sable_device_info_bench bench/SableDeviceInfoBench.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp)
target_compile_options(sable_device_info_bench PRIVATE ${KELO_WARNINGS})
target_include_directories(sable_device_info_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
target_link_options(sable_device_info_bench PRIVATE -municode)
target_link_libraries(sable_device_info_bench PRIVATE kelo_engine)
add_test(NAME sable_device_info_bench COMMAND sable_device_info_bench)
set_tests_properties(sable_device_info_bench PROPERTIES FIXTURES_REQUIRED sable_sim TIMEOUT 120
  ENVIRONMENT "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/sable_sim/ready")
# The start-up row of bench/run.sh: the timer and the minimal dialog program it is compared with.
add_executable(startup_bench bench/startup/StartupBench.cpp)
add_executable(minimal_dialog WIN32 bench/startup/MinimalDialog.cpp bench/startup/MinimalDialog.rc)
foreach(program startup_bench minimal_dialog)
  target_compile_options(${program} PRIVATE ${KELO_WARNINGS})
  target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${program} PRIVATE -municode)
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
target_link_libraries(startup_bench PRIVATE kelo_winapi)
kelo_test(ui_startup_tests SOURCES tests/ui/StartupTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp
  LIBS kelo_ui)
add_dependencies(ui_startup_tests KeloTessaly dist_data)
set_tests_properties(ui_startup_tests PROPERTIES ENVIRONMENT "KELO_DIST=${KELO_DIST_DIR}" RUN_SERIAL ON)
add_test(NAME ui_startup_tests_chinese_user COMMAND ui_startup_tests --gtest_filter=*UsersLanguage*)
set_tests_properties(ui_startup_tests_chinese_user PROPERTIES
  ENVIRONMENT "KELO_DIST=${KELO_DIST_DIR};LC_ALL=zh_CN.UTF-8" RUN_SERIAL ON TIMEOUT 300)

# Shipped data: well-formed, and every key the code asks for is in every string file.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME data_checks COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/data/check_data.py ${CMAKE_SOURCE_DIR})
# The committed pictures and print files match what the asset script draws, and
# every print file decodes back to its drawing (the system Python carries PIL).
add_test(NAME asset_checks COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/scripts/make_assets.py --check)
add_test(NAME asset_script_tests COMMAND /usr/bin/python3 -m unittest discover -s ${CMAKE_SOURCE_DIR}/scripts/make_assets)

# Quill device access (SNMP stack, managers, USB device library).
include(${CMAKE_SOURCE_DIR}/quill/Quill.cmake)

# The diagnosis engine.
include(${CMAKE_SOURCE_DIR}/cmake/Diagnosis.cmake)

# Window tests of the shell by area.
include(${CMAKE_SOURCE_DIR}/cmake/ui/TabControl.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/ui/Wizard.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/ui/MainWindow.cmake)
