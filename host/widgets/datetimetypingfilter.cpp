#include "datetimetypingfilter.h"

#include <QDateTimeEdit>
#include <QKeyEvent>

DateTimeTypingFilter::DateTimeTypingFilter(QDateTimeEdit* edit)
    : QObject(edit)
    , m_edit(edit)
{
    edit->installEventFilter(this);
}

bool DateTimeTypingFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return false;
    const QString text = static_cast<QKeyEvent*>(event)->text();
    const QChar typed = text.size() == 1 ? text.at(0) : QChar();
    const bool separator = typed == QLatin1Char('.') || typed == QLatin1Char(':') || typed == QLatin1Char(',')
        || typed == QLatin1Char('/') || typed == QLatin1Char('-');
    const bool advancedByItself = m_lastKeyWasDigit && m_edit->currentSectionIndex() != m_sectionBeforeDigit;

    m_lastKeyWasDigit = typed.isDigit();
    m_sectionBeforeDigit = m_edit->currentSectionIndex();
    return separator && advancedByItself;
}
