#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <string>

// Reads the fields of a JSON object that came from another process, strictly: each getter
// takes its field out of the object or throws Error, a sentence naming the field by its path
// ("shares[2].vfsModules[0].prefix"). finish() refuses the fields nobody took, so that a field
// this side does not know is never dropped in silence.
class JsonFieldReader
{
public:
    // A value of the wrong shape: a field missing, of the wrong type, unknown or out of range.
    class Error : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    // value, named path in messages, must be an object.
    JsonFieldReader(const QJsonValue &value, const QString &path);
    // Each item of the array value, named path, as an object named "path[i]".
    static QList<JsonFieldReader> objects(const QJsonValue &value, const QString &path);

    QString path() const { return m_path; }
    // Whether the field is there and not taken yet: for the fields a writer leaves out when
    // they hold their default.
    bool has(const QString &key) const { return m_object.contains(key); }

    // A text; textOrNull also takes null, as a null QString.
    QString text(const QString &key);
    QString textOrNull(const QString &key);
    bool flag(const QString &key);
    // A whole number from minimum to maximum.
    int integer(const QString &key, int minimum, int maximum);
    // A time as timeValue writes it, or null for an unknown (invalid) time.
    QDateTime timeOrNull(const QString &key);
    // A time as ISO 8601 with milliseconds and its offset from UTC, so that a reader in
    // another time zone reads the same moment; null when it is invalid.
    static QJsonValue timeValue(const QDateTime &time);
    // A list of texts, each a text or null.
    QStringList texts(const QString &key);
    // An object of texts; with nullValues, a value may also be null. Keys must not be empty.
    QMap<QString, QString> textMap(const QString &key, bool nullValues);
    // Bytes carried as base64 text.
    std::string bytes(const QString &key);
    JsonFieldReader object(const QString &key);
    // The field's value as it is, for a codec that reads it itself (naming it fieldPath(key)).
    QJsonValue value(const QString &key);
    QString fieldPath(const QString &key) const;
    QList<JsonFieldReader> objects(const QString &key);
    // The members of an object of objects, by name, each named "path.key.name".
    QList<QPair<QString, JsonFieldReader>> members(const QString &key);
    // The index of the text the field holds in choices.
    int choice(const QString &key, const QStringList &choices);

    // Refuses the fields not taken.
    void finish() const;
    // Throws Error: the field key (empty: this object) and what is wrong with it, a sentence
    // without the field's name ("must be a text").
    [[noreturn]] void fail(const QString &key, const QString &problem) const;

private:
    JsonFieldReader(const QJsonObject &object, const QString &path);
    QJsonValue take(const QString &key);

    QJsonObject m_object; // the fields not taken yet
    QString m_path;
};
