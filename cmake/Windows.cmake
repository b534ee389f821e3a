# The product and its Windows test programs.
enable_language(RC)
# x86 or x64: one build folder per architecture, each with its own runnable tree.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KELO_WINDOWS_ARCH x64)
  set(KELO_MANIFEST_ARCH amd64)
else()
  set(KELO_WINDOWS_ARCH x86)
  set(KELO_MANIFEST_ARCH x86)
endif()
message(STATUS "Windows architecture: ${KELO_WINDOWS_ARCH}")
set(KELO_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH "Runnable program tree")
set(KELO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
# Resource scripts find generated files (manifests/...) here.
include_directories(${KELO_GENERATED_DIR})

# kelo_manifest(<source>): the manifest with this build's processorArchitecture, written to
# generated/manifests/<name>; the sources carry the x86 one. Returns its path in <name>_PATH.
function(kelo_manifest source)
  get_filename_component(name ${source} NAME)
  file(READ ${CMAKE_SOURCE_DIR}/${source} text)
  string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"${KELO_MANIFEST_ARCH}\"" text "${text}")
  file(CONFIGURE OUTPUT ${KELO_GENERATED_DIR}/manifests/${name} CONTENT "${text}" @ONLY)
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${source})
  set(${name}_PATH ${KELO_GENERATED_DIR}/manifests/${name} PARENT_SCOPE)
endfunction()
kelo_manifest(res/KeloTessaly.manifest)
kelo_manifest(res/Kelotsy.manifest)
kelo_manifest(components/diagcore/KeloDiagnosticCore.X.manifest)
kelo_manifest(tests/components/diagcore/DiagCoreTests.manifest)
kelo_manifest(bench/diagcore/SearchBench.manifest)
# The native build hosts the printer simulator that fixtures below start.
set(KELO_NATIVE_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/native CACHE PATH "Native build folder")

set(KELO_SYSTEM_LIBS ole32 oleaut32 uuid comctl32 gdiplus uxtheme version shlwapi advapi32 user32 gdi32 msimg32
  wininet shell32 setupapi winspool ws2_32 mswsock iphlpapi)

# One library per folder, each linking only the layers below it, so an include of a higher
# layer does not link (layer 1, kelo_pure, is in CMakeLists.txt):
#   kelo_winapi     system call wrappers
#   kelo_support    log, string table, catalogue            -> winapi
#   kelo_discovery  device records, enumeration, queues     -> support
#   kelo_links      support links and link checks           -> support
#   kelo_quill      SNMP stack and Quill access             -> discovery
#   kelo_sable      Sable access and the device status test -> quill (the status test reads Quill printers too)
#   kelo_tools      connectivity and low-level print tests  -> sable
#   kelo_engine     diagnosis manager and device operations -> tools
#   kelo_ui         the shell and its pages (app/ outside app/engine/, pages/) -> engine, links
# kelotsy.exe links kelo_engine; KeloTessaly.exe links kelo_ui; the component links kelo_discovery.
function(kelo_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;USES" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${KELO_WARNINGS})
  target_link_libraries(${name} PUBLIC ${L_USES})
endfunction()

kelo_layer(kelo_winapi
  SOURCES winapi/DeviceIoApi.cpp winapi/HostFilesApi.cpp winapi/InternetApi.cpp winapi/NGWinApi.cpp
          winapi/ShellApi.cpp winapi/SocketApi.cpp winapi/SpoolerApi.cpp
  USES ${KELO_SYSTEM_LIBS})
kelo_layer(kelo_support
  SOURCES support/LogFile.cpp support/ModuleInfo.cpp support/OSInformation.cpp support/ProductInfoColl.cpp
          support/XmlDom.cpp support/XMLHandler.cpp
  USES kelo_winapi kelo_pure)
kelo_layer(kelo_discovery
  SOURCES discovery/DeviceEnumeration.cpp discovery/DeviceProtocol.cpp discovery/DeviceRecords.cpp
          discovery/HostDeviceInfo.cpp discovery/PrintQueue.cpp discovery/UsbStatus.cpp
  USES kelo_support)
kelo_layer(kelo_links
  SOURCES links/LinkChecker.cpp links/SupportLinkBuilder.cpp links/SupportLinkConfig.cpp
  USES kelo_support)
kelo_layer(kelo_sable
  SOURCES sable/DeviceStatusTest.cpp sable/SableJobs.cpp sable/SableNetworkChannel.cpp sable/SableReaders.cpp
          sable/SableUsbChannel.cpp sable/SableXml.cpp
  USES kelo_quill kelo_discovery)
kelo_layer(kelo_tools
  SOURCES tools/ConnectivityTest.cpp tools/LowLevelPrintTest.cpp
  USES kelo_sable)
kelo_layer(kelo_engine
  SOURCES app/engine/DeviceOperations.cpp app/engine/DiagnosticMgr.cpp
  USES kelo_tools)

# The window code; cmake/ui/*.cmake add the pages by area.
add_library(kelo_ui STATIC
  app/DialogBase.cpp
  app/DialogExtended.cpp
  app/FontUtil.cpp
  app/KeloTessalyApp.cpp
  app/ThemeUtil.cpp
  app/TSYParentDlg.cpp
  app/WindowPicture.cpp
)
target_compile_options(kelo_ui PRIVATE ${KELO_WARNINGS})
target_link_libraries(kelo_ui PUBLIC kelo_engine kelo_links)

add_executable(KeloTessaly WIN32 app/Main.cpp res/KeloTessaly.rc)
target_compile_options(KeloTessaly PRIVATE ${KELO_WARNINGS})
target_link_options(KeloTessaly PRIVATE -municode)
target_link_libraries(KeloTessaly PRIVATE kelo_ui)
set_target_properties(KeloTessaly PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIST_DIR})
set_source_files_properties(res/KeloTessaly.rc PROPERTIES OBJECT_DEPENDS
  "${KeloTessaly.manifest_PATH};${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/MainWindow.rc;${CMAKE_SOURCE_DIR}/res/WizardPages.rc")

# The product alone, for the architecture this machine does not run (built, never run here).
add_custom_target(kelo_product)
add_dependencies(kelo_product KeloTessaly)

# Shipped data beside the executable.
file(GLOB_RECURSE KELO_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist-data.stamp
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data ${KELO_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/dist-data.stamp
  DEPENDS ${KELO_DATA_FILES}
  COMMENT "Copying strings and config beside the executable")
add_custom_target(dist_data ALL DEPENDS ${CMAKE_BINARY_DIR}/dist-data.stamp)

kelo_test(pure_tests SOURCES ${KELO_PURE_TESTS} LIBS kelo_pure)
kelo_test(sim_tests SOURCES ${KELO_SIM_TESTS} LIBS kelo_sim)
kelo_test(sim_xml_tests SOURCES tests/sim/SableDocumentsXmlTest.cpp tests/TestFolder.cpp LIBS kelo_engine kelo_sim)
kelo_test(discovery_tests
  SOURCES tests/discovery/DeviceEnumerationTest.cpp tests/discovery/PrintQueueTest.cpp
          tests/discovery/UsbStatusTest.cpp tests/TestFolder.cpp
  LIBS kelo_sim_win)
kelo_test(winapi_tests SOURCES tests/winapi/HandlesTest.cpp LIBS kelo_engine)
kelo_test(support_tests
  SOURCES tests/support/LogFileTest.cpp tests/support/XMLHandlerTest.cpp
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
kelo_test(ui_startup_tests SOURCES tests/ui/StartupTest.cpp tests/ui/Screenshot.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp
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

# The native build's tests join this run, so one ctest reports them all.
file(WRITE ${CMAKE_BINARY_DIR}/native-tests.cmake "if(EXISTS \"${KELO_NATIVE_BUILD_DIR}/CTestTestfile.cmake\")\n  subdirs(\"${KELO_NATIVE_BUILD_DIR}\")\nendif()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/native-tests.cmake)

# The diagnostic core component (COM server DLL, interfaces, tests).
include(${CMAKE_SOURCE_DIR}/components/diagcore/DiagCore.cmake)
target_link_libraries(kelo_discovery PUBLIC kelo_diagcore_interfaces)

# Quill device access (SNMP stack, managers, USB device library).
include(${CMAKE_SOURCE_DIR}/quill/Quill.cmake)

# The diagnosis engine: its tests and the console front end.
include(${CMAKE_SOURCE_DIR}/cmake/Diagnosis.cmake)

# Windows of the shell by area: sources added to kelo_ui and their window tests.
include(${CMAKE_SOURCE_DIR}/cmake/ui/TabControl.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/ui/Wizard.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/ui/MainWindow.cmake)

# The pages keep their control ids as file-local constants under names other pages use too
# (kIdClose, kIdForum, ...), so each is a translation unit of its own in the unity build.
file(GLOB KELO_PAGE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/pages/*.cpp)
set_source_files_properties(${KELO_PAGE_SOURCES} TARGET_DIRECTORY kelo_ui PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
