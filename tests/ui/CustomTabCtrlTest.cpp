#include <gtest/gtest.h>

#include <shlobj.h>
#include <uxtheme.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "app/AppMessages.h"
#include "app/CustomTabCtrl.h"
#include "app/GdiplusSupport.h"
#include "ui/WindowTestSupport.h"

namespace {

constexpr int kControlId = 1214;
constexpr int kStripHeight = 23;
constexpr int kStripWidth = 600;

// What the parent dialog received from the strip, in order.
struct Event {
    UINT message;
    CTC_NMHDR record;
};
std::vector<Event> g_events;

INT_PTR CALLBACK RecordingHostProc(HWND, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        g_events.push_back({message, *reinterpret_cast<const CTC_NMHDR*>(lParam)});
        return TRUE;
    }
    if (message == kMsgRepaint) {
        g_events.push_back({message, {}});
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

std::vector<int> Codes()
{
    std::vector<int> codes;
    for (const Event& event : g_events)
        codes.push_back(event.message == WM_NOTIFY ? static_cast<int>(event.record.hdr.code) : 1042);
    return codes;
}

// A dialog template in memory holding one custom control of the strip's class.
std::vector<WORD> HostTemplate()
{
    std::vector<WORD> words;
    auto dword = [&](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    auto text = [&](const wchar_t* s) {
        for (; *s; ++s)
            words.push_back(*s);
        words.push_back(0);
    };
    // Never mapped: unmapping a window under a display without a window manager waits 2 s.
    dword(WS_POPUP);
    dword(0);
    words.insert(words.end(), {1, 0, 0, 420, 40});  // one control; x, y, cx, cy
    words.insert(words.end(), {0, 0, 0});           // no menu, default class, no title
    if (words.size() % 2)
        words.push_back(0);
    dword(WS_CHILD | WS_VISIBLE);
    dword(0);
    words.insert(words.end(), {0, 0, 385, 14, kControlId});
    text(L"CCustomTabCtrl");
    text(L"");
    words.push_back(0);
    return words;
}

// A 24-bit bitmap file from a colour function.
template <class Colour>
std::string BitmapFile(int width, int height, Colour colour)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            row[3 * x] = static_cast<char>(GetBValue(c));
            row[3 * x + 1] = static_cast<char>(GetGValue(c));
            row[3 * x + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return bytes;
}

COLORREF Backdrop(int x, int y) { return RGB(30 + y * 4, 70 + x * 120 / kStripWidth, 150); }

// The strip drawn into a bitmap through its background erase, as the screen would get it.
class Picture {
public:
    explicit Picture(HWND control)
    {
        RECT client;
        ::GetClientRect(control, &client);
        width_ = client.right;
        height_ = client.bottom;
        HDC screen = ::GetDC(nullptr);
        dc_ = ::CreateCompatibleDC(screen);
        bitmap_ = ::CreateCompatibleBitmap(screen, width_, height_);
        ::ReleaseDC(nullptr, screen);
        old_ = ::SelectObject(dc_, bitmap_);
        ::SendMessageW(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc_), 0);
    }
    ~Picture()
    {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_, x, y); }
    // Saved for people to look at.
    void Save(const wchar_t* name) const
    {
        std::string bytes = BitmapFile(width_, height_, [&](int x, int y) { return At(x, y); });
        const std::wstring path = GalleryPath(name);
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        if (FILE* out = _wfopen(path.c_str(), L"wb")) {
            fwrite(bytes.data(), 1, bytes.size(), out);
            fclose(out);
        }
    }

private:
    int width_ = 0, height_ = 0;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

DWORD g_now = 1000;
DWORD FakeTicks() { return g_now; }

struct Box {
    std::wstring text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int RecordBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type)
{
    g_boxes.push_back({text, caption, type});
    return IDOK;
}

const std::vector<std::wstring> kFourTabs = {L"Diagnose", L"Services", L"Ink levels", L"Firmware"};
const std::vector<std::wstring> kLongTabs = {L"Printer diagnosis wizard", L"Printer services and care",
                                             L"Ink and printhead levels", L"Firmware and device data",
                                             L"Network and connection", L"Printer resets and reports",
                                             L"Support and feedback links"};

class TabStrip : public ::testing::Test {
protected:
    static void SetUpTestSuite() { gdiplus_ = std::make_unique<GdiplusSession>(); }
    static void TearDownTestSuite() { gdiplus_.reset(); }

    void SetUp() override
    {
        previousHostFiles_ = NGWinApi::Replace(&appData_);
        previousBox_ = CCustomTabCtrl::SetMessageBoxFunction(&RecordBox);
        previousTicks_ = CCustomTabCtrl::SetTickFunction(&FakeTicks);
        g_boxes.clear();
        g_now = 1000;
        ASSERT_TRUE(CCustomTabCtrl::RegisterWindowClass());
        const std::vector<WORD> layout = HostTemplate();
        host_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(layout.data()), nullptr,
                                             &RecordingHostProc, 0);
        ASSERT_NE(host_, nullptr);
        control_ = ::GetDlgItem(host_, kControlId);
        ASSERT_NE(control_, nullptr);
        ::SetWindowPos(control_, nullptr, 0, 0, kStripWidth, kStripHeight, SWP_NOZORDER);
        ASSERT_TRUE(tabs_.Attach(control_));
    }

    void TearDown() override
    {
        if (host_ != nullptr)
            ::DestroyWindow(host_);
        CCustomTabCtrl::SetTickFunction(previousTicks_);
        CCustomTabCtrl::SetMessageBoxFunction(previousBox_);
        NGWinApi::Replace(previousHostFiles_);
    }

    // What the main window does when a diagnosis starts.
    void Fill(const std::vector<std::wstring>& labels)
    {
        tabs_.DeleteAllItems();
        for (size_t i = 0; i < labels.size(); ++i)
            ASSERT_EQ(tabs_.InsertItem(static_cast<int>(i), labels[i], static_cast<int32_t>(10 + i)),
                      static_cast<int>(i));
        tabs_.ModifyStyle(kTabStyleEqualWidth | kTabStyleBottom | kTabStyleAutoButtons);
        tabs_.SetCurSel(0);
        g_events.clear();
    }

    RECT Rect(int index)
    {
        RECT rect = {};
        EXPECT_TRUE(tabs_.GetItemRect(index, rect)) << index;
        return rect;
    }
    POINT Centre(int index)
    {
        const RECT r = Rect(index);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Send(UINT message, POINT p)
    {
        ::SendMessageW(control_, message, message == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON,
                       MAKELPARAM(p.x, p.y));
    }
    void Click(POINT p)
    {
        Send(WM_LBUTTONDOWN, p);
        Send(WM_LBUTTONUP, p);
    }
    static constexpr POINT kNextButton = {kStripHeight + 8, 10};
    static constexpr POINT kPreviousButton = {8, 10};

    TestFolder folder_;
    AppDataInFolder appData_{folder_.Path()};
    NGWinApi::CHostFilesApi* previousHostFiles_ = nullptr;
    CCustomTabCtrl::MessageBoxFunction previousBox_ = nullptr;
    CCustomTabCtrl::TickFunction previousTicks_ = nullptr;
    HWND host_ = nullptr;
    HWND control_ = nullptr;
    CCustomTabCtrl tabs_;
    static inline std::unique_ptr<GdiplusSession> gdiplus_;
};

} // namespace

TEST_F(TabStrip, TheClassComesFromADialogTemplateAndTheControlClipsItsChildren)
{
    WNDCLASSW info = {};
    ASSERT_TRUE(::GetClassInfoW(::GetModuleHandleW(nullptr), L"CCustomTabCtrl", &info));
    EXPECT_EQ(info.style, 11u);
    EXPECT_TRUE(CCustomTabCtrl::RegisterWindowClass());  // once per process, later calls succeed
    EXPECT_EQ(tabs_.GetSafeHwnd(), control_);
    EXPECT_TRUE(::GetWindowLongPtrW(control_, GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST_F(TabStrip, FourShortTabsFitWithoutButtonsAndShareTheWidestWidth)
{
    Fill(kFourTabs);
    EXPECT_FALSE(tabs_.ScrollButtonsShown());
    EXPECT_EQ(tabs_.GetItemCount(), 4);
    EXPECT_EQ(tabs_.GetCurSel(), 0);
    const RECT first = Rect(0);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.top, 0);
    EXPECT_EQ(first.bottom, kStripHeight - 2);
    const int width = first.right - first.left;
    for (int i = 1; i < 4; ++i) {
        const RECT r = Rect(i);
        EXPECT_EQ(r.right - r.left, width) << i;
        EXPECT_EQ(r.left, Rect(i - 1).right - kStripHeight / 2) << i;  // overlap by half the height
    }
    EXPECT_EQ(tabs_.GetItemText(2), L"Ink levels");
    EXPECT_EQ(tabs_.GetItemText(7), L"");
}

TEST_F(TabStrip, ClickingTheSelectedTabReportsOnlyThePress)
{
    Fill(kFourTabs);
    Click(Centre(0));
    EXPECT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, 1042}));
    const CTC_NMHDR& press = g_events[0].record;
    EXPECT_EQ(press.nItem, 0);
    EXPECT_EQ(press.fSelected, 1);
    EXPECT_EQ(tabs_.GetCurSel(), 0);
}

TEST_F(TabStrip, ClickingAnotherTabSelectsItAndReportsTheChange)
{
    Fill(kFourTabs);
    const POINT where = Centre(2);
    Click(where);
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, kTabNotifySelChange, 1042}));
    EXPECT_EQ(tabs_.GetCurSel(), 2);

    // The press is reported before it is handled: the tab is not selected yet.
    EXPECT_EQ(g_events[0].record.nItem, 2);
    EXPECT_EQ(g_events[0].record.fSelected, 0);

    const CTC_NMHDR& change = g_events[1].record;
    EXPECT_EQ(change.hdr.hwndFrom, control_);
    EXPECT_EQ(change.hdr.idFrom, static_cast<UINT_PTR>(kControlId));
    EXPECT_EQ(change.nItem, 2);
    EXPECT_STREQ(change.pszText, L"Ink levels");
    EXPECT_EQ(change.lParam, 12);
    EXPECT_EQ(change.fSelected, 1);
    EXPECT_EQ(change.fHighlighted, 0);
    EXPECT_EQ(change.ptHitTest.x, where.x);
    EXPECT_EQ(change.ptHitTest.y, where.y);
    const RECT outer = Rect(2);
    EXPECT_EQ(change.rItem.left, outer.left + kStripHeight / 2);
    EXPECT_EQ(change.rItem.right, outer.right - (kStripHeight - kStripHeight / 2));
}

TEST_F(TabStrip, WhereTwoTabsOverlapTheTabDrawnOnTopGetsTheClick)
{
    Fill(kFourTabs);
    // Near the base, a few pixels into tab 2's left slant, which tab 1's right slant covers.
    const POINT overlap = {Rect(2).left + 4, kStripHeight - 4};
    EXPECT_EQ(tabs_.HitTest(overlap), 1);
    tabs_.SetCurSel(2);
    EXPECT_EQ(tabs_.HitTest(overlap), 2);
    tabs_.SetCurSel(3);
    Click(overlap);
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, kTabNotifySelChange, 1042}));
    EXPECT_EQ(g_events[1].record.nItem, 1);

    // Between two slants at the top edge and below the tabs lies nothing.
    EXPECT_EQ(tabs_.HitTest({Rect(2).left + 4, 1}), kTabHitNothing);
    EXPECT_EQ(tabs_.HitTest({Centre(0).x, kStripHeight - 1}), kTabHitNothing);
    g_events.clear();
    Click({kStripWidth - 5, 5});
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, 1042}));
    EXPECT_EQ(g_events[0].record.nItem, kTabHitNothing);
    EXPECT_STREQ(g_events[0].record.pszText, L"");
}

TEST_F(TabStrip, ALabelOfFortyCharactersIsKeptAsItsFirstTwentyNine)
{
    const std::wstring forty = L"Printhead alignment and cleaning service";
    ASSERT_EQ(forty.size(), 40u);
    const std::wstring kept = forty.substr(0, 29);
    Fill({L"Diagnose", forty});
    EXPECT_EQ(tabs_.GetItemText(1), kept);
    const int width = Rect(1).right - Rect(1).left;
    tabs_.SetCurSel(1);
    g_events.clear();
    Click(Centre(1));
    EXPECT_EQ(std::wstring(g_events.at(0).record.pszText), kept);

    // Measured and drawn as the shorter text: the tabs are as wide as with the cut label itself.
    Fill({L"Diagnose", kept});
    EXPECT_EQ(Rect(1).right - Rect(1).left, width);
    Fill({L"Diagnose", forty.substr(0, 20)});
    EXPECT_LT(Rect(1).right - Rect(1).left, width);
}

TEST_F(TabStrip, InsertingOutOfRangeShowsTheErrorBoxAndChangesNothing)
{
    Fill(kFourTabs);
    EXPECT_EQ(tabs_.InsertItem(5, L"Late", 0), -2);
    EXPECT_EQ(tabs_.InsertItem(-1, L"Early", 0), -2);
    EXPECT_EQ(tabs_.GetItemCount(), 4);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, L"CTCERR_INDEXOUTOFRANGE");
    EXPECT_EQ(g_boxes[0].caption, L"Error");
    EXPECT_EQ(g_boxes[0].type, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_TRUE(g_events.empty());  // inserting never notifies

    // At the count appends; at or before the selection moves it up.
    tabs_.SetCurSel(1);
    EXPECT_EQ(tabs_.InsertItem(4, L"Resets", 0), 4);
    EXPECT_EQ(tabs_.GetCurSel(), 1);
    EXPECT_EQ(tabs_.InsertItem(1, L"Start", 0), 1);
    EXPECT_EQ(tabs_.GetCurSel(), 2);
    EXPECT_EQ(tabs_.GetItemText(2), L"Services");

    tabs_.SetCurSel(9);
    EXPECT_EQ(tabs_.GetCurSel(), 2);
    tabs_.DeleteAllItems();
    EXPECT_EQ(tabs_.GetItemCount(), 0);
    EXPECT_EQ(tabs_.GetCurSel(), -1);
    EXPECT_EQ(g_boxes.size(), 2u);
}

TEST_F(TabStrip, LongLabelsBringTheButtonsAndEachClickScrollsOneTab)
{
    Fill(kLongTabs);
    ASSERT_TRUE(tabs_.ScrollButtonsShown());
    EXPECT_EQ(Rect(0).left, 2 * (kStripHeight - 3) + 3);
    EXPECT_EQ(tabs_.HitTest(kPreviousButton), kTabHitPrevious);
    EXPECT_EQ(tabs_.HitTest(kNextButton), kTabHitNext);

    Click(kNextButton);
    EXPECT_EQ(tabs_.GetFirstVisible(), 1);
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, 1042}));
    EXPECT_EQ(g_events[0].record.nItem, kTabHitNext);
    EXPECT_EQ(g_events[0].record.lParam, 0);
    // The tab before the first visible one stays as a sliver at the start of the tab area.
    RECT sliver = {};
    ASSERT_TRUE(tabs_.GetItemRect(0, sliver));
    EXPECT_EQ(sliver.left, Rect(1).left);
    EXPECT_EQ(sliver.right - sliver.left, kStripHeight / 2);

    Click(kNextButton);
    EXPECT_EQ(tabs_.GetFirstVisible(), 2);
    RECT hidden = {};
    EXPECT_FALSE(tabs_.GetItemRect(0, hidden));
    Click(kPreviousButton);
    EXPECT_EQ(tabs_.GetFirstVisible(), 1);

    // Clicking the sliver selects it and brings it back into view.
    g_events.clear();
    tabs_.SetCurSel(1);
    Click({sliver.left + 2, 10});
    EXPECT_EQ(tabs_.GetCurSel(), 0);
    EXPECT_EQ(tabs_.GetFirstVisible(), 0);

    // Selecting a tab beyond the right edge scrolls until it ends inside.
    tabs_.SetCurSel(4);
    EXPECT_LE(Rect(4).right, kStripWidth);
    EXPECT_GT(tabs_.GetFirstVisible(), 0);
    // A wider strip leaves no space empty at the end.
    ::SetWindowPos(control_, nullptr, 0, 0, 2000, kStripHeight, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_FALSE(tabs_.ScrollButtonsShown());
    EXPECT_EQ(tabs_.GetFirstVisible(), 0);
}

TEST_F(TabStrip, HoldingNextScrollsOneTabPerQuarterSecondUntilTheLastTabShows)
{
    Fill(kLongTabs);
    Send(WM_LBUTTONDOWN, kNextButton);
    EXPECT_EQ(tabs_.GetFirstVisible(), 1);  // the press itself steps once
    // The timer ticks every 100 ms; here every 50 ms so a step late by a tick would show.
    std::vector<int> positions;
    for (DWORD t = 50; t <= 2000; t += 50) {
        g_now = 1000 + t;
        ::SendMessageW(control_, WM_TIMER, 1, 0);
        positions.push_back(tabs_.GetFirstVisible());
    }
    const int end = positions.back();
    ASSERT_GE(end, 3);
    EXPECT_LE(Rect(static_cast<int>(kLongTabs.size()) - 1).right, kStripWidth);
    std::vector<int> expected;
    for (DWORD t = 50; t <= 2000; t += 50)
        expected.push_back(std::min<int>(end, 1 + static_cast<int>(t / 250)));
    EXPECT_EQ(positions, expected);
    tabs_.SetCurSel(0);  // scrolls back
    ASSERT_EQ(tabs_.GetFirstVisible(), 0);

    // Off the button the held press does not step; after the release nothing steps.
    Send(WM_LBUTTONUP, kNextButton);
    Send(WM_LBUTTONDOWN, kNextButton);
    Send(WM_MOUSEMOVE, {300, 10});
    g_now += 1000;
    ::SendMessageW(control_, WM_TIMER, 1, 0);
    EXPECT_EQ(tabs_.GetFirstVisible(), 1);
    Send(WM_MOUSEMOVE, kNextButton);
    Send(WM_LBUTTONUP, kNextButton);
    g_now += 1000;
    ::SendMessageW(control_, WM_TIMER, 1, 0);
    EXPECT_EQ(tabs_.GetFirstVisible(), 1);
}

TEST_F(TabStrip, AHeldButtonLooksPressedInTheVisualStyleAndInClassicDrawing)
{
    Fill(kLongTabs);
    const POINT face = {kStripHeight + 3, 4};  // inside the next button, away from its glyph
    auto held = [&] {
        Send(WM_LBUTTONDOWN, kNextButton);
        const COLORREF colour = Picture(control_).At(face.x, face.y);
        Send(WM_LBUTTONUP, kNextButton);
        return colour;
    };
    EXPECT_NE(held(), Picture(control_).At(face.x, face.y));

    // Without a visual style for the strip: classic push buttons, the glyph in the button text
    // colour, moved one pixel down and right while held: the tip of the next triangle (row 3,
    // column 5 of the glyph at 28, 7) goes from (33, 10) to (34, 11), its top (row 0, column 2)
    // leaves (30, 7).
    ::SetWindowTheme(control_, L" ", L" ");
    ::SendMessageW(control_, WM_THEMECHANGED, 0, 0);
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    {
        Picture released(control_);
        EXPECT_EQ(released.At(face.x, face.y), ::GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(released.At(33, 10), text);
        EXPECT_EQ(released.At(30, 7), text);
        EXPECT_NE(released.At(34, 11), text);
    }
    Send(WM_LBUTTONDOWN, kNextButton);
    {
        Picture pressed(control_);
        pressed.Save(L"tab_strip_classic_pressed.bmp");
        EXPECT_EQ(pressed.At(34, 11), text);
        EXPECT_NE(pressed.At(30, 7), text);
    }
    Send(WM_LBUTTONUP, kNextButton);
}

TEST_F(TabStrip, TheRepeatTimerRunsOnTheRealClock)
{
    CCustomTabCtrl::SetTickFunction(nullptr);
    Fill(kLongTabs);
    // The pointer must stay on the held button; the display reports where it really is.
    POINT screen = kNextButton;
    ::ClientToScreen(control_, &screen);
    ::SetCursorPos(screen.x, screen.y);
    const DWORD start = ::GetTickCount();
    Send(WM_LBUTTONDOWN, kNextButton);
    ASSERT_EQ(tabs_.GetFirstVisible(), 1);
    DWORD stepped = 0;
    while (::GetTickCount() - start < 2000 && stepped == 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (tabs_.GetFirstVisible() == 2)
            stepped = ::GetTickCount() - start;
        ::Sleep(5);
    }
    Send(WM_LBUTTONUP, kNextButton);
    EXPECT_GE(stepped, 250u);
    EXPECT_LT(stepped, 2000u);
}

TEST_F(TabStrip, RightPressesAndDoubleClicksAreReported)
{
    Fill(kFourTabs);
    Send(WM_RBUTTONDOWN, Centre(1));
    Send(WM_RBUTTONDBLCLK, Centre(3));
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyRightPress, kTabNotifyRightDoubleClick}));
    EXPECT_EQ(g_events[0].record.nItem, 1);
    EXPECT_STREQ(g_events[0].record.pszText, L"Services");
    EXPECT_EQ(g_events[1].record.nItem, 3);
    EXPECT_EQ(tabs_.GetCurSel(), 0);

    // A double click is a press, a release, the second press and a release.
    g_events.clear();
    const POINT where = Centre(2);
    Send(WM_LBUTTONDOWN, where);
    Send(WM_LBUTTONUP, where);
    Send(WM_LBUTTONDBLCLK, where);
    Send(WM_LBUTTONUP, where);
    ASSERT_EQ(Codes(), (std::vector<int>{kTabNotifyLeftPress, kTabNotifySelChange, 1042, kTabNotifyLeftDoubleClick}));
    EXPECT_EQ(g_events[3].record.nItem, 2);
    EXPECT_EQ(g_events[3].record.fSelected, 1);

    // The second press on another tab selects it without the press notice.
    g_events.clear();
    Send(WM_LBUTTONDBLCLK, Centre(1));
    EXPECT_EQ(Codes(), (std::vector<int>{kTabNotifySelChange, kTabNotifyLeftDoubleClick}));
}

TEST_F(TabStrip, PaintsThePictureBackgroundGreySelectionWhiteTabsAndButtons)
{
    folder_.Write(L"TSY_temp.bmp", BitmapFile(kStripWidth, kStripHeight, Backdrop));
    Fill(kFourTabs);
    tabs_.SetCurSel(1);
    {
        Picture picture(control_);
        picture.Save(L"tab_strip_four.bmp");
        const int base = kStripHeight - 3;  // the row under the labels
        EXPECT_EQ(picture.At(Centre(1).x, base), RGB(231, 231, 231));
        EXPECT_EQ(picture.At(Centre(0).x, base), RGB(255, 255, 255));
        EXPECT_EQ(picture.At(Centre(3).x, base), RGB(255, 255, 255));
        EXPECT_EQ(picture.At(Centre(2).x, 0), ::GetSysColor(COLOR_BTNSHADOW));  // the top side
        // Outside the tabs the main window's picture shows through.
        EXPECT_EQ(picture.At(kStripWidth - 10, 5), Backdrop(kStripWidth - 10, 5));
        EXPECT_EQ(picture.At(Rect(2).left + 4, 1), Backdrop(Rect(2).left + 4, 1));
        EXPECT_EQ(picture.At(Centre(0).x, kStripHeight - 1), Backdrop(Centre(0).x, kStripHeight - 1));
        // The tabs stand on a line that opens under the selected tab, into its page.
        EXPECT_EQ(picture.At(Centre(0).x, kStripHeight - 2), RGB(0, 0, 0));
        EXPECT_EQ(picture.At(kStripWidth - 10, kStripHeight - 2), RGB(0, 0, 0));
        EXPECT_NE(picture.At(Centre(1).x, kStripHeight - 2), RGB(0, 0, 0));
        // Something dark is written on every tab.
        for (int i = 0; i < 4; ++i) {
            const RECT r = Rect(i);
            bool ink = false;
            for (int x = r.left + 12; x < r.right - 12 && !ink; ++x)
                for (int y = 3; y < kStripHeight - 5 && !ink; ++y)
                    ink = GetGValue(picture.At(x, y)) < 100;
            EXPECT_TRUE(ink) << i;
        }
    }

    Fill(kLongTabs);
    tabs_.SetCurSel(2);
    Picture scrolled(control_);
    scrolled.Save(L"tab_strip_scroll.bmp");
    // A frame in the button text colour around both buttons, the glyph strip's triangles inside.
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    EXPECT_EQ(scrolled.At(0, 8), text);
    EXPECT_EQ(scrolled.At(kStripHeight - 2, 8), text);  // the shared edge
    EXPECT_EQ(scrolled.At(2 * kStripHeight - 4, 8), text);
    // Glyphs sit centred in 20 by 19 faces at (7, 7) and (28, 7); row 3 of the left triangle
    // covers columns 2 to 4, of the right triangle columns 3 to 5.
    EXPECT_EQ(scrolled.At(7 + 2, 7 + 3), text);
    EXPECT_EQ(scrolled.At(7 + 4, 7 + 3), text);
    EXPECT_NE(scrolled.At(7 + 5, 7 + 3), text);
    EXPECT_NE(scrolled.At(28 + 2, 7 + 3), text);
    EXPECT_EQ(scrolled.At(28 + 5, 7 + 3), text);
    EXPECT_EQ(scrolled.At(7 + 6, 7 + 3), scrolled.At(12, 16));  // the face shows around the glyph
}

TEST_F(TabStrip, WithoutThePictureTheTabsAreStillDrawn)
{
    Fill(kFourTabs);
    Picture picture(control_);
    EXPECT_EQ(picture.At(Centre(0).x, kStripHeight - 3), RGB(231, 231, 231));
    EXPECT_EQ(picture.At(Centre(1).x, kStripHeight - 3), RGB(255, 255, 255));
    EXPECT_EQ(picture.At(kStripWidth - 10, 5), ::GetSysColor(COLOR_BTNFACE));
}
