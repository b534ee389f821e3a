# The main window, printer selection, language choice, About box and progress popup under Xvfb,
# with a diagnosis manager whose printers the tests set; no printer is reached over the network.
kelo_test(main_window_tests
  SOURCES tests/ui/MainWindowTest.cpp tests/ui/Screenshot.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(main_window_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The result pages, the USB-or-network question, the driver warning and the feedback survey under
# Xvfb; links go to a shell stand-in, support hosts to loopback.
kelo_test(result_pages_tests
  SOURCES tests/ui/ResultPagesTest.cpp tests/ui/Screenshot.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(result_pages_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The ink levels, printer information and printer services tabs under Xvfb, filled from records;
# links go to a shell stand-in and a loopback portal.
kelo_test(info_tabs_tests
  SOURCES tests/ui/InfoTabsTest.cpp tests/ui/Screenshot.cpp tests/ui/WindowTestSupport.cpp tests/LoopbackHttpServer.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(info_tabs_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
