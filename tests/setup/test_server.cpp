// A library that registers itself the way a program's automation server does, by noting each
// call in the file named by $QM_SETUP_TEST_MARKER.
#include <cstdio>
#include <cstdlib>

namespace {
void Note(const char* what) {
    if (const char* path = std::getenv("QM_SETUP_TEST_MARKER")) {
        if (std::FILE* file = std::fopen(path, "a")) {
            std::fprintf(file, "%s\n", what);
            std::fclose(file);
        }
    }
}
}  // namespace

extern "C" __attribute__((visibility("default"))) long DllRegisterServer() {
    Note("register");
    return 0;
}

extern "C" __attribute__((visibility("default"))) long DllUnregisterServer() {
    Note("unregister");
    return 0;
}
