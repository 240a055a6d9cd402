#pragma once

#include "configsession.h"
#include "recorddescription.h"

#include <QString>
#include <QStringList>

#include <string>

// Every field of what ConfigSession gives, as text, so that a test compares two results field
// by field and shows the first difference; written apart from the JSON codec, so that a field
// the codec drops shows as a difference. Bytes are shown as they are, times in UTC; a null text
// apart from an empty one only where it means something else (a repair's line added or removed).
namespace ConfigSessionResults {

using RecordDescription::described;
using RecordDescription::text;
using RecordDescription::texts;

inline QString bytes(const std::string &value)
{
    return QString::fromLatin1(QByteArray::fromStdString(value).toPercentEncoding(" \n=[]/:-_.,;#"));
}

// A text where null and empty mean the same (a message, a path): as it reads.
inline QString said(const QString &value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

inline QString lines(const QStringList &fields)
{
    return fields.join(QLatin1Char('\n'));
}

inline QString describe(const TestParmResult &verdict)
{
    return QStringLiteral("verdict %1: %2").arg(verdict.status).arg(said(verdict.output));
}

inline QString describe(const ConfigChanges &changes)
{
    QStringList renamed;
    for (const auto &[from, to] : changes.renamedShares)
        renamed << from + QStringLiteral("->") + to;
    return QStringLiteral("added %1; removed %2; renamed %3; changed %4; globals %5")
        .arg(texts(changes.addedShares), texts(changes.removedShares), texts(renamed),
             texts(changes.changedShares), texts(changes.changedGlobals));
}

inline QString describe(const ConfigSession::LoadedState &state)
{
    return lines(
        {QStringLiteral("path ") + said(state.path),
         QStringLiteral("registryHistoryFile ") + said(state.registryHistoryFile),
         QStringLiteral("registryUse %1, loaded %2").arg(state.registryUse).arg(state.registryLoaded),
         QStringLiteral("registryError ") + said(state.registryError),
         QStringLiteral("fingerprint ") + said(state.fingerprint)});
}

inline QString describe(const QList<Share> &shares)
{
    QStringList fields;
    for (const Share &share : shares)
        fields << QStringLiteral("share:\n") + described(share);
    return lines(fields);
}

inline QString describe(const ConfigSession::Loaded &loaded)
{
    return lines({QStringLiteral("settings:\n") + described(loaded.settings), describe(loaded.shares),
                  describe(loaded.state)});
}

inline QString describe(const ConfigSession::Outcome &outcome)
{
    return lines({QStringLiteral("installed %1, registryChanged %2")
                      .arg(outcome.installed)
                      .arg(outcome.registryChanged),
                  describe(outcome.changes), QStringLiteral("replaced ") + bytes(outcome.replacedText),
                  QStringLiteral("historyError ") + said(outcome.historyError)});
}

inline QString describe(const ConfigMapper::Preview &preview)
{
    return lines({QStringLiteral("current ") + bytes(preview.current),
                  QStringLiteral("proposed ") + bytes(preview.proposed), describe(preview.verdict),
                  describe(preview.changes)});
}

inline QString describe(const ConfigSession::Preview &preview)
{
    return lines({describe(preview.file), QStringLiteral("registryCurrent ") + bytes(preview.registryCurrent),
                  QStringLiteral("registryProposed ") + bytes(preview.registryProposed)});
}

inline QString describe(const ConfigSession::Saved &saved)
{
    return lines({describe(saved.outcome), describe(saved.shares),
                  QStringLiteral("fingerprint ") + said(saved.fingerprint)});
}

inline QString describe(const ConfigMapper::Transfer &transfer)
{
    return lines({QStringLiteral("fileBefore ") + bytes(transfer.fileBefore),
                  QStringLiteral("fileAfter ") + bytes(transfer.fileAfter),
                  QStringLiteral("registryBefore ") + bytes(transfer.registryBefore),
                  QStringLiteral("registryAfter ") + bytes(transfer.registryAfter),
                  QStringLiteral("summary %1, replaceRegistry %2")
                      .arg(said(transfer.summary))
                      .arg(transfer.replaceRegistry),
                  QStringLiteral("effectiveBefore ") + bytes(transfer.effectiveBefore),
                  QStringLiteral("effectiveAfter ") + bytes(transfer.effectiveAfter),
                  QStringLiteral("registryNotInEffect ") + bytes(transfer.registryNotInEffect)});
}

inline QString describe(const ConfigSession::Transferred &transferred)
{
    return lines({describe(transferred.outcome), describe(transferred.loaded)});
}

// withTimes false leaves the times out: two histories written apart differ in them.
inline QString describe(const QList<ConfigHistory::Version> &versions, bool withTimes = true)
{
    QStringList fields;
    for (const ConfigHistory::Version &version : versions)
        fields << QStringLiteral("version %1 of %2 at %3 by %4 with %5: %6, %7 bytes")
                      .arg(version.number)
                      .arg(said(version.file),
                           withTimes ? version.time.toUTC().toString(Qt::ISODateWithMs) : QStringLiteral("-"),
                           said(version.user), said(version.program), said(version.summary))
                      .arg(version.size);
    return lines(fields);
}

inline QString describe(const QList<ConfigRepair::Change> &changes)
{
    QStringList fields;
    for (const ConfigRepair::Change &change : changes)
        fields << QStringLiteral("line %1 [%2] %3: %4 -> %5")
                      .arg(change.line)
                      .arg(text(change.section), text(change.key), text(change.oldValue),
                           text(change.newValue));
    return lines(fields);
}

inline QString describe(const ConfigSession::RepairPlan &plan)
{
    return lines(
        {QStringLiteral("possible %1, defaultRange %2").arg(plan.possible).arg(said(plan.defaultRange)),
         describe(plan.changes)});
}

} // namespace ConfigSessionResults
