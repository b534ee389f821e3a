#include "app/KeloTessalyApp.h"

#include <memory>
#include <new>
#include <utility>

#include "app/CustomTabCtrl.h"
#include "app/FontUtil.h"
#include "app/GdiplusSupport.h"
#include "app/TSYParentDlg.h"
#include "app/engine/DiagnosticMgr.h"
#include "tools/LowLevelPrintTest.h"
#include "res/resource.h"
#include "support/LogFile.h"

CKeloTessalyApp theApp;

namespace {

constexpr wchar_t kInstanceMutex[] = L"Kelo_Tessaly";

// App fonts 1 to 8; the last one is the bold title font.
constexpr FontSpec kAppFonts[8] = {{21, 500}, {21, 700}, {20, 500}, {19, 500},
                                   {15, 400}, {15, 500}, {17, 400}, {18, 700}};

BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM found)
{
    if (::GetPropW(window, kMainWindowProperty) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

CKeloTessalyApp::CKeloTessalyApp()
{
    // Any dialog holding the tab strip (the main window's template) needs its class, in the
    // tool and in every test program that loads the templates.
    CCustomTabCtrl::RegisterWindowClass();
}

CKeloTessalyApp::~CKeloTessalyApp()
{
    if (stepImages_ != nullptr)
        ::ImageList_Destroy(stepImages_);
}

BOOL CKeloTessalyApp::InitInstance()
{
    NGWinApi::UniqueHandle mutex(NGWinApi::Kernel().CreateMutexW(nullptr, FALSE, kInstanceMutex));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (!RaiseRunningInstance())
            LogFile().Write(L"Another instance is starting; its window is not there yet");
        return FALSE;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    oleInitialized_ = SUCCEEDED(NGWinApi::Com().OleInitialize(nullptr));

    gdiplus_ = std::make_unique<GdiplusSession>();

    if (!StringTable().Load()) {
        ::MessageBoxW(nullptr, LoadFailedText(StringTable()).c_str(), nullptr, MB_ICONWARNING);
        LogFile().Write(L"XML Loading Failed.");
    }

    if (CheckAdministrator()) {
        LogFile().Write(L"Logged in as administrator");
        LoadInterfaceResources();
        diagnosis_ = std::make_unique<CDiagnosticMgr>();
        diagnosis_->Initialize();
        if (auto* print = dynamic_cast<CLowLevelPrintTest*>(diagnosis_->TestAt(kLowLevelPrintTestIndex)->test.get()))
            print->SetShowFileErrors(true);
        {
            auto mainWindow = std::unique_ptr<CTSYParentDlg>(new (std::nothrow) CTSYParentDlg());
            if (mainWindow) {
                mainWindow->DoModal(nullptr);
                mainWindow_ = nullptr;
            }
        }
    } else {
        LogFile().Write(L"Not logged as administrator");
        ::MessageBoxW(nullptr, StringTable().GetString(L"TSY_ADMIN_PRIV").c_str(), WindowTitle().c_str(),
                      MB_ICONWARNING);
    }
    Shutdown();
    return FALSE;
}

bool CKeloTessalyApp::RaiseRunningInstance()
{
    HWND running = nullptr;
    ::EnumWindows(&FindMarkedWindow, reinterpret_cast<LPARAM>(&running));
    if (running == nullptr)
        return false;
    if (::IsIconic(running))
        ::ShowWindow(running, SW_RESTORE);
    // A message box or popup the tool shows is what the user must see.
    ::SetForegroundWindow(::GetLastActivePopup(running));
    return true;
}

void CKeloTessalyApp::LoadInterfaceResources()
{
    CreateFonts();
    if (stepImages_ != nullptr)
        ::ImageList_Destroy(std::exchange(stepImages_, nullptr));
    BuildStepImages();
    LoadPageImages();
}

void CKeloTessalyApp::AdoptDiagnosisManager(std::unique_ptr<CDiagnosticMgr> manager)
{
    diagnosis_ = std::move(manager);
}

void CKeloTessalyApp::Shutdown()
{
    diagnosis_.reset();
    gdiplus_.reset();
    if (std::exchange(oleInitialized_, false))
        NGWinApi::Com().OleUninitialize();
    // The title font stays with the application object.
    for (size_t i = 0; i + 1 < appFonts_.size(); ++i)
        appFonts_[i].reset();
}

bool CKeloTessalyApp::CheckAdministrator() const
{
    NGWinApi::CAdvApi& adv = NGWinApi::Adv();
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!adv.AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                      DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        LogFile().Write(L"AllocateAndInitializeSid  function failed.");
        return false;
    }
    BOOL member = FALSE;
    if (!adv.CheckTokenMembership(nullptr, administrators, &member)) {
        LogFile().Write(L"CheckTokenMembership  function failed.");
        member = FALSE;
    }
    if (!member)
        LogFile().Write(L"Not Logged in as administrator.");
    adv.FreeSid(administrators);
    return member != FALSE;
}

HBITMAP CKeloTessalyApp::LoadPngResource(UINT id) const
{
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (resource == nullptr)
        return nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0)
        return nullptr;

    NGWinApi::UniqueGlobal copy(NGWinApi::Kernel().GlobalAlloc(GMEM_MOVEABLE, size));
    if (copy.get() == nullptr)
        return nullptr;
    void* target = ::GlobalLock(copy.get());
    if (target == nullptr)
        return nullptr;
    NGWinApi::Kernel().MemoryCopy(target, bytes, size);
    ::GlobalUnlock(copy.get());

    NGWinApi::ComPtr<IStream> stream;
    if (FAILED(NGWinApi::Com().CreateStreamOnHGlobal(copy.get(), FALSE, stream.put())))
        return nullptr;
    HBITMAP bitmap = nullptr;
    {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream.get()));
        if (image && image->GetLastStatus() == Gdiplus::Ok)
            if (image->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), &bitmap) != Gdiplus::Ok)
                bitmap = nullptr;
    }
    return bitmap;
}

void CKeloTessalyApp::CreateFonts()
{
    for (size_t i = 0; i < appFonts_.size(); ++i)
        appFonts_[i].reset(CreateInterfaceFont(kAppFonts[i].height, kAppFonts[i].weight));
}

void CKeloTessalyApp::BuildStepImages()
{
    stepImages_ = ::ImageList_Create(30, 30, ILC_COLOR32, 0, 0);
    if (stepImages_ == nullptr)
        return;
    // A row's image index is its state, so a picture that fails to load still
    // takes its slot, as an empty image.
    const auto add = [&](HBITMAP loaded) {
        NGWinApi::UniqueBitmap image(loaded);
        if (!image) {
            BITMAPINFO blank = {};
            blank.bmiHeader = {sizeof(BITMAPINFOHEADER), 30, 30, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            image.reset(::CreateDIBSection(nullptr, &blank, DIB_RGB_COLORS, &bits, nullptr, 0));
        }
        ::ImageList_Add(stepImages_, image.get(), nullptr);
    };
    add(LoadPngResource(IDP_STEP_FAILED));
    add(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_STEP_NOTRUN),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    add(LoadPngResource(IDP_STEP_PASSED));
    add(LoadPngResource(IDP_STEP_CURRENT));
}

void CKeloTessalyApp::LoadPageImages()
{
    const UINT ids[5] = {IDP_MAIN_BACKGROUND, IDP_PAGE_WHITE, IDP_EXPECTED_SIX_COLOUR,
                         IDP_EXPECTED_FOUR_COLOUR, IDP_EXPECTED_COLOUR_BOXES};
    for (size_t i = 0; i < pageImages_.size(); ++i)
        pageImages_[i].reset(LoadPngResource(ids[i]));
}
