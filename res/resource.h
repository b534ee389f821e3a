// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDI_SERVICE 185
#define IDI_WARNING_TRIANGLE 192

#define IDD_ABOUTBOX 100
#define IDD_TSY_PARENT 102

#define IDC_HEADING 1008
#define IDC_TABCTRL 1214

// Page images, in the order the application decodes them.
#define IDP_MAIN_BACKGROUND 129
#define IDP_PAGE_WHITE 169
#define IDP_EXPECTED_SIX_COLOUR 142
#define IDP_EXPECTED_FOUR_COLOUR 144
#define IDP_EXPECTED_COLOUR_BOXES 159

// Step icons: failed, not run (a bitmap), passed, current.
#define IDP_STEP_FAILED 133
#define IDB_STEP_NOTRUN 137
#define IDP_STEP_PASSED 135
#define IDP_STEP_CURRENT 134

#define IDS_VERSION_TEXT "4.0.0.35"
