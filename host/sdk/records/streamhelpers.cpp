#include "streamhelpers.h"

#include <QIODevice>
#include <QTimeZone>

#include <limits>

namespace orvanta {

namespace {

constexpr qint64 NullJulianDay = std::numeric_limits<qint64>::min();
constexpr quint32 NullTime = 0xFFFFFFFFu;
constexpr quint32 MsecsPerDay = 24 * 3600 * 1000;
// What Qt writes in place of a zone id for a zone given by its offset from UTC.
constexpr char OffsetZoneTag[] = "OffsetFromUtc";

void refuse(QDataStream& stream)
{
    if (stream.status() == QDataStream::Ok)
        stream.setStatus(QDataStream::ReadCorruptData);
}

bool validOffset(qint32 seconds)
{
    return seconds >= QTimeZone::MinUtcOffsetSecs && seconds <= QTimeZone::MaxUtcOffsetSecs;
}

// Only zones the system lists: Qt would otherwise open any file the id names as a zone file,
// and a date-time with an unknown zone fails when it is written out again.
QTimeZone readZone(QDataStream& stream)
{
    QString id;
    stream >> id;
    if (id == QLatin1String(OffsetZoneTag)) {
        QString name;
        QString abbreviation;
        QString comment;
        qint32 offset = 0;
        qint32 country = 0;
        stream >> id >> offset >> name >> abbreviation >> country >> comment;
    }
    const QByteArray ianaId = id.toUtf8();
    if (stream.status() != QDataStream::Ok || !QTimeZone::isTimeZoneIdAvailable(ianaId))
        return QTimeZone();
    return QTimeZone(ianaId);
}

template<typename T>
void readAs(QDataStream& stream, QVariant& value)
{
    T read;
    readChecked(stream, read);
    value = QVariant::fromValue(read);
}

void readVariant(QDataStream& stream, QVariant& value, int depth)
{
    value = QVariant();
    quint32 type = 0;
    qint8 isNull = 0;
    stream >> type >> isNull;
    if (stream.status() != QDataStream::Ok)
        return;
    switch (type) {
    case QMetaType::UnknownType:
        return;
    case QMetaType::Bool: readAs<bool>(stream, value); break;
    case QMetaType::Int: readAs<qint32>(stream, value); break;
    case QMetaType::UInt: readAs<quint32>(stream, value); break;
    case QMetaType::LongLong: readAs<qint64>(stream, value); break;
    case QMetaType::ULongLong: readAs<quint64>(stream, value); break;
    case QMetaType::Double: readAs<double>(stream, value); break;
    case QMetaType::QString: readAs<QString>(stream, value); break;
    case QMetaType::QStringList: readAs<QStringList>(stream, value); break;
    case QMetaType::QByteArray: readAs<QByteArray>(stream, value); break;
    case QMetaType::QDate: readAs<QDate>(stream, value); break;
    case QMetaType::QTime: readAs<QTime>(stream, value); break;
    case QMetaType::QDateTime: readAs<QDateTime>(stream, value); break;
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap: {
        quint32 count = 0;
        stream >> count;
        if (depth >= MaxVariantDepth) {
            refuse(stream);
            return;
        }
        QVariantList list;
        QVariantMap map;
        for (quint32 i = 0; countFits(stream, count - i) && i < count; ++i) {
            QString key;
            QVariant item;
            if (type == QMetaType::QVariantMap)
                stream >> key;
            readVariant(stream, item, depth + 1);
            if (type == QMetaType::QVariantMap)
                map.insert(key, item);
            else
                list.append(item);
        }
        value = type == QMetaType::QVariantMap ? QVariant(map) : QVariant(list);
        break;
    }
    default:
        // Other types (user types above all) would run code the bytes choose.
        refuse(stream);
        return;
    }
    if (stream.status() != QDataStream::Ok)
        value = QVariant();
    else if (isNull)
        value = QVariant(QVariant::Type(type));
}

} // namespace

bool countFits(QDataStream& stream, quint32 count)
{
    if (stream.status() != QDataStream::Ok)
        return false;
    const qint64 left = stream.device() ? stream.device()->bytesAvailable() : 0;
    if (qint64(count) <= left)
        return true;
    refuse(stream);
    return false;
}

void readChecked(QDataStream& stream, QDate& date)
{
    static const qint64 first = QDate(1, 1, 1).toJulianDay();
    static const qint64 last = QDate(9999, 12, 31).toJulianDay();
    qint64 day = NullJulianDay;
    stream >> day;
    date = QDate();
    if (day != NullJulianDay && (day < first || day > last))
        refuse(stream);
    else if (day != NullJulianDay && stream.status() == QDataStream::Ok)
        date = QDate::fromJulianDay(day);
}

void readChecked(QDataStream& stream, QTime& time)
{
    quint32 msecs = NullTime;
    stream >> msecs;
    time = QTime();
    if (msecs != NullTime && msecs >= MsecsPerDay)
        refuse(stream);
    else if (msecs != NullTime && stream.status() == QDataStream::Ok)
        time = QTime::fromMSecsSinceStartOfDay(int(msecs));
}

// The layout Qt writes since Qt_5_2: date, time, the kind of time (local, UTC, offset, zone),
// then the offset or the zone.
void readChecked(QDataStream& stream, QDateTime& moment)
{
    moment = QDateTime();
    QDate date;
    QTime time;
    qint8 kind = 0;
    readChecked(stream, date);
    readChecked(stream, time);
    stream >> kind;
    QDateTime read;
    switch (kind) {
    case Qt::LocalTime:
    case Qt::UTC:
        read = QDateTime(date, time, Qt::TimeSpec(kind));
        break;
    case Qt::OffsetFromUTC: {
        qint32 offset = 0;
        stream >> offset;
        if (!validOffset(offset))
            refuse(stream);
        read = QDateTime(date, time, Qt::OffsetFromUTC, offset);
        break;
    }
    case Qt::TimeZone: {
        const QTimeZone zone = readZone(stream);
        if (!zone.isValid())
            refuse(stream);
        else
            read = QDateTime(date, time, zone);
        break;
    }
    default:
        refuse(stream);
    }
    if (stream.status() == QDataStream::Ok)
        moment = read;
}

void readChecked(QDataStream& stream, QVariant& value)
{
    readVariant(stream, value, 0);
}

void readChecked(QDataStream& stream, QStringList& list)
{
    QList<QString> read;
    readChecked(stream, read);
    list = read;
}

} // namespace orvanta
