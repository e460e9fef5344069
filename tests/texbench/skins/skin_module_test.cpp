// The skin modules we ship, loaded by name as the program loads them, and libraries that are
// no skin modules.
#include <gtest/gtest.h>

#include <string>

#include "texbench/skins/dialog_template.h"
#include "texbench/skins/skin_resources.h"

namespace {

using texbench::ResourceType;
using texbench::SkinModule;

class ShippedSkin : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedSkin, HoldsItsTemplateAndEveryPicture) {
    std::string error;
    const auto module = SkinModule::Load(GetParam(), &error);
    ASSERT_TRUE(module) << error;
    EXPECT_FALSE(module->IsProgram());
    EXPECT_NE(module->InitSkin(), nullptr);
    const auto layout = texbench::ParseMainDialogTemplate(
        texbench::DialogText(*module, texbench::kMainDialogTemplate));
    ASSERT_TRUE(layout);
    for (const int button : {1000, 1001, 57664, 1055, 1053, 2}) {
        EXPECT_TRUE(layout->Find(button)->ownerDraw) << button;
    }
    for (const int id : {400, 401, 500, 501, 502, 503, 504, 505, 600, 601, 602, 603, 604, 605}) {
        const auto bytes = module->Find(ResourceType::Bitmap, id);
        ASSERT_GT(bytes.size(), 8u) << id;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 1, 3), "PNG") << id;
    }
    EXPECT_TRUE(module->Find(ResourceType::Bitmap, 506).empty());
    EXPECT_TRUE(module->Find(ResourceType::Dialog, 400).empty()) << "types are told apart";
}

INSTANTIATE_TEST_SUITE_P(Ours, ShippedSkin, ::testing::Values("SkinHive.dll", "SkinConsole.dll"));

TEST(SkinModuleLoad, AMissingLibraryFailsAndALibraryWithoutResourcesHoldsNone) {
    std::string error;
    EXPECT_FALSE(SkinModule::Load("NoSuchSkin.dll", &error));
    EXPECT_FALSE(error.empty());
    const auto packLib = SkinModule::Load("PackLib.dll");
    ASSERT_TRUE(packLib);
    EXPECT_TRUE(texbench::DialogText(*packLib, texbench::kMainDialogTemplate).empty());
    EXPECT_EQ(packLib->InitSkin(), nullptr);
}

TEST(ProgramResources, HoldTheSystemLookOnly) {
    const texbench::ProgramResources program;
    EXPECT_EQ(texbench::DialogText(program, 102), texbench::BuiltInMainDialogLayout());
    EXPECT_TRUE(program.Find(ResourceType::Bitmap, 400).empty());
    EXPECT_TRUE(program.Find(ResourceType::Dialog, 150).empty());
}

}  // namespace
