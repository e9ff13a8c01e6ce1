#include "viewer/texts.h"

#include <cstdlib>
#include <string_view>

namespace tavrin::viewer {
namespace {

constexpr Texts kEnglish = {
    "Tavrin Viewer",
    "_File",
    "_Snapshot",
    "Save _as...",
    "_Record",
    "_Quit",
    "_View",
    "_Fit to window",
    "_Actual size (1:1)",
    "F_ull screen",
    "_Logarithmic histogram",
    "_Camera",
    "_Trigger mode",
    "_Software trigger",
    "F_ull sensor",
    "_Camera dialog...",
    "_Analog dialog...",
    "_Image dialog...",
    "_Simulator",
    "_Unplug the camera",
    "_Plug the camera in",
    "Settings",
    "Find a setting (Ctrl+F)",
    "Defaults",
    "Histogram",
    "no camera",
    "camera unplugged",
    "recording",
    "saved",
    "recorded",
    "failed",
    "frame",
    "dropped",
    "exposure",
    "gain",
    "last error",
    "none",
    "dark",
    "bright",
    "waiting for a trigger",
    "recording needs live mode (leave trigger mode first)",
    "unknown file type: use .bmp, .png, .jpg, .tif or .raw",
    "_Cancel",
    "_Save",
    "range",
    "default",
    "drag a rectangle on the picture to read out only that region",
    "_Readout region",
    " at ",
};

constexpr Texts kJapanese = {
    "Tavrin Viewer",
    "ファイル(_F)",
    "スナップショット(_S)",
    "名前を付けて保存(_A)...",
    "録画(_R)",
    "終了(_Q)",
    "表示(_V)",
    "ウィンドウに合わせる(_F)",
    "実寸 1:1(_A)",
    "全画面(_U)",
    "対数ヒストグラム(_L)",
    "カメラ(_C)",
    "トリガーモード(_T)",
    "ソフトウェアトリガー(_S)",
    "センサー全体(_U)",
    "カメラ設定ダイアログ(_C)...",
    "アナログ設定ダイアログ(_A)...",
    "画像設定ダイアログ(_I)...",
    "シミュレーター(_S)",
    "カメラを外す(_U)",
    "カメラを接続する(_P)",
    "設定",
    "設定を検索 (Ctrl+F)",
    "初期値",
    "ヒストグラム",
    "カメラなし",
    "カメラが外されました",
    "録画中",
    "保存しました",
    "録画しました",
    "失敗しました",
    "フレーム",
    "欠落",
    "露光",
    "ゲイン",
    "最後のエラー",
    "なし",
    "黒つぶれ",
    "白とび",
    "トリガー待ち",
    "録画はライブ表示中のみ可能です (トリガーモードを解除してください)",
    "不明なファイル形式です: .bmp .png .jpg .tif .raw を使ってください",
    "キャンセル(_C)",
    "保存(_S)",
    "範囲",
    "初期値",
    "画像上で矩形をドラッグすると、その領域だけを読み出します",
    "読み出し領域(_R)",
    " 位置 ",
};

bool JapaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return std::string_view(value).starts_with("ja");
        }
    }
    return false;
}

}  // namespace

const Texts& UserTexts() {
    static const Texts& texts = JapaneseLocale() ? kJapanese : kEnglish;
    return texts;
}

}  // namespace tavrin::viewer
