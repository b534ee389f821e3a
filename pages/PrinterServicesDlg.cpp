#include "pages/PrinterServicesDlg.h"

#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "pages/FeedbackDlg.h"
#include "pages/PrgsDlg.h"
#include "pages/ServiceRules.h"
#include "pages/WizardPageRules.h"
#include "support/ProductInfoColl.h"
#include "support/XMLHandler.h"

namespace {

struct ServiceRow {
    int button, title, text;
    const wchar_t* titleKey;
    const wchar_t* textKey;
    UINT icon;
    DeviceOperation operation;
};

// In page order, the order of services::RowStates.
constexpr ServiceRow kRows[] = {
    {IDC_SERVICE_QUALITY, IDC_SERVICE_QUALITY_TITLE, IDC_SERVICE_QUALITY_TEXT, L"TSY_SERVICES_HEAD1",
     L"TSY_SERVICES_MSG1", IDI_SERVICE_PAGE, DeviceOperation::PrintQualityPage},
    {IDC_SERVICE_ALIGN, IDC_SERVICE_ALIGN_TITLE, IDC_SERVICE_ALIGN_TEXT, L"TSY_SERVICES_HEAD2", L"TSY_SERVICES_MSG2",
     IDI_SERVICE_ALIGN, DeviceOperation::AlignPrintheads},
    {IDC_SERVICE_CLEAN, IDC_SERVICE_CLEAN_TITLE, IDC_SERVICE_CLEAN_TEXT, L"TSY_SERVICES_HEAD3", L"TSY_SERVICES_MSG3",
     IDI_SERVICE_CLEAN, DeviceOperation::CleanPrintheads},
    {IDC_SERVICE_DIAGNOSTICS, IDC_SERVICE_DIAGNOSTICS_TITLE, IDC_SERVICE_DIAGNOSTICS_TEXT, L"TSY_SERVICES_HEAD4",
     L"TSY_SERVICES_MSG4", IDI_SERVICE_PAGE, DeviceOperation::PrintDiagnosticsPage},
};

constexpr int kIconSize = 32;

} // namespace

BOOL CPrinterServicesDlg::OnInitDialog()
{
    PrepareServicesPage();
    return TRUE;
}

void CPrinterServicesDlg::PrepareServicesPage()
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr)
        return;
    const bool appFonts = ApplicationFonts();
    HFONT title = appFonts ? theApp.AppFont(4) : PageFont(4);
    HFONT small = appFonts ? theApp.AppFont(6) : PageFont(6);
    for (const ServiceRow& row : kRows) {
        // Shared icons belong to the module; nothing to destroy.
        HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(row.icon), IMAGE_ICON, kIconSize,
                                   kIconSize, LR_SHARED);
        ::SendDlgItemMessageW(hwnd, row.button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        SetFont(row.title, title);
        SetFont(row.text, small);
    }
    SetHeading(appFonts ? theApp.AppFont(2) : PageFont(2));
    for (const ServiceRow& row : kRows) {
        SetKeyText(row.title, row.titleKey);
        SetKeyText(row.text, row.textKey);
    }
    SetFont(IDC_SERVICES_EXIT, appFonts ? theApp.AppFont(5) : PageFont(5));
    SetKeyText(IDC_SERVICES_EXIT, L"TSY_EXIT_BUTTON");
    SetFont(IDC_SERVICES_TROUBLESHOOT, small);
    SetText(IDC_SERVICES_TROUBLESHOOT, LinkMarkup(Text(L"TSY_TROUBLESHOOT_LINK")));
    SetFont(IDC_FEEDBACK_LINK, small);
    SetText(IDC_FEEDBACK_LINK, LinkMarkup(Text(L"TSY_LINK_FEEDBACK")));

    for (const ServiceRow& row : kRows)
        for (int id : {row.button, row.title, row.text}) {
            ::ShowWindow(GetDlgItem(id), SW_SHOW);
            ::EnableWindow(GetDlgItem(id), TRUE);
        }
    const bool english = StringTable().LanguageId() == 1033;
    ::ShowWindow(GetDlgItem(IDC_FEEDBACK_LINK), english ? SW_SHOW : SW_HIDE);
    ::EnableWindow(GetDlgItem(IDC_FEEDBACK_LINK), english ? TRUE : FALSE);

    const std::optional<Device_Dev> device = SelectedPrinter();
    if (!device)
        return;
    const auto states =
        services::RowStates(device->productId, CProductInfoColl::IsPrintDiagInfoSupported(device->productId));
    for (size_t i = 0; i < states.size(); ++i)
        for (int id : {kRows[i].button, kRows[i].title, kRows[i].text}) {
            ::ShowWindow(GetDlgItem(id), states[i].shown ? SW_SHOW : SW_HIDE);
            ::EnableWindow(GetDlgItem(id), states[i].enabled ? TRUE : FALSE);
        }
    ::SetFocus(GetDlgItem(IDC_SERVICES_EXIT));
}

void CPrinterServicesDlg::RunService(DeviceOperation operation)
{
    lastOperation_ = operation;
    CPrgsDlg popup;
    popup.SetOperation(operation);
    popup.DoModal(GetSafeHwnd());
}

bool CPrinterServicesDlg::OnButton(int id)
{
    if (id == IDC_SERVICES_EXIT) {
        CloseMainWindow();
        return true;
    }
    for (const ServiceRow& row : kRows)
        if (row.button == id) {
            RunService(row.operation);
            return true;
        }
    return false;
}

bool CPrinterServicesDlg::LinksActive() const
{
    const CDiagnosticMgr* manager = Manager();
    return manager == nullptr || !manager->ErrorSimulationActive();
}

void CPrinterServicesDlg::OnLinkClicked(int id)
{
    if (id == IDC_SERVICES_TROUBLESHOOT) {
        theApp.AnswerTrail() += L"@PQ Help";
        OpenProductSupport(L"s-001");
    } else if (id == IDC_FEEDBACK_LINK) {
        OpenSurveyLink();
    }
}
