#include <windows.h>

#include "app/KeloTessalyApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    theApp.InitInstance();
    return 0;
}
