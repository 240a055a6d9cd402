#include "jsonfieldreader.h"

#include <QByteArray>
#include <QJsonArray>

#include <cmath>

namespace {

// A value as a message quotes it: short, on one line.
QString quoted(const QString &text)
{
    const int limit = 40;
    QString shown = text.left(limit).simplified();
    if (text.size() > limit)
        shown += QStringLiteral("…");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

} // namespace

JsonFieldReader::JsonFieldReader(const QJsonValue &value, const QString &path)
    : m_path(path)
{
    if (!value.isObject())
        fail(QString(), QStringLiteral("must be an object"));
    m_object = value.toObject();
}

JsonFieldReader::JsonFieldReader(const QJsonObject &object, const QString &path)
    : m_object(object)
    , m_path(path)
{
}

QList<JsonFieldReader> JsonFieldReader::objects(const QJsonValue &value, const QString &path)
{
    if (!value.isArray())
        throw Error(QStringLiteral("The field \"%1\" must be a list of objects.").arg(path).toStdString());
    QList<JsonFieldReader> items;
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i)
        items.append(JsonFieldReader(array.at(i), QStringLiteral("%1[%2]").arg(path).arg(i)));
    return items;
}

QString JsonFieldReader::fieldPath(const QString &key) const
{
    return key.isEmpty() ? m_path : m_path + QLatin1Char('.') + key;
}

void JsonFieldReader::fail(const QString &key, const QString &problem) const
{
    throw Error(QStringLiteral("The field \"%1\" %2.").arg(fieldPath(key), problem).toStdString());
}

QJsonValue JsonFieldReader::take(const QString &key)
{
    const auto it = m_object.find(key);
    if (it == m_object.end())
        fail(key, QStringLiteral("is missing"));
    const QJsonValue value = it.value();
    m_object.erase(it);
    return value;
}

QString JsonFieldReader::text(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isString())
        fail(key, QStringLiteral("must be a text"));
    return value.toString();
}

QString JsonFieldReader::textOrNull(const QString &key)
{
    const QJsonValue value = take(key);
    if (value.isNull())
        return QString();
    if (!value.isString())
        fail(key, QStringLiteral("must be a text or null"));
    return value.toString();
}

bool JsonFieldReader::flag(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isBool())
        fail(key, QStringLiteral("must be true or false"));
    return value.toBool();
}

int JsonFieldReader::integer(const QString &key, int minimum, int maximum)
{
    const QJsonValue value = take(key);
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::floor(number) || number < minimum || number > maximum)
        fail(key, QStringLiteral("must be a whole number from %1 to %2").arg(minimum).arg(maximum));
    return int(number);
}

QDateTime JsonFieldReader::timeOrNull(const QString &key)
{
    const QString text = textOrNull(key);
    if (text.isNull())
        return QDateTime();
    const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid())
        fail(key, QStringLiteral("must be a date and time in ISO 8601 or null"));
    return time;
}

QJsonValue JsonFieldReader::timeValue(const QDateTime &time)
{
    if (!time.isValid())
        return QJsonValue::Null;
    // A local time would print without its offset and be read in the reader's zone.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QStringList JsonFieldReader::texts(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isArray())
        fail(key, QStringLiteral("must be a list of texts"));
    QStringList list;
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i) {
        const QJsonValue item = array.at(i);
        if (item.isNull())
            list.append(QString());
        else if (item.isString())
            list.append(item.toString());
        else
            fail(QStringLiteral("%1[%2]").arg(key).arg(i), QStringLiteral("must be a text or null"));
    }
    return list;
}

QMap<QString, QString> JsonFieldReader::textMap(const QString &key, bool nullValues)
{
    const QJsonValue value = take(key);
    if (!value.isObject())
        fail(key, QStringLiteral("must be an object of texts"));
    QMap<QString, QString> map;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().isEmpty())
            fail(key, QStringLiteral("has an empty name"));
        const QString field = key + QLatin1Char('.') + it.key();
        if (it.value().isNull() && nullValues)
            map.insert(it.key(), QString());
        else if (it.value().isString())
            map.insert(it.key(), it.value().toString());
        else
            fail(field,
                 nullValues ? QStringLiteral("must be a text or null") : QStringLiteral("must be a text"));
    }
    return map;
}

std::string JsonFieldReader::bytes(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isString())
        fail(key, QStringLiteral("must be base64 text"));
    const QByteArray encoded = value.toString().toLatin1();
    const auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
    // toLatin1 turns what is not Latin-1 into "?", which base64 does not use.
    if (!decoded)
        fail(key, QStringLiteral("must be base64 text"));
    return decoded.decoded.toStdString();
}

JsonFieldReader JsonFieldReader::object(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isObject())
        fail(key, QStringLiteral("must be an object"));
    return JsonFieldReader(value.toObject(), fieldPath(key));
}

QJsonValue JsonFieldReader::value(const QString &key)
{
    return take(key);
}

QList<JsonFieldReader> JsonFieldReader::objects(const QString &key)
{
    return objects(take(key), fieldPath(key));
}

QList<QPair<QString, JsonFieldReader>> JsonFieldReader::members(const QString &key)
{
    const QJsonValue value = take(key);
    if (!value.isObject())
        fail(key, QStringLiteral("must be an object of objects"));
    QList<QPair<QString, JsonFieldReader>> members;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        members.append({it.key(), JsonFieldReader(it.value(), fieldPath(key) + QLatin1Char('.') + it.key())});
    return members;
}

int JsonFieldReader::choice(const QString &key, const QStringList &choices)
{
    const QJsonValue value = take(key);
    const int index = value.isString() ? choices.indexOf(value.toString()) : -1;
    if (index < 0) {
        QStringList names;
        for (const QString &name : choices)
            names << quoted(name);
        const QString given =
            value.isString() ? QStringLiteral(", not %1").arg(quoted(value.toString())) : QString();
        fail(key, QStringLiteral("must be one of %1%2").arg(names.join(QStringLiteral(", ")), given));
    }
    return index;
}

void JsonFieldReader::finish() const
{
    if (!m_object.isEmpty())
        fail(m_object.begin().key(), QStringLiteral("is not known to this version of Shareward"));
}
