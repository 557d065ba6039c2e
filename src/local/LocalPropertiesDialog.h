// "Properties" of a local file or folder: name, path, type, size, modified time and
// permissions.
#pragma once

#include <QDialog>

class LocalPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit LocalPropertiesDialog(const QString& path, QWidget* parent = nullptr);

    // "rwxr-xr-x" for the permission bits.
    static QString PermissionText(const QString& path);
};
