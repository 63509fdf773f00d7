#include "SaltrigService.h"

#include "App/Preferences.h"
#include "Import/AudioConverter.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "SaltrigImporter.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>
#include <utility>

namespace tarnik {

namespace {

Q_LOGGING_CATEGORY(lcSaltrig, "saltrig")

using SaltrigProtocol::Operation;

const QString kResult = SaltrigProtocol::resultKey;

QString describe(const QString &sender)
{
    return sender.isEmpty() ? QStringLiteral("(in process)") : sender;
}

} // namespace

SaltrigService::Environment SaltrigService::defaultEnvironment()
{
    Environment environment;
    environment.homeDirectory = [] { return Preferences::homeDirectory(); };
    environment.converter = &AudioConverter::shared();
    return environment;
}

SaltrigService::SaltrigService(Environment environment)
    : m_environment(std::move(environment))
    , m_deviceIdentifier(m_environment.machineIdPath)
{
    if (!m_environment.homeDirectory)
        m_environment.homeDirectory = [] { return Preferences::homeDirectory(); };
    if (!m_environment.converter)
        m_environment.converter = &AudioConverter::shared();
    // One import at a time: names and the ringtone catalogue are claimed in turn.
    m_imports.setMaxThreadCount(1);
    m_imports.setExpiryTimeout(-1);
}

void SaltrigService::removeStaleTemporaryFiles()
{
    SaltrigImporter(*m_environment.converter, m_environment.homeDirectory()).removeStaleTemporaryFiles();
}

SaltrigService::~SaltrigService()
{
    m_imports.waitForDone();
}

std::optional<quint32> SaltrigService::operationCode(const QVariantMap &userInfo)
{
    const QVariant code = userInfo.value(SaltrigProtocol::identifierKey);
    switch (code.typeId()) {
    case QMetaType::UInt:
    case QMetaType::Int:
    case QMetaType::UShort:
    case QMetaType::Short:
    case QMetaType::UChar:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong value = code.toLongLong(&ok);
        if (!ok || value < 0 || value > 0xFFFFFFFFll)
            return std::nullopt;
        return quint32(value);
    }
    default:
        return std::nullopt;
    }
}

std::optional<QByteArrayList> SaltrigService::importItems(const QVariantMap &userInfo)
{
    const QVariant items = userInfo.value(SaltrigProtocol::itemsKey);
    QByteArrayList list;
    if (items.metaType() == QMetaType::fromType<QByteArrayList>()) {
        list = items.value<QByteArrayList>();
    } else if (items.typeId() == QMetaType::QVariantList) {
        for (const QVariant &item : items.toList()) {
            if (item.typeId() != QMetaType::QByteArray)
                return std::nullopt;
            list.append(item.toByteArray());
        }
    } else {
        return std::nullopt;
    }
    for (QByteArray &item : list) {
        if (item.endsWith('\0'))
            item.chop(1);
    }
    return list;
}

void SaltrigService::handle(
    const QVariantMap &userInfo, const QString &sender, std::function<void(const QVariantMap &)> reply)
{
    const std::optional<quint32> code = operationCode(userInfo);
    if (code == quint32(Operation::deviceIdentifier)) {
        qCInfo(lcSaltrig).noquote() << "request from" << describe(sender) << "operation 18 (device identifier)";
        reply({ { kResult, m_deviceIdentifier.value() } });
        return;
    }
    if (code != quint32(Operation::importMedia)) {
        qCWarning(lcSaltrig).noquote() << "request from" << describe(sender) << "refused: no known operation"
                                       << (code ? QString::number(*code) : QStringLiteral("(none)"));
        reply({});
        return;
    }

    std::optional<QByteArrayList> items = importItems(userInfo);
    qsizetype bytes = 0;
    if (items) {
        for (const QByteArray &item : *items)
            bytes += item.size();
    }
    qCInfo(lcSaltrig).noquote() << "request from" << describe(sender) << "operation 21 (import),"
                                << (items ? items->size() : 0) << "items," << bytes << "bytes";
    QString refusal;
    if (!items || items->isEmpty())
        refusal = QStringLiteral("no list of byte arrays under \"items\"");
    else if (items->size() > kMaximumRecords + 1)
        refusal = QStringLiteral("too many records");
    else if (bytes > kMaximumRequestBytes)
        refusal = QStringLiteral("the request is too large");
    if (!refusal.isEmpty()) {
        qCWarning(lcSaltrig).noquote() << "import from" << describe(sender) << "refused:" << refusal;
        reply({ { kResult, false } });
        return;
    }
    {
        const std::lock_guard locker(m_pendingMutex);
        if (m_pending >= kMaximumPendingImports) {
            qCWarning(lcSaltrig).noquote() << "import from" << describe(sender) << "refused: too many imports waiting";
            reply({ { kResult, false } });
            return;
        }
        ++m_pending;
    }
    // Whichever comes first answers: the import's end, or the reply budget.
    struct Answer
    {
        std::mutex mutex;
        std::function<void(const QVariantMap &)> reply;
    };
    const auto answer = std::make_shared<Answer>();
    answer->reply = std::move(reply);
    const auto answerOnce = [answer](const QVariantMap &answerInfo) {
        std::function<void(const QVariantMap &)> send;
        {
            const std::lock_guard locker(answer->mutex);
            send = std::exchange(answer->reply, nullptr);
        }
        if (send)
            send(answerInfo);
        return bool(send);
    };
    QTimer::singleShot(m_environment.replyBudgetMilliseconds, [answerOnce, sender] {
        if (answerOnce({ { QStringLiteral("pending"), true } }))
            qCInfo(lcSaltrig).noquote() << "import from" << describe(sender) << "answered as pending; it goes on";
    });
    m_imports.start([this, items = std::move(*items), sender, answerOnce] {
        const bool imported = importNow(items, sender);
        {
            const std::lock_guard locker(m_pendingMutex);
            --m_pending;
        }
        answerOnce({ { kResult, imported } });
    });
}

bool SaltrigService::importNow(const QByteArrayList &items, const QString &sender)
{
    if (items.isEmpty())
        return false;
    const std::optional<SaltrigProtocol::DecodedImportEnvelope> envelope
        = SaltrigProtocol::decodeImportEnvelope(items.first());
    if (!envelope) {
        qCWarning(lcSaltrig).noquote() << "import from" << describe(sender) << "refused: malformed envelope";
        return false;
    }

    const SaltrigImporter importer(*m_environment.converter, m_environment.homeDirectory());
    int imported = 0;
    const int total = int(items.size() - 1);
    QStringList names;
    for (qsizetype index = 1; index < items.size(); ++index) {
        const QByteArray &json = items.at(index);
        std::optional<SaltrigProtocol::DecodedImportRecord> record;
        if (json.size() <= kMaximumRecordBytes)
            record = SaltrigProtocol::decodeImportRecord(json);
        if (!record) {
            qCWarning(lcSaltrig).noquote() << "record" << index << "refused: malformed record";
            continue;
        }
        std::optional<QByteArray> artwork;
        if (envelope->artworks)
            artwork = envelope->artworks->value(record->path);
        const SaltrigImporter::Outcome outcome = importer.importRecord(*record, artwork);
        if (outcome.imported) {
            ++imported;
            names.append(QFileInfo(outcome.destination).fileName());
            qCInfo(lcSaltrig).noquote() << "record" << index
                                        << QStringLiteral("(%1) imported as").arg(record->mediaKind)
                                        << outcome.destination;
        } else {
            qCWarning(lcSaltrig).noquote()
                << "record" << index << QStringLiteral("(%1) refused:").arg(record->mediaKind) << outcome.reason
                << "for" << record->path;
        }
    }

    if (total > 0 && m_environment.notify && Preferences::Saltrig::shouldNotifyOnCompletion()) {
        const QString summary
            = imported == total ? QStringLiteral("Import Complete") : QStringLiteral("Import Incomplete");
        QString body = QStringLiteral("%1 of %2 imported.").arg(imported).arg(total);
        if (!names.isEmpty())
            body += QLatin1Char('\n') + names.join(QLatin1Char('\n'));
        m_environment.notify(summary, body);
    }
    return imported == total;
}

void SaltrigService::waitForImports()
{
    m_imports.waitForDone();
}

} // namespace tarnik
