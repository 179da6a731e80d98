#include "clientsession.h"

#include "authdata.h"
#include "command.h"
#include "data.h"
#include "localstorage.h"
#include "ovdatastream.h"
#include "ovserverinterface.h"
#include "sdklogging.h"
#include "servercommands.h"
#include "streamhelpers.h"

#include <QCoreApplication>
#include <QSet>

namespace {

QString damagedReplyText()
{
    return QCoreApplication::translate("ClientSession", "Сервер прислал повреждённые данные");
}

template<typename T>
QList<T> readList(QDataStream& stream)
{
    QList<T> items;
    orvanta::readChecked(stream, items);
    return items;
}

// The server's message, or the bare code when the reply carries none.
QString reason(const Command& reply)
{
    const QString message = reply.errorMessage();
    return message.isEmpty() ? QCoreApplication::translate("ClientSession", "код %1").arg(reply.result) : message;
}

bool decodedExactly(const QDataStream& stream)
{
    return stream.status() == QDataStream::Ok && stream.atEnd();
}

} // namespace

ClientSession::ClientSession(OVServerInterface* server, orvanta::LocalStorage* store, QObject* parent)
    : QObject(parent), m_server(server), m_store(store)
{
    if (!store)
        return;
    // What the store learns while a load runs (a pushed change) is newer than the load's snapshot.
    const auto noteObjects = [this](const QString& dataname, const QList<orvanta::TYPE_ID>& ids) {
        if (m_running)
            m_touchedObjects[dataname].unite(QSet<orvanta::TYPE_ID>(ids.cbegin(), ids.cend()));
    };
    const auto noteSchedules = [this](const QList<uint>& ids) {
        if (!m_running)
            return;
        for (uint id : ids)
            m_touchedSchedules.insert(int(id));
    };
    connect(store, &orvanta::LocalStorage::dataChanged, this, noteObjects);
    connect(store, &orvanta::LocalStorage::dataRemoved, this, noteObjects);
    connect(store, &orvanta::LocalStorage::scheduleChanged, this, noteSchedules);
    connect(store, &orvanta::LocalStorage::scheduleRemoved, this, noteSchedules);
}

ClientSession::~ClientSession() = default;

bool ClientSession::start(const QString& login, const QString& password, LoadMode mode)
{
    if (m_running)
        return false;
    ++m_run;
    m_running = true;
    m_mode = mode;
    m_error.clear();
    m_done = 0;
    m_total = 3;
    m_pendingTables = 0;
    m_schedulesLoaded = false;
    m_datanames.clear();
    m_tables.clear();
    m_schedules.clear();
    m_touchedObjects.clear();
    m_touchedSchedules.clear();
    AuthData::clear();

    QByteArray payload;
    OVDataStream stream(&payload, QIODevice::WriteOnly);
    stream << login << password;
    send(QLatin1String(ServerCommands::Login), payload, &ClientSession::loginReplied);
    return true;
}

void ClientSession::send(const QString& name, const QByteArray& payload, Handler handler)
{
    if (!m_server) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "no server connection" << name;
        QMetaObject::invokeMethod(this, [this] { fail(tr("Нет соединения с сервером")); }, Qt::QueuedConnection);
        return;
    }
    Command request;
    request.kind = 1;
    request.name = name;
    request.data = payload;
    request.session = AuthData::sessionId();
    const QPointer<ClientSession> self(this);
    const int run = m_run;
    m_server->send(request, [self, run, handler](Command& reply) {
        if (self && self->m_running && self->m_run == run)
            (self.data()->*handler)(reply);
    });
}

void ClientSession::loginReplied(Command& reply)
{
    if (!reply.isSuccess()) {
        if (reply.result == ResultUnauthorized)
            fail(tr("Неверное имя пользователя или пароль"));
        else if (reply.result == ResultNotConnected)
            fail(tr("Нет соединения с сервером"));
        else
            fail(tr("Сервер отклонил вход: %1").arg(reason(reply)));
        return;
    }
    OVDataStream stream(reply.data);
    QByteArray session;
    quint32 userId = 0;
    QStringList roles;
    orvanta::_ROLE_DATE_RESTRICTIONS workTimePlanning;
    orvanta::_ROLE_DATE_RESTRICTIONS absenceReasons;
    orvanta::readFields(stream, session, userId, roles, workTimePlanning, absenceReasons);
    if (!decodedExactly(stream) || session.isEmpty()) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "login reply does not decode" << reply.data.size();
        fail(damagedReplyText());
        return;
    }
    AuthData::setSessionId(session);
    AuthData::setUserId(userId);
    AuthData::setRoles(roles);
    AuthData::setWorkTimePlanningRestrictions(workTimePlanning);
    AuthData::setAbsenceReasonsRestrictions(absenceReasons);
    stepDone();

    send(QLatin1String(ServerCommands::GetDatanames), {}, &ClientSession::datanamesReplied);
    send(QLatin1String(ServerCommands::GetSchedules), {}, &ClientSession::schedulesReplied);
}

void ClientSession::datanamesReplied(Command& reply)
{
    if (!checkLoadReply(reply))
        return;
    OVDataStream stream(reply.data);
    const QStringList datanames = readList<QString>(stream);
    if (!decodedExactly(stream)) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "data names reply does not decode" << reply.data.size();
        fail(damagedReplyText());
        return;
    }
    m_datanames = datanames;
    m_datanames.removeDuplicates();
    m_pendingTables = m_datanames.size();
    m_total += m_datanames.size();
    stepDone();

    for (const QString& dataname : qAsConst(m_datanames)) {
        QByteArray payload;
        OVDataStream out(&payload, QIODevice::WriteOnly);
        out << dataname;
        send(ov5sdk::Data::commandName(ov5sdk::Data::GetObjects), payload, &ClientSession::objectsReplied);
        if (!m_running)
            return;
    }
    completeIfLoaded();
}

void ClientSession::objectsReplied(Command& reply)
{
    if (!checkLoadReply(reply))
        return;
    OVHash<uint, orvanta::ObjectInfo> objects;
    QString dataname;
    if (!ov5sdk::Data::unpackObjects(objects, dataname, reply.data) || !m_datanames.contains(dataname)
        || m_tables.contains(dataname)) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "unexpected objects reply" << dataname << reply.data.size();
        fail(damagedReplyText());
        return;
    }
    m_tables.insert(dataname, objects.values());
    --m_pendingTables;
    stepDone();
    completeIfLoaded();
}

void ClientSession::schedulesReplied(Command& reply)
{
    if (!checkLoadReply(reply))
        return;
    OVDataStream stream(reply.data);
    const QList<orvanta::SCHEDULE_DATA> schedules = readList<orvanta::SCHEDULE_DATA>(stream);
    if (!decodedExactly(stream)) {
        qCWarning(lcSdk) << Q_FUNC_INFO << "schedules reply does not decode" << reply.data.size();
        fail(damagedReplyText());
        return;
    }
    m_schedules = schedules;
    m_schedulesLoaded = true;
    stepDone();
    completeIfLoaded();
}

bool ClientSession::checkLoadReply(const Command& reply)
{
    if (reply.isSuccess())
        return true;
    qCWarning(lcSdk) << Q_FUNC_INFO << "load request failed" << reply.name << reply.result << reply.errorMessage();
    if (reply.result == ResultNotConnected)
        fail(tr("Нет соединения с сервером"));
    else
        fail(tr("Не удалось загрузить данные с сервера: %1").arg(reason(reply)));
    return false;
}

void ClientSession::stepDone()
{
    ++m_done;
    emit progress(m_done, m_total);
}

void ClientSession::completeIfLoaded()
{
    if (!m_running || !m_schedulesLoaded || m_pendingTables > 0 || m_done < m_total)
        return;
    if (!m_store) {
        fail(tr("Локальное хранилище недоступно"));
        return;
    }
    // Everything is applied at once, so a failed load never leaves half an organisation.
    if (m_mode == ReplaceStore || (m_store->datanames().isEmpty() && m_store->schedules().isEmpty())) {
        m_store->reset();
        for (const QString& dataname : qAsConst(m_datanames))
            m_store->setObjects(dataname, m_tables.value(dataname));
        m_store->setSchedules(m_schedules);
    } else {
        refreshStore();
    }
    m_tables.clear();
    m_schedules.clear();
    m_running = false;
    emit finished(true, QString());
}

void ClientSession::refreshStore()
{
    // Every difference is taken before the first signal: a listener may write to the store.
    // Tables the server no longer names are emptied like the others. What was pushed while the
    // load ran stays as pushed: the snapshot is older.
    QStringList datanames = m_datanames;
    for (const QString& dataname : m_store->datanames()) {
        if (!datanames.contains(dataname))
            datanames.append(dataname);
    }
    QList<QList<orvanta::ObjectInfo>> changed;
    QList<QList<orvanta::TYPE_ID>> removed;
    for (const QString& dataname : qAsConst(datanames)) {
        const orvanta::OBJECT_HASH* known = m_store->constObjects(dataname);
        const QSet<orvanta::TYPE_ID> touched = m_touchedObjects.value(dataname);
        QSet<orvanta::TYPE_ID> fresh;
        changed.append(QList<orvanta::ObjectInfo>());
        for (const orvanta::ObjectInfo& object : m_tables.value(dataname)) {
            fresh.insert(object.uid);
            if (!touched.contains(object.uid) && (!known || !(known->value(object.uid) == object)))
                changed.last().append(object);
        }
        removed.append(QList<orvanta::TYPE_ID>());
        if (!known)
            continue;
        for (auto it = known->constBegin(); it != known->constEnd(); ++it) {
            if (!fresh.contains(it.key()) && !touched.contains(it.key()))
                removed.last().append(it.key());
        }
    }
    QList<orvanta::SCHEDULE_DATA> changedSchedules;
    QSet<int> freshSchedules;
    const orvanta::SCHEDULE_HASH& knownSchedules = m_store->schedules();
    for (const orvanta::SCHEDULE_DATA& schedule : qAsConst(m_schedules)) {
        freshSchedules.insert(schedule.id);
        if (m_touchedSchedules.contains(schedule.id))
            continue;
        const auto known = knownSchedules.constFind(schedule.id);
        if (known == knownSchedules.constEnd() || !(known.value() == schedule))
            changedSchedules.append(schedule);
    }
    QList<int> removedSchedules;
    for (auto it = knownSchedules.constBegin(); it != knownSchedules.constEnd(); ++it) {
        if (!freshSchedules.contains(it.key()) && !m_touchedSchedules.contains(it.key()))
            removedSchedules.append(it.key());
    }
    qCDebug(lcSdk) << Q_FUNC_INFO << "refresh" << datanames << "schedules changed" << changedSchedules.size()
                   << "removed" << removedSchedules.size();

    // Changes before removals, so nothing is left pointing at an object already gone.
    for (int i = 0; i < datanames.size(); ++i)
        m_store->updateObjects(datanames.at(i), changed.at(i));
    m_store->updateSchedules(changedSchedules);
    m_store->removeSchedules(removedSchedules);
    for (int i = 0; i < datanames.size(); ++i)
        m_store->removeObjects(datanames.at(i), removed.at(i));
}

void ClientSession::fail(const QString& message)
{
    if (!m_running)
        return;
    m_running = false;
    m_error = message;
    m_tables.clear();
    m_schedules.clear();
    AuthData::clear();
    emit finished(false, message);
}
