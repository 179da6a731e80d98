#include "notificationpopup.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>
#include <QToolButton>

NotificationPopup::NotificationPopup(Level level, const QString& text, int timeout, QWidget* parent)
    : QFrame(parent), m_level(level)
{
    setObjectName(QStringLiteral("notificationPopup"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    const QString accent = level == Critical ? QStringLiteral("#D83A3A") : QStringLiteral("#008DF3");
    setStyleSheet(QStringLiteral("#notificationPopup { background: #FFFFFF; border: 1px solid %1;"
                                 " border-left: 4px solid %1; }").arg(accent));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 8, 6, 8);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon::fromTheme(level == Critical ? QStringLiteral("dialog-error")
                                                       : QStringLiteral("dialog-information"))
                        .pixmap(24, 24));
    layout->addWidget(icon, 0, Qt::AlignTop);
    m_text = new QLabel(text, this);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(260);
    m_text->setMaximumWidth(360);
    layout->addWidget(m_text, 1);
    auto* close = new QToolButton(this);
    close->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    close->setAutoRaise(true);
    close->setToolTip(tr("Закрыть"));
    connect(close, &QToolButton::clicked, this, &NotificationPopup::dismiss);
    layout->addWidget(close, 0, Qt::AlignTop);

    m_opacity = new QGraphicsOpacityEffect(this);
    m_opacity->setOpacity(1.0);
    setGraphicsEffect(m_opacity);

    if (level == Information)
        QTimer::singleShot(timeout > 0 ? timeout : defaultTimeout, this, &NotificationPopup::fadeOut);
}

QString NotificationPopup::text() const
{
    return m_text->text();
}

void NotificationPopup::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QFrame::keyPressEvent(event);
}

void NotificationPopup::mousePressEvent(QMouseEvent* event)
{
    // A click on an information message means "seen"; a critical one needs the close button.
    if (m_level == Information)
        dismiss();
    QFrame::mousePressEvent(event);
}

void NotificationPopup::fadeOut()
{
    auto* animation = new QPropertyAnimation(m_opacity, "opacity", this);
    animation->setDuration(600);
    animation->setStartValue(1.0);
    animation->setEndValue(0.0);
    connect(animation, &QPropertyAnimation::finished, this, &NotificationPopup::dismiss);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void NotificationPopup::dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    hide();
    emit dismissed(this);
    deleteLater();
}
