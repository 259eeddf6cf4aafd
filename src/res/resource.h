// Resource identifiers.
#pragma once

#define IDI_QUOREL 1      // the program icon: 16x16 and 32x32 (16 colours)
#define IDI_TRAY 2        // the 16x16 tray image
