#include "pages/PrinterServicesDlg.h"

