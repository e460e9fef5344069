#pragma once

// Symbols of the platform library that programs and the other libraries call.
#if defined(QM_PLATFORM_STATIC)
#define QM_PLATFORM_API
#elif defined(_WIN32)
#if defined(QM_PLATFORM_BUILD)
#define QM_PLATFORM_API __declspec(dllexport)
#else
#define QM_PLATFORM_API __declspec(dllimport)
#endif
#else
#define QM_PLATFORM_API __attribute__((visibility("default")))
#endif
