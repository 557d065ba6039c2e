#include "AboutBox.h"

#include "DialogFit.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About 1Quillon"));
    fitDialog(this);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(
        QStringLiteral("<h2>1Quillon</h2>Version %1").arg(QStringLiteral(QUILLON_VERSION)), this);
    auto* links = new QLabel(
        QStringLiteral(
            "<a href=\"mailto:support@1quillon.example\">support@1quillon.example</a><br>"
            "<a href=\"https://1quillon.example/\">https://1quillon.example/</a>"),
        this);
    links->setOpenExternalLinks(true);
    layout->addWidget(name);
    layout->addWidget(links);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
