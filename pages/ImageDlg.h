#pragma once
// The expected-page window: a picture of what the test print should look like, chosen by the
// print file the selected printer was sent.
#include <windows.h>

#include <string>

#include "app/DialogBase.h"
#include "winapi/Handles.h"


// Which of the application's page images shows the expected page of a print file: 2 the
// six-colour page, 4 the colour boxes page, 3 the four-colour page.
int ExpectedPageImage(const std::wstring& printFile);

class CImageDlg : public CDialogBase {
public:
    CImageDlg();

    // The expected page's picture and where it is drawn: as large as fits above Close, in the
    // picture's own proportions, centred; null and empty before the window exists.
    HBITMAP Picture() const;
    RECT PictureRect() const;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void Paint(HDC dc) const;

    NGWinApi::UniqueFont font_;
};
