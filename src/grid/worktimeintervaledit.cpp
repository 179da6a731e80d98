#include "worktimeintervaledit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QToolTip>

namespace {

const char rejectedLook[] = "QLineEdit { border: 2px solid #E53935; }";

QString typingHint()
{
    return QStringLiteral("Введите время как 8:00-17:00");
}

} // namespace

WorkTimeIntervalEdit::WorkTimeIntervalEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::cursorPositionChanged, this, [this] {
        if (!m_laying)
            m_followsTyping = false;
    });
    // Only the mask's own editing emits this (setText() does not): its slots are then the text, read from the
    // display, as text() drops the zeros that are the mask's blank.
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_typed = displayText();
        m_edited = true;
        setLook(false);
    });
}

void WorkTimeIntervalEdit::setIntervalText(const QString& text)
{
    m_laying = true;
    setText(text);
    selectAll();
    m_laying = false;
    m_typed.clear();
    m_edited = false;
    m_followsTyping = true;
    setLook(false);
}

std::optional<WorkTimeIntervalText::Interval> WorkTimeIntervalEdit::interval() const
{
    return WorkTimeIntervalText::parse(m_typed);
}

void WorkTimeIntervalEdit::showRejected()
{
    setLook(true);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), typingHint(), this);
}

void WorkTimeIntervalEdit::setLook(bool rejected)
{
    if (!rejected && !toolTip().isEmpty())
        QToolTip::hideText();
    setStyleSheet(rejected ? QLatin1String(rejectedLook) : QString());
    setToolTip(rejected ? typingHint() : QString());
}

void WorkTimeIntervalEdit::keyPressEvent(QKeyEvent* event)
{
    if (!m_followsTyping) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QString shorter = m_typed;
        shorter.chop(1);
        while (shorter.endsWith(QLatin1Char(' ')))
            shorter.chop(1);
        retype(shorter);
    } else if (event->matches(QKeySequence::Paste)) {
        retype(m_typed + QGuiApplication::clipboard()->text().trimmed());
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        retype(m_typed + event->text());
    } else {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void WorkTimeIntervalEdit::retype(const QString& typed)
{
    // A key that no further typing can turn into an interval is refused, as a validator refuses it.
    const std::optional<WorkTimeIntervalText::Layout> layout = WorkTimeIntervalText::layout(typed);
    if (!layout)
        return;
    m_typed = typed;
    m_edited = true;
    setLook(false);
    m_laying = true;
    setText(layout->text);
    setCursorPosition(layout->cursor);
    m_laying = false;
}
