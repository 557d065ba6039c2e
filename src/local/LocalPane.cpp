#include "LocalPane.h"

#include "ToolButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

LocalPane::LocalPane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("local_pane"));
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    m_localadd = new QComboBox(this);
    m_localadd->setObjectName(QStringLiteral("localadd"));
    m_refresh =
        makeToolButton(this, "refresh_local", QStringLiteral("Refresh"), QStyle::SP_BrowserReload);
    m_goUp = makeToolButton(this, "go_up", QStringLiteral("One Level Up"),
                            QStyle::SP_FileDialogToParent);
    bar->addWidget(m_localadd, 1);
    bar->addWidget(m_refresh);
    bar->addWidget(m_goUp);
    m_currDir = new QLabel(this);
    m_currDir->setObjectName(QStringLiteral("curr_dir"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("localListView"));
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size(KB)"),
                             QStringLiteral("Type"), QStringLiteral("Modified")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addLayout(bar);
    layout->addWidget(m_currDir);
    layout->addWidget(m_list);
}

bool LocalPane::listHasFocus() const {
    return m_list->hasFocus();
}

void LocalPane::setListBackground(int winColour) {
    paintBase(m_list, winColour);
    paintBase(m_localadd, winColour);
}
