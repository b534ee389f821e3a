#include "pages/NotListedNetworkDlg.h"

