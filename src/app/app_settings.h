// The program's settings: one QSettings store for every window (on Linux
// ~/.config/Vantrel/Vantrel.conf). Tests point QSettings::setPath at a
// folder of their own.
#pragma once

#include <QSettings>
#include <QStringList>

#include "analysis/echo_overview.h"

namespace vantrel {

inline QSettings appSettings() {
    return QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel"));
}

// The echo-dynamics settings (thresholds, merge gap, position kind) of the
// last session; values out of the window's ranges (an edited file) are left
// at their defaults.
OverviewSettings rememberedOverviewSettings();
void rememberOverviewSettings(const OverviewSettings& settings);

// The recordings opened last, newest first, at most kRecentFiles of them.
inline constexpr int kRecentFiles = 8;
QStringList recentFiles();
// `path` (made absolute) put first in the list, once, and the list saved.
QStringList rememberRecentFile(const QString& path);
// `path` taken out of the list, and the list saved.
QStringList forgetRecentFile(const QString& path);
// The menu's entry for each of `files`, in order: "&1 name", the file's name
// with its folder where two of the list share a name (the instrument names
// files by date, and sticks repeat them), an & in a name doubled.
QStringList recentFileEntries(const QStringList& files);

} // namespace vantrel
