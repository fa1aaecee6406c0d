#pragma once

#include <string_view>

// The window's own texts, exactly as the user sees them. The engine's texts, which the command
// line shares, stay in engine/messages.h.
namespace sorvik::app::text {

// Captions of the controls
inline constexpr std::string_view kSourceFolderLabel = "元フォルダ";
inline constexpr std::string_view kBackupFolderLabel = "バックアップ";
inline constexpr std::string_view kBackUpButton = "バックアップ";
inline constexpr std::string_view kBackUpListButton = "一括処理";
inline constexpr std::string_view kPathListPanel = "パスリスト";
inline constexpr std::string_view kSettingsPanel = "環境設定";
inline constexpr std::string_view kAlwaysOnTop = "常に手前に表示";
inline constexpr std::string_view kSkipExcludedExtensions = "バックアップファイルは処理しない";
inline constexpr std::string_view kOnlyWhenLarger = "サイズが大きい時のみ処理する";
inline constexpr std::string_view kOnlyWhenNewer = "時間が新しい時のみ処理する";
inline constexpr std::string_view kAutomaticRun = "選択しているリストを自動処理する";
inline constexpr std::string_view kExtensionInputTip = "Enterキーで追加";
inline constexpr std::string_view kExcludedExtensionsTip = "ダブルクリックで削除";

// Menus
inline constexpr std::string_view kOptionMenu = "Option";
inline constexpr std::string_view kPlaceholderItem = "Sorvikを作成";
inline constexpr std::string_view kSettingsItem = "環境設定";
inline constexpr std::string_view kPairMenu = "パス追加";
inline constexpr std::string_view kAddPairItem = "パス追加";
inline constexpr std::string_view kDeletePairItem = "パス削除";
inline constexpr std::string_view kListDataMenu = "リストデータ";
inline constexpr std::string_view kNewListItem = "新規作成";
inline constexpr std::string_view kDeleteListItem = "リストデータの削除";
inline constexpr std::string_view kListExchangeMenu = "ファイルリスト交換用";
// What an item of the list exchange menu shows before any list file has been offered.
inline constexpr std::string_view kUnsetListItem = "0";

// Name boxes
inline constexpr std::string_view kListNamePrompt = "バックアップリスト名を入力してください";
inline constexpr std::string_view kNewListNamePrompt = "新規ファイルリスト名を入力してください";

// Questions
inline constexpr std::string_view kChangeAllPaths = "パスリストを一括変更しますか？";
// The letter swap asks: the old letter, kLetterSwapMiddle, the new letter, kLetterSwapEnd.
inline constexpr std::string_view kLetterSwapMiddle = ":\\ を\r\n";
inline constexpr std::string_view kLetterSwapEnd = ":\\ に変更しますか？";

// The automatic run
inline constexpr std::string_view kArmedMessage =
    "起動時に「5秒」待機します。\r\n"
    "通常起動に戻したい場合は、待機中に右上の「×」を押して終了してください。";
// The countdown caption: kCountdownStart, the seconds left, kCountdownEnd.
inline constexpr std::string_view kCountdownStart = "[ ";
inline constexpr std::string_view kCountdownEnd =
    " ] バックアップ待機中。キャンセルは右上の「×」を押してください。";

// Messages; a path and the system's reason follow where one is named
inline constexpr std::string_view kFileUnwritable = "ファイルを保存できませんでした。";
inline constexpr std::string_view kFileNotDeleted = "ファイルを削除できませんでした。";
inline constexpr std::string_view kBadListName = "リスト名が正しくありません";
inline constexpr std::string_view kNoListSelected = "リストが選択されていないため保存されません。";

}  // namespace sorvik::app::text
