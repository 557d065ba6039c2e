// "Folder Selection": the site tree as the site file holds it, read afresh at each
// opening; OK picks a folder (mode "site") or a site (mode "bookmark").
#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class Tfolder_sel_form : public QDialog {
    Q_OBJECT
public:
    Tfolder_sel_form(QString siteFile, QWidget* parent = nullptr);

    // "site" or "bookmark".
    void setMode(const QString& mode) { m_mode = mode; }
    QString mode() const { return m_mode; }
    // The absolute index of the entry clicked last.
    int chosenIndex() const { return m_chosen; }

    int exec() override;

private:
    void load();
    void clicked(QTreeWidgetItem* item);

    QString m_siteFile;
    QString m_mode = QStringLiteral("site");
    int m_chosen = -1;
    QTreeWidget* m_tree = nullptr;
    QPushButton *m_ok = nullptr, *m_cancel = nullptr;
};
