#include "hiddenpanel.h"

#include "widgetslogging.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

HiddenPanel::HiddenPanel(QWidget* parent)
    : QWidget(parent)
    , m_titleLabel(new QLabel(this))
    , m_collapseButton(new QToolButton(this))
    , m_content(new QWidget(this))
    , m_contentLayout(new QVBoxLayout(m_content))
{
    QFont titleFont = m_titleLabel->font();
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_collapseButton->setAutoRaise(true);
    m_collapseButton->setIconSize(QSize(16, 16));
    connect(m_collapseButton, &QToolButton::clicked, this, [this] { setCollapsed(!m_collapsed); });

    auto* titleLayout = new QHBoxLayout;
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->addWidget(m_titleLabel, 1);
    titleLayout->addWidget(m_collapseButton, 0, Qt::AlignRight | Qt::AlignTop);

    m_contentLayout->setContentsMargins(0, 0, 0, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(titleLayout);
    layout->addWidget(m_content, 1);
    // Takes the height while the content is hidden, so the button stays on top.
    layout->addStretch(0);

    updateTitleBar();
}

QString HiddenPanel::title() const
{
    return m_titleLabel->text();
}

void HiddenPanel::setTitle(const QString& title)
{
    m_titleLabel->setText(title);
}

void HiddenPanel::setTitleVisible(bool visible)
{
    m_titleVisible = visible;
    updateTitleBar();
}

bool HiddenPanel::isTitleVisible() const
{
    return m_titleVisible;
}

bool HiddenPanel::isCollapsed() const
{
    return m_collapsed;
}

void HiddenPanel::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;

    if (collapsed) {
        m_expandedMinimumWidth = minimumWidth();
        m_expandedMaximumWidth = maximumWidth();
        m_content->hide();
        updateTitleBar();
        const QMargins margins = layout()->contentsMargins();
        const int stripWidth = m_collapseButton->sizeHint().width() + margins.left() + margins.right();
        setMinimumWidth(qMin(m_expandedMinimumWidth, stripWidth));
        setMaximumWidth(stripWidth);
    } else {
        setMaximumWidth(m_expandedMaximumWidth);
        setMinimumWidth(m_expandedMinimumWidth);
        m_content->show();
        updateTitleBar();
    }
    updateGeometry();
    emit collapsedChanged(collapsed);
}

void HiddenPanel::addWidget(QWidget* widget)
{
    if (!widget) {
        qCWarning(lcWidgets) << Q_FUNC_INFO << "null widget";
        return;
    }
    m_contentLayout->addWidget(widget);
}

void HiddenPanel::updateTitleBar()
{
    // A strip is too thin for the title, so collapsing hides it whatever the setting.
    m_titleLabel->setVisible(m_titleVisible && !m_collapsed);
    m_collapseButton->setIcon(QIcon::fromTheme(m_collapsed ? QStringLiteral("panel-expand")
                                                           : QStringLiteral("panel-collapse")));
    m_collapseButton->setToolTip(m_collapsed ? tr("Развернуть панель") : tr("Свернуть панель"));
    // Without the theme the button still needs something to show.
    if (m_collapseButton->icon().isNull())
        m_collapseButton->setArrowType(m_collapsed ? Qt::LeftArrow : Qt::RightArrow);
    else
        m_collapseButton->setArrowType(Qt::NoArrow);
}
