#pragma once

#include <QIcon>
#include <QString>

/// One ribbon tab a plug-in asks the host to show.
struct PLUGIN_TAB
{
    QString title;
    QIcon icon;
    int index = 0;
    bool current = false;
    bool disabled = false;
};
