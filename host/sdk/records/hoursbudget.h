#pragma once

#include "ovsdk_export.h"

#include <QDate>
#include <QMetaType>

class QDataStream;

namespace orvanta {

/// The hours budget of one department for one date.
struct OVSDK_EXPORT HOURS_BUDGET
{
    qint64 id = 0;
    QDate date;
    quint32 department = 0;
    int value = 0;

    bool operator==(const HOURS_BUDGET& other) const;
};

OVSDK_EXPORT QDataStream& operator<<(QDataStream& stream, const HOURS_BUDGET& record);
OVSDK_EXPORT QDataStream& operator>>(QDataStream& stream, HOURS_BUDGET& record);

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::HOURS_BUDGET)
