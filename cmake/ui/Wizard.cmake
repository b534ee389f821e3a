# The wizard, its page pattern and its pages.
target_sources(kelo_win PRIVATE
  app/WizardDlg.cpp
  pages/ConnectivityDlg.cpp
  pages/CopyEvaluationDlg.cpp
  pages/CopyFailedDlg.cpp
  pages/CopyTestDlg.cpp
  pages/DeviceStatusDlg.cpp
  pages/FinalDlg.cpp
  pages/NoPrintDlg.cpp
  pages/NotSupportedDlg.cpp
  pages/PrintBadDlg.cpp
  pages/PrintEvaluationDlg.cpp
  pages/PrintTestDlg.cpp
  pages/WizardPage.cpp
)

# The wizard and its pages under Xvfb: scripted tests for every branch, and one run through the
# real tests against a simulated Sable network printer on 127.0.11.x.
kelo_sim_fixture(wizard_sim SCENARIO tests/ui/wizard.scenario)
kelo_test(wizard_tests
  SOURCES tests/ui/WizardTest.cpp tests/ui/Screenshot.cpp tests/sable/SimControl.cpp tests/TestFolder.cpp res/KeloTessaly.rc
  LIBS kelo_sim_win)
set_tests_properties(wizard_tests PROPERTIES FIXTURES_REQUIRED wizard_sim ENVIRONMENT
  "KELO_SABLE_SIM_READY=${CMAKE_BINARY_DIR}/sim-fixtures/wizard_sim/ready;KELO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
