#include "pages/InkLevelDlg.h"
