#pragma once

#include "command.h"
#include "inheritdata.h"
#include "objectinfo.h"
#include "triprules.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>

#include <optional>

class ChangeNotifier;
class CommandRouter;
struct RequestContext;

/// The object commands: reading objects, data names and blobs, and adding, updating and
/// removing objects with their links. Each write is one transaction, announced after it commits.
class ObjectHandler
{
public:
    ObjectHandler(const QSqlDatabase& db, ChangeNotifier* notifier);

    void registerAt(CommandRouter& router);

private:
    using ObjectsByDataname = QHash<QString, QList<orvanta::ObjectInfo>>;

    Command getObjects(const RequestContext& context);
    Command getDatanames(const RequestContext& context);
    Command getBlobDataChange(const RequestContext& context);
    Command addObject(const RequestContext& context);
    Command updateObjectEx(const RequestContext& context);
    Command removeObject(const RequestContext& context);

    /// The refusal of writing a trip (an attached worker) over stored; nothing for other data names.
    std::optional<Command> checkTrip(const RequestContext& context, const QString& dataname,
                                     const orvanta::ObjectInfo& object, const QList<orvanta::_INHERIT_DATA>& links,
                                     const orvanta::ObjectInfo& stored);
    /// The error reply of a refused trip, nothing when it is allowed.
    static std::optional<Command> reply(const Command& request, const TripRules::Verdict& verdict);
    /// The links with 0 on one side pointed at object; false when a link does not involve it.
    static bool anchorLinks(orvanta::TYPE_ID object, QList<orvanta::_INHERIT_DATA>* links);
    /// ids plus the objects linked to them, as stored now.
    bool readWithLinked(const QList<orvanta::TYPE_ID>& ids, const QList<orvanta::TYPE_ID>& linked,
                        ObjectsByDataname* out, QString* error);
    /// Pushes the changed objects, those of data name first before the others.
    void announce(const ObjectsByDataname& changed, const QString& first);

    QSqlDatabase m_db;
    ChangeNotifier* m_notifier;
};
