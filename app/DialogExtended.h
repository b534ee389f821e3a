#pragma once
// The base of every page: its own fonts, a drawn frame, Enter ignored, Escape closes the tool.
#include <array>

#include "app/DialogBase.h"
#include "app/PageFrame.h"
#include "winapi/Handles.h"

class CDialogExtended : public CDialogBase {
public:
    CDialogExtended(UINT templateId, bool frameMode);
    // The links let go of the shared fonts before the window goes.
    ~CDialogExtended() override;

    // Page font n (1 to 6).
    HFONT PageFont(int n) const { return pageFonts_[static_cast<size_t>(n - 1)].get(); }

    // Draws the frame around the content; pages route their background erase here.
    void DrawFrame(HDC dc);
    void BeginModalState();
    void EndModalState();

    void SetFrameRect(const RECT& frame) { frame_ = frame; }
    const RECT& FrameRectangle() const { return frame_; }
    // The frame's bottom edge never goes below `y` (page client coordinates; 0: no limit).
    void SetFrameFloor(int y) { frameFloor_ = y; }
    // The corners the frame is drawn at, in the page's client coordinates.
    FrameCorners DrawnFrameCorners() const;
    bool FrameMode() const { return frameMode_; }

protected:
    // Link clicks (mouse or Enter) go to OnLinkClicked while LinksActive, buttons other than OK
    // and Cancel to OnButton.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnOK() override {}
    void OnCancel() override;
    virtual void OnLinkClicked(int id) { (void)id; }
    // True when handled.
    virtual bool OnButton(int id) { (void)id; return false; }
    virtual bool LinksActive() const { return true; }
    // Wine's SysLink deletes the font it was given when it is destroyed; links hold shared fonts,
    // so they let go of them first.
    void ReleaseLinkFonts();

    std::array<NGWinApi::UniqueFont, 6> pageFonts_;
    NGWinApi::UniqueBitmap bitmap_;
    DWORD reserved_ = 0;
    RECT frame_ = {};
    bool frameMode_;
    int frameFloor_ = 0;
};
