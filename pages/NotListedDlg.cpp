#include "pages/NotListedDlg.h"

