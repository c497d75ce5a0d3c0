#include "app/recording_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace vantrel {

RecordingDrop::RecordingDrop(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

std::optional<QString> RecordingDrop::droppedRecording(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return std::nullopt;
    const QFileInfo file(urls.first().toLocalFile());
    // Record files are *.DAT in any letter case, as in the open dialog.
    if (!file.isFile() || file.suffix().compare(QStringLiteral("dat"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return file.filePath();
}

bool RecordingDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedRecording(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> path = droppedRecording(drop->mimeData());
        if (!path) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        QMetaObject::invokeMethod(
            this, [this, file = *path] { open_(file); }, Qt::QueuedConnection);
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}

} // namespace vantrel
