# The diagnostic core component: its type library and generated interface header, the
# in-process COM server KeloDiagnosticCore.dll with its side-by-side assembly, and tests.
if(KELO_WINDOWS_ARCH STREQUAL "x64")
  set(KELO_WIDL_TARGET -m64)
else()
  set(KELO_WIDL_TARGET -m32)
endif()
find_program(KELO_WIDL ${KELO_MINGW_TRIPLE}-widl REQUIRED)
# widl refers to IUnknown and IDispatch in Wine's stdole2.tlb; either architecture's copy
# declares them (wine32 is not installed where 32-bit programs cannot run).
find_path(KELO_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows
        /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(KELO_DIAGCORE_DIR ${CMAKE_SOURCE_DIR}/components/diagcore)
set(KELO_DIAGCORE_GENERATED ${CMAKE_BINARY_DIR}/generated/diagcore)
set(KELO_DIAGCORE_HEADER ${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore.h)
set(KELO_DIAGCORE_IIDS ${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore_i.c)
set(KELO_DIAGCORE_TLB ${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore.tlb)
file(MAKE_DIRECTORY ${KELO_DIAGCORE_GENERATED})
add_custom_command(
  OUTPUT ${KELO_DIAGCORE_HEADER} ${KELO_DIAGCORE_IIDS} ${KELO_DIAGCORE_TLB}
  COMMAND ${KELO_WIDL} ${KELO_WIDL_TARGET} -I ${KELO_DIAGCORE_DIR}/widl -L ${KELO_STDOLE2_DIR}
          -h -H ${KELO_DIAGCORE_HEADER} -u -U ${KELO_DIAGCORE_IIDS} -t -T ${KELO_DIAGCORE_TLB}
          ${KELO_DIAGCORE_DIR}/KeloDiagnosticCore.idl
  DEPENDS ${KELO_DIAGCORE_DIR}/KeloDiagnosticCore.idl ${KELO_DIAGCORE_DIR}/widl/oaidl.idl
  COMMENT "Generating the KeloDiagnosticCore header and type library")
add_custom_target(kelo_diagcore_idl DEPENDS ${KELO_DIAGCORE_HEADER} ${KELO_DIAGCORE_IIDS} ${KELO_DIAGCORE_TLB})

# What a client links: the generated header (#include "KeloDiagnosticCore.h") and the
# IID_/CLSID_ constants; __uuidof works from the header alone.
add_library(kelo_diagcore_interfaces STATIC ${KELO_DIAGCORE_IIDS})
add_dependencies(kelo_diagcore_interfaces kelo_diagcore_idl)
target_include_directories(kelo_diagcore_interfaces PUBLIC ${KELO_DIAGCORE_GENERATED})
target_link_libraries(kelo_diagcore_interfaces PUBLIC ole32 oleaut32 uuid)

# The in-process server, beside the executable with its assembly manifest (the
# registration-free recipe: KeloDiagnosticCore.X.manifest and the DLL it names in the
# program's folder, the dependency in the program's own manifest).
configure_file(${KELO_DIAGCORE_DIR}/KeloDiagnosticCore.rc.in ${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore.rc @ONLY)
set_source_files_properties(${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore.rc PROPERTIES OBJECT_DEPENDS ${KELO_DIAGCORE_TLB})
add_library(KeloDiagnosticCore SHARED
  ${KELO_DIAGCORE_DIR}/CoreSupport.cpp
  ${KELO_DIAGCORE_DIR}/DeviceEnumerator.cpp
  ${KELO_DIAGCORE_DIR}/DeviceObjects.cpp
  ${KELO_DIAGCORE_DIR}/EventHub.cpp
  ${KELO_DIAGCORE_DIR}/Module.cpp
  ${KELO_DIAGCORE_DIR}/NetworkInfo.cpp
  ${KELO_DIAGCORE_DIR}/NetworkSearch.cpp
  ${KELO_DIAGCORE_DIR}/PrinterSources.cpp
  ${KELO_DIAGCORE_DIR}/SearchSettings.cpp
  ${KELO_DIAGCORE_GENERATED}/KeloDiagnosticCore.rc
)
target_compile_options(KeloDiagnosticCore PRIVATE ${KELO_WARNINGS})
# Undecorated export names (DllGetClassObject, not DllGetClassObject@12).
target_link_options(KeloDiagnosticCore PRIVATE -Wl,--kill-at)
target_link_libraries(KeloDiagnosticCore PRIVATE kelo_diagcore_interfaces kelo_discovery kelo_pure
  setupapi winspool iphlpapi ws2_32 mswsock)
set_target_properties(KeloDiagnosticCore PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${KELO_DIST_DIR})
set(KELO_DIAGCORE_MANIFEST ${KeloDiagnosticCore.X.manifest_PATH})
add_custom_command(TARGET KeloDiagnosticCore POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KELO_DIAGCORE_MANIFEST} ${KELO_DIST_DIR}/KeloDiagnosticCore.X.manifest)
add_dependencies(KeloTessaly KeloDiagnosticCore)

# Tests: the component through CoCreateInstance as the tool creates it. The test program
# lives in a folder of its own with the assembly beside it (and writes its
# config\search.ini there), and carries the assembly dependency in its manifest.
set(KELO_DIAGCORE_TEST_DIR ${CMAKE_BINARY_DIR}/diagcore-tests)
add_custom_command(TARGET KeloDiagnosticCore POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELO_DIAGCORE_TEST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:KeloDiagnosticCore> ${KELO_DIAGCORE_MANIFEST}
          ${KELO_DIAGCORE_TEST_DIR})
kelo_test(diagcore_tests
  SOURCES tests/components/diagcore/ComponentTest.cpp tests/components/diagcore/EnumerationTest.cpp
          tests/components/diagcore/SearchTest.cpp tests/components/diagcore/CoreTestSupport.cpp
          tests/components/diagcore/DiagCoreTests.rc tests/LoopbackHttpServer.cpp tests/TestFolder.cpp
  LIBS kelo_diagcore_interfaces kelo_sim_win ws2_32)
set_target_properties(diagcore_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIAGCORE_TEST_DIR})
set_source_files_properties(tests/components/diagcore/DiagCoreTests.rc PROPERTIES OBJECT_DEPENDS
  ${DiagCoreTests.manifest_PATH})
add_dependencies(diagcore_tests KeloDiagnosticCore)

# The simulated printers of the search tests, and their print queues in the Wine prefix.
set(KELO_DIAGCORE_SCENARIO tests/components/diagcore/search.scenario)
kelo_sim_fixture(diagcore_sim SCENARIO ${KELO_DIAGCORE_SCENARIO})
add_test(NAME diagcore_printers_install
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-printers --with-usb ${CMAKE_SOURCE_DIR}/${KELO_DIAGCORE_SCENARIO})
add_test(NAME diagcore_printers_remove
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-printers --with-usb --remove ${CMAKE_SOURCE_DIR}/${KELO_DIAGCORE_SCENARIO})
set_tests_properties(diagcore_printers_install PROPERTIES FIXTURES_SETUP diagcore_printers TIMEOUT 60)
set_tests_properties(diagcore_printers_remove PROPERTIES FIXTURES_CLEANUP diagcore_printers TIMEOUT 60)
set_tests_properties(diagcore_tests PROPERTIES FIXTURES_REQUIRED "diagcore_sim;diagcore_printers")
# Tests that add queues to the prefix's spooler, or expect an exact list of them, take this lock.
set_tests_properties(diagcore_printers_install diagcore_printers_remove diagcore_tests PROPERTIES
  RESOURCE_LOCK wine_spooler)

# The search benchmark's program (bench/diagcore/search_bench.sh runs it; not a test).
set(KELO_DIAGCORE_BENCH_DIR ${CMAKE_BINARY_DIR}/diagcore-bench)
add_executable(diagcore_search_bench bench/diagcore/SearchBench.cpp bench/diagcore/SearchBench.rc)
target_compile_options(diagcore_search_bench PRIVATE ${KELO_WARNINGS})
target_link_options(diagcore_search_bench PRIVATE -municode)
target_link_libraries(diagcore_search_bench PRIVATE kelo_diagcore_interfaces kelo_engine)
set_target_properties(diagcore_search_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIAGCORE_BENCH_DIR})
set_source_files_properties(bench/diagcore/SearchBench.rc PROPERTIES OBJECT_DEPENDS
  ${SearchBench.manifest_PATH})
add_dependencies(diagcore_search_bench KeloDiagnosticCore)
add_custom_command(TARGET KeloDiagnosticCore POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELO_DIAGCORE_BENCH_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:KeloDiagnosticCore> ${KELO_DIAGCORE_MANIFEST}
          ${KELO_DIAGCORE_BENCH_DIR})

# The diagnosis manager, which reaches the component's NetworkInfo: beside the assembly too.
kelo_test(diagnosis_manager_tests
  SOURCES tests/app/DiagnosticMgrTest.cpp tests/components/diagcore/DiagCoreTests.rc tests/TestFolder.cpp
  LIBS kelo_engine)
set_target_properties(diagnosis_manager_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIAGCORE_TEST_DIR})
add_dependencies(diagnosis_manager_tests KeloDiagnosticCore)
