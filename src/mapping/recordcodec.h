#pragma once

#include "jsonfieldreader.h"
#include "sambasettings.h"
#include "share.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

// The records as JSON, for the window and its backend: every field of SambaSettings (with
// [global], the accounts and the groups) and of Share (with each VFS module's kind and all its
// fields), so that decoding what was encoded gives records equal in every field. A null text
// stays null (it means "not set"), and the marker of "no guest account", a translated text,
// travels as a flag, as the two sides may speak different languages. A share's modules are a
// list in the record's order, by name: the order of "vfs objects" is the line's, which the
// writer keeps.
//
// Decoding takes what another process sent: a field missing, of the wrong type or unknown,
// an unknown module kind or an out-of-range value throws JsonFieldReader::Error (a
// std::runtime_error) with a sentence naming the field. field names the value in messages.
class RecordCodec
{
public:
    static QJsonObject encode(const SambaSettings &settings);
    static QJsonObject encode(const Share &share);
    static QJsonArray encode(const QList<Share> &shares);

    static SambaSettings decodeSettings(const QJsonValue &value,
                                        const QString &field = QStringLiteral("settings"));
    static Share decodeShare(const QJsonValue &value, const QString &field = QStringLiteral("share"));
    static QList<Share> decodeShares(const QJsonValue &value,
                                     const QString &field = QStringLiteral("shares"));

    // Share::DirectoryModeChange by name, indexed by its values.
    static QStringList directoryModeChangeTexts();

private:
    // The fields every Share has, GlobalShare's included.
    // The fields of share that differ from defaults, the record the reader starts from.
    static void encodeShareFields(const Share &share, const Share &defaults, QJsonObject &object);
    static void decodeShareFields(JsonFieldReader &fields, Share &share);
    static Share readShare(JsonFieldReader &fields);
    static QJsonObject encodeModule(const VFSModule &module);
    static std::shared_ptr<VFSModule> decodeModule(JsonFieldReader &fields);
};
