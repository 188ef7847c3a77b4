#include "app/user_data_folder.h"

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>

#include "res/dialog_templates.h"
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
            return QString::fromUtf8(res::kUserFolderUnknown);
        case UserFolderStatus::NotAFolder:
            return QString::fromUtf8(res::kUserFolderNotAFolder).arg(folder);
        case UserFolderStatus::DanglingLink:
            return QString::fromUtf8(res::kUserFolderDanglingLink).arg(folder, detail);
        case UserFolderStatus::NoAccess:
            return QString::fromUtf8(res::kUserFolderNoAccess).arg(folder, detail);
        case UserFolderStatus::CannotCreate:
            return QString::fromUtf8(res::kUserFolderCannotCreate).arg(folder, detail);
        case UserFolderStatus::NotWritable:
            return QString::fromUtf8(res::kUserFolderNotWritable).arg(folder);
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
