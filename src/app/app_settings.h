// The program's settings: one QSettings store for every window (on Linux
// ~/.config/Vantrel/Vantrel.conf). Tests point QSettings::setPath at a
// folder of their own.
#pragma once

#include <QSettings>
#include <QStringList>

namespace vantrel {

inline QSettings appSettings() {
    return QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"));
}

// The recordings opened last, newest first, at most kRecentFiles of them.
inline constexpr int kRecentFiles = 8;
QStringList recentFiles();
// `path` (made absolute) put first in the list, once, and the list saved.
QStringList rememberRecentFile(const QString& path);
// `path` taken out of the list, and the list saved.
QStringList forgetRecentFile(const QString& path);

} // namespace vantrel
