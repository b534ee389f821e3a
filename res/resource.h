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

#define IDD_EXPECTED_PAGE 139
#define IDD_TROUBLESHOOT 157
#define IDD_USB_NETWORK 165
#define IDD_DRIVER_VERIFICATION 188
#define IDD_FEEDBACK 190

// Control ids. One id may serve different controls in different templates; each control has
// its own name.
// Main window and printer selection.
#define IDC_HEADING 1008
#define IDC_TABCTRL 1214
#define IDC_PRINTER_LIST 1007
#define IDC_ENUMERATE_TEXT 1009
#define IDC_DIAGNOSE 1003
#define IDC_NOT_LISTED 1004
#define IDC_ABOUT_MESSAGE 1033
#define IDC_ABOUT_COPYRIGHT 1056
#define IDC_LANGUAGE_LIST 1053
#define IDC_LANGUAGE_PROMPT 1054
#define IDC_PROGRESS_TEXT 1102
#define IDC_PROGRESS_BAR 1081

// The page pattern of the wizard pages.
#define IDC_PAGE_HEADING 1009
#define IDC_STEP_LIST 1010
#define IDC_PAGE_MESSAGE 1027

// Buttons and links several pages share.
#define IDC_PAGE_CANCEL 1002
#define IDC_RETRY 1005
#define IDC_BACK 1006
#define IDC_CLOSE 1020
#define IDC_FORUM_LINK 1041
#define IDC_FEEDBACK_LINK 1042
#define IDC_CUSTOMER_CARE_LINK 1043
#define IDC_DOWNLOAD_LINK 1046

// Result pages of the main window (no network, not listed) and the not supported page.
#define IDC_RESULT_MESSAGE 1023
#define IDC_RESULT_CUSTOMER_CARE 1028
#define IDC_RESULT_FORUM 1029
#define IDC_RESULT_DOWNLOAD 1031
#define IDC_NOT_LISTED_TITLE 1009
#define IDC_NOT_LISTED_STEPS 1010
#define IDC_NOT_LISTED_EXIT 1031
#define IDC_NOT_LISTED_TITLE2 1011
#define IDC_NOT_LISTED_STEPS2 1012
#define IDC_NOT_LISTED_NETWORK_MESSAGE 1009

// Print test and evaluation, print bad.
#define IDC_SEND_TEST_PRINT 1021
#define IDC_SKIP_PRINT 1212
#define IDC_PRINT_GOOD 1003
#define IDC_PRINT_BAD 1018
#define IDC_NO_PRINT 1013
#define IDC_SHOW_PAGE 1019
#define IDC_PRINT_BAD_CLEAN 1138
#define IDC_PRINT_BAD_ALIGN 1143
#define IDC_CLEAN_TITLE 1084
#define IDC_ALIGN_TITLE 1088
#define IDC_PRINT_BAD_TROUBLESHOOTING 1207
#define IDC_PRINT_BAD_TEXT2 1093
#define IDC_PRINT_BAD_TEXT3 1096
#define IDC_FINAL_HEADING 1030

// Copy test, evaluation and failure.
#define IDC_COPY_TEST_CONTINUE 1002
#define IDC_COPY_TEST_CANCEL 1004
#define IDC_COPY_FAILED 1020
#define IDC_COPY_GOOD 1045
#define IDC_COPY_BAD 1044
#define IDC_COPY_HELP 1207

// Device status page and its troubleshooting steps window.
#define IDC_TROUBLESHOOT 1000
#define IDC_CARE_FRAMED 1032
#define IDC_KEYWORD_HELP 1035
#define IDC_MANUAL_STEPS 1036
#define IDC_STATUS_FEEDBACK_LINK 1037
#define IDC_STATUS_CARE_LINK 1038
#define IDC_RESETS_TITLE 1092
#define IDC_SUPPORT_LINK 1211
#define IDC_STATUS_PICTURE 1146
#define IDC_TROUBLESHOOT_STEPS 1048

// Popups: USB or network, driver verification, feedback.
#define IDC_USB_NETWORK_TEXT 1133
#define IDC_USB_BUTTON 1079
#define IDC_NETWORK_BUTTON 1077
#define IDC_DRIVER_INFO_TEXT 1209
#define IDC_DRIVER_CONTINUE 1134
#define IDC_DRIVER_EXIT 1210
#define IDC_FEEDBACK_TEXT 1226
#define IDC_FEEDBACK_NO_LINK 1225

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
