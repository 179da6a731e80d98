#pragma once

#include "ovwidgets_export.h"

#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;

/// Side panel with a title bar that the user collapses to a thin strip and expands again.
///
/// While collapsed the panel's width limits are its own (the strip's), so a splitter
/// gives the rest of the space away; the limits set before collapsing come back on
/// expanding.
class OVWIDGETS_EXPORT HiddenPanel : public QWidget
{
    Q_OBJECT

public:
    explicit HiddenPanel(QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);

    /// Shows or hides the title label only; the collapse button always stays.
    void setTitleVisible(bool visible);
    bool isTitleVisible() const;

    bool isCollapsed() const;
    void setCollapsed(bool collapsed);

    /// Appends a widget below the ones added before; the panel takes ownership.
    void addWidget(QWidget* widget);

signals:
    void collapsedChanged(bool collapsed);

private:
    void updateTitleBar();

    QLabel* m_titleLabel = nullptr;
    QToolButton* m_collapseButton = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    bool m_titleVisible = true;
    bool m_collapsed = false;
    int m_expandedMinimumWidth = 0;
    int m_expandedMaximumWidth = QWIDGETSIZE_MAX;
};
