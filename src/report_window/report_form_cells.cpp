// The report window's blank cells: the job's, kept with the recording, and
// a flaw's, which belong to the place the page shows (see report_form.h).
#include "report_window/report_form.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>

namespace vantrel {

void TReportForm::userFieldChanged(const PageField& f) {
    refitField(f);
    if (settingUserTexts_) return;
    const auto cell = std::find_if(reportUserCells().begin(), reportUserCells().end(),
                                   [&](const UserCell& c) { return c.field == f.name; });
    if (cell == reportUserCells().end() || !isFlawCell(cell->caption)) {
        if (userTextsEdited) {
            std::map<std::string, std::string> job = userTexts();
            std::erase_if(job, [](const auto& c) { return isFlawCell(c.first); });
            userTextsEdited(job);
        }
        return;
    }
    // Typed here: it belongs to the place shown now.
    flawTypedFor_[cell->caption] = flawPlace_;
    markFlawCells();
    if (!flawTextsEdited) return;
    std::map<std::string, std::string> here;
    for (const auto& [caption, text] : userTexts())
        if (isFlawCell(caption) && flawTypedFor_[caption] == flawPlace_) here[caption] = text;
    flawTextsEdited(here);
}

QString TReportForm::flawCellPlace(const std::string& caption) const {
    const auto it = flawTypedFor_.find(caption);
    return it == flawTypedFor_.end() ? QString() : it->second;
}

void TReportForm::showFlawCells() {
    if (!flawCellsSource) return;
    const FlawCells here = flawCellsSource();
    flawPlace_ = here.label;
    settingUserTexts_ = true;
    for (const UserCell& c : reportUserCells()) {
        const auto it = here.kept.find(c.caption);
        if (!isFlawCell(c.caption) || it == here.kept.end()) continue;
        QWidget* w = field(QString::fromLatin1(c.field));
        const QString text = QString::fromStdString(it->second);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) e->setPlainText(text);
        flawTypedFor_[c.caption] = flawPlace_;
    }
    settingUserTexts_ = false;
    markFlawCells();
}

void TReportForm::markFlawCells() {
    // A text typed for another place: tinted, and named in the status line.
    QStringList elsewhere;
    for (const UserCell& c : reportUserCells()) {
        if (!isFlawCell(c.caption)) continue;
        QWidget* w = field(QString::fromLatin1(c.field));
        const QString typedFor = flawCellPlace(c.caption);
        const bool other = !fieldText(QString::fromLatin1(c.field)).isEmpty() &&
                           !typedFor.isEmpty() && typedFor != flawPlace_;
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, other ? QColor(255, 236, 179) : QColor(Qt::white));
        w->setPalette(pal);
        w->setToolTip(other ? tr("为%1填写").arg(typedFor) : QString());
        if (other)
            elsewhere << tr("“%1”为%2填写")
                             .arg(QCoreApplication::translate("ReportPage", c.caption), typedFor);
    }
    if (!elsewhere.isEmpty())
        status_->setText(tr("%1，不是本页的%2。").arg(elsewhere.join(tr("；")), flawPlace_));
}

std::map<std::string, std::string> TReportForm::userTexts() const {
    std::map<std::string, std::string> texts;
    for (const UserCell& c : reportUserCells()) {
        const QString text = fieldText(QString::fromLatin1(c.field));
        if (!text.isEmpty()) texts[c.caption] = text.toStdString();
    }
    return texts;
}

void TReportForm::setUserTexts(const std::map<std::string, std::string>& texts) {
    settingUserTexts_ = true;
    for (const UserCell& c : reportUserCells()) {
        const auto it = texts.find(c.caption);
        if (it == texts.end()) continue;
        QWidget* w = field(QString::fromLatin1(c.field));
        const QString text = QString::fromStdString(it->second);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setText(text);
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) e->setPlainText(text);
    }
    settingUserTexts_ = false;
}

} // namespace vantrel
