// Ids shared by the resource script and the code.
#pragma once

// The version block's file version, which the run's log names too.
#define SETUP_FILE_VERSION "2.02"

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SETUP 102
#define IDD_AGREEMENT 143

// Artwork. The cursor is not IDC_HAND: <winuser.h> defines that name.
#define IDI_PROGRAM 128
#define IDB_LOGO 138
#define IDC_LINK_HAND 139
#define IDB_SIDE 141

// Main dialog (template 102) controls.
#define IDC_START 1003
#define IDC_PROGRESS 1004
#define IDC_INSTALL 1006
#define IDC_UNINSTALL 1007
#define IDC_STATUS 1008
#define IDC_SELECT_GROUP 1011
#define IDC_LOGO 1013
#define IDC_INSTRUCTION 1014

// About box (template 100) and agreement dialog (template 143) controls.
#define IDC_ABOUT_TEXT 1010
#define IDC_AGREEMENT_TEXT 1018

// Strings. The ones marked "not loaded" are variants the tables carry.
#define IDS_ABOUTBOX 101
#define IDS_INSTRUCTION_WITH_TOKEN 102  // not loaded
#define IDS_INSTRUCTION 103
#define IDS_INSTRUCTION_FLOPPY 104  // not loaded
#define IDS_WINDOWS98_ONLY 105
#define IDS_PLUG_IN_FIRST 107  // not loaded
#define IDS_INSTALLING 109
#define IDS_STARTING_DEVICE 110   // not loaded
#define IDS_INSTALL_COMPLETE 111  // not loaded
#define IDS_INSTALL_FAILED 112
#define IDS_REMOVING 113
#define IDS_UNINSTALL_COMPLETE 114
#define IDS_UNINSTALL_FAILED 115
#define IDS_INF_NOT_FOUND 116
#define IDS_IN_NOT_FOUND 117  // not loaded
#define IDS_SYS_NOT_FOUND 118
#define IDS_PDR_NOT_FOUND 119
#define IDS_ONLY_FOR_DEVICE 120  // not loaded
#define IDS_SELECT_INSTALL_UNINSTALL 124
#define IDS_INSTALL_OR_UPDATE 125
#define IDS_UNINSTALL 126
#define IDS_START 127
#define IDS_CANCEL 128
#define IDS_INSTALL_DONE_REPLUG 129
#define IDS_ALREADY_RUNNING 130

// First id of the build's brand group: program name, device name, About text, link.
#ifndef BRAND_GROUP_FIRST_ID
#define BRAND_GROUP_FIRST_ID 330
#endif

// The build's brand texts, named as the dialog templates' placeholders name them.
#define IDS_PROGRAM_NAME BRAND_GROUP_FIRST_ID
#define IDS_DEVICE_NAME (BRAND_GROUP_FIRST_ID + 1)
#define IDS_VER_COPYRIGHT (BRAND_GROUP_FIRST_ID + 2)
#define IDS_LINK (BRAND_GROUP_FIRST_ID + 3)
