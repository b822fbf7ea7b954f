// Numbers of the program's resources, shared by the resource sources, the code and the
// tests. Plain definitions, so that the resource compiler reads them too.
#pragma once

// The program's icon, also the configuration dialog's large icon.
#define IDI_SETUP 100

// The configuration dialog of the CSP provider and its controls. The template's number is
// also the gap in the string table at 141, as "Далее" is at 140.
#define IDD_CONFIG 141
#define IDC_NEXT 140
#define IDC_RUSSIAN 1006
#define IDC_ENGLISH 1007
#define IDC_KC1 1008
#define IDC_KC2 1009
#define IDC_KC3 1010
#define IDC_INTRO_FRAME 1011
#define IDC_LANGUAGE_FRAME 1012
#define IDC_LEVEL_FRAME 1013
#define IDC_INTRO 1014
#define IDC_OPTIONS 1015

// The message catalogue. 115, 132, 140 and 141 are absent on purpose; the texts that no
// box shows are carried all the same.
#define IDS_NEED_ADMINISTRATOR 101
#define IDS_ASK_PLUGIN_CSP 102
#define IDS_ASK_PLUGIN 103
#define IDS_PRODUCT_NAME 104
#define IDS_PROVIDER_FAILED 105
#define IDS_PLUGIN_FAILED 106
#define IDS_RESTART_PLUGIN_CSP 107
#define IDS_RESTART_PLUGIN 108
#define IDS_RESTART_BROWSER_PLUGIN_CSP 109
#define IDS_RESTART_BROWSER_PLUGIN 110
#define IDS_RESTART_FAILED 111
#define IDS_PLUGIN_UPDATE_FAILED 112
#define IDS_INSTALLING_PLUGIN_CSP 113
#define IDS_INSTALLING_PLUGIN 114
#define IDS_WINDOWS_TOO_OLD 116
#define IDS_NEED_WINDOWS_2000_SP4 117
#define IDS_NEED_WINDOWS_XP_SP2 118
#define IDS_NEED_WINDOWS_2003_SP2 119
#define IDS_NEED_WINDOWS_VISTA_SP2 120
// The same text as 120; it is the one shown when the Windows version cannot be read.
#define IDS_VERSION_UNREADABLE 121
#define IDS_ASK_PLUGIN_UCSP 122
#define IDS_RESTART_PLUGIN_UCSP 123
#define IDS_RESTART_BROWSER_PLUGIN_UCSP 124
#define IDS_ASK_PLUGIN_CSP_UCSP 125
#define IDS_RESTART_PLUGIN_CSP_UCSP 126
#define IDS_RESTART_BROWSER_PLUGIN_CSP_UCSP 127
#define IDS_UPDATE_CAPTION 128
#define IDS_ERROR_CAPTION 129
#define IDS_CSP_TOO_OLD 130
#define IDS_INSTALLED_VERSION_UNREADABLE 131
#define IDS_PACKAGE_CANNOT_OPEN 133
#define IDS_PACKAGE_VERSION_UNREADABLE 134
#define IDS_INSTALLED_PACKAGE_PATH_UNKNOWN 135
#define IDS_INSTALLED_PACKAGE_FOLDER_UNKNOWN 136
#define IDS_PACKAGE_RELEASE_FLAGS_UNREADABLE 137
#define IDS_PACKAGE_LANGUAGE_UNREADABLE 138
#define IDS_PACKAGE_NOT_FOUND 139
#define IDS_HIDE 142
#define IDS_OPTIONS 143
#define IDS_ENVIRONMENT_UNREADABLE 144
#define IDS_ASK_REINSTALL_CSP 145
#define IDS_ASK_REINSTALL_UCSP 146
#define IDS_ASK_REINSTALL_PLUGIN 147
#define IDS_LATER_CSP_INSTALLED 148
#define IDS_LATER_UCSP_INSTALLED 149
#define IDS_LATER_PLUGIN_INSTALLED 150
