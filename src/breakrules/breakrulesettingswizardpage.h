#pragma once

#include "objectinfo.h"
#include "ovwizardpage.h"

#include <QDate>

class OVDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

/// First page of the break-rule wizard: the date the new rules apply from and their table of
/// shift ranges and breaks; a row that cannot be saved is painted light red and keeps Next disabled.
class BreakRuleSettingsWizardPage : public OVWizardPage
{
    Q_OBJECT

public:
    enum Column { FromColumn = 0, ToColumn = 1, BreakColumn = 2 };

    explicit BreakRuleSettingsWizardPage(QWidget* parent = nullptr);

    QDate dateStart() const;
    /// New rule objects of the rows that describe a shift range (from and to above zero), in order.
    QList<orvanta::ObjectInfo> breakRules() const;
    bool isComplete() const override;
    void setRowBgColor(int row, const QColor& color);
    QTableWidget* ruleView() const { return m_ruleView; }

public slots:
    void addRow();
    void delRow();
    void cellChanged(int row, int column);

private:
    int cellSeconds(int row, int column) const;
    QString rowProblem(int row) const;

    OVDateEdit* m_dateEdit = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_delButton = nullptr;
    QTableWidget* m_ruleView = nullptr;
    QLabel* m_messageLabel = nullptr;
    QMetaObject::Connection m_cellConnection;
};
