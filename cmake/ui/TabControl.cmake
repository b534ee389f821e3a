# The strip inside a small dialog under Xvfb: clicks, notifications, scrolling, painting.
kelo_test(tab_control_tests SOURCES tests/ui/CustomTabCtrlTest.cpp tests/ui/WindowTestSupport.cpp tests/ui/Screenshot.cpp tests/ui/LayoutCheck.cpp tests/TestFolder.cpp LIBS kelo_ui)
