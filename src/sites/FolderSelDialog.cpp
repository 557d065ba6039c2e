#include "FolderSelDialog.h"

#include "PlainMessage.h"
#include "SiteIcons.h"
#include "SiteTree.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace {
constexpr int kIndexRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;
} // namespace

Tfolder_sel_form::Tfolder_sel_form(QString siteFile, QWidget* parent)
    : QDialog(parent), m_siteFile(std::move(siteFile)) {
    setObjectName(QStringLiteral("Tfolder_sel_form"));
    setWindowTitle(QStringLiteral("Folder Selection"));
    auto* layout = new QVBoxLayout(this);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("folder_sel_tree"));
    m_tree->setHeaderHidden(true);
    layout->addWidget(m_tree);
    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("bOk"));
    m_ok->setEnabled(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("bCancel"));
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_tree, &QTreeWidget::itemClicked, this, &Tfolder_sel_form::clicked);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int Tfolder_sel_form::exec() {
    load();
    return QDialog::exec();
}

void Tfolder_sel_form::load() {
    m_tree->clear();
    SiteTree sites(m_siteFile);
    QString error;
    if (!sites.read(&error)) {
        PlainMessage::warning(this, QStringLiteral("1Quillon"),
                              QStringLiteral("The site file could not be read: %1").arg(error));
    }
    int index = 0;
    std::function<void(QTreeWidgetItem*, const SiteEntry&)> add = [&](QTreeWidgetItem* parent,
                                                                      const SiteEntry& e) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, e.label);
        item->setIcon(0, SiteIcons::forKind(e.kind));
        item->setData(0, kIndexRole, index++);
        item->setData(0, kKindRole, int(e.kind));
        for (const auto& child : e.children)
            add(item, *child);
    };
    for (const auto& e : sites.topLevel())
        add(nullptr, *e);
    m_tree->expandAll();
}

void Tfolder_sel_form::clicked(QTreeWidgetItem* item) {
    if (!item) return;
    m_chosen = item->data(0, kIndexRole).toInt();
    const auto kind = SiteKind(item->data(0, kKindRole).toInt());
    m_ok->setEnabled((m_mode == QLatin1String("site") && kind == SiteKind::Folder) ||
                     (m_mode == QLatin1String("bookmark") && kind == SiteKind::Site));
}
