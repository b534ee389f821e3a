#pragma once
// Sable status and alert identifiers mapped to the device status flag the status page explains.
#include <cstdint>
#include <map>
#include <string>

// The flag of an identifier the table does not know.
inline constexpr int32_t kUnknownStatusFlag = 6;
// Sable flags from here on are document feeder conditions, stored as flag - 62.
inline constexpr int32_t kFirstFeederFlag = 62;

class CTSYHelper {
public:
    virtual int32_t GetStatusFlag(const std::wstring& identifier) const = 0;

protected:
    ~CTSYHelper() = default;
};

class CTSYSableHelper : public CTSYHelper {
public:
    CTSYSableHelper();
    virtual ~CTSYSableHelper() = default;

    // The flag of `identifier`, compared without regard to letter case; 6 when unknown.
    int32_t GetStatusFlag(const std::wstring& identifier) const override;

    const std::map<std::wstring, int32_t>& Table() const { return table_; }

private:
    std::map<std::wstring, int32_t> table_;
};
