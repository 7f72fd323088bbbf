#include "tolvex_library.h"

#include <dlfcn.h>

#include "emulator_process.h"

namespace tavrin::testing {

std::mutex NotificationRecorder::mutex_;
std::condition_variable NotificationRecorder::changed_;
std::vector<RecordedNotification> NotificationRecorder::recorded_;

namespace {

template<typename Function>
void Bind(void* handle, const char* name, Function& target, std::vector<std::string>* missing)
{
    target = reinterpret_cast<Function>(::dlsym(handle, name));
    if (!target && missing)
        missing->push_back(name);
}

}  // namespace

TolvexLibrary TolvexLibrary::Load(std::vector<std::string>* missing)
{
    TolvexLibrary library;
    const std::string path = BinaryFolder() + "/libTolvex.so";
    library.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library.handle) {
        if (missing)
            missing->push_back(path);
        return library;
    }
    Bind(library.handle, "Debug", library.Debug, missing);
    Bind(library.handle, "Init", library.Init, missing);
    Bind(library.handle, "End", library.End, missing);
    Bind(library.handle, "RequestGetDeviceCount", library.RequestGetDeviceCount, missing);
    Bind(library.handle, "DeleteRequestFromUnitId", library.DeleteRequestFromUnitId, missing);
    Bind(library.handle, "DeleteRequestFromHandle", library.DeleteRequestFromHandle, missing);
    Bind(library.handle, "RequestWrite", library.RequestWrite, missing);
    Bind(library.handle, "RequestWriteOne", library.RequestWriteOne, missing);
    Bind(library.handle, "RequestStatusWrite", library.RequestStatusWrite, missing);
    Bind(library.handle, "RequestStatusGet", library.RequestStatusGet, missing);
    Bind(library.handle, "RequestAsyncRead", library.RequestAsyncRead, missing);
    Bind(library.handle, "RequestStatusSetFeature", library.RequestStatusSetFeature, missing);
    return library;
}

bool TolvexLibrary::Complete() const
{
    return handle && Debug && Init && End && RequestGetDeviceCount && DeleteRequestFromUnitId && DeleteRequestFromHandle
        && RequestWrite && RequestWriteOne && RequestStatusWrite && RequestStatusGet && RequestAsyncRead
        && RequestStatusSetFeature;
}

int NotificationRecorder::Callback(const TolvexNotification* notification)
{
    RecordedNotification record;
    record.kind = notification->kind;
    record.thread = std::this_thread::get_id();
    if (const TolvexRequestRecord* request = notification->request) {
        record.tag = request->tag;
        record.length = request->length;
        const TolvexBufferRecord* buffer = request->buffer;
        if (notification->kind == TOLVEX_NOTIFY_DATA && buffer && buffer->received)
            record.bytes.assign(buffer->received, buffer->received + buffer->receivedLength);
    }
    {
        std::lock_guard lock(mutex_);
        recorded_.push_back(std::move(record));
    }
    changed_.notify_all();
    return 1;
}

void NotificationRecorder::Clear()
{
    std::lock_guard lock(mutex_);
    recorded_.clear();
}

bool NotificationRecorder::WaitFor(const std::function<bool(const RecordedNotification&)>& match,
    RecordedNotification* found, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (std::size_t seen = 0;;) {
        for (; seen < recorded_.size(); ++seen) {
            if (match(recorded_[seen])) {
                if (found)
                    *found = recorded_[seen];
                return true;
            }
        }
        if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && seen == recorded_.size())
            return false;
    }
}

std::vector<RecordedNotification> NotificationRecorder::Snapshot()
{
    std::lock_guard lock(mutex_);
    return recorded_;
}

}  // namespace tavrin::testing
