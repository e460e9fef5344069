// Registering a file type with the Linux desktop under a data directory of the test's own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/desktop_registration.h"
#include "tests/packlib/test_files.h"

namespace {

TEST(DesktopRegistration, WritesBothFilesAndRemovesThem) {
    packlib_test::TempDir dir;
    setenv("XDG_DATA_HOME", dir.Path().c_str(), 1);
    const qm::DesktopFileType type{
        "quillmark-test", "application/x-quillmark-test", "Test <Patch> & more", "kdz", "Tester",
        "/opt/q m/a\"b%c"};
    ASSERT_TRUE(qm::RegisterDesktopFileType(type));
    const auto desktopBytes =
        packlib_test::ReadFile(dir.File("applications/quillmark-test.desktop"));
    const std::string desktop(desktopBytes.begin(), desktopBytes.end());
    EXPECT_NE(desktop.find("Exec=\"/opt/q m/a\\\\\"b%%c\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("MimeType=application/x-quillmark-test;\n"), std::string::npos);
    const auto mimeBytes = packlib_test::ReadFile(dir.File("mime/packages/quillmark-test.xml"));
    const std::string mime(mimeBytes.begin(), mimeBytes.end());
    EXPECT_NE(mime.find("<comment>Test &lt;Patch&gt; &amp; more</comment>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.kdz\" case-sensitive=\"false\"/>"), std::string::npos);

    EXPECT_TRUE(qm::UnregisterDesktopFileType(type));
    EXPECT_FALSE(std::filesystem::exists(dir.File("applications/quillmark-test.desktop")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("mime/packages/quillmark-test.xml")));
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
