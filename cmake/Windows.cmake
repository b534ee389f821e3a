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
# The version header of the resource scripts and the code, from project()'s version.
file(CONFIGURE OUTPUT ${KELO_GENERATED_DIR}/KeloVersion.h CONTENT [=[
// Generated from project()'s version in CMakeLists.txt.
#pragma once
#define KELO_VERSION_COMMAS @PROJECT_VERSION_MAJOR@,@PROJECT_VERSION_MINOR@,@PROJECT_VERSION_PATCH@,@PROJECT_VERSION_TWEAK@
#define KELO_VERSION_TEXT "@PROJECT_VERSION@"
#define KELO_VERSION_WTEXT L"@PROJECT_VERSION@"
]=] @ONLY)
kelo_manifest(res/KeloTessaly.manifest)
kelo_manifest(res/Kelotsy.manifest)
kelo_manifest(components/diagcore/KeloDiagnosticCore.X.manifest)
kelo_manifest(tests/components/diagcore/DiagCoreTests.manifest)
kelo_manifest(bench/diagcore/SearchBench.manifest)
# The native build hosts the printer simulator that fixtures below start.
set(KELO_NATIVE_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/native CACHE PATH "Native build folder")

set(KELO_SYSTEM_LIBS ole32 oleaut32 uuid comctl32 gdiplus uxtheme version shlwapi advapi32 user32 gdi32 msimg32
  wininet shell32 setupapi winspool ws2_32 mswsock iphlpapi dbghelp)

# One library per folder, each linking only the layers below it, so an include of a higher
# layer does not link (layer 1, kelo_pure, is in CMakeLists.txt):
#   kelo_winapi     system call wrappers
#   kelo_support    log, string table, catalogue            -> winapi
#   kelo_discovery  device records, enumeration, queues     -> support
#   kelo_links      support links and link checks           -> support
#   kelo_quill      SNMP stack and Quill access             -> discovery
#   kelo_sable      Sable access and the device status test -> quill (the status test reads Quill printers too)
#   kelo_tools      connectivity and print tests, resets    -> sable
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
  SOURCES support/CrashTrace.cpp support/LogFile.cpp support/ModuleInfo.cpp support/OSInformation.cpp support/ProductInfoColl.cpp
          support/XmlDom.cpp support/XMLHandler.cpp support/LocalFile.cpp
  USES kelo_winapi kelo_pure)
kelo_layer(kelo_discovery
  SOURCES discovery/DeviceEnumeration.cpp discovery/DeviceProtocol.cpp discovery/DeviceRecords.cpp
          discovery/HostDeviceInfo.cpp discovery/NetworkSearch.cpp discovery/PrintQueue.cpp discovery/UsbStatus.cpp
  USES kelo_support)
kelo_layer(kelo_links
  SOURCES links/LinkChecker.cpp links/SupportLinkBuilder.cpp links/SupportLinkConfig.cpp
  USES kelo_support)
kelo_layer(kelo_quill
  SOURCES quill/DeviceQuill.cpp quill/QuillCommon.cpp quill/QuillManager.cpp quill/SNMPNWManager.cpp
          quill/SnmpSession.cpp quill/SnmpStack.cpp
  USES kelo_discovery)
kelo_layer(kelo_sable
  SOURCES sable/DeviceStatusTest.cpp sable/SableJobs.cpp sable/SableNetworkChannel.cpp sable/SableReaders.cpp
          sable/SableUsbChannel.cpp sable/SableXml.cpp
  USES kelo_quill kelo_discovery)
kelo_layer(kelo_tools
  SOURCES tools/ConnectivityTest.cpp tools/LowLevelPrintTest.cpp tools/PrinterReset.cpp tools/PrintPort.cpp
  USES kelo_sable)
kelo_layer(kelo_engine
  SOURCES app/engine/DeviceOperations.cpp app/engine/DiagnosticMgr.cpp
  USES kelo_tools)

# The window code: the shell and every page.
add_library(kelo_ui STATIC
  app/AboutDlg.cpp
  app/ChooseLanguageDlg.cpp
  app/CustomTabCtrl.cpp
  app/DialogBase.cpp
  app/DialogExtended.cpp
  app/EnumerateDlg.cpp
  app/FontUtil.cpp
  app/KeloTessalyApp.cpp
  app/TSYParentDlg.cpp
  app/ThemeUtil.cpp
  app/WindowPicture.cpp
  app/WizardDlg.cpp
  pages/ConnectivityDlg.cpp
  pages/CopyAnswerPage.cpp
  pages/CopyEvaluationDlg.cpp
  pages/CopyFailedDlg.cpp
  pages/CopyTestDlg.cpp
  pages/DeviceStatusDlg.cpp
  pages/DriverVerificationDlg.cpp
  pages/FeedbackDlg.cpp
  pages/FinalDlg.cpp
  pages/FirmwareDlg.cpp
  pages/ImageDlg.cpp
  pages/InkLevelDlg.cpp
  pages/InkLevelListCtrl.cpp
  pages/NoNetworkDlg.cpp
  pages/NoPrintDlg.cpp
  pages/NotListedDlg.cpp
  pages/NotListedNetworkDlg.cpp
  pages/NotSupportedDlg.cpp
  pages/PrgsDlg.cpp
  pages/PrintBadDlg.cpp
  pages/PrintEvaluationDlg.cpp
  pages/PrintTestDlg.cpp
  pages/PrinterServicesDlg.cpp
  pages/ResetsDlg.cpp
  pages/SearchNetPrinterDlg.cpp
  pages/SecretMenuDlg.cpp
  pages/TabPage.cpp
  pages/TroubleShootDlg.cpp
  pages/USBNetworkPopup.cpp
  pages/WizardPage.cpp
)
target_compile_options(kelo_ui PRIVATE ${KELO_WARNINGS})
target_link_libraries(kelo_ui PUBLIC kelo_engine kelo_links)

add_executable(KeloTessaly WIN32 app/Main.cpp res/KeloTessaly.rc)
target_compile_options(KeloTessaly PRIVATE ${KELO_WARNINGS})
target_link_options(KeloTessaly PRIVATE -municode)
target_link_libraries(KeloTessaly PRIVATE kelo_ui)
set_target_properties(KeloTessaly PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIST_DIR})
set_source_files_properties(res/KeloTessaly.rc PROPERTIES OBJECT_DEPENDS
  "${KeloTessaly.manifest_PATH};${KELO_GENERATED_DIR}/KeloVersion.h;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/MainWindow.rc;${CMAKE_SOURCE_DIR}/res/WizardPages.rc")

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

# The native build's tests join this run, so one ctest reports them all.
file(WRITE ${CMAKE_BINARY_DIR}/native-tests.cmake "if(EXISTS \"${KELO_NATIVE_BUILD_DIR}/CTestTestfile.cmake\")\n  subdirs(\"${KELO_NATIVE_BUILD_DIR}\")\nendif()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/native-tests.cmake)

# The diagnostic core component (COM server DLL, interfaces, and its tests) and the USB device
# library stand-in.
include(${CMAKE_SOURCE_DIR}/components/diagcore/DiagCore.cmake)
target_link_libraries(kelo_discovery PUBLIC kelo_diagcore_interfaces)
include(${CMAKE_SOURCE_DIR}/components/kelodev/KeloDev.cmake)

# kelotsy.exe, the console front end, beside the tool.
add_executable(kelotsy console/Kelotsy.cpp console/KelotsyMain.cpp console/KelotsyScan.cpp
  console/KelotsySnapshot.cpp res/Kelotsy.rc)
target_compile_options(kelotsy PRIVATE ${KELO_WARNINGS})
target_link_options(kelotsy PRIVATE -municode)
target_link_libraries(kelotsy PRIVATE kelo_engine)
set_target_properties(kelotsy PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIST_DIR})
set_source_files_properties(res/Kelotsy.rc PROPERTIES OBJECT_DEPENDS "${Kelotsy.manifest_PATH}")
add_dependencies(kelotsy KeloDiagnosticCore kelodev12 dist_data)
add_dependencies(kelo_product kelotsy KeloDiagnosticCore kelodev12 dist_data)

# The test programs, by area.
include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)

