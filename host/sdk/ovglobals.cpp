#include "ovglobals.h"

#include "vocabulary.h"

#include <QStringList>

QString OVGlobals::objectName(const orvanta::ObjectInfo& object)
{
    if (!object.isValid())
        return QString();
    const QString name = object.property(QLatin1String(db::common::NAME)).trimmed();
    if (!name.isEmpty())
        return name;
    QStringList parts;
    for (const char* key : {db::subject::LASTNAME, db::subject::FIRSTNAME, db::subject::MIDDLENAME}) {
        const QString part = object.property(QLatin1String(key)).trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    if (!parts.isEmpty())
        return parts.join(QLatin1Char(' '));
    return QStringLiteral("#%1").arg(object.uid);
}
