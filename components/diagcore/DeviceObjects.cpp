#include "components/diagcore/DeviceObjects.h"

#include <memory>

#include "components/diagcore/DispatchObject.h"

namespace diagcore {

namespace {

using Records = std::shared_ptr<const std::vector<DeviceRecord>>;

class PrinterDevice final : public DispatchObject<IPrinterDevice> {
public:
    PrinterDevice(Records records, size_t index) : records_(std::move(records)), record_((*records_)[index]) {}

    HRESULT STDMETHODCALLTYPE get_Manufacturer(BSTR* value) override { return Text(record_.manufacturer, value); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override { return Text(record_.name, value); }
    HRESULT STDMETHODCALLTYPE get_ConnectionType(LONG* value) override { return Number(record_.connectionType, value); }
    HRESULT STDMETHODCALLTYPE get_DriverInstalled(VARIANT_BOOL* value) override
    {
        if (value == nullptr)
            return E_POINTER;
        *value = record_.driverInstalled ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HardwareId(BSTR* value) override { return Text(record_.hardwareId, value); }
    HRESULT STDMETHODCALLTYPE get_PortName(BSTR* value) override { return Text(record_.portName, value); }
    HRESULT STDMETHODCALLTYPE get_IPAddress(BSTR* value) override { return Text(record_.ipAddress, value); }
    HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* value) override { return Text(record_.productName, value); }
    HRESULT STDMETHODCALLTYPE get_SerialNumber(BSTR* value) override { return Text(record_.serialNumber, value); }
    HRESULT STDMETHODCALLTYPE get_FriendlyName(BSTR* value) override { return Text(record_.friendlyName, value); }
    HRESULT STDMETHODCALLTYPE get_DriverName(BSTR* value) override { return Text(record_.driverName, value); }
    HRESULT STDMETHODCALLTYPE get_DevicePath(BSTR* value) override { return Text(record_.devicePath, value); }
    HRESULT STDMETHODCALLTYPE get_ProductId(BSTR* value) override { return Text(record_.productId, value); }
    HRESULT STDMETHODCALLTYPE get_PrinterName(BSTR* value) override { return Text(record_.printerName, value); }
    HRESULT STDMETHODCALLTYPE get_Flags(LONG* value) override { return Number(record_.flags, value); }

private:
    static HRESULT Text(const std::wstring& text, BSTR* value) { return ReturnGuardedText(text, value); }
    static HRESULT Number(long number, LONG* value) { return ReturnNumber(number, value); }

    Records records_;
    const DeviceRecord& record_;
};

// The device at `index` (from 0) as a VARIANT holding its IDispatch.
HRESULT DeviceVariant(const Records& records, size_t index, VARIANT* out)
{
    ::VariantInit(out);
    IPrinterDevice* device = nullptr;
    HRESULT result = CreateObject<PrinterDevice>(IID_IPrinterDevice, reinterpret_cast<void**>(&device), records, index);
    if (FAILED(result))
        return result;
    out->vt = VT_DISPATCH;
    out->pdispVal = device;
    return S_OK;
}

class DeviceVariantEnumerator final : public UnknownObject<IEnumVARIANT> {
public:
    DeviceVariantEnumerator(Records records, size_t next) : records_(std::move(records)), next_(next) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override
    {
        if (items == nullptr || (wanted > 1 && fetched == nullptr))
            return E_POINTER;
        ULONG count = 0;
        while (count < wanted && next_ < records_->size()) {
            HRESULT result = DeviceVariant(records_, next_, &items[count]);
            if (FAILED(result)) {
                for (ULONG i = 0; i < count; ++i)
                    ::VariantClear(&items[i]);
                return result;
            }
            ++next_;
            ++count;
        }
        if (fetched != nullptr)
            *fetched = count;
        return count == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        size_t left = records_->size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        return Guarded([&]() -> HRESULT {
            *copy = new DeviceVariantEnumerator(records_, next_);
            return S_OK;
        });
    }

private:
    Records records_;
    size_t next_;
};

class DeviceCollection final : public DispatchObject<IDeviceCollection> {
public:
    explicit DeviceCollection(std::vector<DeviceRecord> records)
        : records_(std::make_shared<const std::vector<DeviceRecord>>(std::move(records)))
    {
    }

    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override
    {
        if (enumerator == nullptr)
            return E_POINTER;
        *enumerator = nullptr;
        return Guarded([&]() -> HRESULT {
            *enumerator = new DeviceVariantEnumerator(records_, 0);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = static_cast<LONG>(records_->size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, VARIANT* device) override
    {
        if (device == nullptr)
            return E_POINTER;
        ::VariantInit(device);
        if (index < 1 || static_cast<size_t>(index) > records_->size())
            return E_INVALIDARG;
        return DeviceVariant(records_, static_cast<size_t>(index - 1), device);
    }

private:
    Records records_;
};

} // namespace

HRESULT CreateDeviceCollection(std::vector<DeviceRecord> records, IDeviceCollection** out)
{
    return Guarded([&] {
        return CreateObject<DeviceCollection>(IID_IDeviceCollection, reinterpret_cast<void**>(out), std::move(records));
    });
}

} // namespace diagcore
