#include "app/ChooseLanguageDlg.h"

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "support/LanguageChoice.h"

namespace {

constexpr LCTYPE kEnglishLanguageName = 0x1001;
constexpr LCTYPE kEnglishCountryName = 0x1002;
constexpr int kLocaleBufferSize = 250;

std::wstring LocaleText(unsigned short languageId, LCTYPE item)
{
    wchar_t text[kLocaleBufferSize] = {};
    ::GetLocaleInfoW(MAKELCID(languageId, SORT_DEFAULT), item, text, kLocaleBufferSize);
    return text;
}

void AddColumn(HWND list, int index, const wchar_t* title, int width)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

} // namespace

CChooseLanguageDlg::CChooseLanguageDlg() : CDialogBase(IDD_CHOOSE_LANGUAGE) {}

BOOL CChooseLanguageDlg::OnInitDialog()
{
    white_.reset(::CreateSolidBrush(RGB(255, 255, 255)));
    HWND list = GetDlgItem(IDC_LANGUAGE_LIST);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                                        LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, L"Locale ID", 70);
    AddColumn(list, 1, L"Language", 130);
    AddColumn(list, 2, L"Country", 220);

    int row = 0;
    for (unsigned short languageId : kSupportedLanguages) {
        std::wstring id = std::to_wstring(languageId);
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = id.data();
        item.lParam = languageId;
        const int inserted = ListView_InsertItem(list, &item);
        std::wstring language = LocaleText(languageId, kEnglishLanguageName);
        std::wstring country = LocaleText(languageId, kEnglishCountryName);
        ListView_SetItemText(list, inserted, 1, language.data());
        ListView_SetItemText(list, inserted, 2, country.data());
        ++row;
    }
    return TRUE;
}

void CChooseLanguageDlg::OnOK()
{
    HWND list = GetDlgItem(IDC_LANGUAGE_LIST);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (selected < 0) {
        EndDialog(-1);
        return;
    }
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = selected;
    ListView_GetItem(list, &item);
    EndDialog(static_cast<INT_PTR>(item.lParam));
}

bool CChooseLanguageDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_CTLCOLORDLG:
        result = reinterpret_cast<INT_PTR>(white_.get());
        return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        result = TransparentControlColour(wParam, white_.get());
        return true;
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}
