#pragma once

#include <string_view>

// The program's own texts, exactly as the user sees them.
namespace sorvik::engine::text {

inline constexpr std::string_view kApplicationTitle = "Sorvik";
inline constexpr std::string_view kLineEnd = "\r\n";

// Captions
inline constexpr std::string_view kScanning = "フォルダ構造を解析中";
inline constexpr std::string_view kComplete = "[Complete]";

// Error entry labels
inline constexpr std::string_view kCopyError = "コピーエラー";
inline constexpr std::string_view kDeleteError = "削除エラー";
inline constexpr std::string_view kFolderError = "フォルダ作成エラー";
inline constexpr std::string_view kReadError = "読み込みエラー";

// Messages
inline constexpr std::string_view kSourceNotFound = "バックアップ元のパスが見つかりませんでした";
inline constexpr std::string_view kErrorsOccurred =
    "処理中にエラーが発生しました。詳しくは以下のファイルを参照してください。";
inline constexpr std::string_view kPairOverlaps = "バックアップ元とバックアップ先が重なっています";
inline constexpr std::string_view kBadBackupFolder = "バックアップ先のパスが正しくありません";
inline constexpr std::string_view kErrorLogUnwritable = "エラーログを書き込めませんでした。";
inline constexpr std::string_view kFileUnreadable = "ファイルを読み込めませんでした。";
inline constexpr std::string_view kAnotherRunInProgress = "他のバックアップが実行中です。";
inline constexpr std::string_view kTimesDoNotStick =
    "バックアップ先に更新日時を保存できないため、更新日時による比較は働きません。";

// How many entry lines the message shows when the error log itself cannot be written.
inline constexpr std::size_t kEntryLinesInUnwritableLogMessage = 20;

}  // namespace sorvik::engine::text
