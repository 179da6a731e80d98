#pragma once

#include "ovwidgets_export.h"

#include <QWizard>

class QListWidget;

/// Wizard with the titles of its pages listed beside them: passed pages plain, the current one
/// bold, the pages ahead greyed. The buttons speak Russian.
class OVWIDGETS_EXPORT PageListWizard : public QWizard
{
    Q_OBJECT

public:
    explicit PageListWizard(QWidget* parent = nullptr);

    void setPageListVisible(bool visible);
    bool isPageListVisible() const;
    QListWidget* pageList() const { return m_pageList; }

private:
    void updatePageList();

    QListWidget* m_pageList = nullptr;
};
