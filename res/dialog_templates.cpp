#include "res/dialog_templates.h"

#include "res/version.h"

namespace pelmio::res {
namespace {

using enum ControlKind;

constexpr ControlTemplate kMainControls[] = {
    {kIdOk, PushButton, "閉じる", 98, 216, 50, 14, kTabStop | kFollowBottom | kFollowCentre},
    {kIdSettings, PushButton, "設定", 37, 216, 50, 14, kTabStop | kFollowBottom | kFollowCentre},
    {kNoId, Label, kKeywordLabel, 24, 7, 32, 8, kNone},
    {kIdKeywordBox, ComboBox, "", 24, 17, 136, 144, kVScroll | kTabStop | kGrowWidth},
    {kNoId, Label, kResultListLabel, 7, 41, 96, 8, kNone},
    {kIdResultList, ListBox, "", 7, 52, 173, 153, kVScroll | kTabStop | kGrowWidth | kGrowHeight},
    {kIdReload, PushButton, "Button1", 107, 35, 50, 14, kHidden | kTabStop},
    {kIdResultCount, Label, "", 104, 41, 76, 8, kAlignRight | kFollowRight},
};

constexpr ControlTemplate kDetailControls[] = {
    {kIdHeadword, Edit, "", 7, 7, 173, 14, kAutoHScroll | kTabStop | kGrowWidth},
    {kIdBaseForm, Edit, "", 84, 23, 96, 14, kAutoHScroll | kTabStop | kGrowWidth},
    {kIdMeaning, MultiEdit, "", 7, 55, 173, 81, kTabStop | kGrowWidth | kGrowHeight},
    {kNoId, Label, "原形", 62, 25, 15, 8, kNone},
    {kNoId, Label, "発音", 62, 41, 15, 8, kNone},
    {kIdPronunciation, WhiteRect, "", 84, 39, 96, 14, kSunken | kGrowWidth},
    {kIdSpeak, PushButton, kSpeak, 7, 31, 50, 14, kTabStop},
};

constexpr const char* kRowLimitItems[] = {"10",  "50",  "100",  "300",
                                          "500", "800", "1000", kUnlimited};

constexpr ControlTemplate kSettingsControls[] = {
    {kIdOk, PushButton, "OK", 78, 94, 50, 14, kDefault | kTabStop},
    {kIdCancel, PushButton, "ｷｬﾝｾﾙ", 130, 94, 50, 14, kTabStop},
    {kNoId, Label, "リストボックス最大表示行数", 7, 7, 82, 8, kNone},
    {kIdKeywordBox, ComboBox, "", 104, 7, 76, 51, kVScroll | kTabStop, kRowLimitItems},
    {kIdHeadwordFirst, CheckBox, "見出し語の一致を先頭に", 7, 27, 173, 10, kTabStop},
    {kIdIgnoreCase, CheckBox, "大文字と小文字を区別しない", 7, 41, 173, 10, kTabStop},
    {kIdSkipPronunciation, CheckBox, "発音記号を検索しない", 7, 55, 173, 10, kTabStop},
    {kIdClipboardLookup, CheckBox, "クリップボードの英語を引く", 7, 69, 173, 10, kTabStop},
};

constexpr ControlTemplate kAboutControls[] = {
    {kNoId, Icon, "", 11, 17, 18, 21, kNone},
    {kNoId, Label, "Pelmio Version " PELMIO_VERSION, 40, 10, 119, 8, kNone},
    {kNoId, Label, kCopyright, 40, 25, 144, 8, kNone},
    {kIdOk, PushButton, "OK", 188, 7, 32, 14, kDefault | kTabStop},
    {kNoId, Label, "HP：", 37, 44, 13, 8, kNone},
    {kIdHomePage, Edit, kHomePage, 53, 42, 167, 12, kAutoHScroll | kTabStop},
};

constexpr DialogTemplate kMain{kMainDialog, kAppName, 187, 237, kMainControls, true};
constexpr DialogTemplate kDetail{kDetailDialog, "詳細情報", 187, 143, kDetailControls, true};
constexpr DialogTemplate kSettings{kSettingsDialog, "設定", 187, 115, kSettingsControls};
constexpr DialogTemplate kAbout{kAboutDialog, "ﾊﾞｰｼﾞｮﾝ情報 Pelmio", 227, 61, kAboutControls};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    return kMain;
}
const DialogTemplate& DetailDialogTemplate() {
    return kDetail;
}
const DialogTemplate& SettingsDialogTemplate() {
    return kSettings;
}
const DialogTemplate& AboutDialogTemplate() {
    return kAbout;
}

}  // namespace pelmio::res
