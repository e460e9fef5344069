#include "platform/dynamic_library.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "platform/ascii.h"
#include "platform/program_path.h"

namespace qm {

DynamicLibrary::DynamicLibrary(void* handle, std::string path)
    : handle_(handle), path_(std::move(path)) {}

#if defined(_WIN32)

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(std::string_view name, std::string* error) {
    const std::string file(name);
    HMODULE module = LoadLibraryA(file.c_str());
    if (module == nullptr) {
        if (error != nullptr) {
            *error = LastSystemErrorText();
        }
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(module, file));
}

DynamicLibrary::~DynamicLibrary() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* DynamicLibrary::Symbol(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string PlatformLibraryFileName(std::string_view windowsName) {
    return std::string(windowsName);
}

void* FindExportInOwnModule(const void* addressInModule, const char* name) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(addressInModule), &module)) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}

std::string LastSystemErrorText() {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                   GetLastError(), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = text != nullptr ? text : "";
    LocalFree(text);
    return result;
}

#else

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(std::string_view name, std::string* error) {
    const std::string fileName = PlatformLibraryFileName(name);
    std::string candidate = fileName;
    // A bare name is looked for beside the program first, as the Windows loader does.
    if (fileName.find('/') == std::string::npos) {
        std::error_code ec;
        const std::string beside = ProgramDirectory() + fileName;
        if (std::filesystem::exists(beside, ec)) {
            candidate = beside;
        }
    }
    dlerror();
    void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        if (error != nullptr) {
            *error = LastSystemErrorText();
        }
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle, candidate));
}

DynamicLibrary::~DynamicLibrary() {
    dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

std::string PlatformLibraryFileName(std::string_view windowsName) {
    std::string name(windowsName);
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string extension = name.substr(dot);
        for (char& c : extension) {
            c = LowerAscii(c);
        }
        if (extension == ".dll") {
            name.resize(dot);
        } else {
            return name;  // already a platform name such as "libX.so"
        }
    }
    const std::string directory = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return directory + "lib" + base + ".so";
}

void* FindExportInOwnModule(const void* addressInModule, const char* name) {
    Dl_info info{};
    if (dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr) {
        return nullptr;
    }
    // The program itself is not found by its file name; its handle is the global one.
    void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        handle = dlopen(nullptr, RTLD_LAZY);
    }
    if (handle == nullptr) {
        return nullptr;
    }
    void* symbol = dlsym(handle, name);
    dlclose(handle);
    // dlsym also searches the module's dependencies; only the module's own export counts.
    Dl_info found{};
    if (symbol == nullptr || dladdr(symbol, &found) == 0 || found.dli_fbase != info.dli_fbase) {
        return nullptr;
    }
    return symbol;
}

std::string LastSystemErrorText() {
    const char* text = dlerror();
    if (text != nullptr) {
        return text;
    }
    return errno != 0 ? std::strerror(errno) : "The operation completed successfully.";
}

#endif

}  // namespace qm
