#include <gtest/gtest.h>

#include <vector>

#include "winapi/Handles.h"

namespace {
class CountingKernel : public NGWinApi::CKernelApi {
public:
    BOOL CloseHandle(HANDLE handle) override
    {
        closed.push_back(handle);
        return CKernelApi::CloseHandle(handle);
    }
    std::vector<HANDLE> closed;
};
} // namespace

TEST(Handles, OwnersCloseThroughTheWrapperInUseAndFakesComeAndGo)
{
    CountingKernel counting;
    NGWinApi::CKernelApi* real = &NGWinApi::Kernel();
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        NGWinApi::ScopedApi<NGWinApi::CKernelApi> scoped(counting);
        EXPECT_EQ(&NGWinApi::Kernel(), &counting);
        NGWinApi::UniqueHandle owner(event);
        NGWinApi::UniqueHandle moved(std::move(owner));
        EXPECT_FALSE(owner.valid());
        NGWinApi::UniqueHandle none(INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(&NGWinApi::Kernel(), real);
    ASSERT_EQ(counting.closed.size(), 1u); // once, and never for INVALID_HANDLE_VALUE
    EXPECT_EQ(counting.closed[0], event);
}

TEST(Handles, ComWrapperReleasesAndCopiesInterfaces)
{
    EXPECT_EQ(NGWinApi::Com().ReleaseInterface(nullptr), E_INVALIDARG);
    NGWinApi::ComInitialization com;
    ASSERT_TRUE(com.ok());
    NGWinApi::ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(NGWinApi::Com().CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    NGWinApi::UniqueVariant variant;
    ASSERT_HRESULT_SUCCEEDED(NGWinApi::Com().InterfaceToVariant(stream.get(), variant.get()));
    EXPECT_EQ((*variant).vt, VT_UNKNOWN);
    EXPECT_EQ((*variant).punkVal, stream.get());
}
