#include "LocalPropertiesDialog.h"

#include "LocalBrowse.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

LocalPropertiesDialog::LocalPropertiesDialog(const QString& path, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("local_properties"));
    const QString bare = Local_Browse::StripTrailingSlash(path);
    const QFileInfo info(bare);
    setWindowTitle(QStringLiteral("Properties of %1").arg(Local_Browse::NamePart(bare)));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto add = [&](const char* name, const QString& caption, const QString& value) {
        auto* label = new QLabel(value, this);
        label->setObjectName(QLatin1String(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption, label);
    };
    QString type, icon;
    if (info.isDir())
        type = Local_Browse::kFolderType;
    else
        Local_Browse::TypeOf(info.fileName(), &type, &icon);
    add("property_name", QStringLiteral("Name:"),
        bare == QLatin1String("/") ? bare : Local_Browse::NamePart(bare));
    add("property_path", QStringLiteral("Location:"), Local_Browse::ParentFolder(bare));
    add("property_type", QStringLiteral("Type:"), type);
    if (!info.isDir()) {
        add("property_size", QStringLiteral("Size:"),
            QStringLiteral("%1 (%2 bytes)")
                .arg(QLocale::system().formattedDataSize(info.size()),
                     QLocale::system().toString(info.size())));
    }
    add("property_modified", QStringLiteral("Modified:"),
        Local_Browse::ModifiedText(info.lastModified()));
    add("property_permissions", QStringLiteral("Permissions:"), PermissionText(bare));
    add("property_owner", QStringLiteral("Owner:"), info.owner() + u':' + info.group());
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString LocalPropertiesDialog::PermissionText(const QString& path) {
    const QFileDevice::Permissions p = QFileInfo(path).permissions();
    const std::pair<QFileDevice::Permission, char> bits[] = {
        {QFileDevice::ReadOwner, 'r'},  {QFileDevice::WriteOwner, 'w'},
        {QFileDevice::ExeOwner, 'x'},   {QFileDevice::ReadGroup, 'r'},
        {QFileDevice::WriteGroup, 'w'}, {QFileDevice::ExeGroup, 'x'},
        {QFileDevice::ReadOther, 'r'},  {QFileDevice::WriteOther, 'w'},
        {QFileDevice::ExeOther, 'x'}};
    QString text;
    for (const auto& [bit, c] : bits)
        text += p.testFlag(bit) ? QLatin1Char(c) : QLatin1Char('-');
    return text;
}
