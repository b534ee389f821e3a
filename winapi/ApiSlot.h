#pragma once
// The replaceable global instance behind a wrapper class: the real one until a test swaps in a fake.
#include <atomic>

namespace NGWinApi {

template <class Api>
class ApiSlot {
public:
    Api& Get() { return *inUse_.load(); }
    // Null puts the real instance back; returns the one that was in use.
    Api* Replace(Api* api) { return inUse_.exchange(api != nullptr ? api : &real_); }

private:
    Api real_;
    std::atomic<Api*> inUse_{&real_};
};

} // namespace NGWinApi
