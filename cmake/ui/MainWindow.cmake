# The main window, printer selection, language choice, About box, progress popup, error
# simulation and resets page under Xvfb, with a diagnosis manager whose printers the tests set;
# only the simulator's printer on 127.0.14.x is reached over the network.
kelo_sim_fixture(main_window_sim SCENARIO tests/ui/simulation.scenario)
kelo_test(main_window_tests
  SOURCES tests/ui/MainWindowTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_sim_win kelo_ui)
set_tests_properties(main_window_tests PROPERTIES FIXTURES_REQUIRED main_window_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/main_window_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The result pages, the USB-or-network question, the driver warning and the feedback survey under
# Xvfb; links go to a shell stand-in, support hosts to loopback.
kelo_test(result_pages_tests
  SOURCES tests/ui/ResultPagesTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(result_pages_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The network search window with the real component: beside the component's assembly, over the
# simulated printers of 127.0.15.0/28.
kelo_sim_fixture(search_window_sim SCENARIO tests/ui/search.scenario)
kelo_test(search_window_tests
  SOURCES tests/ui/SearchWindowTest.cpp tests/ui/WindowTestSupport.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/components/diagcore/CoreTestSupport.cpp
          tests/sable/SimControl.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_sim_win kelo_ui)
set_target_properties(search_window_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELO_DIAGCORE_TEST_DIR})
add_dependencies(search_window_tests KeloDiagnosticCore)
# It writes config\search.ini beside the component, as the component's own tests do.
set_property(TEST diagcore_tests APPEND PROPERTY RESOURCE_LOCK diagcore_search_ini)
set_tests_properties(search_window_tests PROPERTIES RESOURCE_LOCK diagcore_search_ini)
set_tests_properties(search_window_tests PROPERTIES FIXTURES_REQUIRED search_window_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/search_window_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The ink levels, printer information and printer services tabs under Xvfb, filled from records;
# links go to a shell stand-in and a loopback portal.
kelo_test(info_tabs_tests
  SOURCES tests/ui/InfoTabsTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/LoopbackHttpServer.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(info_tabs_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# Every page in each of the 21 languages, measured with the fonts it really uses.
kelo_test(language_layout_tests
  SOURCES tests/ui/LanguageLayoutTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/LoopbackHttpServer.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(language_layout_tests PROPERTIES DISABLED ON)
# Under the locale of its language: Wine picks fonts and metrics by the user's locale.
foreach(pair 1033:en_US 1028:zh_TW 1029:cs_CZ 1030:da_DK 1031:de_DE 1032:el_GR 1034:es_ES 1035:fi_FI
             1036:fr_FR 1038:hu_HU 1040:it_IT 1041:ja_JP 1042:ko_KR 1043:nl_NL 1044:nb_NO 1045:pl_PL
             1046:pt_BR 1049:ru_RU 1053:sv_SE 1055:tr_TR 2052:zh_CN)
  string(REPLACE ":" ";" parts ${pair})
  list(GET parts 0 language)
  list(GET parts 1 locale)
  add_test(NAME language_layout_${language} COMMAND language_layout_tests --gtest_filter=*/${language})
  # Alone: a program starting under another code page rewrites the prefix's dialog font
  # substitutes, which a window test starting at that moment would pick up half-way.
  set_tests_properties(language_layout_${language} PROPERTIES
    ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR};LC_ALL=${locale}.UTF-8" TIMEOUT 120 RUN_SERIAL ON)
endforeach()
