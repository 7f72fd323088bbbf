#include "device/device_service.h"

namespace tavrin::device {
namespace {

InterfaceSelector Selector(std::uint16_t usagePage, std::uint16_t usage)
{
    return InterfaceSelector{TOLVEX_MATCH_ALL, TOLVEX_VENDOR_ID, TOLVEX_PRODUCT_ID, usagePage, usage, 0};
}

}  // namespace

InterfaceSelector ControlInterface()
{
    return Selector(TOLVEX_CONTROL_USAGE_PAGE, TOLVEX_CONTROL_USAGE);
}

InterfaceSelector ConsumerInterface()
{
    return Selector(TOLVEX_CONSUMER_USAGE_PAGE, TOLVEX_CONSUMER_USAGE);
}

InterfaceSelector KeyStatusInterface()
{
    return Selector(TOLVEX_KEY_STATUS_USAGE_PAGE, TOLVEX_KEY_STATUS_USAGE);
}

}  // namespace tavrin::device
