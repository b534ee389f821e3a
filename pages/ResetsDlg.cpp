#include "pages/ResetsDlg.h"

