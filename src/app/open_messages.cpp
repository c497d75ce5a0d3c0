#include "app/open_messages.h"

#include <QDir>
#include <QMessageBox>
#include <QStringList>

#include <cerrno>

#include "analysis/file_health.h"
#include "recordfile/record_file.h"
#include "viewer/viewer_core.h"
#include "widgets/message_box.h"

namespace vantrel {

QString OpenMessages::failureReason(const OpenResult& result) {
    // The system's reasons a user meets in the interface's language; glibc
    // gives them in English only here, whatever the interface.
    switch (result.systemError) {
    case ENOENT: return tr("文件不存在");
    case EACCES:
    case EPERM: return tr("没有读取它的权限");
    case EISDIR: return tr("这是一个文件夹");
    case ENOTDIR: return tr("路径中有一段不是文件夹");
    case ENAMETOOLONG: return tr("文件名太长");
    case ELOOP: return tr("路径中的符号链接太多");
    case EMFILE:
    case ENFILE: return tr("打开的文件太多");
    case EIO: return tr("读取时出现输入/输出错误");
    default: break;
    }
    switch (result.error) {
    case OpenError::NotAFile: return tr("不是普通文件");
    case OpenError::TooShort: return tr("文件比它开头 4 字节的记录数还短");
    default: return QString::fromStdString(result.reason);
    }
}

void OpenMessages::showFailure(QWidget* parent, const QString& path, const OpenResult& result) {
    tellInBox(
        parent, QStringLiteral("OpenFailedMessage"),
        tr("无法打开记录文件“%1”：%2").arg(QDir::toNativeSeparators(path), failureReason(result)));
}

QString OpenMessages::noticeText(const QString& name, const FileHealth& health) {
    if (!health.needsNotice()) return {};
    if (health.unreadable())
        return tr("“%1”中没有可读的记录：文件头声明 %2 "
                  "条记录，一条也读不出。它可能不是探伤记录文件。")
            .arg(name)
            .arg(health.announced);
    QString text = tr("“%1”已损坏：文件头声明 %2 条记录，可读 %3 条")
                       .arg(name)
                       .arg(health.announced)
                       .arg(health.indexed);
    if (health.missing() > 0) text += tr("，缺 %1 条").arg(health.missing());
    if (health.damaged > 0) {
        QStringList named;
        for (const int32_t r : health.namedDamaged)
            named << QString::number(r);
        text +=
            health.damaged > static_cast<int64_t>(named.size())
                ? tr("；损坏的记录：%1 等，共 %2 条").arg(named.join(tr("、"))).arg(health.damaged)
                : tr("；损坏的记录：%1").arg(named.join(tr("、")));
    }
    return text + tr("。其余记录照常显示。");
}

void GoToMessages::showProblem(QWidget* parent, const QString& text, const GoToTarget& target) {
    const QString record = QString::fromStdString(target.record);
    QString problem;
    switch (target.kind) {
    case GoToTarget::Kind::Frame: return;
    case GoToTarget::Kind::NotAPlace:
        problem = tr("“%1”不是记录号，也不是 记录:帧。").arg(text);
        break;
    case GoToTarget::Kind::NoRecords: problem = tr("文件中没有可读的记录。"); break;
    case GoToTarget::Kind::RecordOutOfRange:
        problem = tr("记录 %1 超出范围：文件中可读的记录为 0 到 %2。")
                      .arg(record)
                      .arg(target.records - 1);
        break;
    case GoToTarget::Kind::NoShownFrame:
        problem = tr("记录 %1 没有可显示的帧。").arg(record);
        break;
    case GoToTarget::Kind::FrameOutOfRange:
        problem = tr("第 %1 帧超出范围：记录 %2 可显示的帧为 0 到 %3。")
                      .arg(QString::fromStdString(target.frame), record)
                      .arg(target.shownFrames - 1);
        break;
    }
    tellInBox(parent, QStringLiteral("GoToFailedMessage"), problem);
}

} // namespace vantrel
