#include "ovtimeedit.h"

#include "datetimetypingfilter.h"

#include <QFocusEvent>

OVTimeEdit::OVTimeEdit(QWidget* parent)
    : QTimeEdit(parent)
{
    setUp();
}

OVTimeEdit::OVTimeEdit(const QTime& time, QWidget* parent)
    : QTimeEdit(time, parent)
{
    setUp();
}

void OVTimeEdit::setUp()
{
    new DateTimeTypingFilter(this);
    setDisplayFormat(QStringLiteral("HH:mm"));
}

void OVTimeEdit::focusInEvent(QFocusEvent* event)
{
    QTimeEdit::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        setSelectedSection(event->reason() == Qt::TabFocusReason ? HourSection : MinuteSection);
}
