#include "SiteManagerPane.h"

#include "SiteTree.h"

#include <functional>

SiteManagerPane::SiteManagerPane(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("site_manager"));
    setHeaderLabels({QStringLiteral("Label"), QStringLiteral("Site IP"), QStringLiteral("Username"),
                     QStringLiteral("Password"), QStringLiteral("Port"),
                     QStringLiteral("Local Initial Dir"), QStringLiteral("Remote Initial Dir")});
    const int widths[] = {250, 100, 70, 100, 40, 250, 250};
    for (int i = 0; i < 7; ++i)
        setColumnWidth(i, widths[i]);
}

void SiteManagerPane::showTree(const SiteTree& sites) {
    clear();
    std::function<void(QTreeWidgetItem*, const SiteEntry&)> add = [&](QTreeWidgetItem* parent,
                                                                      const SiteEntry& e) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, e.label);
        for (int c = 0; c < e.columns.size(); ++c)
            item->setText(c + 1, c == ColPassword ? QStringLiteral("****") : e.columns[c]);
        for (const auto& child : e.children)
            add(item, *child);
    };
    for (const auto& e : sites.topLevel())
        add(nullptr, *e);
    expandAll();
}
