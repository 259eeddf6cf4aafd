// Resource identifiers.
#pragma once

#define IDI_QUOREL 1 // the program icon: 16 to 256 pixels (quorel.svg)
#define IDI_TRAY 2   // the tray picture: 16 to 256 pixels (tray.svg)
