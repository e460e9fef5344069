// A size field in a patch file must be weighed against the file before any memory is asked
// for. A reader that allocates first and then fails the read returns the same null, so this
// test watches the allocations themselves: the executable's malloc stands in front of the C
// library's and remembers the largest request.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "patchlib/patchlib_exports.h"
#include "tests/patchlib/patch_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define QM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_SANITIZED 1
#endif
#endif

#if !defined(QM_SANITIZED) && defined(__GLIBC__)
#define QM_WATCH_MALLOC 1
namespace {
std::size_t g_largestRequest = 0;
}
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* malloc(std::size_t size) {
    if (size > g_largestRequest) {
        g_largestRequest = size;
    }
    return __libc_malloc(size);
}
#endif

namespace {

using namespace patch_test;

TEST(PatchAllocation, HugeClaimsFailBeforeAnythingIsAllocated) {
#if !defined(QM_WATCH_MALLOC)
    GTEST_SKIP() << "allocations are only watched on an uninstrumented glibc build";
#else
    struct Case {
        const char* tag;
        std::uint32_t claim;
    } cases[] = {{"DATA", 0xFFFFFFFFu}, {"PATH", 0xFFFFFFF0u}, {"DATA", 0x10000000u}};
    TempDir dir;
    for (const Case& c : cases) {
        Bytes file = PatchFile({Container("FORM", {Text("PATH", "p")})});
        PutTag(file, c.tag);
        PutSize(file, c.claim);
        file.insert(file.end(), 40, 'x');
        const std::string path = dir.File("huge.kdz");
        WriteFile(path, file);

        g_largestRequest = 0;
        KDZPATCH* patch = KDZOpenPatch(path.c_str());
        const std::size_t largest = g_largestRequest;
        EXPECT_EQ(patch, nullptr) << c.tag << " " << c.claim;
        KDZClosePatch(patch);
        // The stream buffer (1 MiB by default) is the largest thing an open may ask for.
        EXPECT_LE(largest, std::size_t{KDZGetBufferSize()} * 1024 + 4096)
            << c.tag << " claiming " << c.claim << " made a request of " << largest;
    }
#endif
}

}  // namespace
