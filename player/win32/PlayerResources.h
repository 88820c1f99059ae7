// Identifiers of the player's resources, shared by its resource script and its code.
#pragma once

#define IDD_SAVE_OPTIONS 100
#define IDC_SKIP_IDLE 1200
// The Save As dialog's other options, in both dialogs; the tests' driver finds them by these.
#define IDC_SAVE_SPEED 1201
#define IDC_SAVE_WIDTH 1202
#define IDC_SAVE_ESTIMATE 1203
#define IDC_SAVE_SPEED_LABEL 1204
#define IDC_SAVE_WIDTH_LABEL 1205
