#pragma once

#include "demoorganisation.h"
#include "ovserver_export.h"

#include <QDate>

/// Generates the demo organisation: the same input always gives the same organisation.
class OVSERVER_EXPORT DemoOrganisationGenerator
{
public:
    static constexpr int DefaultEmployees = 60;
    static constexpr quint32 DefaultSeed = 20261205;

    /// An organisation of about employees people, laid out around the month of today.
    static DemoOrganisation generate(int employees, const QDate& today, quint32 seed = DefaultSeed);
    /// The demo users planner, viewer and hr, with their passwords and roles.
    static QList<DemoUser> users();
};
