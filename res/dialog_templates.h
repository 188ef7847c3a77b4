#pragma once

#include <span>

// The dialogs' layouts, in dialog units, and the program's fixed texts. Kept
// free of any widget toolkit: a builder in ui/ turns a template into widgets.
namespace pelmio::res {

// Control ids.
inline constexpr int kNoId = -1;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdHeadword = 1000;
inline constexpr int kIdResultList = 1001;
inline constexpr int kIdBaseForm = 1002;
inline constexpr int kIdMeaning = 1004;
inline constexpr int kIdPronunciation = 1005;
inline constexpr int kIdSettings = 1006;
inline constexpr int kIdKeywordBox = 1007;  // also the settings dialog's row-limit box
inline constexpr int kIdReload = 1009;
inline constexpr int kIdHomePage = 1010;
inline constexpr int kIdResultCount = 1011;
inline constexpr int kIdSpeak = 1012;
inline constexpr int kIdHeadwordFirst = 1013;
inline constexpr int kIdIgnoreCase = 1014;
inline constexpr int kIdSkipPronunciation = 1015;
inline constexpr int kIdClipboardLookup = 1016;

// Dialog template ids.
inline constexpr int kAboutDialog = 100;
inline constexpr int kMainDialog = 102;
inline constexpr int kDetailDialog = 130;
inline constexpr int kSettingsDialog = 131;

enum class ControlKind {
    PushButton,
    Label,
    ComboBox,  // drop-down with an editable text field
    ListBox,
    Edit,       // single line
    MultiEdit,  // multi-line, words wrap at the box's width
    Icon,       // the program's icon
    WhiteRect,  // white rectangle, drawn on by its owner
    CheckBox,
};

// Style bits beyond what the kind implies.
enum Style : unsigned {
    kNone = 0,
    kHidden = 1u << 0,
    kDefault = 1u << 1,      // default push button
    kSunken = 1u << 2,       // sunken client edge
    kVScroll = 1u << 3,      // a list box's scroll bar shows even when not needed
    kAutoHScroll = 1u << 4,  // the text field scrolls horizontally (Qt's always do)
    kTabStop = 1u << 5,
    kAlignRight = 1u << 6,  // a label's text stands at its right edge
    // Where a resizable dialog's growth goes. Without these a control keeps
    // its place and size.
    kGrowWidth = 1u << 7,      // takes all the width the dialog gains
    kGrowHeight = 1u << 8,     // takes all the height the dialog gains
    kFollowRight = 1u << 9,    // keeps its distance from the right edge
    kFollowBottom = 1u << 10,  // keeps its distance from the bottom edge
    kFollowCentre = 1u << 11,  // moves by half the width gained, staying centred
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8; empty for none
    int x, y, width, height;
    unsigned style;
    std::span<const char* const> items = {};  // a combo box's initial list
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // client area; the smallest size where resizable
    std::span<const ControlTemplate> controls;
    bool resizable = false;
};

// The dialogs' font, the first of these families installed, and its size.
inline constexpr const char* kDialogFontFamilies[] = {
    "ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"};
inline constexpr int kDialogFontPoints = 9;

const DialogTemplate& MainDialogTemplate();
const DialogTemplate& DetailDialogTemplate();
const DialogTemplate& SettingsDialogTemplate();
const DialogTemplate& AboutDialogTemplate();

// The application's name: the main window's caption and every message box's.
inline constexpr const char* kAppName = "Pelmio";

// The main window's labels; screen readers name the controls after them.
inline constexpr const char* kKeywordLabel = "キーワード";
inline constexpr const char* kResultListLabel = "候補（ダブルクリックで詳細表示）";
// What the result count is, for screen readers.
inline constexpr const char* kResultCountDescription = "件数";
// The main window's menu, which stands in for a system menu.
inline constexpr const char* kCloseMenuItem = "閉じる(&C)";

// Messages and menu texts (UTF-8).
inline constexpr const char* kCannotReadDictionary = "辞書ファイルを読み込めません";
inline constexpr const char* kDictionaryTooLarge =
    "辞書ファイルの行数が上限の100,000行を超えています。超えた分は読み込んでいません";
inline constexpr const char* kHistoryDiskFull =
    "ディスクに空きがないため、キーワードを履歴に保存できません。空きができたあとの保存で書き込みま"
    "す";
inline constexpr const char* kHistoryWriteFailed =
    "履歴ファイルに書き込めないため、キーワードを履歴に保存できません。あとの保存でもう一度書き込み"
    "ます";
inline constexpr const char* kHistoryNotSavedAtExit =
    "次のキーワードを履歴に保存できません（ほかのPelmioが履歴ファイルを使用中か、書き込めません）:";
inline constexpr const char* kSettingsDiskFull =
    "ディスクに空きがないため、設定を保存できません。この実行のあいだは設定が使われます";
inline constexpr const char* kSettingsWriteFailed =
    "設定ファイルに書き込めないため、設定を保存できません。この実行のあいだは設定が使われます";
inline constexpr const char* kSettingsBusy =
    "ほかのPelmioが設定ファイルを使用中のため、設定を保存できません";
inline constexpr const char* kNoLock =
    "このフォルダーではファイルをロックできません。ほかのPelmioが同じフォルダーで同時に保存すると、"
    "履歴や設定が失われることがあります";
// %1: the file's name.
inline constexpr const char* kForeignLink =
    "%1 は、ほかの利用者のリンクか、ほかの利用者のファイルを指すリンクです。"
    "安全のため、リンクをたどらず、書き込みませんでした";
// Why the user's data folder cannot be used. %1: the folder, or the name on
// its way at fault; %2: the system's reason, or where the link points.
inline constexpr const char* kUserFolderUnknown =
    "利用者のデータフォルダーが決まりません。"
    "環境変数 XDG_DATA_HOME も HOME も設定されていません。";
inline constexpr const char* kUserFolderNotAFolder =
    "利用者のデータフォルダー\n%1\nの場所に、フォルダーでないもの"
    "（ファイルなど）があります。それには手を付けていません。"
    "移すか名前を変えてから、もう一度起動してください。";
inline constexpr const char* kUserFolderDanglingLink =
    "利用者のデータフォルダー（またはその上のフォルダー）\n%1\nは、存在しない %2 "
    "を指すリンクです。それには手を付けていません。"
    "リンク先を作るかリンクを消してから、もう一度起動してください。";
inline constexpr const char* kUserFolderNoAccess =
    "利用者のデータフォルダーへの途中のフォルダー\n%1\nに入れません（%2）。"
    "そのフォルダーの許可を確かめてください。";
inline constexpr const char* kUserFolderCannotCreate =
    "利用者のデータフォルダー\n%1\nを作れません（%2）。"
    "XDG_DATA_HOME に書き込めるか確かめてください。";
inline constexpr const char* kUserFolderNotWritable =
    "利用者のデータフォルダー\n%1\nに書き込めません。"
    "書き込みの許可を確かめてください。";
inline constexpr const char* kAboutMenuItem = "ﾊﾞｰｼﾞｮﾝ情報(Pelmio) (&A)...";  // string 101
inline constexpr const char* kUnlimited = "無制限";
inline constexpr const char* kNoMatch = "該当なし";
inline constexpr const char* kCountSuffix = "件";
// Heads the keyword texts offered when a search lists nothing.
inline constexpr const char* kSuggestionHeading = "もしかして";
inline constexpr const char* kSpeak = "読み上げ";
inline constexpr const char* kNoSpeechEngine =
    "音声エンジンがありません。qt6-speech-flite-plugin パッケージを入れると使えます";
inline constexpr const char* kCannotSpeak =
    "音声を出力できません。音声の出力装置があるか、音量設定を確かめてください";
inline constexpr const char* kHomePage = "https://pelmio.example.org/";
inline constexpr const char* kCopyright = "Copyright (C) 2026 The Pelmio developers";

}  // namespace pelmio::res
