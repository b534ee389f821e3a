#include <gtest/gtest.h>

#include "TestFolder.h"
#include "support/ProductInfoColl.h"

namespace {

const char kCatalogue[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Catalogue>
  <Family>
    <Product PID="5912 5913" MODEL="Kelo Workline 4420 Series" INSTALL_NAME="Kelo Workline 4420 Series"
             PRN_FILE="DS2_based.prn" COPY="YES" ADF="YES" DEVICE_TYPE="REST" COPY_KEYWORD="copy4420"
             PAGE_TYPE="pq4420" PRINT_DIAG_INFO="YES"/>
  </Family>
  <Product PID="5c12" MODEL="Kelo Workline Pro 9150" INSTALL_NAME="Kelo Workline Pro 9150 Series"
           PRN_FILE="Vireo_Prn.prn" COPY="yes" ADF="NO" DEVICE_TYPE="restful"/>
  <Product PID="5c12" COPY="YES" DEVICE_TYPE="rest" PRN_FILE="late.prn"/>
  <Product PID="1812" MODEL="Kelo Workline 3320 Wireless" INSTALL_NAME="Kelo Workline 3320 Series"
           PRN_FILE="corvid_small.prn" DEVICE_TYPE="quill"/>
  <Product PID="7811" MODEL="Kelo Series" INSTALL_NAME="Kelo Driver" PRN_FILE="corvid_small.prn"/>
</Catalogue>
)";

class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest() : fake_(folder_.Path()), scoped_(fake_) { Use(kCatalogue); }
    void Use(const std::string& catalogue) { folder_.Write(L"config\\product_info.xml", catalogue); }

    TestFolder folder_;
    FakeExecutableFolder fake_;
    NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped_;
};

bool Verify(std::wstring& pid, const std::wstring& name, bool network, bool driver)
{
    return CProductInfoColl::VerifySupportedPrinter(pid, name, network, driver);
}

} // namespace

TEST_F(CatalogueTest, FeatureQueriesTakeTheFirstEntryWhosePidContainsTheId)
{
    std::wstring path;
    ASSERT_TRUE(CProductInfoColl::GetPrnFile(L"5913", path));
    EXPECT_EQ(path, folder_.Path() + L"\\config\\DS2_based.prn");
    ASSERT_TRUE(CProductInfoColl::GetPrnFile(L"591", path)); // containment, not equality
    EXPECT_TRUE(CProductInfoColl::IsCopySupported(L"5912"));
    EXPECT_TRUE(CProductInfoColl::IsAdfSupported(L"5912"));
    EXPECT_TRUE(CProductInfoColl::IsRestDevice(L"5912"));   // "REST"
    EXPECT_TRUE(CProductInfoColl::IsPrintDiagInfoSupported(L"5912"));
    std::wstring text;
    EXPECT_TRUE(CProductInfoColl::GetCopyKeyword(L"5912", text));
    EXPECT_EQ(text, L"copy4420");
    EXPECT_TRUE(CProductInfoColl::GetPageType(L"5912", text));
    EXPECT_EQ(text, L"pq4420");

    // 5C12: the first entry decides even where a later one would say yes.
    EXPECT_FALSE(CProductInfoColl::IsCopySupported(L"5C12"));  // "yes" is not "YES"
    EXPECT_FALSE(CProductInfoColl::IsRestDevice(L"5C12"));     // "restful"
    EXPECT_FALSE(CProductInfoColl::IsAdfSupported(L"5c12"));
    ASSERT_TRUE(CProductInfoColl::GetPrnFile(L"5C12", path));
    EXPECT_EQ(path, folder_.Path() + L"\\config\\Vireo_Prn.prn");

    // Entries without the queried attribute are passed over.
    EXPECT_FALSE(CProductInfoColl::IsPrintDiagInfoSupported(L"1812"));
    EXPECT_FALSE(CProductInfoColl::GetCopyKeyword(L"1812", text));
    EXPECT_FALSE(CProductInfoColl::IsRestDevice(L"7811")); // no DEVICE_TYPE: Quill

    EXPECT_FALSE(CProductInfoColl::GetPrnFile(L"", path));
    EXPECT_FALSE(CProductInfoColl::GetPrnFile(L"abcd", path));
}

TEST_F(CatalogueTest, UsbPrintersAreMatchedByProductId)
{
    std::wstring pid = L"5C12";
    EXPECT_TRUE(Verify(pid, L"anything", false, false));
    EXPECT_EQ(pid, L"5C12"); // left as it was
    pid = L"abcd";
    EXPECT_FALSE(Verify(pid, L"Kelo Workline 4420", false, true));
    pid = L"";
    EXPECT_FALSE(Verify(pid, L"Kelo Workline 4420", false, true));
}

TEST_F(CatalogueTest, NetworkPrintersAreMatchedByName)
{
    const struct {
        const wchar_t* name;
        bool driverInstalled;
        bool supported;
        const wchar_t* pid;
    } cases[] = {
        {L"Kelo Workline 4420 Deluxe", true, true, L"5912"},        // fixed model
        {L"KELO WORKLINE PRO 9150 (Network)", true, true, L"5c12"}, // fixed model
        {L"Kelo Workline 3320 Series", true, true, L"1812"},        // install name
        {L"Kelo Workline 3320", false, true, L"1812"},              // inside the model name
        {L"Kelo Workline 3320 Wireless Plus (Network)", false, true, L"1812"}, // contains the model
        {L"Kelo Workline 4420", false, true, L"5912 5913"},         // the PID text as it stands
        {L"Kelo Photon 100", false, true, L"7811"},   // an empty model matches everything
        {L"Kelo Photon 100", true, false, L"0000"},   // an empty install name never does
        {L"", false, false, L"0000"},
    };
    for (const auto& c : cases) {
        std::wstring pid = L"0000";
        EXPECT_EQ(Verify(pid, c.name, true, c.driverInstalled), c.supported) << c.name;
        EXPECT_EQ(pid, c.pid) << c.name;
    }
}

TEST_F(CatalogueTest, FixedModelsNeedOneCompleteEntry)
{
    Use(R"(<Catalogue><Product PID="5912" MODEL="Kelo Workline 4420"/></Catalogue>)");
    std::wstring pid = L"";
    EXPECT_FALSE(Verify(pid, L"Kelo Workline 4420 Deluxe", true, true));
    EXPECT_TRUE(CProductInfoColl::IsCopySupported(L"5912") == false);

    Use(R"(<Catalogue><Product PID="aaaa" MODEL="Kelo Other" INSTALL_NAME="Kelo Other"/></Catalogue>)");
    EXPECT_TRUE(Verify(pid, L"Kelo Workline 4420 Deluxe", true, true));
    EXPECT_EQ(pid, L"5912");
}

TEST_F(CatalogueTest, AMissingOrBrokenCatalogueSupportsNothing)
{
    for (const char* broken : {"", "<Catalogue><Product PID=\"5912\" COPY=\"YES\">", "<Catalogue/>"}) {
        Use(broken);
        std::wstring pid = L"5912", path;
        EXPECT_FALSE(Verify(pid, L"Kelo Workline 4420", false, false)) << broken;
        EXPECT_FALSE(CProductInfoColl::IsCopySupported(L"5912")) << broken;
        EXPECT_FALSE(CProductInfoColl::GetPrnFile(L"5912", path)) << broken;
    }
    folder_.Remove(L"config");
    std::wstring pid = L"5912";
    EXPECT_FALSE(Verify(pid, L"Kelo Workline 4420", false, false));
    // A catalogue put back while the tool runs counts from the next question on.
    Use(kCatalogue);
    EXPECT_TRUE(Verify(pid, L"Kelo Workline 4420", false, false));
}
