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

QString CutToCp932Bytes(const QString& text, std::size_t maxBytes) {
    std::size_t bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype length =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate()
                ? 2
                : 1;
        const std::optional<std::string> encoded =
            cp932::Encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()) + end,
                                              static_cast<std::size_t>(length)));
        const std::size_t size = encoded ? encoded->size() : 2;
        if (bytes + size > maxBytes) {
            break;
        }
        bytes += size;
        end += length;
    }
    return text.left(end);
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
