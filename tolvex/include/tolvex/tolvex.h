/*
 * libTolvex: the keyboard's device service library.
 *
 * A keyboard interface is addressed by a 16-byte InterfaceSelector. Every call that reaches a
 * device carries a request key computed over its arguments (TolvexRequestKey); the library
 * recomputes it and refuses a call whose key does not match. Input reports, completions and
 * presence changes reach the caller's callback, always on a thread of the library.
 *
 * Results: a value > 0 is success (a count, a handle or a byte count, as each call says); 0 is
 * failure (refused, wrong key, bad argument, no device, library not initialised).
 */
#ifndef TOLVEX_TOLVEX_H
#define TOLVEX_TOLVEX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TOLVEX_EXPORT __attribute__((visibility("default")))
#else
#define TOLVEX_EXPORT
#endif

enum {
    TOLVEX_VENDOR_ID = 0x0C45,
    TOLVEX_PRODUCT_ID = 0x7045,
    TOLVEX_MATCH_ALL = 0x0000000F,
    TOLVEX_REPORT_SIZE = 64,
};

/* Tags the program gives its registrations. */
#define TOLVEX_TAG_CONTROL 0x4354524Cu
#define TOLVEX_TAG_CONSUMER 0x434F4E53u
#define TOLVEX_TAG_KEY_STATUS 0x004C4544u

/* Which fields of a selector take part in matching (match mask bits). */
enum {
    TOLVEX_MATCH_VENDOR = 0x1,
    TOLVEX_MATCH_PRODUCT = 0x2,
    TOLVEX_MATCH_USAGE_PAGE = 0x4,
    TOLVEX_MATCH_USAGE = 0x8,
};

typedef struct InterfaceSelector {
    uint32_t matchMask;
    uint16_t vendorId;
    uint16_t productId;
    uint16_t usagePage;
    uint16_t usage;
    uint32_t reserved;
} InterfaceSelector;

/* The keyboard's three interfaces. */
#define TOLVEX_CONTROL_USAGE_PAGE 0xFF1C
#define TOLVEX_CONTROL_USAGE 0x0092
#define TOLVEX_CONSUMER_USAGE_PAGE 0x000C
#define TOLVEX_CONSUMER_USAGE 0x0001
#define TOLVEX_KEY_STATUS_USAGE_PAGE 0x0008
#define TOLVEX_KEY_STATUS_USAGE 0x0089

/* Passed to the callback. Kind 1: data (an input report, or a completed status write);
 * kind 0: the number of matching interfaces changed (request->length holds the new count). */
enum { TOLVEX_NOTIFY_STATE = 0, TOLVEX_NOTIFY_DATA = 1 };

/* Pointers are padded to eight bytes so that the offsets are the same on every platform. */
#define TOLVEX_POINTER_FIELD(type, name) \
    union {                              \
        type name;                       \
        uint64_t name##Storage;          \
    }

typedef struct TolvexBufferRecord {
    uint32_t structSize;      /* sizeof(TolvexBufferRecord) */
    uint32_t receivedLength;  /* bytes at `received` */
    uint64_t timestampMicros; /* steady clock when the report was read */
    uint32_t sequence;        /* counts the registration's notifications from 1 */
    uint32_t capacity;        /* size of the buffer behind `received` */
    uint32_t registration;    /* handle of the registration */
    uint32_t reserved;
    /* The received bytes; at 32 rather than 28 so that the pointer is naturally aligned. */
    TOLVEX_POINTER_FIELD(const uint8_t*, received);
} TolvexBufferRecord;

typedef struct TolvexRequestRecord {
    uint32_t tag;
    uint32_t length; /* bytes at `data`; for a state change, the presence count */
    TOLVEX_POINTER_FIELD(const uint8_t*, data);
    TOLVEX_POINTER_FIELD(const TolvexBufferRecord*, buffer);
} TolvexRequestRecord;

typedef struct TolvexNotification {
    uint32_t kind;
    uint32_t registration; /* handle of the registration that produced it */
    TOLVEX_POINTER_FIELD(const TolvexRequestRecord*, request);
} TolvexNotification;

#ifdef __cplusplus
#define TOLVEX_STATIC_ASSERT(condition) static_assert(condition, #condition)
#else
#define TOLVEX_STATIC_ASSERT(condition) _Static_assert(condition, #condition)
#endif
TOLVEX_STATIC_ASSERT(sizeof(InterfaceSelector) == 16);
TOLVEX_STATIC_ASSERT(offsetof(InterfaceSelector, vendorId) == 4);
TOLVEX_STATIC_ASSERT(offsetof(InterfaceSelector, usagePage) == 8);
TOLVEX_STATIC_ASSERT(offsetof(InterfaceSelector, reserved) == 12);
TOLVEX_STATIC_ASSERT(offsetof(TolvexNotification, kind) == 0);
TOLVEX_STATIC_ASSERT(offsetof(TolvexNotification, request) == 8);
TOLVEX_STATIC_ASSERT(offsetof(TolvexRequestRecord, tag) == 0);
TOLVEX_STATIC_ASSERT(offsetof(TolvexRequestRecord, length) == 4);
TOLVEX_STATIC_ASSERT(offsetof(TolvexRequestRecord, data) == 8);
TOLVEX_STATIC_ASSERT(offsetof(TolvexRequestRecord, buffer) == 16);
TOLVEX_STATIC_ASSERT(offsetof(TolvexBufferRecord, received) == 32);

/* Called on a library thread; the records are valid only during the call. Returns 1. */
typedef int (*TolvexCallback)(const TolvexNotification* notification);

/* The fixed permutation that request keys are built from. */
/* clang-format off */
static const uint8_t kTolvexKeyTable[256] = {
    253, 134, 209, 202, 219, 213, 204, 94,  30,  95,  83,  251, 138, 90,  212, 238,
    129, 224, 232, 54,  4,   218, 44,  190, 22,  140, 169, 85,  114, 121, 208, 254,
    200, 193, 17,  171, 249, 55,  168, 64,  41,  151, 16,  176, 130, 12,  10,  11,
    48,  165, 120, 50,  116, 250, 185, 79,  197, 221, 73,  81,  56,  143, 115, 59,
    69,  75,  20,  230, 195, 228, 127, 136, 49,  191, 51,  163, 31,  7,   160, 226,
    26,  233, 157, 255, 241, 184, 198, 102, 189, 89,  100, 101, 247, 33,  47,  24,
    37,  252, 35,  235, 125, 246, 173, 76,  25,  146, 225, 52,  93,  118, 65,  46,
    113, 21,  217, 2,   182, 231, 8,   106, 123, 162, 23,  105, 96,  27,  245, 207,
    6,   148, 215, 87,  67,  53,  92,  72,  144, 15,  164, 194, 181, 139, 206, 237,
    9,   126, 112, 18,  122, 82,  243, 216, 3,   192, 210, 187, 78,  211, 40,  66,
    149, 91,  71,  42,  152, 133, 158, 28,  248, 222, 223, 239, 236, 29,  137, 34,
    178, 203, 179, 88,  109, 156, 124, 43,  60,  97,  38,  145, 84,  13,  77,  177,
    68,  141, 172, 234, 99,  166, 57,  110, 161, 132, 0,   240, 205, 104, 58,  103,
    170, 188, 214, 19,  183, 39,  150, 70,  32,  154, 242, 180, 111, 186, 117, 45,
    119, 131, 167, 153, 159, 142, 36,  174, 175, 107, 14,  108, 229, 98,  1,   155,
    199, 61,  74,  63,  86,  5,   244, 196, 135, 220, 201, 80,  147, 62,  227, 128,
};
/* clang-format on */

static inline uint32_t TolvexKeyOfWord(uint32_t word)
{
    return (uint32_t)kTolvexKeyTable[word & 0xFF] + kTolvexKeyTable[(word >> 8) & 0xFF]
        + kTolvexKeyTable[(word >> 16) & 0xFF] + kTolvexKeyTable[(word >> 24) & 0xFF];
}

/* The key of a call: the selector's sixteen bytes (little-endian), the callback reference and
 * the tag as four bytes each (the reference's low 32 bits; 0 when none), then the data bytes. */
static inline uint32_t TolvexRequestKey(
    const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag, const uint8_t* data, size_t length)
{
    uint32_t key = 0;
    if (selector) {
        key += TolvexKeyOfWord(selector->matchMask);
        key += TolvexKeyOfWord((uint32_t)selector->vendorId | ((uint32_t)selector->productId << 16));
        key += TolvexKeyOfWord((uint32_t)selector->usagePage | ((uint32_t)selector->usage << 16));
        key += TolvexKeyOfWord(selector->reserved);
    }
    key += TolvexKeyOfWord((uint32_t)(uintptr_t)callback);
    key += TolvexKeyOfWord(tag);
    for (size_t i = 0; data && i < length; ++i)
        key += kTolvexKeyTable[data[i]];
    return key;
}

/* Sets the trace level on standard error (0 silent, 1 errors, 2 traffic); returns the old one. */
TOLVEX_EXPORT int Debug(int level);
/* Starts the library; > 0 when ready. Flags are reserved (0). Calling it again is harmless. */
TOLVEX_EXPORT int Init(int flags);
/* Cancels every registration, stops every thread and closes every device. */
TOLVEX_EXPORT int End(void);

/* The number of interfaces that match the selector. */
TOLVEX_EXPORT int RequestGetDeviceCount(
    const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag, uint32_t key, uint32_t* handleOut);
/* Cancels the registration with that handle; > 0 when it existed. */
TOLVEX_EXPORT int DeleteRequestFromUnitId(uint32_t handle);
/* Cancels the registration that produced a notification's request record (callable from the
 * callback itself). */
TOLVEX_EXPORT int DeleteRequestFromHandle(const TolvexRequestRecord* request);
/* Writes `length` bytes as consecutive 64-byte output reports (the last one zero-filled) to the
 * first matching interface; returns the number of reports written. */
TOLVEX_EXPORT int RequestWrite(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut);
/* Writes one output report (its first byte is the report identifier), cut or zero-filled to 64
 * bytes; > 0 when queued. */
TOLVEX_EXPORT int RequestWriteOne(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut);
/* Writes a short output report (first byte the report identifier) to the interface; when a
 * callback is given it later receives a data notification with the tag and the bytes written.
 * The handle names that pending completion. */
TOLVEX_EXPORT int RequestStatusWrite(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut);
/* Reads a feature report; buffer[0] names the report identifier. Returns the bytes read. */
TOLVEX_EXPORT int RequestStatusGet(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    uint8_t* buffer, uint32_t length, uint32_t key, uint32_t* handleOut);
/* Registers an asynchronous read: every input report of the matching interfaces and every
 * change of their count reaches the callback until the registration is cancelled. */
TOLVEX_EXPORT int RequestAsyncRead(
    const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag, uint32_t key, uint32_t* handleOut);
/* Sends a feature report (first byte the report identifier); returns the bytes written. */
TOLVEX_EXPORT int RequestStatusSetFeature(const InterfaceSelector* selector, TolvexCallback callback, uint32_t tag,
    const uint8_t* data, uint32_t length, uint32_t key, uint32_t* handleOut);

#ifdef __cplusplus
}
#endif

#endif
