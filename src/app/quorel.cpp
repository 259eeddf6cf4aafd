// Program entry. The command line is not read.
#include <windows.h>

#include "app/unit1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return QuorelMain();
}
