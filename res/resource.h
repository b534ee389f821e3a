// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128
#define IDI_SERVICE 185
#define IDI_WARNING_TRIANGLE 192

#define IDD_ABOUTBOX 100
#define IDD_TSY_PARENT 102
#define IDD_WIZARD 107
#define IDD_ENUMERATE 131
#define IDD_NOT_LISTED 138
#define IDD_NOT_SUPPORTED 141
#define IDD_PRINT_EVALUATION 145
#define IDD_COPY_TEST 146
#define IDD_COPY_EVALUATION 149
#define IDD_FINAL 150
#define IDD_NO_PRINT 154
#define IDD_DEVICE_STATUS 155
#define IDD_PRINT_TEST 156
#define IDD_CHOOSE_LANGUAGE 160
#define IDD_NO_NETWORK 166
#define IDD_NOT_LISTED_NETWORK 167
#define IDD_PRINTER_SERVICES 170
#define IDD_INK_LEVELS 172
#define IDD_FIRMWARE 173
#define IDD_RESETS 174
#define IDD_PROGRESS 175
#define IDD_PRINT_BAD 186
#define IDD_CONNECTIVITY 187
#define IDD_COPY_FAILED 189

#define IDR_SECRET_MENU 161
#define IDR_BACK_MENU 162

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
