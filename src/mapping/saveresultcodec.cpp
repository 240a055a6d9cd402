#include "saveresultcodec.h"

#include "jsonfieldreader.h"

#include <QByteArray>
#include <QJsonArray>

namespace {

QStringList statusTexts()
{
    // Indexed by TestParmResult::Status.
    return {QStringLiteral("ok"), QStringLiteral("warnings"), QStringLiteral("errors"),
            QStringLiteral("failed")};
}

QJsonValue base64(const std::string &bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toBase64());
}

// Each reads the fields of its value and refuses any other.
TestParmResult readVerdict(JsonFieldReader &&fields)
{
    TestParmResult verdict;
    verdict.status = fields.choice(QStringLiteral("status"), statusTexts());
    verdict.output = fields.text(QStringLiteral("output"));
    fields.finish();
    return verdict;
}

ConfigChanges readChanges(JsonFieldReader &&fields)
{
    ConfigChanges changes;
    changes.addedShares = fields.texts(QStringLiteral("addedShares"));
    changes.removedShares = fields.texts(QStringLiteral("removedShares"));
    for (JsonFieldReader &pair : fields.objects(QStringLiteral("renamedShares"))) {
        const QString from = pair.text(QStringLiteral("from"));
        changes.renamedShares.append({from, pair.text(QStringLiteral("to"))});
        pair.finish();
    }
    changes.changedShares = fields.texts(QStringLiteral("changedShares"));
    changes.changedGlobals = fields.texts(QStringLiteral("changedGlobals"));
    fields.finish();
    return changes;
}

} // namespace

QJsonObject SaveResultCodec::encode(const TestParmResult &verdict)
{
    // A status outside the enumeration is no verdict testparm gives; it goes as a failure.
    const int status = verdict.status >= TestParmResult::Ok && verdict.status <= TestParmResult::Failed
        ? verdict.status
        : int(TestParmResult::Failed);
    return {
        {QStringLiteral("status"), statusTexts().at(status)},
        {QStringLiteral("output"), verdict.output},
    };
}

TestParmResult SaveResultCodec::decodeVerdict(const QJsonValue &value, const QString &field)
{
    return readVerdict(JsonFieldReader(value, field));
}

QJsonObject SaveResultCodec::encode(const ConfigChanges &changes)
{
    QJsonArray renamed;
    for (const auto &[from, to] : changes.renamedShares)
        renamed.append(QJsonObject{{QStringLiteral("from"), from}, {QStringLiteral("to"), to}});
    return {
        {QStringLiteral("addedShares"), QJsonArray::fromStringList(changes.addedShares)},
        {QStringLiteral("removedShares"), QJsonArray::fromStringList(changes.removedShares)},
        {QStringLiteral("renamedShares"), renamed},
        {QStringLiteral("changedShares"), QJsonArray::fromStringList(changes.changedShares)},
        {QStringLiteral("changedGlobals"), QJsonArray::fromStringList(changes.changedGlobals)},
    };
}

ConfigChanges SaveResultCodec::decodeChanges(const QJsonValue &value, const QString &field)
{
    return readChanges(JsonFieldReader(value, field));
}

QJsonObject SaveResultCodec::encode(const ConfigMapper::Preview &preview)
{
    return {
        {QStringLiteral("current64"), base64(preview.current)},
        {QStringLiteral("proposed64"), base64(preview.proposed)},
        {QStringLiteral("verdict"), encode(preview.verdict)},
        {QStringLiteral("changes"), encode(preview.changes)},
    };
}

ConfigMapper::Preview SaveResultCodec::decodePreview(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    ConfigMapper::Preview preview;
    preview.current = fields.bytes(QStringLiteral("current64"));
    preview.proposed = fields.bytes(QStringLiteral("proposed64"));
    preview.verdict = readVerdict(fields.object(QStringLiteral("verdict")));
    preview.changes = readChanges(fields.object(QStringLiteral("changes")));
    fields.finish();
    return preview;
}

QJsonObject SaveResultCodec::encode(const ConfigMapper::Transfer &transfer)
{
    return {
        {QStringLiteral("fileBefore64"), base64(transfer.fileBefore)},
        {QStringLiteral("fileAfter64"), base64(transfer.fileAfter)},
        {QStringLiteral("registryBefore64"), base64(transfer.registryBefore)},
        {QStringLiteral("registryAfter64"), base64(transfer.registryAfter)},
        {QStringLiteral("summary"), transfer.summary},
        {QStringLiteral("replaceRegistry"), transfer.replaceRegistry},
        {QStringLiteral("effectiveBefore64"), base64(transfer.effectiveBefore)},
        {QStringLiteral("effectiveAfter64"), base64(transfer.effectiveAfter)},
        {QStringLiteral("registryNotInEffect64"), base64(transfer.registryNotInEffect)},
    };
}

ConfigMapper::Transfer SaveResultCodec::decodeTransfer(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    ConfigMapper::Transfer transfer;
    transfer.fileBefore = fields.bytes(QStringLiteral("fileBefore64"));
    transfer.fileAfter = fields.bytes(QStringLiteral("fileAfter64"));
    transfer.registryBefore = fields.bytes(QStringLiteral("registryBefore64"));
    transfer.registryAfter = fields.bytes(QStringLiteral("registryAfter64"));
    transfer.summary = fields.text(QStringLiteral("summary"));
    transfer.replaceRegistry = fields.flag(QStringLiteral("replaceRegistry"));
    transfer.effectiveBefore = fields.bytes(QStringLiteral("effectiveBefore64"));
    transfer.effectiveAfter = fields.bytes(QStringLiteral("effectiveAfter64"));
    transfer.registryNotInEffect = fields.bytes(QStringLiteral("registryNotInEffect64"));
    fields.finish();
    return transfer;
}
