// Ids shared by the resource script and the code.
#pragma once

// Main dialog (template 102) controls.
#define IDC_PROGRESS 1004
#define IDC_STATUS 1008

// Strings.
#define IDS_WINDOWS98_ONLY 105
#define IDS_INF_NOT_FOUND 116
#define IDS_SYS_NOT_FOUND 118
#define IDS_PDR_NOT_FOUND 119

// First id of the build's brand group: program name, device name, About text, link.
#ifndef BRAND_GROUP_FIRST_ID
#define BRAND_GROUP_FIRST_ID 330
#endif
