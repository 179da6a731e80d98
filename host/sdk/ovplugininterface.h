#pragma once

#include "command.h"
#include "commandtype.h"
#include "ovsdk_export.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class OVServerInterface;
class QWidget;

/// The base every planner plug-in implements: the host hands it the server
/// connection in init and asks it for its widget.
class OVSDK_EXPORT OVPluginInterface
{
public:
    OVPluginInterface();
    virtual ~OVPluginInterface();

    /// Keeps the connection and returns the base command list (empty).
    virtual QList<CommandType> init(OVServerInterface* server, const QString& name);
    /// Drops the connection and the registered command handlers.
    virtual void uninit();
    virtual void initOnExchangeReady();
    /// The plug-in as a QObject, when it is one.
    virtual QObject* object();
    /// Names of the plug-ins this one needs loaded first.
    virtual QStringList requireList() const;

    virtual QString pluginName() const = 0;
    virtual int pluginVersion() const = 0;
    virtual QString pluginBuild() const = 0;
    virtual QWidget* widget() = 0;

    /// Afterwards every command the server pushes under type.name goes to handler.
    void registerCommandHandler(const CommandType& type, std::function<void(Command&)> handler);
    /// A fresh request addressed from this plug-in.
    Command newCommand() const;
    /// Sends command; onReply gets the reply once, on the GUI thread. Without a
    /// connection the reply is an error reply, still delivered asynchronously.
    void sendQuery(const Command& command, std::function<void(Command&)> onReply);

    OVServerInterface* server() const;

private:
    QPointer<OVServerInterface> m_server;
    QStringList m_handlerNames;
};

#define OVPluginInterface_iid "orvanta.ovservice.OVPluginInterface/1.0"
Q_DECLARE_INTERFACE(OVPluginInterface, OVPluginInterface_iid)
