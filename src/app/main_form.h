// The main window: the A-scan with its rulers and readouts, the navigation
// buttons, the seek bar, the parameter panel and the note list. The viewer's
// rules live in ViewerCore; this window forwards its events there and shows
// the resulting state (syncControls). Its controls have fixed places, so the
// window has a fixed size (frame included) and cannot be resized or maximised.
#pragma once

#include <QImage>
#include <QKeySequence>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

#include "app/interface_language.h"
#include "app/main_form_controls.h"
#include "viewer/viewer_core.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMimeData;
class QPushButton;
class QSlider;

namespace vantrel {

class NoticeBar;
class OpenRecording;
class OuterGeometry;
class SeekBar;
struct FileHealth;
class TDrawWaveThread;
class TEchoDynamicsForm;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // The window on `recording`, the recording open in the program, which
    // it tells what it opens (before fileOpened) and which must outlive it;
    // the recording's questions and notices are asked and shown over the
    // windows.
    explicit TMainForm(OpenRecording& recording, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The Open command with `path` as the file chosen in the dialog.
    void openFile(const QString& path);
    // The folder the open dialog starts in: that of the recording opened
    // last (on this run or an earlier one); empty when there is none.
    QString openDialogFolder() const;
    // Chooses the file for the Open command; nullopt when cancelled. The
    // default shows the file dialog; tests replace it.
    std::function<std::optional<QString>()> chooseFile;
    // Asks for the place 查看 › 转到 goes to ("R" or "R:F"); nullopt when
    // cancelled. The default shows an input dialog; tests replace it.
    std::function<std::optional<QString>()> askGoTo;
    // Shows the report for the print button (set by the start-up code).
    std::function<void()> showReport;
    // Shows the About box (set by the start-up code).
    std::function<void()> showAbout;

    const ViewerCore& core() const { return core_; }
    // The echo-dynamics window, made on first use and kept (hidden when
    // closed) until this window goes.
    TEchoDynamicsForm& echoDynamics();

    // The event handlers, named after their controls.
    void OpenItemClick();
    void ExitItemClick();
    void AboutItemClick();
    void RzButtonPlayClick();
    void RzButtonUpClick();
    void RzButtonNextClick();
    void ProcessTrackBarChange(int position);
    void NoteListBoxClick(int item);
    void btnPrintClick();
    void EchoDynamicsItemClick();
    // 查看 › 转到: the place asked for on screen, by goToFrame, when it is a
    // frame stepping shows (goToTarget); a place that is malformed or out of
    // range says so and changes nothing.
    void GoToItemClick();
    // 帮助 › 语言/Language: keeps the choice for the next start.
    void LanguageItemClick(Language language);
    // A click on the echo-dynamics strips or list: frame `frame` of record
    // `record` on screen, as the viewer's goToFrame command shows it.
    void goToFrame(int32_t record, int32_t frame);

signals:
    // A frame has been drawn into the plot (its values are in the core's
    // FrameTail).
    void frameDrawn();
    // Another file is open (the one open before is gone).
    void fileOpened();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class MainFormTestPeer;
    void FormShow();
    // The steps of the constructor, in the order it takes them; the Tab key
    // walks the controls in the order they are made.
    void buildMenus();
    // The A-scan with its rulers, and the four readouts above it.
    void buildWavePanel(QWidget* central);
    // The seek bar, the position line above the plot and the buttons.
    void buildNavigation(QWidget* central);
    void buildNoteList(QWidget* central);
    // The hidden reject text and the notice bar under the list and buttons.
    void buildNotices(QWidget* central);
    // The keys of the navigation buttons (the menu items carry theirs).
    void buildShortcuts();
    // The open and go-to dialogs that chooseFile and askGoTo show unless
    // replaced.
    void installDefaultDialogs();
    // Draws the core's pictures into the plot and the rulers and shows them.
    void connectPainter();
    // The playback thread, paused and resumed as the core starts and stops;
    // `paceOverrideMs` >= 0 replaces the playback pace (MainFormTestPeer).
    void startPlaybackThread(int paceOverrideMs = -1);
    // Each button's tooltip: its caption and its key.
    void syncToolTips();
    // The Play button's caption, 播放 or 停止, as the core's state says.
    QString playCaption() const;
    // 文件 › 最近打开: the recent recordings, newest first.
    void refillRecentMenu();
    // Copies the viewer state onto the widgets.
    void syncControls();
    // Empties the note list and fills it with the open file's notes.
    void refillNoteList();
    void showPicture(QLabel* label, const QImage& image);
    // One playback turn, on the user-interface thread.
    int playbackTurn();
    // The notice on the open file's health, shown again only when it
    // says more than the one shown last for that file.
    void showFileNotice(const FileHealth& health);
    // Opens `path` as the Open command does with it chosen in the dialog:
    // playback pauses for the choice first.
    void openChosenFile(const QString& path);

    ViewerCore core_;
    OpenRecording& recording_;
    OuterGeometry* outer_ = nullptr;
    std::unique_ptr<TDrawWaveThread> drawThread_;
    TEchoDynamicsForm* echoDynamics_ = nullptr;
    QAction* echoDynamicsItem_ = nullptr;
    QAction* goToItem_ = nullptr;
    QLabel* positionLabel_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    bool shown_ = false;
    bool syncing_ = false;

    QImage wave_, amplitudeRuler_, pathRuler_;
    // The A-scan, its rulers and the four readouts above it (ReadoutTexts).
    QLabel* plotLabel_ = nullptr;
    QLabel* amplitudeRulerLabel_ = nullptr;
    QLabel* pathRulerLabel_ = nullptr;
    QLabel* readoutLabels_[4] = {};
    SeekBar* seekBar_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* print_ = nullptr;
    QListWidget* notes_ = nullptr;
    std::vector<std::pair<QPushButton*, QKeySequence>> buttonKeys_;
    QLabel* rejectLabel_ = nullptr; // the reject level, kept hidden
    NoticeBar* openNotice_ = nullptr;
    int64_t damagedTold_ = 0; // damaged records the open file's notice counted
    std::vector<PanelField> fields_;
};

} // namespace vantrel
