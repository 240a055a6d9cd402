#pragma once

#include "jsonfieldreader.h"
#include "serverfiles.h"

#include <QJsonArray>
#include <QJsonObject>

// What ServerFiles takes and gives, as JSON for the window and its backend: the VFS module
// inventory, the directory mode requests of a save (the change by name, as RecordCodec writes
// it: "read only") and the mode changes they plan, modes as numbers.
//
// Reading takes what another process sent: a field missing, of the wrong type, unknown or out
// of range throws JsonFieldReader::Error (a std::runtime_error) with a sentence naming the
// field. The inventory is read from the fields themselves, as a reply carries it; lists from
// the field key of fields.
class ServerFilesCodec
{
public:
    static QJsonObject encode(const VfsModuleInventory &inventory);
    static QJsonArray encode(const QList<SaveSteps::ModeRequest> &requests);
    static QJsonArray encode(const QList<SaveSteps::ModeChange> &changes);

    static VfsModuleInventory readInventory(JsonFieldReader &fields);
    static QList<SaveSteps::ModeRequest> readRequests(JsonFieldReader &fields, const QString &key);
    static QList<SaveSteps::ModeChange> readChanges(JsonFieldReader &fields, const QString &key);

    // The highest mode bits a directory has (07777).
    static constexpr int ModeBits = 07777;
};
