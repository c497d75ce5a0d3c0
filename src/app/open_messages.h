// What the main window says about a recording it opens: why an open failed
// (in the interface's language, the system's reasons too) and the notice on
// a file that opened damaged; and why 查看 › 转到 cannot go where it was
// asked. The window decides when.
#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace vantrel {

struct FileHealth;
struct GoToTarget;
struct OpenResult;

class OpenMessages {
    Q_DECLARE_TR_FUNCTIONS(OpenMessages)
public:
    // Why an open failed, in the interface's language.
    static QString failureReason(const OpenResult& result);
    // Shows, window-modal over `parent` and without waiting, that `path`
    // could not be opened and why (the box OpenFailedMessage, deleted when
    // closed).
    static void showFailure(QWidget* parent, const QString& path, const OpenResult& result);
    // The notice after opening file `name`, or empty when the file holds
    // every record it promises, intact.
    static QString noticeText(const QString& name, const FileHealth& health);
};

class GoToMessages {
    Q_DECLARE_TR_FUNCTIONS(GoToMessages)
public:
    // Why `text` names no frame to go to (`target` says why), shown as
    // OpenMessages::showFailure shows its box (GoToFailedMessage).
    static void showProblem(QWidget* parent, const QString& text, const GoToTarget& target);
};

} // namespace vantrel
