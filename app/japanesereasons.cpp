#include "app/japanesereasons.h"

namespace lumivert {

QString japaneseReason(const Problem &problem)
{
    using Cause = Problem::Cause;
    switch (problem.cause) {
    case Cause::Missing:
        return QStringLiteral("保存先のフォルダーが見つかりません。");
    case Cause::NoPermission:
        return QStringLiteral("保存先に書き込む権限がありません。");
    case Cause::DiskFull:
        return QStringLiteral("ディスクの空き容量が不足しています。");
    case Cause::Folder:
        return QStringLiteral("同じ名前のフォルダーが既にあります。");
    case Cause::Fifo:
    case Cause::Device:
    case Cause::Socket:
    case Cause::NotRegular:
        return QStringLiteral("保存先は通常のファイルではありません。");
    case Cause::ReadOnlyDrive:
        return QStringLiteral("保存先のドライブは書き込み禁止になっています。");
    case Cause::NameTooLong:
        return QStringLiteral("ファイル名が長すぎます。");
    case Cause::BadName:
        return QStringLiteral("ファイル名に使用できない文字が含まれています。");
    case Cause::WriteFailed:
        return QStringLiteral("ディスクへの書き込み中にエラーが発生しました。");
    case Cause::OutputIsPicture:
        return QStringLiteral("BINファイルの名前が元の画像ファイルと同じです。");
    case Cause::OutputLeavesFolder:
        return QStringLiteral("BINファイルの名前が画像ファイルのフォルダーの外を指します。");
    case Cause::OutputIsInput:
        return QStringLiteral("保存先は変換元のファイルです。");
    case Cause::OutputHoldsPicture:
        return QStringLiteral("保存先は画像ファイルです。BINファイルで上書きできません。");
    case Cause::OutputClaimedTwice:
        return QStringLiteral("このBINファイルには既に %1 の変換結果を保存しました。").arg(problem.detail);
    case Cause::DanglingLink:
        return QStringLiteral("保存先は存在しないファイルへのリンクです。");
    case Cause::None:
    case Cause::FileTooLong:
    case Cause::SystemError:
    case Cause::PictureTooLarge:
    case Cause::NotAPicture:
    case Cause::Damaged:
        break;
    }
    return problem.detail;
}

} // namespace lumivert
