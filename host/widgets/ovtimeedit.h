#pragma once

#include "ovwidgets_export.h"

#include <QTimeEdit>

/// Time field "HH:mm" for times of day and durations under a day.
class OVWIDGETS_EXPORT OVTimeEdit : public QTimeEdit
{
    Q_OBJECT

public:
    explicit OVTimeEdit(QWidget* parent = nullptr);
    explicit OVTimeEdit(const QTime& time, QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void setUp();
};
