#pragma once
// The base of every page: its own fonts, a drawn frame, Enter ignored, Escape closes the tool.
#include <array>

#include "app/DialogBase.h"
#include "winapi/Handles.h"

class CDialogExtended : public CDialogBase {
public:
    CDialogExtended(UINT templateId, bool frameMode);

    // Page font n (1 to 6).
    HFONT PageFont(int n) const { return pageFonts_[static_cast<size_t>(n - 1)].get(); }

    // Draws the frame around the content; pages route their background erase here.
    void DrawFrame(HDC dc);
    void BeginModalState();
    void EndModalState();

    void SetFrameRect(const RECT& frame) { frame_ = frame; }
    const RECT& FrameRectangle() const { return frame_; }
    bool FrameMode() const { return frameMode_; }

protected:
    void OnOK() override {}
    void OnCancel() override;

    std::array<NGWinApi::UniqueFont, 6> pageFonts_;
    NGWinApi::UniqueBitmap bitmap_;
    DWORD reserved_ = 0;
    RECT frame_ = {};
    bool frameMode_;
};
