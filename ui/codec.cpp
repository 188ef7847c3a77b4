#include "ui/codec.h"

#include <QFile>

#include "base/cp932.h"

namespace pelmio {

QString FromCp932(std::string_view bytes) {
    const std::u16string text = cp932::Decode(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()),
                   static_cast<qsizetype>(text.size()));
}

std::optional<std::string> ToCp932(const QString& text, std::size_t maxBytes) {
    return cp932::EncodePrefix(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                   static_cast<std::size_t>(text.size())),
                               maxBytes);
}

std::string_view Cp932Prefix(std::string_view bytes, std::size_t maxBytes) {
    return cp932::CutAtCharBoundary(bytes, maxBytes);
}

QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

std::filesystem::path ToPath(const QString& text) {
#ifdef _WIN32
    return std::filesystem::path(text.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

}  // namespace pelmio
