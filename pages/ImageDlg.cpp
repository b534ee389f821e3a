#include "pages/ImageDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "app/PageFrame.h"
#include "support/LanguageChoice.h"
#include "res/resource.h"
#include "winapi/Handles.h"

namespace {

constexpr int kSixColourImage = 2;
constexpr int kFourColourImage = 3;
constexpr int kColourBoxesImage = 4;
constexpr int kWhiteImage = 1;
constexpr int kPictureMargin = 12; // pixels around the picture and above Close

SIZE SizeOf(HBITMAP bitmap)
{
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0)
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// Draws `bitmap` into `place`, stretched only where its size differs.
void DrawBitmap(HDC dc, HBITMAP bitmap, const RECT& place)
{
    const SIZE size = SizeOf(bitmap);
    if (size.cx == 0 || place.right <= place.left || place.bottom <= place.top)
        return;
    NGWinApi::MemoryDc source(dc);
    NGWinApi::Selection selected(source.get(), bitmap);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (size.cx == width && size.cy == height) {
        ::BitBlt(dc, place.left, place.top, width, height, source.get(), 0, 0, SRCCOPY);
    } else {
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, place.left, place.top, width, height, source.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    }
}

} // namespace

int ExpectedPageImage(const std::wstring& printFile)
{
    if (printFile.find(L"DS2_based.prn") != std::wstring::npos)
        return kSixColourImage;
    if (printFile.find(L"corvid_small.prn") != std::wstring::npos ||
        printFile.find(L"Vireo_Prn.prn") != std::wstring::npos)
        return kColourBoxesImage;
    return kFourColourImage;
}

CImageDlg::CImageDlg() : CDialogBase(IDD_EXPECTED_PAGE) {}

BOOL CImageDlg::OnInitDialog()
{
    ::SetWindowTextW(GetSafeHwnd(), theApp.WindowTitle().c_str());
    HWND close = GetDlgItem(IDCANCEL);
    ::SetWindowTextW(close, StringTable().GetString(L"TSY_CLOSE_BUTTON").c_str());
    HFONT font = nullptr;
    if (UsesApplicationFonts(StringTable().LanguageId()))
        font = theApp.AppFont(5);
    if (font == nullptr) {
        font_.reset(CreateInterfaceFont(15, 400));
        font = font_.get();
    }
    ::SendMessageW(close, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SetFocus(close);
    return FALSE; // the focus stays on Close
}

HBITMAP CImageDlg::Picture() const
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    return theApp.PageImage(ExpectedPageImage(device ? device->printFile : std::wstring()));
}

RECT CImageDlg::PictureRect() const
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr)
        return {};
    RECT client;
    ::GetClientRect(hwnd, &client);
    RECT close = {};
    ::GetWindowRect(GetDlgItem(IDCANCEL), &close);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&close), 2);
    const SIZE size = SizeOf(Picture());
    const PageRect fit = FitPicture(size.cx, size.cy,
                                    {kPictureMargin, kPictureMargin, client.right - kPictureMargin,
                                     close.top - kPictureMargin});
    return {fit.left, fit.top, fit.right, fit.bottom};
}

void CImageDlg::Paint(HDC dc) const
{
    RECT client;
    ::GetClientRect(GetSafeHwnd(), &client);
    // The white sheet behind the picture fills the window.
    DrawBitmap(dc, theApp.PageImage(kWhiteImage), client);
    DrawBitmap(dc, Picture(), PictureRect());
}

bool CImageDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(IDCANCEL);
            result = TRUE;
            return true;
        }
        break;
    default:
        break;
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}
