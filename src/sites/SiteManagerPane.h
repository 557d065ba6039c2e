// The "Site Manager" page: the site tree with its seven columns; passwords are masked.
#pragma once

#include <QTreeWidget>

class SiteTree;

class SiteManagerPane : public QTreeWidget {
    Q_OBJECT
public:
    explicit SiteManagerPane(QWidget* parent = nullptr);

    // Shows the tree as it is now, every folder unfolded.
    void showTree(const SiteTree& sites);
};
