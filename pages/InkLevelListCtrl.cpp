#include "pages/InkLevelListCtrl.h"

#include <commctrl.h>

#include <array>
#include <string>

#include "app/FontUtil.h"
#include "pages/InkLevelRules.h"
#include "support/XMLHandler.h"

namespace {

constexpr COLORREF kOutlineColour = RGB(85, 85, 85);
// Drawn inside the outline, so the rows above and below do not paint over it.
constexpr int kOutlineWidth = 3;

// The cartridge field of each text row (rows 3 to 10); null for the others.
constexpr std::array<std::wstring InkInfo::*, inklevel::kRowCount> kRowFields = {
    nullptr,
    nullptr,
    nullptr,
    &InkInfo::regionalCartridge,
    &InkInfo::installationDate,
    &InkInfo::consumableState,
    &InkInfo::brand,
    &InkInfo::warranty,
    &InkInfo::selectabilityNumber,
    &InkInfo::dropsUsed,
    &InkInfo::serialNumber,
};

// What a cell carries as its item text (the list's readers see it; the drawing uses the records).
std::wstring CellText(int row, const InkInfo& ink)
{
    switch (inklevel::CellKindOf(row)) {
    case inklevel::CellKind::ColourName:
        return ink.colour;
    case inklevel::CellKind::LevelBar:
        return ink.level;
    case inklevel::CellKind::Text:
        return ink.*kRowFields[static_cast<size_t>(row)];
    case inklevel::CellKind::Nothing:
        break;
    }
    return {};
}

std::wstring LookUp(const wchar_t* key) { return *key == L'\0' ? std::wstring() : StringTable().GetString(key); }

inklevel::Rect FromRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

void DrawLeftTop(HDC dc, const std::wstring& text, RECT box)
{
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

} // namespace

CInkLevelListCtrl::CInkLevelListCtrl()
    : dataFont_(CreateInterfaceFont(13, 500)), labelFont_(CreateInterfaceFont(15, 500)),
      colourFont_(CreateInterfaceFont(15, 500))
{
}

void CInkLevelListCtrl::Attach(HWND list)
{
    list_ = list;
    colourRowTop_ = -1;
    if (list_ != nullptr)
        ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);
}

void CInkLevelListCtrl::Clear()
{
    if (list_ == nullptr)
        return;
    ListView_DeleteAllItems(list_);
    HWND header = ListView_GetHeader(list_);
    for (int column = Header_GetItemCount(header) - 1; column >= 0; --column)
        if (!ListView_DeleteColumn(list_, column))
            break;
}

void CInkLevelListCtrl::Rebuild()
{
    Clear();
    if (list_ == nullptr)
        return;
    const size_t count = consumables_ != nullptr ? consumables_->size() : 0;
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = inklevel::kLabelColumnWidth;
    ListView_InsertColumn(list_, 0, &column);
    column.cx = inklevel::kConsumableColumnWidth;
    for (size_t i = 0; i < count; ++i) {
        column.iSubItem = static_cast<int>(i + 1);
        ListView_InsertColumn(list_, column.iSubItem, &column);
    }

    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < inklevel::kRowCount; ++row) {
        std::wstring label = LookUp(inklevel::kRowLabelKeys[static_cast<size_t>(row)]);
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = label.data();
        const int inserted = ListView_InsertItem(list_, &item);
        for (size_t i = 0; i < count; ++i) {
            std::wstring text = CellText(row, (*consumables_)[i]);
            ListView_SetItemText(list_, inserted, static_cast<int>(i + 1), text.data());
        }
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    Remeasure();
    ::InvalidateRect(list_, nullptr, TRUE);
}

void CInkLevelListCtrl::Remeasure()
{
    if (list_ == nullptr)
        return;
    RECT window;
    ::GetWindowRect(list_, &window);
    ::MapWindowPoints(nullptr, ::GetParent(list_), reinterpret_cast<POINT*>(&window), 2);
    WINDOWPOS position = {list_, nullptr, window.left, window.top, window.right - window.left,
                          window.bottom - window.top, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOZORDER};
    ::SendMessageW(list_, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
}

void CInkLevelListCtrl::MeasureItem(MEASUREITEMSTRUCT& measure) const
{
    HDC screen = ::GetDC(nullptr);
    TEXTMETRICW metrics = {};
    {
        NGWinApi::Selection font(screen, labelFont_.get());
        ::GetTextMetricsW(screen, &metrics);
    }
    ::ReleaseDC(nullptr, screen);
    measure.itemHeight = static_cast<UINT>(metrics.tmHeight + metrics.tmExternalLeading + 1);
}

void CInkLevelListCtrl::DrawItem(const DRAWITEMSTRUCT& draw)
{
    if (list_ == nullptr || consumables_ == nullptr || consumables_->empty())
        return;
    HDC dc = draw.hDC;
    const int row = static_cast<int>(draw.itemID);
    ::FillRect(dc, &draw.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    if (row == inklevel::kColourRow)
        colourRowTop_ = draw.rcItem.top;

    RECT label = {};
    if (ListView_GetSubItemRect(list_, row, 0, LVIR_LABEL, &label)) {
        NGWinApi::Selection font(dc, labelFont_.get());
        DrawLeftTop(dc, row >= 0 && row < inklevel::kRowCount
                            ? LookUp(inklevel::kRowLabelKeys[static_cast<size_t>(row)])
                            : std::wstring(),
                    label);
    }
    const int columns = Header_GetItemCount(ListView_GetHeader(list_));
    for (int column = 1; column < columns; ++column) {
        // A column the records do not reach stays empty.
        const auto index = inklevel::ConsumableIndex(column, consumables_->size());
        if (index)
            DrawCell(dc, row, column, (*consumables_)[*index]);
    }
}

void CInkLevelListCtrl::DrawCell(HDC dc, int row, int column, const InkInfo& ink)
{
    RECT cell = {};
    if (!ListView_GetSubItemRect(list_, row, column, LVIR_BOUNDS, &cell))
        return;
    switch (inklevel::CellKindOf(row)) {
    case inklevel::CellKind::ColourName: {
        NGWinApi::Selection font(dc, colourFont_.get());
        DrawLeftTop(dc, ink.colour, cell);
        break;
    }
    case inklevel::CellKind::LevelBar: {
        const inklevel::Rect outline = inklevel::BarOutline(FromRect(cell));
        NGWinApi::UniquePen pen(::CreatePen(PS_INSIDEFRAME, kOutlineWidth, kOutlineColour));
        {
            NGWinApi::Selection penSelected(dc, pen.get());
            NGWinApi::Selection noFill(dc, ::GetStockObject(NULL_BRUSH));
            ::Rectangle(dc, outline.left, outline.top, outline.right, outline.bottom);
        }
        const auto text = [](const wchar_t* key) { return StringTable().GetString(key); };
        for (const inklevel::Band& band : inklevel::LevelBar(FromRect(cell), ink.colour, ink.level, text)) {
            NGWinApi::UniqueBrush brush(::CreateSolidBrush(RGB(band.colour.red, band.colour.green, band.colour.blue)));
            const RECT area = {band.rect.left, band.rect.top, band.rect.right, band.rect.bottom};
            ::FillRect(dc, &area, brush.get());
        }
        break;
    }
    case inklevel::CellKind::Text: {
        NGWinApi::Selection font(dc, dataFont_.get());
        DrawLeftTop(dc, CellText(row, ink), cell);
        break;
    }
    case inklevel::CellKind::Nothing:
        break;
    }
}
