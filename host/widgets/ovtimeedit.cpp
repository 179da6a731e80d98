#include "ovtimeedit.h"

#include "datetimetypingfilter.h"

#include <QFocusEvent>
#include <QTimer>

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
    // A click leaves only a cursor, and digits typed at a cursor in front of "01" make no time:
    // select the clicked section once the press has placed the cursor, so typing replaces it.
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] { setSelectedSection(currentSection()); });
}
