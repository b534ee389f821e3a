#pragma once
// A page of the main window whose content is still to come: a heading over the main window's
// background, nothing else.
#include "app/DialogExtended.h"

class CPlaceholderPage : public CDialogExtended {
public:
    CPlaceholderPage(UINT templateId, const wchar_t* headingKey);

    // Heading text and font for the current language.
    void PreparePlaceholder();

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    const wchar_t* headingKey_;
};

// The heading static of the placeholder templates.
