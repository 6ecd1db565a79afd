// Japanese word lists of the sample host: channel names, programme titles, memos and cabinet
// names (Shift-JIS).
#pragma once

#include "ui/text/sjis_literals.h"

namespace capsdub::samplegen::words {

constexpr const char* kChannels[] = {
    "ＮＨＫ総合",     "ＮＨＫ教育",   "日本テレビ",    "ＴＢＳ",        "フジテレビ",
    "テレビ朝日",     "テレビ東京",   "ＮＨＫ ＢＳ１", "ＮＨＫ ＢＳ２", "ＷＯＷＯＷ",
    "東京ＭＸテレビ", "テレビ神奈川", "ﾃﾚﾋﾞ埼玉",      "ＢＳ日テレ",
};
constexpr const char* kSeries[] = {
    "週刊ソフトウェア探訪",
    "深夜の料理教室",
    "海辺の物語",
    "山の音楽会",
    "世界の車窓散歩",
    "名曲アルバム選",
    "科学の扉",
    "日曜美術紀行",
    "ドラマ「青い表札」",
    "アニメ「宇宙探検隊」",
    "映画「七つの港」",
    "クイズ！何でも一番？",
    "ニュース/天気",
    "スポーツ中継：プロ野球",
    "F1グランプリ ハイライト",
    "ｱﾆﾒ劇場",
    "音楽番組 ＣＤＴＶ",
    "旅の手帖 ～北海道編～",
    "将棋の時間",
    "こども劇場 \"ドレミの森\"",  // こども劇場
                                  // "ドレミの森"
};
constexpr const char* kEpisodes[] = {
    "第1話", "第12話", "（再）", "＃25", "前編", "後編", "最終回", "特別編",
};
constexpr const char* kSubtitles[] = {
    "旅立ち",     "約束の場所", "雨の日の訪問者", "秘密の地図",
    "ソースの味", "表と裏",     "十年目の手紙",   "港の灯り",
};
constexpr const char* kMemos[] = {
    "録画予約より自動録画",
    "ＣＭカット済み",
    "再放送分。音声は二ヶ国語。",
    "出演：山田太郎\r\n"
    "解説：鈴木花子",  // 出演：山田太郎⏎解説：鈴木花子
    "途中で電波障害あり（約３０秒）",
    "保存版。ＤＶＤに焼く予定",
};
constexpr const char* kCabinetNames[] = {
    "ドラマ",   "アニメ",         "映画",       "ドキュメンタリー", "音楽",
    "スポーツ", "ニュース・報道", "こども番組", "保存用",           "未整理",
};

}  // namespace capsdub::samplegen::words
