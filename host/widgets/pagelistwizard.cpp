#include "pagelistwizard.h"

#include <QListWidget>

PageListWizard::PageListWizard(QWidget* parent) : QWizard(parent), m_pageList(new QListWidget(this))
{
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnLastPage);
    setButtonText(QWizard::BackButton, tr("< Назад"));
    setButtonText(QWizard::NextButton, tr("Далее >"));
    setButtonText(QWizard::FinishButton, tr("Готово"));
    setButtonText(QWizard::CancelButton, tr("Отмена"));

    m_pageList->setObjectName(QStringLiteral("pageList"));
    // The list only shows where the user is; moving between pages stays with the buttons.
    m_pageList->setSelectionMode(QAbstractItemView::NoSelection);
    m_pageList->setFocusPolicy(Qt::NoFocus);
    m_pageList->setFixedWidth(160);
    m_pageList->hide();
    setSideWidget(m_pageList);

    connect(this, &QWizard::currentIdChanged, this, &PageListWizard::updatePageList);
    connect(this, &QWizard::pageAdded, this, &PageListWizard::updatePageList);
    connect(this, &QWizard::pageRemoved, this, &PageListWizard::updatePageList);
}

void PageListWizard::setPageListVisible(bool visible)
{
    m_pageList->setVisible(visible);
}

bool PageListWizard::isPageListVisible() const
{
    return !m_pageList->isHidden();
}

void PageListWizard::updatePageList()
{
    m_pageList->clear();
    const QList<int> ids = pageIds();
    const int current = ids.indexOf(currentId());
    for (int i = 0; i < ids.size(); ++i) {
        auto* item = new QListWidgetItem(page(ids.at(i))->title(), m_pageList);
        QFont font = item->font();
        font.setBold(i == current);
        item->setFont(font);
        if (i > current)
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
    }
}
