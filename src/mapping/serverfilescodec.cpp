#include "serverfilescodec.h"

#include "recordcodec.h"

QJsonObject ServerFilesCodec::encode(const VfsModuleInventory &inventory)
{
    return {
        {QStringLiteral("known"), inventory.known()},
        {QStringLiteral("modulesDirectory"), inventory.modulesDirectory()},
        {QStringLiteral("modules"), QJsonArray::fromStringList(inventory.modules())},
    };
}

QJsonArray ServerFilesCodec::encode(const QList<SaveSteps::ModeRequest> &requests)
{
    const QStringList changes = RecordCodec::directoryModeChangeTexts();
    QJsonArray array;
    for (const SaveSteps::ModeRequest &request : requests) {
        array.append(QJsonObject{
            {QStringLiteral("path"), request.path},
            {QStringLiteral("change"), changes.value(request.change)},
        });
    }
    return array;
}

QJsonArray ServerFilesCodec::encode(const QList<SaveSteps::ModeChange> &changes)
{
    QJsonArray array;
    for (const SaveSteps::ModeChange &change : changes) {
        array.append(QJsonObject{
            {QStringLiteral("path"), change.path},
            {QStringLiteral("oldMode"), change.oldMode},
            {QStringLiteral("newMode"), change.newMode},
        });
    }
    return array;
}

VfsModuleInventory ServerFilesCodec::readInventory(JsonFieldReader &fields)
{
    const bool known = fields.flag(QStringLiteral("known"));
    const QString directory = fields.text(QStringLiteral("modulesDirectory"));
    const QStringList modules = fields.texts(QStringLiteral("modules"));
    if (!known) {
        if (!directory.isEmpty() || !modules.isEmpty())
            fields.fail(QStringLiteral("known"), QStringLiteral("must be true with modules"));
        return VfsModuleInventory();
    }
    if (directory.isEmpty())
        fields.fail(QStringLiteral("modulesDirectory"), QStringLiteral("must name a directory"));
    return VfsModuleInventory::fromList(directory, modules);
}

QList<SaveSteps::ModeRequest> ServerFilesCodec::readRequests(JsonFieldReader &fields, const QString &key)
{
    QList<SaveSteps::ModeRequest> requests;
    for (JsonFieldReader &request : fields.objects(key)) {
        SaveSteps::ModeRequest read;
        read.path = request.text(QStringLiteral("path"));
        read.change = Share::DirectoryModeChange(
            request.choice(QStringLiteral("change"), RecordCodec::directoryModeChangeTexts()));
        request.finish();
        requests.append(read);
    }
    return requests;
}

QList<SaveSteps::ModeChange> ServerFilesCodec::readChanges(JsonFieldReader &fields, const QString &key)
{
    QList<SaveSteps::ModeChange> changes;
    for (JsonFieldReader &change : fields.objects(key)) {
        SaveSteps::ModeChange read;
        read.path = change.text(QStringLiteral("path"));
        read.oldMode = change.integer(QStringLiteral("oldMode"), 0, ModeBits);
        read.newMode = change.integer(QStringLiteral("newMode"), 0, ModeBits);
        change.finish();
        changes.append(read);
    }
    return changes;
}
