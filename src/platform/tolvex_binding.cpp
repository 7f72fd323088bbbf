#include "platform/tolvex_binding.h"

#include <dlfcn.h>

namespace tavrin::platform {
namespace {

struct Exports {
    decltype(&::Debug) debug = nullptr;
    decltype(&::Init) init = nullptr;
    decltype(&::End) end = nullptr;
    decltype(&::RequestGetDeviceCount) requestGetDeviceCount = nullptr;
    decltype(&::DeleteRequestFromUnitId) deleteRequestFromUnitId = nullptr;
    decltype(&::DeleteRequestFromHandle) deleteRequestFromHandle = nullptr;
    decltype(&::RequestWrite) requestWrite = nullptr;
    decltype(&::RequestWriteOne) requestWriteOne = nullptr;
    decltype(&::RequestStatusWrite) requestStatusWrite = nullptr;
    decltype(&::RequestStatusGet) requestStatusGet = nullptr;
    decltype(&::RequestAsyncRead) requestAsyncRead = nullptr;
    decltype(&::RequestStatusSetFeature) requestStatusSetFeature = nullptr;
};

class LoadedTolvexService final : public device::DeviceService {
public:
    explicit LoadedTolvexService(const Exports& exports)
        : exports_(exports)
    {
    }

    int Init(int flags) override { return exports_.init(flags); }
    int End() override { return exports_.end(); }
    int RequestGetDeviceCount(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        std::uint32_t key, std::uint32_t* handleOut) override
    {
        return exports_.requestGetDeviceCount(selector, callback, tag, key, handleOut);
    }
    int DeleteRequestFromUnitId(std::uint32_t handle) override { return exports_.deleteRequestFromUnitId(handle); }
    int RequestWriteOne(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut) override
    {
        return exports_.requestWriteOne(selector, callback, tag, data, length, key, handleOut);
    }
    int RequestStatusWrite(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        const std::uint8_t* data, std::uint32_t length, std::uint32_t key, std::uint32_t* handleOut) override
    {
        return exports_.requestStatusWrite(selector, callback, tag, data, length, key, handleOut);
    }
    int RequestAsyncRead(const InterfaceSelector* selector, TolvexCallback callback, std::uint32_t tag,
        std::uint32_t key, std::uint32_t* handleOut) override
    {
        return exports_.requestAsyncRead(selector, callback, tag, key, handleOut);
    }

private:
    Exports exports_;
};

template<typename Function> bool Resolve(void* library, const char* name, Function& target, std::string& missing)
{
    target = reinterpret_cast<Function>(::dlsym(library, name));
    if (!target && missing.empty())
        missing = name;
    return target != nullptr;
}

}  // namespace

TolvexBinding BindTolvexLibrary(const std::string& folder)
{
    TolvexBinding binding;
    binding.detail = folder + "/" + kTolvexLibraryName;
    void* library = ::dlopen(binding.detail.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        binding.result = BindResult::MissingLibrary;
        return binding;
    }
    Exports exports;
    std::string missing;
    bool complete = Resolve(library, "Debug", exports.debug, missing);
    complete &= Resolve(library, "Init", exports.init, missing);
    complete &= Resolve(library, "End", exports.end, missing);
    complete &= Resolve(library, "RequestGetDeviceCount", exports.requestGetDeviceCount, missing);
    complete &= Resolve(library, "DeleteRequestFromUnitId", exports.deleteRequestFromUnitId, missing);
    complete &= Resolve(library, "DeleteRequestFromHandle", exports.deleteRequestFromHandle, missing);
    complete &= Resolve(library, "RequestWrite", exports.requestWrite, missing);
    complete &= Resolve(library, "RequestWriteOne", exports.requestWriteOne, missing);
    complete &= Resolve(library, "RequestStatusWrite", exports.requestStatusWrite, missing);
    complete &= Resolve(library, "RequestStatusGet", exports.requestStatusGet, missing);
    complete &= Resolve(library, "RequestAsyncRead", exports.requestAsyncRead, missing);
    complete &= Resolve(library, "RequestStatusSetFeature", exports.requestStatusSetFeature, missing);
    if (!complete) {
        ::dlclose(library);
        binding.result = BindResult::MissingExport;
        binding.detail = missing;
        return binding;
    }
    if (exports.init(0) <= 0) {
        binding.result = BindResult::InitFailed;
        return binding;
    }
    binding.result = BindResult::Bound;
    binding.service = std::make_unique<LoadedTolvexService>(exports);
    return binding;
}

}  // namespace tavrin::platform
