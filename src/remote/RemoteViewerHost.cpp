#include "RemoteViewerHost.h"

#include "ElidePath.h"
#include "PlainMessage.h"
#include "TextEditor.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

QString RemoteViewerHost::OpenInEditor(const QString& path) {
    return TextEditor::open(path);
}

QString RemoteViewerHost::OpenWithDefault(const QString& path) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return {};
    return QStringLiteral("No program could be started to open \"%1\".").arg(path);
}

void RemoteViewerHost::AskSaveFile(const QString& remotePath, std::function<void(bool)> answer) {
    auto* box = PlainMessage::make(QMessageBox::Question, QStringLiteral("1Quillon"),
                                   QStringLiteral("Save File?"), QMessageBox::Yes | QMessageBox::No,
                                   m_window);
    box->setObjectName(QStringLiteral("save_file"));
    // A path is shortened from the front, never broken inside a name.
    const QFontMetrics metrics(box->font());
    box->setInformativeText(ElidePath(
        remotePath, [&metrics](const QString& t) { return metrics.horizontalAdvance(t) <= 480; }));
    box->setToolTip(remotePath);
    box->setWindowModality(Qt::ApplicationModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, answer](int) {
        answer(box->clickedButton() == box->button(QMessageBox::Yes));
    });
    box->open();
}

void RemoteViewerHost::ShowMessage(const QString& text) {
    auto* box = PlainMessage::make(QMessageBox::Information, QStringLiteral("1Quillon"), text,
                                   QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
