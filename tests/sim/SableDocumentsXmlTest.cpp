// The simulator's documents read through the platform's MSXML with the tool's own paths and
// prefixes, so a document the tool could not read would fail here, not in a later test.
#include <gtest/gtest.h>

#include <string>

#include "TestFolder.h"
#include "sim/SableDocuments.h"
#include "support/XmlDom.h"
#include "winapi/Handles.h"

namespace {

class SableDocumentsXml : public ::testing::Test {
protected:
    XmlDom::DocumentPtr Load(const std::string& xml)
    {
        folder_.Write(L"doc.xml", xml);
        XmlDom::DocumentPtr document;
        EXPECT_EQ(XmlDom::Create(CLSCTX_INPROC_SERVER, false, document), S_OK);
        EXPECT_EQ(XmlDom::Load(document.get(), folder_.File(L"doc.xml")), S_OK) << xml;
        return document;
    }

    static std::wstring Text(IXMLDOMDocument2* document, const wchar_t* path)
    {
        XmlDom::NodePtr node;
        NGWinApi::UniqueBstr path_(path);
        if (document->selectSingleNode(path_.get(), node.put()) != S_OK)
            return L"<nothing>";
        NGWinApi::UniqueBstr text;
        node->get_text(text.put());
        return text.get() ? text.get() : L"";
    }

    static long Count(IXMLDOMDocument2* document, const wchar_t* tag)
    {
        XmlDom::NodeListPtr list;
        long length = -1;
        if (XmlDom::ElementsByTagName(document, tag, list) == S_OK)
            list->get_length(&length);
        return length;
    }

    NGWinApi::ComInitialization com_;
    TestFolder folder_;
};

} // namespace

TEST_F(SableDocumentsXml, ToolPathsSelectTheConfiguredValues)
{
    sim::PrinterConfig printer = sim::DefaultPrinter("office");
    printer.model = "Kelo Workline 4420 & Co";
    printer.statuses = {"inPowerSave", "cartridgeLow"};
    printer.alerts = {{"cartridgeLow", "Warning", 5}};

    auto product = Load(sim::ProductConfigDocument(printer));
    const std::wstring info = L"/prdcfgdyn2:ProductConfigDyn/prdcfgdyn:ProductInformation/";
    EXPECT_EQ(Text(product.get(), (info + L"dd:MakeAndModel").c_str()), L"Kelo Workline 4420 & Co");
    EXPECT_EQ(Text(product.get(), (info + L"dd:MakeAndModelBase").c_str()), L"Kelo Vireo 4500");
    EXPECT_EQ(Text(product.get(), (info + L"dd:Version/dd:Revision").c_str()), L"VIR1CN2419AR");
    EXPECT_EQ(Text(product.get(), (info + L"dd:SerialNumber").c_str()), L"CN4A7K1XYZ");
    EXPECT_EQ(Text(product.get(), (info + L"dd:ServiceID").c_str()), L"23045");
    EXPECT_EQ(Text(product.get(), (info + L"dd:RegionInformation/dd:RegionIdentifier").c_str()), L"12");

    auto consumables = Load(sim::ConsumableConfigDocument(printer));
    EXPECT_EQ(Text(consumables.get(), L"/ccdyn:ConsumableConfigDyn/ccdyn:ProductConsumableInfo/dd:IK"), L"61");
    EXPECT_EQ(Count(consumables.get(), L"ccdyn:ConsumableInfo"), 3) << "two inks and a printhead";

    auto usage = Load(sim::ProductUsageDocument(printer));
    EXPECT_EQ(Count(usage.get(), L"pudyn:Consumable"), 2);
    EXPECT_EQ(Count(usage.get(), L"pudyn:PrinterSubunit"), 1);

    auto adapters = Load(sim::AdaptersDocument(printer));
    EXPECT_EQ(Count(adapters.get(), L"io:HardwareConfig"), 2);

    auto status = Load(sim::ProductStatusDocument(printer));
    XmlDom::NodeListPtr statuses;
    ASSERT_EQ(XmlDom::ElementsByTagName(status.get(), L"psdyn:Status", statuses), S_OK);
    XmlDom::NodePtr first, child;
    ASSERT_EQ(statuses->get_item(0, first.put()), S_OK);
    ASSERT_EQ(first->get_firstChild(child.put()), S_OK);
    NGWinApi::UniqueBstr category;
    child->get_text(category.put());
    EXPECT_STREQ(category.get(), L"inPowerSave") << "the first child of a status is its category";
    EXPECT_EQ(Count(status.get(), L"psdyn:Alert"), 1);

    auto job = Load(sim::JobDocument("/Jobs/JobList/12", "cleaningPage", "completed"));
    EXPECT_EQ(Text(job.get(), L"/j:Job/j:JobState"), L"completed");
}
