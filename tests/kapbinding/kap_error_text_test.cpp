// The result-code texts, compared byte for byte with the Shift-JIS of the texts as written
// here in UTF-8; and the binding outside Windows, which has nothing to load.
#include "kapbinding/kap_error_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kapbinding/kap_library.h"
#include "platform/codepage.h"

namespace capsdub {
namespace {

std::string Sjis(const char* utf8) {
  const std::optional<std::string> sjis = platform::Utf8ToSjis(utf8);
  EXPECT_TRUE(sjis.has_value()) << utf8;
  return sjis.value_or("");
}

TEST(KapErrorText, EveryCodeHasItsText) {
  const struct {
    std::int32_t code;
    const char* text;
  } cases[] = {
      {-1, "構造体のバージョンが違う"},
      {-2, "これ以上情報はない"},
      {-4, "予約できる数の上限を超えた"},
      {-5, "同じ名前の予約・録画済の物がすでにある"},
      {-6, "予約のためのディスクスペースが無い"},
      {-7, "予約が重なっている"},
      {-8, "予約のパラメータがおかしい"},
      {-9, "指定したIDの物は存在しない"},
      {-10, "指定した録画モードは存在しない"},
      {-11, "指定した予約は近すぎて受け付けられない"},
      {-20, "他の誰かが使用中でAPIをOpenできない"},
      {-21, "使用中、消去禁止、またはリストに"},
      {-100, "APIをLoadLibrary()できなかった"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KapErrorText(c.code), Sjis(c.text)) << "code " << c.code;
  }
}

TEST(KapErrorText, CodesWithoutATextAreUnidentified) {
  for (const std::int32_t code :
       {0, -3, 1, -12, -19, -22, -99, -101, 1000, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_EQ(KapErrorText(code), Sjis("不明")) << "code " << code;
  }
}

#ifndef _WIN32
TEST(KapLibrary, NothingToLoadOutsideWindows) {
  EXPECT_EQ(KapInstallFolder(), "");
  EXPECT_FALSE(LoadKapLibrary(""));
  EXPECT_FALSE(LoadKapLibrary("/opt/ReelKeeper"));
  EXPECT_EQ(KapLibraryEntries().KapOpen, nullptr);
  EXPECT_EQ(KapLibraryEntries().KapDeleteRecorded, nullptr);
}
#endif

}  // namespace
}  // namespace capsdub
