#pragma once
// Symbol export of the host's closed libraries (their stand-ins here).
#if defined(_WIN32)
#define QORVAHOST_EXPORT __declspec(dllexport)
#define QORVAHOST_IMPORT __declspec(dllimport)
#define QORVAHOST_INTERFACE
#else
#define QORVAHOST_EXPORT __attribute__((visibility("default")))
#define QORVAHOST_IMPORT __attribute__((visibility("default")))
// Interfaces keep one identity across shared objects (dynamic_cast between them).
#define QORVAHOST_INTERFACE __attribute__((visibility("default")))
#endif

#if defined(ZQMEDIACORE_BUILD)
#define ZQMEDIACORE_API QORVAHOST_EXPORT
#else
#define ZQMEDIACORE_API QORVAHOST_IMPORT
#endif

#if defined(ZQCUTILS_BUILD)
#define ZQCUTILS_API QORVAHOST_EXPORT
#else
#define ZQCUTILS_API QORVAHOST_IMPORT
#endif

#if defined(TAVCORE_BUILD)
#define TAVCORE_API QORVAHOST_EXPORT
#else
#define TAVCORE_API QORVAHOST_IMPORT
#endif

#if defined(JTSPDLOG_BUILD)
#define JTSPDLOG_API QORVAHOST_EXPORT
#else
#define JTSPDLOG_API QORVAHOST_IMPORT
#endif
