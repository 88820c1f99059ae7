// Identifiers of the player's resources, shared by its resource script and its code.
#pragma once

#define IDD_SAVE_OPTIONS 100
#define IDC_SKIP_IDLE 1200
