// Conformance of icons and image lists: LoadIconA with the system icons and with icons a
// module lacks, DestroyIcon of a shared icon, and image lists that icons are appended to
// and replaced in. The same tests run against Wine's user32 and comctl32 and the Linux back
// end. The test program holds no icon resources of its own (nor does the Linux back end's
// module until a test declares some).
//
// Replacing an image past the end of a list is left out: Wine accepts an index below the
// list's capacity, Windows only one below its count.
#include <gtest/gtest.h>

#include "platform/win32.h"

namespace {

TEST(Icons, SystemIconsAreSharedAndOutliveDestroyIcon) {
  HICON application = LoadIconA(nullptr, IDI_APPLICATION);
  HICON warning = LoadIconA(nullptr, IDI_WARNING);
  ASSERT_NE(application, nullptr);
  ASSERT_NE(warning, nullptr);
  EXPECT_NE(application, warning);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), application);
  EXPECT_EQ(LoadIconA(nullptr, IDI_EXCLAMATION), warning);
  // A shared icon is not destroyed.
  EXPECT_TRUE(DestroyIcon(application));
  EXPECT_EQ(LoadIconA(nullptr, IDI_APPLICATION), application);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, application), 0);
  ImageList_Destroy(list);
}

TEST(Icons, MissingIconsFailWithTheirReason) {
  const struct {
    HINSTANCE instance;
    int id;
    LONG error;
  } cases[] = {
      {nullptr, 101, ERROR_RESOURCE_TYPE_NOT_FOUND},  // no such system icon
      {nullptr, 1, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {GetModuleHandleA(nullptr), 101, ERROR_RESOURCE_DATA_NOT_FOUND},  // a module without icons
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    SetLastError(0);
    EXPECT_EQ(LoadIconA(c.instance, MAKEINTRESOURCEA(c.id)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error));
  }
}

TEST(ImageLists, KeepTheIconsAppendedAndReplaced) {
  HICON application = LoadIconA(nullptr, IDI_APPLICATION);
  HICON warning = LoadIconA(nullptr, IDI_WARNING);
  ASSERT_TRUE(application && warning);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_MASK | ILC_COLOR8, 1, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, application), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, warning), 1);
  EXPECT_EQ(ImageList_AddIcon(list, warning), 2) << "grows past its initial size";
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, warning), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, nullptr), -1);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  EXPECT_TRUE(ImageList_Destroy(list));

  EXPECT_FALSE(ImageList_Destroy(nullptr));
  EXPECT_EQ(ImageList_GetImageCount(nullptr), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(nullptr, -1, application), -1);
  EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR8, 1, 1), nullptr);
  EXPECT_EQ(ImageList_Create(16, 0, ILC_COLOR8, 1, 1), nullptr);
}

}  // namespace
