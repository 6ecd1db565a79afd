// Result-code texts of KAP.dll as CapsDub shows them.
#include "kapbinding/kap_error_text.h"

#include "ui/text/sjis_literals.h"

namespace capsdub {

std::string KapErrorText(std::int32_t code) {
  switch (code) {
    case -1:
      return "構造体のバージョンが違う";
    case -2:
      return "これ以上情報はない";
    case -4:
      return "予約できる数の上限を超えた";
    case -5:
      return "同じ名前の予約・録画済の物がすでにある";
    case -6:
      return "予約のためのディスクスペースが無い";
    case -7:
      return "予約が重なっている";
    case -8:
      return "予約のパラメータがおかしい";
    case -9:
      return "指定したIDの物は存在しない";
    case -10:
      return "指定した録画モードは存在しない";
    case -11:
      return "指定した予約は近すぎて受け付けられない";
    case -20:
      return "他の誰かが使用中でAPIをOpenできない";
    case -21:  // the library's text ends there
      return "使用中、消去禁止、またはリストに";
    case -100:
      return "APIをLoadLibrary()できなかった";
    default:
      return "不明";
  }
}

}  // namespace capsdub
