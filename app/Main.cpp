#include <windows.h>

#include "app/KeloTessalyApp.h"
#include "support/CrashTrace.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    InstallCrashTrace();
    theApp.InitInstance();
    return 0;
}
