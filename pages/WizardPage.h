#pragma once
// The common face of the wizard's pages: heading, step list, message area, buttons and links,
// fonts by role and language, transparent statics, the step blink and a read-only step list.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "app/DialogExtended.h"
#include "pages/WizardPageRules.h"

class CDiagnosticMgr;

// Control ids the pages share.

// What a control is for; its font follows from the role and the interface language.
enum class FontRole { StepList, Heading, Message, Button, Link, SmallLink };

// A control's looked-up text and its font role.
struct PageText {
    int id;
    const wchar_t* key;
    FontRole role;
};

// The heading of the pages that name the selected printer ("TSY_DIAGNOSE_HEADING" and its name; the
// placeholder printer when there are none).
std::wstring SelectedPrinterHeading();

class CWizardPage : public CDialogExtended {
public:
    CWizardPage(UINT templateId, bool frameMode) : CDialogExtended(templateId, frameMode) {}

    // Called by the wizard for the page command that shows the page: sets heading, texts and
    // step icons for the moment. `command` is the page command (the variant of pages that have
    // several).
    void PreparePage(int32_t command)
    {
        preparedCommand_ = command;
        OnPrepare(command);
    }
    // After the wizard has shown the page (the final page refreshes its link, icons and heading).
    virtual void RefreshShown() {}
    // A new run starts: forget what the last one left and hide.
    virtual void ResetPage() { Hide(); }

    // Deletes every row and inserts the six steps, each not run.
    void FillStepList();
    void SetStepIcon(int row, int32_t icon);
    // The icon of a row, -1 when there is no such row.
    int32_t StepIconOf(int row) const;
    // Sets the icons of rows 0 to n-1 from `icons`.
    void SetStepIcons(std::initializer_list<int32_t> icons);

    // The page command the wizard prepared the page for last; 0 before the first.
    int32_t PreparedCommand() const { return preparedCommand_; }

    // The font of a role: an application font for the four languages that use them, else
    // the page's own.
    HFONT RoleFont(FontRole role) const;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // Whether the page has anything to show (devices, or a simulated run).
    static bool HasContent();
    static CDiagnosticMgr* Manager();
    static std::wstring Text(const wchar_t* key);
    // First set-up of a page with a step list: the list, its font and the heading's, then
    // `texts`. False (nothing done) when the page has nothing to show.
    bool SetUpPage(std::initializer_list<PageText> texts, bool subItemImages = false);
    // Row 1's icon after the device status step: passed or failed by the status verdict.
    static int32_t VerdictIcon();
    // The same on the pages after the print, where a pretended fault shows the step as passed.
    static int32_t StatusStepIcon() { return Simulating() ? kStepPassed : VerdictIcon(); }
    // Whether a fault is only pretended (error simulation); answers and links then do nothing.
    static bool Simulating();
    // Shared step images, the two columns (icon, text) and, when asked, images in sub-items.
    void SetUpStepList(bool subItemImages = false);
    // "TSY_DIAGNOSE_HEADING", a blank and the selected printer's name, into the heading.
    void SetHeading();
    void SetItemText(int id, const std::wstring& text);
    // The looked-up text of `key` into control `id`.
    void SetKeyText(int id, const wchar_t* key) { SetItemText(id, Text(key)); }
    void SetFonts(std::initializer_list<std::pair<int, FontRole>> controls);
    // Looks every key up into its control and gives the control its role's font.
    void ApplyTexts(std::initializer_list<PageText> texts);
    void ShowItem(int id, bool show);
    // Gives the focus to the first of `ids` that is shown and enabled; false when none is.
    bool FocusFirstShown(std::initializer_list<int> ids);
    // The support links' texts: the link first, its plain text after it.
    static std::wstring CustomerCareLinkText();
    static std::wstring ForumLinkText();
    static std::wstring DownloadLinkText();
    // The survey link's text and font; shown and enabled only for an English interface.
    void SetFeedbackLink(int id);
    // The message area's rectangle in page coordinates becomes the frame's rectangle; the frame
    // ends above the page's row of buttons.
    void FrameAround(int id);
    // A control that follows the message; `beside` (optional) stands at its right, top-aligned; a
    // title keeps close to what follows it.
    struct Flowing {
        int id;
        int beside = 0;
        bool title = false;
    };
    // Places the shown controls of `items` one below the other after the message's text, as wide
    // as the message; texts and links as tall as their wrapped text, buttons as they are.
    void FlowBelowMessage(std::initializer_list<Flowing> items);
    // The top of the page's bottom row of buttons (page coordinates); 0 without buttons.
    int ButtonRowTop() const;

    // The page's own preparation; by default the heading and a fresh step list.
    virtual void OnPrepare(int32_t command);
    // Links do nothing while a fault is only pretended.
    bool LinksActive() const override { return !Simulating(); }

    // The page command this page sends the wizard (its parent), then ends itself.
    void SendPageCommand(int32_t command);
    // Close the tool through the main window.
    static void CloseMainWindow();
    // Print the test page again from the print test page (the Retry of the print result pages).
    void RetryPrint();

private:
    int32_t preparedCommand_ = 0;
};
