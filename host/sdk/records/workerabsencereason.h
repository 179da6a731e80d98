#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>

class QDataStream;

namespace orvanta {

/// One absence of an employee: a reason object over a span of days or, when timed, of moments.
struct OVSDK_EXPORT _WORKER_ABSENCE_REASON_RECORD
{
    /// The id of a record that is not saved yet.
    static constexpr TYPE_ID NEW_RECORD_ID = 0xFFFFFFFFu;

    TYPE_ID id = 0;
    TYPE_ID reason = 0;
    QDateTime start;
    QDateTime end;
    /// The first and last days are partial: start and end carry times of day.
    bool timed = false;
    QString comment;
    /// When the record was entered.
    QDateTime changeTime;

    bool isNew() const { return id == NEW_RECORD_ID; }
    bool operator==(const _WORKER_ABSENCE_REASON_RECORD& other) const;
};

/// The absence records of one employee.
struct OVSDK_EXPORT _WORKER_ABSENCE_REASON
{
    TYPE_ID uid = 0;
    QList<_WORKER_ABSENCE_REASON_RECORD> records;

    bool operator==(const _WORKER_ABSENCE_REASON& other) const;
};

using WORKER_ABSENCE_REASON_HASH = QHash<TYPE_ID, _WORKER_ABSENCE_REASON>;

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _WORKER_ABSENCE_REASON_RECORD& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _WORKER_ABSENCE_REASON_RECORD& record);
OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const _WORKER_ABSENCE_REASON& reasons);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, _WORKER_ABSENCE_REASON& reasons);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::_WORKER_ABSENCE_REASON)
