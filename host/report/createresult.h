#pragma once

#include "ovreportcore_export.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

class QDataStream;

namespace report {

/// One output of a finished report: its format ("xml") and its bytes.
struct OVREPORTCORE_EXPORT RawData
{
    QString format;
    QByteArray data;

    bool operator==(const RawData& other) const;
};

/// What a finished report job gives: one raw item per requested format.
struct OVREPORTCORE_EXPORT CreateResult
{
    QList<RawData> items;

    bool operator==(const CreateResult& other) const;
};

OVREPORTCORE_EXPORT QDataStream& operator<<(QDataStream& stream, const RawData& item);
OVREPORTCORE_EXPORT QDataStream& operator>>(QDataStream& stream, RawData& item);
OVREPORTCORE_EXPORT QDataStream& operator<<(QDataStream& stream, const CreateResult& result);
OVREPORTCORE_EXPORT QDataStream& operator>>(QDataStream& stream, CreateResult& result);

} // namespace report

Q_DECLARE_METATYPE(report::CreateResult)
