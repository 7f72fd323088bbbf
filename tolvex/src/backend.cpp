#include "backend.h"

namespace tolvex {

bool Matches(const InterfaceSelector& selector, const InterfaceInfo& info)
{
    const std::uint32_t mask = selector.matchMask;
    if ((mask & TOLVEX_MATCH_VENDOR) && selector.vendorId != info.vendorId)
        return false;
    if ((mask & TOLVEX_MATCH_PRODUCT) && selector.productId != info.productId)
        return false;
    if ((mask & TOLVEX_MATCH_USAGE_PAGE) && selector.usagePage != info.usagePage)
        return false;
    if ((mask & TOLVEX_MATCH_USAGE) && selector.usage != info.usage)
        return false;
    return true;
}

}  // namespace tolvex
