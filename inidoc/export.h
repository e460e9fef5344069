#pragma once

// Symbols of the INI document library. On Linux it is one shared library, so that the platform
// library (whose registry store is an INI file) and the programs share one copy; on Windows it
// is linked into each module, like the platform layer.
#if defined(QM_INIDOC_STATIC)
#define QM_INIDOC_API
#elif defined(_WIN32)
#if defined(QM_INIDOC_BUILD)
#define QM_INIDOC_API __declspec(dllexport)
#else
#define QM_INIDOC_API __declspec(dllimport)
#endif
#else
#define QM_INIDOC_API __attribute__((visibility("default")))
#endif
