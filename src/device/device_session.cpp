#include "device/device_session.h"

namespace tavrin::device {
namespace {

void Register(DeviceService& service, const InterfaceSelector& selector, std::uint32_t tag, std::uint32_t& handle)
{
    service.DeleteRequestFromUnitId(handle);
    const std::uint32_t key = TolvexRequestKey(&selector, NotificationCallback, tag, nullptr, 0);
    service.RequestAsyncRead(&selector, NotificationCallback, tag, key, &handle);
}

}  // namespace

DeviceSession::DeviceSession(std::unique_ptr<DeviceService> service, std::unique_ptr<TransactionTimer> timer)
    : service_(std::move(service))
    , timer_(std::move(timer))
    , link_(*service_, *timer_)
    , commands_(link_)
{
}

DeviceSession::~DeviceSession()
{
    InstallNotificationTargets(nullptr, nullptr);
}

void DeviceSession::RegisterDeviceReads(DeviceEventSink& sink)
{
    bankStatus_[0] = kInitialBankStatus[0];
    bankStatus_[1] = kInitialBankStatus[1];
    InstallNotificationTargets(&link_, &sink);
    const InterfaceSelector consumer = ConsumerInterface();
    Register(*service_, consumer, TOLVEX_TAG_CONSUMER, consumerHandle_);
    const InterfaceSelector control = ControlInterface();
    Register(*service_, control, TOLVEX_TAG_CONTROL, controlHandle_);
}

int DeviceSession::KeyboardCount()
{
    const InterfaceSelector control = ControlInterface();
    return service_->RequestGetDeviceCount(
        &control, nullptr, 0, TolvexRequestKey(&control, nullptr, 0, nullptr, 0), nullptr);
}

int DeviceSession::SwitchGKeyBank()
{
    const std::uint8_t second = bankStatus_[1].load() ^ 1;
    bankStatus_[1] = second;
    const std::uint8_t status[2] = {bankStatus_[0].load(), second};
    const InterfaceSelector selector = KeyStatusInterface();
    service_->DeleteRequestFromUnitId(statusHandle_);
    const std::uint32_t key = TolvexRequestKey(&selector, NotificationCallback, kBankStatusTag, status, 2);
    service_->RequestStatusWrite(&selector, NotificationCallback, kBankStatusTag, status, 2, key, &statusHandle_);
    return second & 1;
}

}  // namespace tavrin::device
