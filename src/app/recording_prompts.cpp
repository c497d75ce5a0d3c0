#include "app/recording_prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include "app/inspection_choice_dialog.h"
#include "inspection/open_recording.h"
#include "widgets/message_box.h"

namespace vantrel {

namespace {

class RecordingPrompts {
    Q_DECLARE_TR_FUNCTIONS(RecordingPrompts)
public:
    // The box's object name and text.
    static std::pair<QString, QString> notice(const RecordingNotice& n) {
        using Kind = RecordingNotice::Kind;
        switch (n.kind) {
        case Kind::FileUnread:
            return {QStringLiteral("InspectionFileMessage"),
                    tr("评定文件未能读入，文件保持原样：\n%1").arg(n.detail)};
        case Kind::ConflictOpen:
            return {
                QStringLiteral("InspectionConflictOpenMessage"),
                tr("评定未保存：“%1”已被另一窗口或程序修改，冲突尚未解决；下次保存时将再次询问。")
                    .arg(QDir::toNativeSeparators(n.path))};
        case Kind::KeptElsewhere:
            return {QStringLiteral("InspectionKeptElsewhereMessage"),
                    tr("评定无法保存在记录旁（%1），已保存到“%2”。")
                        .arg(n.detail, QDir::toNativeSeparators(n.path))};
        case Kind::SaveFailed: break;
        }
        return {QStringLiteral("InspectionSaveFailedMessage"),
                tr("评定无法保存：%1").arg(n.detail)};
    }
};

} // namespace

void installRecordingPrompts(OpenRecording& recording, std::function<QWidget*()> parent) {
    recording.chooseInspection =
        [parent](const InspectionQuestion& question) -> std::optional<InspectionChoice> {
        InspectionChoiceDialog dialog(question, parent());
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.choice();
    };
    recording.tell = [parent](const RecordingNotice& notice) {
        const auto [name, text] = RecordingPrompts::notice(notice);
        tellInBox(parent(), name, text);
    };
}

void clearRecordingPrompts(OpenRecording& recording) {
    recording.chooseInspection = nullptr;
    recording.tell = nullptr;
}

} // namespace vantrel
