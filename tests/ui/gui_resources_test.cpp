// CapsDub.exe's resources as the program finds them: the icon's sizes, the toolbar strip and
// the folder picture with their transparent colour, and the manifest that selects common
// controls 6.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/gui/resources/resource_ids.h"
#include "ui/win32/handles.h"

namespace capsdub {
namespace {

#pragma pack(push, 2)
struct IconDirEntry {  // one entry of a group-icon resource
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(GuiResources, MainIconHas16_32And48PixelImages) {
  HRSRC found = FindResourceW(nullptr, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(found, nullptr);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(data, nullptr);
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) {
    const auto* entry = reinterpret_cast<const IconDirEntry*>(data + 6 + i * sizeof(IconDirEntry));
    EXPECT_EQ(entry->width, entry->height);
    sizes.push_back(entry->width);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

TEST(GuiResources, ToolbarStripAndFolderPictureWithMagentaBackground) {
  const struct { int id, width; } pictures[] = {{IDB_TOOLBAR, 112}, {IDB_FOLDER, 16}};
  for (const auto& p : pictures) {
    win32::Bitmap bitmap(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(p.id),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(bitmap) << p.id;
    BITMAP info{};
    GetObjectW(bitmap.get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, p.width) << p.id;
    EXPECT_EQ(info.bmHeight, 16) << p.id;
    EXPECT_EQ(info.bmBitsPixel, 24) << p.id;
    // Each 16 x 16 image has transparent pixels and drawn ones.
    win32::MemoryDc dc(CreateCompatibleDC(nullptr));
    win32::SelectObjectScope select(dc.get(), bitmap.get());
    for (int image = 0; image < p.width / 16; ++image) {
      int transparent = 0;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
          if (GetPixel(dc.get(), image * 16 + x, y) == RGB(255, 0, 255)) ++transparent;
        }
      }
      EXPECT_GT(transparent, 16) << p.id << " image " << image;
      EXPECT_LT(transparent, 16 * 16 - 16) << p.id << " image " << image;
    }
  }
  // The toolbar's image list takes the strip as seven images.
  win32::ImageList images(
      ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TOOLBAR), 16, 0,
                           RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
  ASSERT_TRUE(images);
  EXPECT_EQ(ImageList_GetImageCount(images.get()), 7);
}

TEST(GuiResources, ManifestSelectsCommonControls6) {
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
  // The program's activation context, made from the manifest, redirects comctl32.dll to the
  // side-by-side assembly of version 6.
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  ASSERT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &data));
  ACTIVATION_CONTEXT_BASIC_INFORMATION basic{};
  ASSERT_TRUE(QueryActCtxW(0, data.hActCtx, nullptr, ActivationContextBasicInformation, &basic,
                           sizeof basic, nullptr));
  // One of its assemblies is the manifest's dependency, in a side-by-side folder such as
  // amd64_microsoft.windows.common-controls_6595b64144ccf1df_6.0.2600.2982_none_deadbeef.
  bool found = false;
  for (DWORD i = 1; i <= 8 && !found; ++i) {
    ACTIVATION_CONTEXT_QUERY_INDEX index{i, 0};
    SIZE_T needed = 0;
    QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, nullptr,
                 0, &needed);
    if (needed == 0) break;
    std::vector<BYTE> buffer(needed);
    if (!QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext,
                      buffer.data(), buffer.size(), nullptr)) {
      break;
    }
    const auto* assembly =
        reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    if (assembly->lpAssemblyDirectoryName == nullptr) continue;
    std::wstring folder(assembly->lpAssemblyDirectoryName,
                        assembly->ulAssemblyDirectoryNameLength / sizeof(wchar_t));
    for (wchar_t& c : folder) c = towlower(c);
    found =
        folder.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
  }
  EXPECT_TRUE(found);
  ReleaseActCtx(data.hActCtx);
}

}  // namespace
}  // namespace capsdub
