#include "Tools/RingtoneCatalogueFile.h"

#include "Platform/Media/RegularFile.h"

#include <QSaveFile>

namespace tarnik {

namespace {

constexpr QByteArrayView kBinaryMagic("bplist");

} // namespace

std::optional<RingtoneCatalogueFile::Document> RingtoneCatalogueFile::read(const QString &path)
{
    // Only a regular file: a FIFO or a "/proc" file named like the catalogue could block for ever.
    const std::optional<QByteArray> content = RegularFile::readAll(path, kMaximumSize);
    if (!content)
        return std::nullopt;
    const QByteArray &bytes = *content;
    const bool binary = bytes.startsWith(kBinaryMagic);
    const std::optional<QVariant> value = PropertyList::fromBytes(bytes, kMaximumDepth);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return Document { value->toMap(), binary ? PropertyList::Format::Binary : PropertyList::Format::Xml };
}

bool RingtoneCatalogueFile::write(const QString &path, const Document &document)
{
    const std::optional<QByteArray> bytes = PropertyList::toBytes(document.root, document.format);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*bytes) != bytes->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QVariantMap> RingtoneCatalogueFile::ringtones(const QVariantMap &root)
{
    const auto found = root.constFind(kRingtonesKey);
    if (found == root.constEnd() || found->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return found->toMap();
}

bool RingtoneCatalogueFile::isPlainFileName(const QString &key)
{
    return !key.isEmpty() && key != QLatin1String(".") && key != QLatin1String("..") && !key.contains(QLatin1Char('/'))
        && !key.contains(QChar(u'\0'));
}

} // namespace tarnik
