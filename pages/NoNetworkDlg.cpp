#include "pages/NoNetworkDlg.h"

