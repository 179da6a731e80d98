#pragma once

#include "orvantatypes.h"
#include "ovsdk_export.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

namespace orvanta {

/// One save task of the planning task queue; every construction takes a new id.
struct OVSDK_EXPORT TaskInfo
{
    TaskInfo();

    qint64 id;
    QList<qint64> dependsOn;
    /// The employee or object concerned, 0 for none.
    TYPE_ID uid = 0;
    QString type;
    QVariantMap params;
    QString title;
    QString errorText;
    QList<TaskInfo> subTasks;
    /// Told about the outcome through method, when it still exists.
    QPointer<QObject> receiver;
    QString method;

    /// The id the next constructed task gets.
    static qint64 _nextid;
};

} // namespace orvanta

Q_DECLARE_METATYPE(orvanta::TaskInfo)
