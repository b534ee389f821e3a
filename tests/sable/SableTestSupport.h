#pragma once
// A scratch application folder with a string table loaded into theApp, COM initialised.
#include <windows.h>

#include <string>

#include "TestFolder.h"
#include "app/KeloTessalyApp.h"
#include "winapi/Handles.h"

class SableFolderFixture {
public:
    SableFolderFixture() : fake_(folder_.Path()), scoped_(fake_) { LoadStrings("Not available", "Good"); }

    // Replaces the string table; the records' texts follow at their next reset.
    void LoadStrings(const std::string& notAvailable, const std::string& printheadGood)
    {
        folder_.Write(L"strings\\1033.xml",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n"
                      "<String ID=\"TSY_NOT_AVAILABLE\" Value=\"" + notAvailable + "\"/>\n"
                      "<String ID=\"TSY_PRINTHEAD_GOOD\" Value=\"" + printheadGood + "\"/>\n"
                      "<String ID=\"TSY_COLOR_BLACK\" Value=\"Black\"/>\n"
                      "<String ID=\"TSY_COLOR_CYAN\" Value=\"Cyan\"/>\n"
                      "<String ID=\"TSY_COLOR_MAGENTA\" Value=\"Magenta\"/>\n"
                      "<String ID=\"TSY_COLOR_YELLOW\" Value=\"Yellow\"/>\n"
                      "<String ID=\"TSY_COLOR_PHOTO_BLACK\" Value=\"Photo Black\"/>\n"
                      "<String ID=\"TSY_COLOR_TRICOLOR\" Value=\"Tri-color\"/>\n"
                      "</Strings>\n");
        StringTable().SetLanguageId(1033);
        StringTable().SetLanguageFixed(true);
        StringTable().Load();
    }

    const TestFolder& Folder() const { return folder_; }

private:
    NGWinApi::ComInitialization com_;
    TestFolder folder_;
    FakeExecutableFolder fake_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped_;
};
