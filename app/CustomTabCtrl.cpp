#include "app/CustomTabCtrl.h"

// Placeholder until the tab strip lands.
CCustomTabCtrl::CCustomTabCtrl() = default;
CCustomTabCtrl::~CCustomTabCtrl() = default;
bool CCustomTabCtrl::RegisterWindowClass() { return false; }
bool CCustomTabCtrl::Attach(HWND) { return false; }
HWND CCustomTabCtrl::GetSafeHwnd() const { return nullptr; }
int CCustomTabCtrl::InsertItem(int, const std::wstring&, int32_t) { return -1; }
void CCustomTabCtrl::DeleteAllItems() {}
void CCustomTabCtrl::ModifyStyle(DWORD) {}
void CCustomTabCtrl::SetCurSel(int) {}
int CCustomTabCtrl::GetCurSel() const { return -1; }
int CCustomTabCtrl::GetItemCount() const { return 0; }
std::wstring CCustomTabCtrl::GetItemText(int) const { return {}; }
