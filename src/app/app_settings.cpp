#include "app_settings.h"

#include <QFileInfo>

namespace vantrel {

namespace {

const QString kRecentKey = QStringLiteral("RecentFiles");

QStringList saved(QStringList list) {
    while (list.size() > kRecentFiles)
        list.removeLast();
    appSettings().setValue(kRecentKey, list);
    return list;
}

} // namespace

QStringList recentFiles() {
    QStringList list = appSettings().value(kRecentKey).toStringList();
    list.removeAll(QString());
    list.removeDuplicates();
    return list.mid(0, kRecentFiles);
}

QStringList rememberRecentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList list = recentFiles();
    list.removeAll(absolute);
    list.prepend(absolute);
    return saved(list);
}

QStringList forgetRecentFile(const QString& path) {
    QStringList list = recentFiles();
    list.removeAll(QFileInfo(path).absoluteFilePath());
    return saved(list);
}

} // namespace vantrel
