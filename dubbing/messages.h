// The dubbing code's status and message texts (Shift-JIS).
#pragma once

#include "ui/text/sjis_literals.h"

namespace capsdub::messages {

inline constexpr char kDubbing[] = "ダビング中...";
inline constexpr char kOutOfMemory[] = "メモリーが足りないので中止します.";
inline constexpr char kNotFound[] = "が見つかりません.";
inline constexpr char kCannotOpen[] = "を開けません.";
inline constexpr char kShortened[] = "が短くなりました.";
inline constexpr char kDubStopped[] = "ダビング中断.";
inline constexpr char kDubFinished[] = "ダビング終了.";
inline constexpr char kAlreadyDubbed[] = "はダビング済みです.";
inline constexpr char kHostDataMissing[] = "ReelKeeperデータが見つかりません。";
inline constexpr char kHostDataBusy[] = "ReelKeeperデータが使用されていて、見ることができません。";
inline constexpr char kDiskTooSmall[] =
    "ディスクの残り容量がビデオのサイズより小さいです。\r\n"
    "ディスクの残り容量を増やしてください。";
inline constexpr char kSizeError[] = "ダビングサイズエラー ";
inline constexpr char kIncompleteError[] = "ダビング不完全エラー ";
inline constexpr char kVerifying[] = "ダビング検証中...";
inline constexpr char kVerified[] = "ダビング検証終了.";
inline constexpr char kVerifyStopped[] = "ダビング検証中断.";
inline constexpr char kVerifyError[] = "ダビング検証エラー ";
inline constexpr char kSizeOriginal[] = "元 ";
inline constexpr char kSizeResult[] = " > 結果 ";
inline constexpr char kChooseSaveFolder[] = "保存先のフォルダーを選択してください.";
// The error display's text for an error that carries no message of its own.
inline constexpr char kUnknownError[] = "不明なエラーが発生しました。";
inline constexpr char kPauseCaption[] = "一時停止";
inline constexpr char kResumeCaption[] = " 再 開 ";

}  // namespace capsdub::messages
