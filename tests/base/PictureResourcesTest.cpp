#include "base/pictures/PictureResources.h"

#include <gtest/gtest.h>

#include <string>

#include "base/core/Errors.h"
#include "base/pictures/TPNGImage.h"
#include "support/TestSupport.h"

namespace {

TEST(PictureResourcesTest, ResourcesByNameAndType) {
    const TResourceBytes version = LoadResourceData("VERSION", "RCDATA");
    ASSERT_NE(version.Address, nullptr);
    EXPECT_GT(version.Size, 0);
    EXPECT_EQ(LoadResourceData("NO SUCH THING", "RCDATA").Size, 0);
    TestSupport::TTempDir dir;
    EXPECT_TRUE(SaveResourceToFile("VERSION", "RCDATA", dir.File("version.txt")));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("version.txt")),
              std::string(reinterpret_cast<const char*>(version.Address), static_cast<std::size_t>(version.Size)));
    EXPECT_FALSE(SaveResourceToFile("NO SUCH THING", "RCDATA", dir.File("none")));
    EXPECT_FALSE(SaveResourceToFile("VERSION", "RCDATA", dir.Path() + "/missing/folder/file"));
    TPNGImage png;
    EXPECT_THROW(LoadPngResource("NO SUCH PICTURE", png), EAbort);
}

}  // namespace
