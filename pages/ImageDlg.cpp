#include "pages/ImageDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "support/LanguageChoice.h"
#include "res/resource.h"
#include "winapi/Handles.h"

namespace {

constexpr int kSixColourImage = 2;
constexpr int kFourColourImage = 3;
constexpr int kColourBoxesImage = 4;
constexpr int kWhiteImage = 1;
constexpr SIZE kWhiteSize = {756, 542};
constexpr SIZE kSixColourSize = {480, 489};
constexpr SIZE kScanBox = {600, 468};

// Draws `bitmap` into the top left `width` x `height` pixels, or at its own size when `asIs`.
void DrawBitmap(HDC dc, HBITMAP bitmap, int width, int height, bool asIs = false)
{
    if (bitmap == nullptr)
        return;
    BITMAP info = {};
    ::GetObjectW(bitmap, sizeof(info), &info);
    NGWinApi::MemoryDc source(dc);
    NGWinApi::Selection selected(source.get(), bitmap);
    if (asIs || (info.bmWidth == width && info.bmHeight == height)) {
        ::BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    } else {
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
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

void CImageDlg::Paint(HDC dc) const
{
    RECT client;
    ::GetClientRect(GetSafeHwnd(), &client);
    DrawBitmap(dc, theApp.PageImage(kWhiteImage), client.right, client.bottom,
               client.right == kWhiteSize.cx && client.bottom == kWhiteSize.cy);
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager != nullptr ? manager->Selected() : std::nullopt;
    const int image = ExpectedPageImage(device ? device->printFile : std::wstring());
    if (image == kSixColourImage)
        DrawBitmap(dc, theApp.PageImage(image), kSixColourSize.cx, kSixColourSize.cy);
    else
        DrawBitmap(dc, theApp.PageImage(image), kScanBox.cx, kScanBox.cy);
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
