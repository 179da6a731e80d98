#include "searchwidget.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

SearchWidget::SearchWidget(QWidget* parent)
    : QWidget(parent)
    , m_lineEdit(new QLineEdit(this))
    , m_advancedButton(new QToolButton(this))
    , m_searchTimer(new QTimer(this))
{
    m_lineEdit->setClearButtonEnabled(true);
    m_lineEdit->addAction(QIcon::fromTheme(QStringLiteral("common-search")), QLineEdit::LeadingPosition);
    m_lineEdit->installEventFilter(this);

    m_advancedButton->setIcon(QIcon::fromTheme(QStringLiteral("common-filter")));
    m_advancedButton->setToolTip(tr("Расширенный поиск"));
    m_advancedButton->setAutoRaise(true);
    m_advancedButton->setFocusPolicy(Qt::TabFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_lineEdit, 1);
    layout->addWidget(m_advancedButton);

    setFocusProxy(m_lineEdit);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    // Restarted on every change, so a burst of typing asks for one search only.
    m_searchTimer->setSingleShot(true);
    m_searchTimer->setInterval(SearchDelayMs);
    connect(m_searchTimer, &QTimer::timeout, this, &SearchWidget::emitSearchNow);
    connect(m_lineEdit, &QLineEdit::textChanged, m_searchTimer, qOverload<>(&QTimer::start));
    connect(m_advancedButton, &QToolButton::clicked, this, &SearchWidget::advancedClicked);
}

QString SearchWidget::text() const
{
    return m_lineEdit->text();
}

void SearchWidget::setText(const QString& text)
{
    m_lineEdit->setText(text);
}

void SearchWidget::setPlaceholderText(const QString& text)
{
    m_lineEdit->setPlaceholderText(text);
}

void SearchWidget::setAdvancedButtonVisible(bool visible)
{
    m_advancedButton->setVisible(visible);
}

bool SearchWidget::isAdvancedButtonVisible() const
{
    // isHidden, not isVisible: the answer must not depend on the window being shown.
    return !m_advancedButton->isHidden();
}

QLineEdit* SearchWidget::lineEdit() const
{
    return m_lineEdit;
}

bool SearchWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_lineEdit)
        return QWidget::eventFilter(watched, event);

    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = keyEvent->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;

    switch (keyEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // QLineEdit passes Return on, and a dialog would take it for its default button.
        if (type == QEvent::KeyPress)
            emitSearchNow();
        event->accept();
        return true;
    case Qt::Key_Escape:
        // An empty field lets Escape through, so it still closes the dialog around us.
        if (m_lineEdit->text().isEmpty())
            return false;
        // Accepting the override keeps a window's Escape shortcut from taking the key.
        if (type == QEvent::KeyPress) {
            m_lineEdit->clear();
            emitSearchNow();
        }
        event->accept();
        return true;
    default:
        return false;
    }
}

void SearchWidget::emitSearchNow()
{
    m_searchTimer->stop();
    emit startSearch(m_lineEdit->text());
}
