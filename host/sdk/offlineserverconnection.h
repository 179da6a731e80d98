#pragma once

#include "ovserverinterface.h"
#include "ovsdk_export.h"

/// A connection with no server behind it: every request is answered, asynchronously,
/// with a "not connected" error reply. The planner uses it when no server is reachable.
class OVSDK_EXPORT OfflineServerConnection : public OVServerInterface
{
    Q_OBJECT
public:
    explicit OfflineServerConnection(QObject* parent = nullptr);

protected:
    void transmit(const Command& command) override;
};
