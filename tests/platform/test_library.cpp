// A tiny library that the loader tests load by its Windows name.
extern "C" __attribute__((visibility("default"))) int QmTestLibAnswer() {
    return 42;
}
