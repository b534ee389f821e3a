#pragma once
// The owner-drawn consumable table of the ink levels tab: rows are attributes, columns are
// cartridges. The page hands it the list view and forwards the list's measure and draw requests.
#include <windows.h>

#include <vector>

#include "discovery/DeviceRecords.h"
#include "winapi/Handles.h"

class CInkLevelListCtrl {
public:
    CInkLevelListCtrl();

    void Attach(HWND list);
    HWND GetSafeHwnd() const { return list_; }

    // The cartridges to show; not owned, must outlive the drawing. Null shows none.
    void SetConsumables(const std::vector<InkInfo>* consumables) { consumables_ = consumables; }
    // Deletes every column and row.
    void Clear();
    // The label column, one column per cartridge and the eleven rows; the cells also carry their
    // texts (the level in the bar row) for whoever reads the list.
    void Rebuild();
    // Makes the list ask for its row height again (after its font changed).
    void Remeasure();

    void MeasureItem(MEASUREITEMSTRUCT& measure) const;
    void DrawItem(const DRAWITEMSTRUCT& draw);

    HFONT DataFont() const { return dataFont_.get(); }
    HFONT LabelFont() const { return labelFont_.get(); }
    HFONT ColourFont() const { return colourFont_.get(); }
    // The top of the colour row as last drawn; -1 before.
    int ColourRowTop() const { return colourRowTop_; }

private:
    void DrawCell(HDC dc, int row, int column, const InkInfo& ink);

    HWND list_ = nullptr;
    const std::vector<InkInfo>* consumables_ = nullptr;
    NGWinApi::UniqueFont dataFont_;
    NGWinApi::UniqueFont labelFont_;
    NGWinApi::UniqueFont colourFont_;
    int colourRowTop_ = -1;
};
