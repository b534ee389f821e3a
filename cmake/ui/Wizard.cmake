# The wizard and its pages under Xvfb: scripted tests for every branch, and one run through the
# real tests against a simulated Sable network printer on 127.0.11.x.
kelo_sim_fixture(wizard_sim SCENARIO tests/ui/wizard.scenario)
kelo_test(wizard_tests
  SOURCES tests/ui/WizardTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_sim_win kelo_ui)
set_tests_properties(wizard_tests PROPERTIES FIXTURES_REQUIRED wizard_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/wizard_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The print and copy pages with the expected-page window: scripted answers for every branch and
# the real low-level print and status reads against simulated printers on 127.0.13.x.
kelo_sim_fixture(print_pages_sim SCENARIO tests/ui/print_pages.scenario)
kelo_test(print_pages_tests
  SOURCES tests/ui/PrintPagesTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_sim_win kelo_ui)
set_tests_properties(print_pages_tests PROPERTIES FIXTURES_REQUIRED print_pages_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/print_pages_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")

# The device status page and its troubleshooting steps window under Xvfb.
kelo_test(device_status_page_tests
  SOURCES tests/ui/DeviceStatusPageTest.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/ui/WindowTestSupport.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_ui)
set_tests_properties(device_status_page_tests PROPERTIES ENVIRONMENT "KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
