#include "app/user_data_folder.h"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>

#include "ui/codec.h"
#include "ui/lookup_environment.h"

namespace pelmio {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

QString UserFolderMessage(const UserFolderResult& result) {
    const QString folder = FromPath(result.folder);
    const QString detail = QString::fromLocal8Bit(result.detail);
    switch (result.status) {
        case UserFolderStatus::Ok:
            return {};
        case UserFolderStatus::NoFolder:
            return QStringLiteral(
                "利用者のデータフォルダーが決まりません。"
                "環境変数 XDG_DATA_HOME も HOME も設定されていません。");
        case UserFolderStatus::NotAFolder:
            return QStringLiteral(
                       "利用者のデータフォルダー\n%1\nの場所に、フォルダーでないもの"
                       "（ファイルなど）があります。それには手を付けていません。"
                       "移すか名前を変えてから、もう一度起動してください。")
                .arg(folder);
        case UserFolderStatus::DanglingLink:
            return QStringLiteral(
                       "利用者のデータフォルダー（またはその上のフォルダー）\n%1\nは、存在しない "
                       "%2 "
                       "を指すリンクです。"
                       "それには手を付けていません。"
                       "リンク先を作るかリンクを消してから、もう一度起動してください。")
                .arg(folder, detail);
        case UserFolderStatus::NoAccess:
            return QStringLiteral(
                       "利用者のデータフォルダーへの途中のフォルダー\n%1\nに入れません（%2）。"
                       "そのフォルダーの許可を確かめてください。")
                .arg(folder, detail);
        case UserFolderStatus::CannotCreate:
            return QStringLiteral(
                       "利用者のデータフォルダー\n%1\nを作れません（%2）。"
                       "XDG_DATA_HOME に書き込めるか確かめてください。")
                .arg(folder, detail);
        case UserFolderStatus::NotWritable:
            return QStringLiteral(
                       "利用者のデータフォルダー\n%1\nに書き込めません。"
                       "書き込みの許可を確かめてください。")
                .arg(folder);
    }
    return {};
}

std::filesystem::path InstalledDataFolder() {
    return FindInstalledDataFolder(ToPath(QCoreApplication::applicationFilePath()),
                                   Environment("XDG_DATA_DIRS"));
}

std::optional<UserFolderResult> OpenUserDataFolder() {
    const UserFolderResult result =
        PrepareUserDataFolder(UserDataFolderPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
                              InstalledDataFolder());
    if (result.status == UserFolderStatus::Ok) {
        return result;
    }
    const QString message = UserFolderMessage(result);
    std::fprintf(stderr, "pelmio: %s\n", message.toLocal8Bit().constData());
    ShowMessageBox(nullptr, message);
    return std::nullopt;
}

}  // namespace pelmio
