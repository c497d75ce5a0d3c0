#include "app/app_settings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vantrel {

namespace {

const QString kRecentKey = QStringLiteral("RecentFiles");
const QString kPositionKey = QStringLiteral("EchoDynamics/position");
const QString kPercentKey = QStringLiteral("EchoDynamics/percentThreshold");
const QString kDbKey = QStringLiteral("EchoDynamics/dbThreshold");
const QString kGapKey = QStringLiteral("EchoDynamics/gap");
const QString kSplitKey = QStringLiteral("EchoDynamics/splitMicrometres");

// A remembered whole number within low .. high, or nullopt.
std::optional<int64_t> storedNumber(const QSettings& s, const QString& key, int64_t low,
                                    int64_t high) {
    bool ok = false;
    const qlonglong v = s.value(key).toLongLong(&ok);
    if (!ok || v < low || v > high) return std::nullopt;
    return v;
}

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

QStringList recentFileEntries(const QStringList& files) {
    QStringList entries;
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo info(files.at(i));
        QString name = info.fileName();
        const bool shared = std::count_if(files.begin(), files.end(), [&](const QString& other) {
                                return QFileInfo(other).fileName() == info.fileName();
                            }) > 1;
        if (shared)
            name += QStringLiteral(" (%1)").arg(QDir::toNativeSeparators(info.absolutePath()));
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        entries.push_back(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
    }
    return entries;
}

OverviewSettings rememberedOverviewSettings() {
    const QSettings s = appSettings();
    OverviewSettings o;
    if (const auto v = storedNumber(s, kPositionKey, 0, 2))
        o.position = static_cast<OverviewPosition>(*v);
    o.percentThreshold = storedNumber(s, kPercentKey, 0, 2000); // none: the gate level
    if (const auto v = storedNumber(s, kDbKey, -600, 600)) o.dbThreshold = *v;
    if (const auto v = storedNumber(s, kGapKey, 0, 1000000)) o.gap = *v;
    if (const auto v = storedNumber(s, kSplitKey, 0, 1000000)) o.splitMicrometres = *v;
    return o;
}

void rememberOverviewSettings(const OverviewSettings& o) {
    QSettings s = appSettings();
    s.setValue(kPositionKey, static_cast<int>(o.position));
    if (o.percentThreshold)
        s.setValue(kPercentKey, static_cast<qlonglong>(*o.percentThreshold));
    else
        s.remove(kPercentKey);
    s.setValue(kDbKey, static_cast<qlonglong>(o.dbThreshold));
    s.setValue(kGapKey, static_cast<qlonglong>(o.gap));
    s.setValue(kSplitKey, static_cast<qlonglong>(o.splitMicrometres));
}

} // namespace vantrel
