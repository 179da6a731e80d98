#pragma once

#include <QObject>

class QDateTimeEdit;

/// Lets a date or time field take "17.11.2025" or "14:15" typed straight through.
///
/// QDateTimeEdit moves to the next section by itself once a section is full, and then
/// takes the separator the user types next as one more move, skipping a section. This
/// filter drops that separator.
class DateTimeTypingFilter : public QObject
{
    Q_OBJECT

public:
    /// Installs itself on edit, which owns it.
    explicit DateTimeTypingFilter(QDateTimeEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateTimeEdit* m_edit;
    bool m_lastKeyWasDigit = false;
    int m_sectionBeforeDigit = -1;
};
