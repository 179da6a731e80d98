#pragma once

#include <QObject>

class QAction;
class WorkTimeTableView;

/// The tool bar's compact-mode toggle: switches the grid between its normal and compact density and
/// remembers the choice for the next start.
class WorkTimeCompactMode : public QObject
{
    Q_OBJECT
public:
    /// Makes action checkable and applies the remembered choice to grid at once.
    WorkTimeCompactMode(QAction* action, WorkTimeTableView* grid, QObject* parent = nullptr);

    static QString settingsKey();

private:
    void apply(bool compact);

    WorkTimeTableView* m_grid;
};
