#include "ovdateedit.h"

#include "datetimetypingfilter.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

OVDateEdit::OVDateEdit(QWidget* parent)
    : QDateEdit(parent)
{
    setUp();
}

OVDateEdit::OVDateEdit(const QDate& date, QWidget* parent)
    : QDateEdit(date, parent)
{
    setUp();
}

void OVDateEdit::setUp()
{
    new DateTimeTypingFilter(this);
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    // Monday first, as on every Russian calendar, whatever the system locale says.
    calendarWidget()->setFirstDayOfWeek(Qt::Monday);
}

void OVDateEdit::showCalendarPopup()
{
    if (!isEnabled() || isReadOnly())
        return;
    // QDateTimeEdit opens its pop-up only from a press on the arrow; there is no public call.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = true;
    option.subControls = QStyle::SC_All;
    const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    const QPoint center = arrow.isValid() ? arrow.center() : QPoint(width() - 4, height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, center, mapToGlobal(center), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(this, &press);
}

void OVDateEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool opensPopup = (event->key() == Qt::Key_F4 && modifiers == Qt::NoModifier)
        || (event->key() == Qt::Key_Down && modifiers == Qt::AltModifier);
    if (opensPopup) {
        showCalendarPopup();
        event->accept();
        return;
    }
    QDateEdit::keyPressEvent(event);
}

void OVDateEdit::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    // Tabbing in starts typing at the day, whichever section was edited last.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        setSelectedSection(event->reason() == Qt::TabFocusReason ? DaySection : YearSection);
    // A click leaves only a cursor, where typed digits make no date: select the clicked section.
    if (event->reason() == Qt::MouseFocusReason)
        QTimer::singleShot(0, this, [this] { setSelectedSection(currentSection()); });
}
