#pragma once

#include "ovsdk_export.h"

#include <QObject>
#include <QPointer>

struct Command;
class OVServerInterface;

namespace orvanta {
class LocalStorage;
}

/// Keeps the local object store current: applies the storage notifications the server
/// pushes, so the store changes first and then emits its signals.
class OVSDK_EXPORT StorageNotificationApplier : public QObject
{
    Q_OBJECT
public:
    StorageNotificationApplier(OVServerInterface* server, orvanta::LocalStorage* store, QObject* parent = nullptr);
    ~StorageNotificationApplier() override;

private:
    void applyDataChanged(Command& command);
    void applyDataRemoved(Command& command);
    void applyScheduleChanged(Command& command);
    void checkScheduleBeforeRemove(Command& command);
    void applyScheduleRemoved(Command& command);

    QPointer<OVServerInterface> m_server;
    QPointer<orvanta::LocalStorage> m_store;
};
