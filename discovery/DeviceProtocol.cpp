#include "discovery/DeviceProtocol.h"

#include "support/ProductInfoColl.h"

DeviceProtocol ProtocolFor(const Device_Dev& device)
{
    if (CProductInfoColl::IsRestDevice(device.productId))
        return DeviceProtocol::Sable;
    return device.isNetwork ? DeviceProtocol::QuillNetwork : DeviceProtocol::QuillUsb;
}
