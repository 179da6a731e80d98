#include "objectstore.h"

#include "sql.h"
#include "vocabulary.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

using namespace orvanta;

namespace {

// SQLite before 3.32 allows 999 parameters in one statement.
constexpr int IdsPerStatement = 500;

QString propertiesText(const QHash<QString, QString>& properties)
{
    QJsonObject json;
    for (auto it = properties.constBegin(); it != properties.constEnd(); ++it)
        json.insert(it.key(), it.value());
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QHash<QString, QString> propertiesFromText(const QString& text)
{
    QHash<QString, QString> properties;
    const QJsonObject json = QJsonDocument::fromJson(text.toUtf8()).object();
    for (auto it = json.constBegin(); it != json.constEnd(); ++it)
        properties.insert(it.key(), it.value().toString());
    return properties;
}

QVariantList idValues(const QList<TYPE_ID>& ids)
{
    QVariantList values;
    values.reserve(ids.size());
    for (TYPE_ID id : ids)
        values.append(qint64(id));
    return values;
}

void bindAll(QSqlQuery& query, const QVariantList& values)
{
    for (const QVariant& value : values)
        query.addBindValue(value);
}

} // namespace

ObjectStore::ObjectStore(const QSqlDatabase& db) : m_db(db) {}

QString ObjectStore::dataNameOfType(const QString& type)
{
    static const QHash<QString, QString> names = {
        {QLatin1String(db::orgstructure::WORKER), QLatin1String(SUBJECT_DATANAME)},
        {QLatin1String(db::orgstructure::DEPARTMENT), QLatin1String(ORGSTRUCTURE_DATANAME)},
        {QLatin1String(db::orgstructure::FIRM), QLatin1String(ORGSTRUCTURE_DATANAME)},
        {QLatin1String(db::orgstructure::SUBJECTROOT), QLatin1String(ORGSTRUCTURE_DATANAME)},
        {QLatin1String(db::wt::JOB), QLatin1String(JOB_DATANAME)},
        {QLatin1String(db::wt::REASON), QLatin1String(REASON_DATANAME)},
        {QLatin1String(db::wt::SHIFT), QLatin1String(SCHEDULE_SHIFT_DATANAME)},
        {QLatin1String(db::wt::SHIFT_INTERVAL), QLatin1String(SHIFT_INTERVAL_DATANAME)},
        {QLatin1String(db::wt::BREAK_RULE), QLatin1String(BREAK_RULE_DATANAME)},
        {QLatin1String(db::wt::ATTACHED_WORKER), QLatin1String(ATTACHED_WORKER_DATANAME)},
        {QLatin1String(db::wt::WORKER_HISTORY), QLatin1String(WORKER_HISTORY_DATANAME)},
    };
    const auto known = names.constFind(type);
    if (known != names.constEnd())
        return known.value();
    if (type.startsWith(QLatin1String("OT_REPORT")))
        return QLatin1String(REPORT_DATANAME);
    // A type we have no table for keeps its own name, so it still round-trips.
    QString name = type.toLower();
    if (name.startsWith(QLatin1String("ot_")))
        name.remove(0, 3);
    return name;
}

bool ObjectStore::objects(const QString& dataname, QList<ObjectInfo>* out, QString* error)
{
    return load(QStringLiteral("o.data_name = ?"), {dataname}, out, nullptr, error);
}

bool ObjectStore::objectsByIds(const QList<TYPE_ID>& ids, QHash<QString, QList<ObjectInfo>>* out, QString* error)
{
    out->clear();
    for (int first = 0; first < ids.size(); first += IdsPerStatement) {
        const QList<TYPE_ID> chunk = ids.mid(first, IdsPerStatement);
        QList<ObjectInfo> objects;
        QHash<TYPE_ID, QString> datanames;
        if (!load(QStringLiteral("o.id IN (%1)").arg(Sql::placeholders(chunk.size())), idValues(chunk), &objects,
                  &datanames, error))
            return false;
        for (const ObjectInfo& object : qAsConst(objects))
            (*out)[datanames.value(object.uid)].append(object);
    }
    return true;
}

bool ObjectStore::children(TYPE_ID parent, const QString& type, QList<ObjectInfo>* out, QString* error)
{
    return load(QStringLiteral("o.parent = ? AND o.type = ?"), {qint64(parent), type}, out, nullptr, error);
}

bool ObjectStore::find(TYPE_ID id, ObjectInfo* out, QString* dataname, QString* error)
{
    QList<ObjectInfo> objects;
    QHash<TYPE_ID, QString> datanames;
    if (!load(QStringLiteral("o.id = ?"), {qint64(id)}, &objects, &datanames, error))
        return false;
    *out = objects.value(0);
    if (dataname)
        *dataname = datanames.value(id);
    return true;
}

bool ObjectStore::datanames(QStringList* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    if (!Sql::exec(query, QStringLiteral("SELECT DISTINCT data_name FROM objects ORDER BY data_name"), error))
        return false;
    while (query.next())
        out->append(query.value(0).toString());
    return true;
}

bool ObjectStore::load(const QString& condition, const QVariantList& values, QList<ObjectInfo>* out,
                       QHash<TYPE_ID, QString>* datanames, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString select = QStringLiteral("SELECT o.id, o.type_code, o.type, o.data_name, o.parent, o.properties, "
                                          "o.revision FROM objects o WHERE %1 ORDER BY o.id")
                               .arg(condition);
    if (!Sql::prepare(query, select, error))
        return false;
    bindAll(query, values);
    if (!Sql::exec(query, error))
        return false;
    QHash<TYPE_ID, int> indexById;
    while (query.next()) {
        ObjectInfo object;
        object.uid = TYPE_ID(query.value(0).toLongLong());
        object.typeCode = quint32(query.value(1).toLongLong());
        object.type = query.value(2).toString();
        object.parent = TYPE_ID(query.value(4).toLongLong());
        object.properties = propertiesFromText(query.value(5).toString());
        object.revision = query.value(6).toLongLong();
        if (datanames)
            datanames->insert(object.uid, query.value(3).toString());
        indexById.insert(object.uid, out->size());
        out->append(object);
    }
    QList<_INHERIT_DATA> links;
    if (!loadLinks(QStringLiteral("parent"), condition, values, &links, error))
        return false;
    for (const _INHERIT_DATA& link : qAsConst(links))
        (*out)[indexById.value(link.parent)].children.insert(TYPE_ID(link.refType), link);
    if (!loadLinks(QStringLiteral("child"), condition, values, &links, error))
        return false;
    for (const _INHERIT_DATA& link : qAsConst(links))
        (*out)[indexById.value(link.child)].parents.insert(TYPE_ID(link.refType), link);
    return true;
}

bool ObjectStore::loadLinks(const QString& joinColumn, const QString& condition, const QVariantList& values,
                            QList<_INHERIT_DATA>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString select = QStringLiteral("SELECT l.parent, l.child, l.ref_type, l.start_time, l.finish_time "
                                          "FROM links l JOIN objects o ON o.id = l.%1 WHERE %2 "
                                          "ORDER BY l.ref_type, l.start_time, l.parent, l.child")
                               .arg(joinColumn, condition);
    if (!Sql::prepare(query, select, error))
        return false;
    bindAll(query, values);
    if (!Sql::exec(query, error))
        return false;
    while (query.next()) {
        _INHERIT_DATA link;
        link.parent = TYPE_ID(query.value(0).toLongLong());
        link.child = TYPE_ID(query.value(1).toLongLong());
        link.refType = query.value(2).toInt();
        link.start = Sql::toMoment(query.value(3));
        link.finish = Sql::toMoment(query.value(4));
        out->append(link);
    }
    return true;
}

bool ObjectStore::insert(const ObjectInfo& object, const QString& dataname, QString* error)
{
    return insert(QList<ObjectInfo>{object}, {{object.uid, dataname}}, error);
}

bool ObjectStore::insert(const QList<ObjectInfo>& objects, const QHash<TYPE_ID, QString>& datanames, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("INSERT INTO objects (id, type_code, type, data_name, parent, properties, "
                                     "revision) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                      error))
        return false;
    for (const ObjectInfo& object : objects) {
        query.addBindValue(qint64(object.uid));
        query.addBindValue(qint64(object.typeCode));
        query.addBindValue(object.type);
        query.addBindValue(datanames.value(object.uid, dataNameOfType(object.type)));
        query.addBindValue(qint64(object.parent));
        query.addBindValue(propertiesText(object.properties));
        query.addBindValue(qMax<qint64>(object.revision, 1));
        if (!Sql::exec(query, error))
            return false;
    }
    return true;
}

bool ObjectStore::update(const ObjectInfo& object, bool* found, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("UPDATE objects SET type_code = ?, type = ?, parent = ?, properties = ?, "
                                     "revision = revision + 1 WHERE id = ?"),
                      error))
        return false;
    query.addBindValue(qint64(object.typeCode));
    query.addBindValue(object.type);
    query.addBindValue(qint64(object.parent));
    query.addBindValue(propertiesText(object.properties));
    query.addBindValue(qint64(object.uid));
    if (!Sql::exec(query, error))
        return false;
    *found = query.numRowsAffected() > 0;
    return true;
}

bool ObjectStore::remove(TYPE_ID id, QString* error)
{
    QSqlQuery query(m_db);
    // Links and blobs go by their foreign keys; deleted explicitly too, so a database opened
    // without foreign-key enforcement stays clean.
    const QStringList statements = {QStringLiteral("DELETE FROM links WHERE parent = ? OR child = ?"),
                                    QStringLiteral("DELETE FROM blobs WHERE object_id = ?"),
                                    QStringLiteral("DELETE FROM objects WHERE id = ?")};
    for (const QString& statement : statements) {
        if (!Sql::prepare(query, statement, error))
            return false;
        for (int i = 0; i < statement.count(QLatin1Char('?')); ++i)
            query.addBindValue(qint64(id));
        if (!Sql::exec(query, error))
            return false;
    }
    return true;
}

bool ObjectStore::insertLinks(const QList<_INHERIT_DATA>& links, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("INSERT INTO links (parent, child, ref_type, start_time, finish_time) "
                                     "VALUES (?, ?, ?, ?, ?)"),
                      error))
        return false;
    for (const _INHERIT_DATA& link : links) {
        query.addBindValue(qint64(link.parent));
        query.addBindValue(qint64(link.child));
        query.addBindValue(link.refType);
        query.addBindValue(Sql::moment(link.start));
        query.addBindValue(Sql::moment(link.finish));
        if (!Sql::exec(query, error))
            return false;
    }
    return true;
}

bool ObjectStore::replaceLinks(TYPE_ID object, const QList<_INHERIT_DATA>& links, QString* error)
{
    QSet<int> refTypes;
    for (const _INHERIT_DATA& link : links)
        refTypes.insert(link.refType);
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("DELETE FROM links WHERE (parent = ? OR child = ?) AND ref_type = ?"),
                      error))
        return false;
    for (int refType : qAsConst(refTypes)) {
        query.addBindValue(qint64(object));
        query.addBindValue(qint64(object));
        query.addBindValue(refType);
        if (!Sql::exec(query, error))
            return false;
    }
    return insertLinks(links, error);
}

bool ObjectStore::linkedObjects(TYPE_ID id, QList<TYPE_ID>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query,
                      QStringLiteral("SELECT child FROM links WHERE parent = ? UNION SELECT parent FROM links "
                                     "WHERE child = ?"),
                      error))
        return false;
    query.addBindValue(qint64(id));
    query.addBindValue(qint64(id));
    if (!Sql::exec(query, error))
        return false;
    while (query.next()) {
        const TYPE_ID other = TYPE_ID(query.value(0).toLongLong());
        if (other != id)
            out->append(other);
    }
    return true;
}

bool ObjectStore::setBlob(TYPE_ID id, const QString& name, const QByteArray& data, QString* error)
{
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("DELETE FROM blobs WHERE object_id = ? AND name = ?"), error))
        return false;
    query.addBindValue(qint64(id));
    query.addBindValue(name);
    if (!Sql::exec(query, error))
        return false;
    if (data.isEmpty())
        return true;
    if (!Sql::prepare(query, QStringLiteral("INSERT INTO blobs (object_id, name, data, md5) VALUES (?, ?, ?, ?)"),
                      error))
        return false;
    query.addBindValue(qint64(id));
    query.addBindValue(name);
    query.addBindValue(data);
    query.addBindValue(QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex()));
    return Sql::exec(query, error);
}

bool ObjectStore::changedBlobs(const QList<_BLOB_DATA_RESQUEST>& requests,
                               QHash<TYPE_ID, QHash<QString, QByteArray>>* out, QString* error)
{
    out->clear();
    QSqlQuery query(m_db);
    if (!Sql::prepare(query, QStringLiteral("SELECT data, md5 FROM blobs WHERE object_id = ? AND name = ?"), error))
        return false;
    for (const _BLOB_DATA_RESQUEST& request : requests) {
        query.addBindValue(qint64(request.uid));
        query.addBindValue(request.name);
        if (!Sql::exec(query, error))
            return false;
        if (query.next() && query.value(1).toString().compare(QString::fromLatin1(request.md5), Qt::CaseInsensitive))
            (*out)[request.uid].insert(request.name, query.value(0).toByteArray());
        query.finish();
    }
    return true;
}
