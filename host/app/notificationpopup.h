#pragma once

#include <QFrame>

class QGraphicsOpacityEffect;
class QLabel;
class QTimer;

/// A non-blocking notification in the corner of the main window. Information fades
/// away by itself; a critical message stays until the user closes it.
class NotificationPopup : public QFrame
{
    Q_OBJECT
public:
    enum Level { Information, Critical };

    NotificationPopup(Level level, const QString& text, int timeout, QWidget* parent);

    Level level() const { return m_level; }
    QString text() const;
    /// How long an information stays before it fades, when the caller gives 0.
    static constexpr int defaultTimeout = 5000;

signals:
    void dismissed(NotificationPopup* popup);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void fadeOut();
    void dismiss();

    Level m_level;
    QLabel* m_text = nullptr;
    QGraphicsOpacityEffect* m_opacity = nullptr;
    bool m_dismissed = false;
};
