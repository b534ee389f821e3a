#pragma once
// A page of the main window whose content is still to come: a heading over the main window's
// background, nothing else.
#include "pages/TabPage.h"

class CPlaceholderPage : public CTabPage {
public:
    CPlaceholderPage(UINT templateId, const wchar_t* headingKey);

    // Heading text and font for the current language.
    void PreparePlaceholder();

protected:
    BOOL OnInitDialog() override;

private:
    const wchar_t* headingKey_;
};
