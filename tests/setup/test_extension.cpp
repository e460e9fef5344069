// An installation's extension library as an author writes one. The tests steer it through
// the environment: QM_EXTENSION_MARKER names a file where each call is noted (with the text
// it was given), QM_EXTENSION_DIR, _GROUP, _UNINST and _USER replace what the Init calls are
// given, QM_EXTENSION_NO_UNINST clears "save uninstall information", and
// QM_EXTENSION_REFUSE names the entry points that answer 0 (blank-separated).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Note(const std::string& what) {
    if (const char* path = std::getenv("QM_EXTENSION_MARKER")) {
        if (std::FILE* file = std::fopen(path, "a")) {
            std::fprintf(file, "%s\n", what.c_str());
            std::fclose(file);
        }
    }
}

int Answer(const char* entry) {
    const char* refused = std::getenv("QM_EXTENSION_REFUSE");
    if (refused == nullptr) {
        return 1;
    }
    const std::string list = std::string(" ") + refused + " ";
    return list.find(std::string(" ") + entry + " ") == std::string::npos ? 1 : 0;
}

void Replace(char* buffer, std::size_t size, const char* variable) {
    if (const char* text = std::getenv(variable)) {
        std::snprintf(buffer, size, "%s", text);
    }
}

struct Uninstall {
    unsigned char save;
    char directory[260];
};
struct User {
    char name[256];
    char company[256];
};

}  // namespace

#define QM_EXTENSION_EXPORT extern "C" __attribute__((visibility("default")))

QM_EXTENSION_EXPORT int SetupInit() {
    Note("SetupInit");
    return Answer("SetupInit");
}

QM_EXTENSION_EXPORT int SetupInitDir(char* directory) {
    Note(std::string("SetupInitDir ") + directory);
    Replace(directory, 260, "QM_EXTENSION_DIR");
    return Answer("SetupInitDir");
}

QM_EXTENSION_EXPORT int SetupInitGroup(char* group) {
    Note(std::string("SetupInitGroup ") + group);
    Replace(group, 260, "QM_EXTENSION_GROUP");
    return Answer("SetupInitGroup");
}

QM_EXTENSION_EXPORT int SetupInitUninst(Uninstall* record) {
    Note("SetupInitUninst " + std::to_string(record->save) + " " + record->directory);
    Replace(record->directory, sizeof record->directory, "QM_EXTENSION_UNINST");
    if (std::getenv("QM_EXTENSION_NO_UNINST") != nullptr) {
        record->save = 0;
    }
    return Answer("SetupInitUninst");
}

QM_EXTENSION_EXPORT int SetupInitUser(User* user) {
    Note(std::string("SetupInitUser ") + user->name + "|" + user->company);
    Replace(user->name, sizeof user->name, "QM_EXTENSION_USER");
    Replace(user->company, sizeof user->company, "QM_EXTENSION_COMPANY");
    return Answer("SetupInitUser");
}

QM_EXTENSION_EXPORT int SetupValidateDir(const char* directory) {
    Note(std::string("SetupValidateDir ") + directory);
    return Answer("SetupValidateDir");
}

QM_EXTENSION_EXPORT int SetupValidateGroup(const char* group) {
    Note(std::string("SetupValidateGroup ") + group);
    return Answer("SetupValidateGroup");
}

QM_EXTENSION_EXPORT int SetupValidateUninst(const Uninstall* record) {
    Note("SetupValidateUninst " + std::to_string(record->save) + " " + record->directory);
    return Answer("SetupValidateUninst");
}

QM_EXTENSION_EXPORT int SetupExit(int how) {
    Note("SetupExit " + std::to_string(how));
    return Answer("SetupExit");
}
