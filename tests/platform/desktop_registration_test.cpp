// Registering a file type with the Linux desktop under a data directory of the test's own.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/desktop_registration.h"
#include "tests/support/files.h"
#include "tests/support/private_environment.h"

namespace {

TEST(DesktopRegistration, WritesBothFilesAndRemovesThem) {
    qm_test::PrivateEnvironment env;
    const std::string data = env.File("data/");
    const qm::DesktopFileType type{
        "quillmark-test", "application/x-quillmark-test", "Test <Patch> & more", "kdz", "Tester",
        "/opt/q m/a\"b%c"};
    ASSERT_TRUE(qm::RegisterDesktopFileType(type));
    const std::string desktop = qm_test::ReadText(data + "applications/quillmark-test.desktop");
    EXPECT_NE(desktop.find("Exec=\"/opt/q m/a\\\\\"b%%c\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("MimeType=application/x-quillmark-test;\n"), std::string::npos);
    const std::string mime = qm_test::ReadText(data + "mime/packages/quillmark-test.xml");
    EXPECT_NE(mime.find("<comment>Test &lt;Patch&gt; &amp; more</comment>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.kdz\" case-sensitive=\"false\"/>"), std::string::npos);

    EXPECT_TRUE(qm::UnregisterDesktopFileType(type));
    EXPECT_FALSE(std::filesystem::exists(data + "applications/quillmark-test.desktop"));
    EXPECT_FALSE(std::filesystem::exists(data + "mime/packages/quillmark-test.xml"));
}

}  // namespace
