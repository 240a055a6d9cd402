#pragma once

#include "configchanges.h"
#include "configmapper.h"
#include "testparmresult.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// What a preview, a save or a transfer returns, as JSON for the window and its backend:
// testparm's verdict, the changes between two texts, a preview and a transfer. The texts of
// smb.conf and of the registry are bytes, carried as base64 in fields whose names end in "64".
// Decoding throws JsonFieldReader::Error, a sentence naming the field, as RecordCodec does.
class SaveResultCodec
{
public:
    static QJsonObject encode(const TestParmResult &verdict);
    static QJsonObject encode(const ConfigChanges &changes);
    static QJsonObject encode(const ConfigMapper::Preview &preview);
    static QJsonObject encode(const ConfigMapper::Transfer &transfer);

    static TestParmResult decodeVerdict(const QJsonValue &value,
                                        const QString &field = QStringLiteral("verdict"));
    static ConfigChanges decodeChanges(const QJsonValue &value,
                                       const QString &field = QStringLiteral("changes"));
    static ConfigMapper::Preview decodePreview(const QJsonValue &value,
                                               const QString &field = QStringLiteral("preview"));
    static ConfigMapper::Transfer decodeTransfer(const QJsonValue &value,
                                                 const QString &field = QStringLiteral("transfer"));
};
