#pragma once

#include "ovwidgets_export.h"

#include <QStackedWidget>

class OVActionsToolBar;

/// One tool bar per page of a plug-in window; the host's ribbon tab picks the current one.
///
/// Its size hints are the current tool bar's and it does not grow past them, so a short
/// bar does not reserve the width of the longest one.
class OVWIDGETS_EXPORT OVStackedToolBars : public QStackedWidget
{
    Q_OBJECT

public:
    explicit OVStackedToolBars(QWidget* parent = nullptr);

    /// Adds the bar as the last page and returns its index, or -1 for a null bar.
    int addToolBar(OVActionsToolBar* toolBar);
    /// The bar at index, or nullptr when the index is out of range.
    OVActionsToolBar* toolBar(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};
