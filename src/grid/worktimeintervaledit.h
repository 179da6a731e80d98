#pragma once

#include "worktimeintervaltext.h"

#include <QLineEdit>

/// The in-place editor of a day's interval. It keeps the "hh:mm-hh:mm" mask on screen but reads what is typed
/// as a whole ("8-17", "9.30-18"): the mask alone puts each key in the next slot, and a one-digit hour ends up
/// as the tens of the hour.
class WorkTimeIntervalEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit WorkTimeIntervalEdit(QWidget* parent = nullptr);

    /// Shows the day's interval, all selected, so that the first key replaces it.
    void setIntervalText(const QString& text);
    /// Whether the planner changed the text since setIntervalText().
    bool isEdited() const { return m_edited; }
    QString typedText() const { return m_typed; }
    std::optional<WorkTimeIntervalText::Interval> interval() const;
    /// Marks the text as unreadable and tells how to type it; the next key clears the mark.
    void showRejected();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void retype(const QString& typed);
    void setLook(bool rejected);

    QString m_typed;
    bool m_edited = false;
    // Cleared once the planner moves the cursor: then the keys overwrite the mask's slots where it stands.
    bool m_followsTyping = true;
    bool m_laying = false;
};
