// A path shortened for a label: leading folders give way to "..." one by one until fits()
// accepts the text; the last component always stays.
#pragma once

#include <QString>

#include <functional>

QString ElidePath(const QString& path, const std::function<bool(const QString&)>& fits);
