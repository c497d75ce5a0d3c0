// A recording dropped anywhere on a window opens: an event filter on the
// window that accepts a drag of one record file and hands its path on once
// the drop has been answered, so the program the file came from is not kept
// waiting while a large recording is read. An ignored drag shows the "no
// drop" cursor.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace vantrel {

class RecordingDrop : public QObject {
public:
    // Installs itself on `window` (which then accepts drops); `open` gets
    // the path of each recording dropped.
    RecordingDrop(QWidget* window, std::function<void(const QString&)> open);

    // The file a drag brings when it is one record file (*.DAT in any letter
    // case); nullopt for anything else (other files, several, a folder).
    static std::optional<QString> droppedRecording(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> open_;
};

} // namespace vantrel
