# The main window, printer selection, language choice, About box, progress popup and the tab pages of later work.
target_sources(kelo_ui PRIVATE
  app/AboutDlg.cpp
  app/ChooseLanguageDlg.cpp
  app/EnumerateDlg.cpp
  pages/FirmwareDlg.cpp
  pages/InkLevelDlg.cpp
  pages/NoNetworkDlg.cpp
  pages/NotListedDlg.cpp
  pages/NotListedNetworkDlg.cpp
  pages/PlaceholderPage.cpp
  pages/PrgsDlg.cpp
  pages/PrinterServicesDlg.cpp
  pages/ResetsDlg.cpp
)

# The main window, printer selection, language choice, About box and progress popup under Xvfb,
# with a diagnosis manager whose printers the tests set; no printer is reached over the network.
kelo_test(main_window_tests
  SOURCES tests/ui/MainWindowTest.cpp tests/ui/Screenshot.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(main_window_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The result pages, the USB-or-network question, the driver warning and the feedback survey under
# Xvfb; links go to a shell stand-in, support hosts to loopback.
target_sources(kelo_ui PRIVATE
  pages/DriverVerificationDlg.cpp
  pages/FeedbackDlg.cpp
  pages/USBNetworkPopup.cpp
)
kelo_test(result_pages_tests
  SOURCES tests/ui/ResultPagesTest.cpp tests/ui/Screenshot.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(result_pages_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
