#include "app/main_form.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>

#include "analysis/file_health.h"
#include "app/app_settings.h"
#include "app/draw_wave_thread.h"
#include "app/echo_dynamics_form.h"
#include "app/interface_language.h"
#include "app/main_form_controls.h"
#include "app/open_messages.h"
#include "app/recording_drop.h"
#include "app/recording_prompts.h"
#include "pictures/frame_render.h"
#include "pictures/gbk_qstring.h"
#include "widgets/message_box.h"
#include "widgets/notice_bar.h"
#include "widgets/outer_geometry.h"
#include "widgets/seek_bar.h"

namespace vantrel {

TMainForm::TMainForm(OpenRecording& recording, QWidget* parent)
    : QMainWindow(parent), recording_(recording) {
    setWindowTitle(QStringLiteral("Vantrel"));
    // The controls have fixed places, so the window has a fixed size: 800 x
    // 600 with the window manager's frame.
    outer_ = new OuterGeometry(this, OuterGeometry::Resizing::Refused);
    outer_->setOuterSize(QSize(800, 600));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    // A click on the window's background takes the keyboard focus from the
    // seek bar or the note list, so the arrows step frames again.
    central->setFocusPolicy(Qt::ClickFocus);
    new RecordingDrop(this, [this](const QString& path) { openChosenFile(path); });
    buildMenus();
    buildWavePanel(central);
    buildNavigation(central);
    buildNoteList(central);
    buildNotices(central);
    fields_ = ParameterPanel::build(central);
    buildShortcuts();
    installDefaultDialogs();
    // The recording's questions over the echo-dynamics window while it is
    // shown (its decisions are edited there), else over this one.
    installRecordingPrompts(recording_, [this]() -> QWidget* {
        if (echoDynamics_ && echoDynamics_->isVisible()) return echoDynamics_;
        return this;
    });
    if (!recording_.isOpen()) recording_.applySettings(rememberedOverviewSettings());
    connectPainter();
    startPlaybackThread();
    syncControls();
}

void TMainForm::installDefaultDialogs() {
    chooseFile = [this]() -> std::optional<QString> {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("FileOpenDialog"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        // Record files are *.DAT in any letter case.
        dialog.setNameFilter(QStringLiteral("*.DAT (*.DAT *.dat *.Dat)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
        const QString folder = openDialogFolder();
        if (!folder.isEmpty()) dialog.setDirectory(folder);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    };

    askGoTo = [this]() -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, tr("转到"), tr("记录，或 记录:帧（从 0 起）："),
                                  QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return text;
    };
}

void TMainForm::connectPainter() {
    core_.setPainter({.frame =
                          [this](std::span<const uint8_t> frame) {
                              drawFramePicture(wave_, frame, core_.params(), core_.curves());
                              showPicture(plotLabel_, wave_);
                              emit frameDrawn();
                          },
                      .emptyPlot =
                          [this] {
                              drawEmptyPlot(wave_);
                              showPicture(plotLabel_, wave_);
                          },
                      .pathRuler =
                          [this] {
                              if (core_.parametersLoaded())
                                  drawPathRuler(pathRuler_, core_.pathRuler(),
                                                PlotColours::screen());
                              else
                                  drawPathRuler(pathRuler_, {}, PlotColours::screen());
                              showPicture(pathRulerLabel_, pathRuler_);
                          }});
}

void TMainForm::startPlaybackThread(int paceOverrideMs) {
    drawThread_ =
        std::make_unique<TDrawWaveThread>([this] { return playbackTurn(); }, paceOverrideMs);
    core_.setPlayingChanged([this](bool playing) {
        if (playing)
            drawThread_->resume();
        else
            drawThread_->pause();
    });
}

TMainForm::~TMainForm() {
    // The echo-dynamics window goes first: it reads the core, and its
    // worker thread is waited for there.
    delete echoDynamics_;
    echoDynamics_ = nullptr;
    clearRecordingPrompts(recording_);
    core_.formClose();
    drawThread_.reset(); // stops and joins the playback thread
}

void TMainForm::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->setObjectName(QStringLiteral("FileItem"));
    QAction* open = file->addAction(tr("打开(&O)"), this, [this] { OpenItemClick(); });
    open->setObjectName(QStringLiteral("OpenItem"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    recentMenu_ = file->addMenu(tr("最近打开(&R)"));
    recentMenu_->setObjectName(QStringLiteral("RecentItem"));
    recentMenu_->setToolTipsVisible(true); // an entry's tooltip is its full path
    refillRecentMenu();
    file->addSeparator();
    QAction* exit = file->addAction(tr("退出(&E)"), this, [this] { ExitItemClick(); });
    exit->setObjectName(QStringLiteral("ExitItem"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* view = menuBar()->addMenu(tr("查看(&V)"));
    view->setObjectName(QStringLiteral("ViewItem"));
    // The window shows one file's echo dynamics, so it opens once a file is
    // open; there is no Close command, so from then on it stays available.
    echoDynamicsItem_ =
        view->addAction(tr("回波动态(&D)"), this, [this] { EchoDynamicsItemClick(); });
    echoDynamicsItem_->setObjectName(QStringLiteral("EchoDynamicsItem"));
    echoDynamicsItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    goToItem_ = view->addAction(tr("转到(&G)..."), this, [this] { GoToItemClick(); });
    goToItem_->setObjectName(QStringLiteral("GoToItem"));
    goToItem_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QMenu* help = menuBar()->addMenu(tr("帮助"));
    help->setObjectName(QStringLiteral("N1"));
    QAction* about = help->addAction(tr("关于"), this, [this] { AboutItemClick(); });
    about->setObjectName(QStringLiteral("AboutItem"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    // The menu and each language are named in their own script, the same in
    // either interface, so that a user finds them from a language they do
    // not read; these texts are not translated.
    QMenu* language = help->addMenu(QStringLiteral("语言/Language"));
    language->setObjectName(QStringLiteral("LanguageItem"));
    auto* languages = new QActionGroup(language);
    languages->setExclusive(true);
    const std::tuple<Language, QString, const char*> items[] = {
        {Language::Chinese, QStringLiteral("中文"), "LanguageChinese"},
        {Language::English, QStringLiteral("English"), "LanguageEnglish"},
    };
    for (const auto& [lang, name, objectName] : items) {
        QAction* item = language->addAction(name);
        item->setObjectName(QString::fromLatin1(objectName));
        item->setCheckable(true);
        item->setChecked(lang == interfaceLanguage());
        languages->addAction(item);
        connect(item, &QAction::triggered, this, [this, l = lang] { LanguageItemClick(l); });
    }
}

void TMainForm::LanguageItemClick(Language language) {
    saveLanguage(language);
    if (language == interfaceLanguage()) return;
    // The windows take their texts when they are made, so the choice applies
    // from the next start; the notice says so in both languages.
    tellInBox(this, QStringLiteral("LanguageChangedMessage"),
              QStringLiteral("界面语言将在 Vantrel 下次启动时切换。\n"
                             "The interface language changes the next time Vantrel starts."),
              QMessageBox::Information);
}

QString TMainForm::playCaption() const {
    // The core names the caption in the instrument's bytes; the window shows
    // it in the interface's language.
    return core_.controls().playCaption == kStopCaption ? tr("停止") : tr("播放");
}

void TMainForm::refillRecentMenu() {
    recentMenu_->clear();
    const QStringList files = recentFiles();
    const QStringList entries = recentFileEntries(files);
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        // Opened after the menu has closed: the open refills this menu,
        // which deletes the item.
        QAction* item = recentMenu_->addAction(entries.at(i), this, [this, path] {
            QMetaObject::invokeMethod(
                this, [this, path] { openChosenFile(path); }, Qt::QueuedConnection);
        });
        item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(QDir::toNativeSeparators(path));
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

QString TMainForm::openDialogFolder() const {
    const QStringList files = recentFiles();
    if (files.isEmpty()) return {};
    const QString folder = QFileInfo(files.first()).absolutePath();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void TMainForm::buildShortcuts() {
    // A menu item's key is its action's shortcut and acts while the item is
    // enabled. A button's key is a click on the button, so it acts exactly
    // when the button is enabled, through the button's own handler.
    struct Key {
        QPushButton* button;
        QKeySequence key;
    };
    const Key keys[] = {
        {play_, QKeySequence(Qt::Key_Space)},
        {up_, QKeySequence(Qt::Key_Left)},
        {next_, QKeySequence(Qt::Key_Right)},
        {print_, QKeySequence(Qt::CTRL | Qt::Key_P)},
    };
    for (const Key& k : keys) {
        auto* shortcut = new QShortcut(k.key, this);
        shortcut->setObjectName(k.button->objectName() + QStringLiteral("Key"));
        // Held down, a key repeats its click (Left and Right step on).
        QPushButton* b = k.button;
        connect(shortcut, &QShortcut::activated, this, [b] {
            if (b->isEnabled()) b->click();
        });
        buttonKeys_.push_back({b, k.key});
    }
    syncToolTips();
}

void TMainForm::syncToolTips() {
    // Keys by the names on their caps (Space, Left), in either language.
    for (const auto& [b, key] : buttonKeys_)
        b->setToolTip(
            QStringLiteral("%1 (%2)").arg(b->text(), key.toString(QKeySequence::PortableText)));
}

void TMainForm::buildWavePanel(QWidget* central) {
    auto* panel = new QWidget(central);
    panel->setObjectName(QStringLiteral("WavePanel"));
    panel->setGeometry(8, 56, 385, 313);
    wave_ = QImage(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    amplitudeRuler_ = QImage(kAmplitudeRulerWidth, kAmplitudeRulerHeight, QImage::Format_RGB32);
    pathRuler_ = QImage(kPathRulerWidth, kPathRulerHeight, QImage::Format_RGB32);
    wave_.fill(Qt::black);
    amplitudeRuler_.fill(Qt::black);
    pathRuler_.fill(Qt::black);
    auto image = [&](const char* name, int x, int y, int w, int h) {
        auto* label = new QLabel(panel);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(x, y, w, h);
        return label;
    };
    amplitudeRulerLabel_ =
        image("EchoWaveImage", 0, 0, kAmplitudeRulerWidth, kAmplitudeRulerHeight);
    pathRulerLabel_ = image("EchoRangeImage", 24, 288, kPathRulerWidth, kPathRulerHeight);
    // The plot lies over the rulers' first column and row.
    plotLabel_ = image("WaveImage", 24, 0, kPlotWidth, kPlotHeight);

    const int left[4] = {32, 128, 224, 304}, width[4] = {89, 57, 65, 137};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(central);
        label->setObjectName(QStringLiteral("LabelPara%1").arg(i + 1));
        label->setGeometry(left[i], 40, width[i], 13);
        label->setFont(windowFont(11, false));
        readoutLabels_[i] = label;
    }
}

void TMainForm::buildNavigation(QWidget* central) {
    seekBar_ = new SeekBar(Qt::Horizontal, central);
    seekBar_->setObjectName(QStringLiteral("ProcessTrackBar"));
    seekBar_->setGeometry(16, 392, 361, 33);
    seekBar_->setRange(0, 0);
    seekBar_->setPageStep(10);
    seekBar_->setTickInterval(1);
    seekBar_->setTickPosition(QSlider::TicksAbove);
    connect(seekBar_, &QSlider::valueChanged, this, [this](int v) {
        if (!syncing_) ProcessTrackBarChange(v);
    });
    // The record a move of the bar to the pointer would show.
    seekBar_->toolTipFor = [this](int position) {
        if (!core_.hasRecords()) return QString();
        const int32_t record = core_.recordForBarPosition(position);
        return record >= core_.recordCount() ? tr("记录 0（条尾回到开头）")
                                             : tr("记录 %1").arg(record);
    };

    // Where the frame on screen lies, in the free band above the plot.
    positionLabel_ = new QLabel(central);
    positionLabel_->setObjectName(QStringLiteral("PositionLabel"));
    positionLabel_->setGeometry(32, 14, 361, 18);
    positionLabel_->setFont(windowFont(12, false));

    play_ = navigationButton(central, "RzButtonPlay", playCaption(), 32, 440);
    up_ = navigationButton(central, "RzButtonUp", tr("上一帧"), 120, 440);
    next_ = navigationButton(central, "RzButtonNext", tr("下一帧"), 208, 440);
    print_ = navigationButton(central, "btnPrint", tr("打印"), 296, 440, 73, 25);
    connect(play_, &QPushButton::clicked, this, [this] { RzButtonPlayClick(); });
    connect(up_, &QPushButton::clicked, this, [this] { RzButtonUpClick(); });
    connect(next_, &QPushButton::clicked, this, [this] { RzButtonNextClick(); });
    connect(print_, &QPushButton::clicked, this, [this] { btnPrintClick(); });
}

void TMainForm::buildNoteList(QWidget* central) {
    auto* notes = new NoteListBox(central);
    notes_ = notes;
    notes_->setObjectName(QStringLiteral("NoteListBox"));
    notes_->setGeometry(408, 384, 369, 129);
    // A click (also on the item already selected) jumps to the note; a
    // double click adds nothing to the click it also produces.
    connect(notes_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (!syncing_) NoteListBoxClick(notes_->row(item));
    });
    notes->keyboardClick = [this](int item) {
        if (!syncing_) NoteListBoxClick(item);
    };
}

void TMainForm::buildNotices(QWidget* central) {
    rejectLabel_ = new QLabel(central);
    rejectLabel_->setObjectName(QStringLiteral("lblReject"));
    rejectLabel_->hide();

    // What an open found wrong with the file, in the free band under the
    // note list and the buttons, across the window.
    openNotice_ = new NoticeBar(central);
    openNotice_->setObjectName(QStringLiteral("OpenNotice"));
    openNotice_->setGeometry(8, 518, 769, 36);
    openNotice_->setFont(windowFont(12, false));
}

void TMainForm::refillNoteList() {
    syncing_ = true;
    notes_->clear();
    for (const Note& note : core_.noteItems())
        notes_->addItem(fromGbk(note.text));
    syncing_ = false;
}

void TMainForm::showPicture(QLabel* label, const QImage& image) {
    label->setPixmap(QPixmap::fromImage(image));
}

void TMainForm::syncControls() {
    syncing_ = true;
    const ControlState& c = core_.controls();
    play_->setEnabled(c.playEnabled);
    play_->setText(playCaption());
    syncToolTips();
    up_->setEnabled(c.upEnabled);
    next_->setEnabled(c.nextEnabled);
    print_->setEnabled(c.printEnabled);
    echoDynamicsItem_->setEnabled(core_.fileOpen());
    goToItem_->setEnabled(core_.fileOpen());
    // Numbers from 0, as the echo-dynamics window and vantrel-inspect name
    // them; the count is the record count the seek bar runs over.
    const std::optional<FramePlace> place = core_.placeOnScreen();
    if (place)
        positionLabel_->setText(tr("记录 %1 / %2　帧 %3")
                                    .arg(place->record)
                                    .arg(core_.recordCount())
                                    .arg(place->frame));
    else if (core_.fileOpen() && !core_.hasRecords())
        positionLabel_->setText(tr("没有可读的记录"));
    else
        positionLabel_->clear();
    seekBar_->setRange(0, c.trackBarMax);
    seekBar_->setValue(c.trackBarPosition);

    if (c.selectedNote != notes_->currentRow()) notes_->setCurrentRow(c.selectedNote);

    const ReadoutTexts& readouts = core_.readouts();
    for (int i = 0; i < 4; ++i)
        readoutLabels_[i]->setText(fromGbk(readouts[static_cast<size_t>(i)]));
    const PanelTexts& panel = core_.panel();
    for (const PanelField& f : fields_) {
        f.edit->setText(panelText(panel.*f.text));
        f.edit->setCursorPosition(0); // a text wider than its field shows its start
    }
    rejectLabel_->setText(fromGbk(panel.reject));
    syncing_ = false;
}

// ---------------------------------------------------------------- events

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    outer_->centreOnScreen();
    // No control has the keyboard focus at first: the arrows step frames
    // until the seek bar or the note list is clicked.
    centralWidget()->setFocus();
    core_.formShow();
    drawAmplitudeRuler(amplitudeRuler_, kPlotHeight, PlotColours::screen());
    showPicture(amplitudeRulerLabel_, amplitudeRuler_);
    syncControls();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (echoDynamics_) echoDynamics_->close();
    core_.formClose();
    syncControls();
    QMainWindow::closeEvent(event);
}

void TMainForm::openFile(const QString& path) {
    // A large recording takes a while to scan: after half a second a
    // progress dialog shows how far it got (and keeps the window painted).
    QProgressDialog progress(tr("正在打开 %1 ...").arg(QFileInfo(path).fileName()), QString(), 0,
                             1000, this);
    progress.setObjectName(QStringLiteral("OpenProgress"));
    progress.setWindowTitle(QStringLiteral("Vantrel"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setCancelButton(nullptr);
    progress.setValue(0);
    const OpenResult result =
        core_.openItemClick(path.toStdString(), [&progress](int64_t done, int64_t total) {
            progress.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
        });
    progress.reset();
    // Every open empties the list and fills it from the file now open; a file
    // that could not be opened leaves the open one, and its notes, in place.
    if (result.ok()) refillNoteList();
    syncControls();
    if (result.ok()) {
        recording_.open(core_.file()); // its decisions read before anyone is told
        emit fileOpened();
    }
    // The recent list holds the recordings that opened; one that can no
    // longer be opened leaves it.
    if (result.ok())
        rememberRecentFile(path);
    else
        forgetRecentFile(path);
    refillRecentMenu();
    if (!result.ok()) {
        OpenMessages::showFailure(this, path, result);
        return;
    }
    // The title names the file, as a document window does.
    setWindowTitle(QStringLiteral("Vantrel \u2013 %1").arg(QFileInfo(path).fileName()));
    damagedTold_ = -1;
    showFileNotice(fileHealthOf(core_.file()));
}

void TMainForm::showFileNotice(const FileHealth& health) {
    // The overview's walk may find damaged records the open could not; it
    // never finds fewer.
    if (health.damaged <= damagedTold_) return;
    damagedTold_ = health.damaged;
    const QString path = QString::fromStdString(core_.file().path());
    openNotice_->showNotice(OpenMessages::noticeText(QFileInfo(path).fileName(), health),
                            QDir::toNativeSeparators(path));
}

void TMainForm::openChosenFile(const QString& path) {
    core_.pauseForDialog();
    syncControls();
    openFile(path);
}

void TMainForm::OpenItemClick() {
    core_.pauseForDialog();
    syncControls();
    const std::optional<QString> path = chooseFile ? chooseFile() : std::nullopt;
    if (path) {
        openFile(*path);
    } else {
        core_.openItemClick(std::nullopt);
        syncControls();
    }
}

void TMainForm::ExitItemClick() { close(); }

void TMainForm::AboutItemClick() {
    if (showAbout) showAbout();
}

void TMainForm::RzButtonPlayClick() {
    core_.playClick();
    syncControls();
}

void TMainForm::RzButtonUpClick() {
    core_.upClick();
    syncControls();
}

void TMainForm::RzButtonNextClick() {
    core_.nextClick();
    syncControls();
}

void TMainForm::ProcessTrackBarChange(int position) {
    core_.trackBarMovedTo(position);
    syncControls();
}

void TMainForm::NoteListBoxClick(int item) {
    core_.noteClick(item);
    syncControls();
}

void TMainForm::btnPrintClick() {
    core_.printClick();
    syncControls();
    if (showReport) showReport();
}

TEchoDynamicsForm& TMainForm::echoDynamics() {
    if (!echoDynamics_) {
        echoDynamics_ = new TEchoDynamicsForm(
            core_, recording_, [this](int32_t record, int32_t frame) { goToFrame(record, frame); },
            this);
        echoDynamics_->setKeepClear(findChild<QWidget*>(QStringLiteral("WavePanel")));
        connect(this, &TMainForm::fileOpened, echoDynamics_, &TEchoDynamicsForm::fileOpened);
        connect(this, &TMainForm::frameDrawn, echoDynamics_, &TEchoDynamicsForm::frameDrawn);
        // The overview's walk decodes every record, the open only some: the
        // notice counts what the walk found.
        connect(echoDynamics_, &TEchoDynamicsForm::overviewComputed, this, [this] {
            if (const EchoOverview* o = echoDynamics_->overview())
                showFileNotice(fileHealthOf(core_.file(), *o));
        });
    }
    return *echoDynamics_;
}

void TMainForm::EchoDynamicsItemClick() {
    TEchoDynamicsForm& form = echoDynamics();
    // Minimised, it comes back as it was before (maximised or not).
    if (form.isMinimized()) form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    form.raise();
    form.activateWindow();
}

void TMainForm::GoToItemClick() {
    if (!core_.fileOpen()) return;
    const std::optional<QString> text = askGoTo ? askGoTo() : std::nullopt;
    if (!text) return;
    const GoToTarget target = goToTarget(text->toStdString(), core_.query());
    if (target.kind == GoToTarget::Kind::Frame)
        core_.goToFrame(target.place.record, target.place.frame);
    syncControls();
    if (target.kind != GoToTarget::Kind::Frame) GoToMessages::showProblem(this, *text, target);
}

void TMainForm::goToFrame(int32_t record, int32_t frame) {
    core_.goToFrame(record, frame);
    syncControls();
}

int TMainForm::playbackTurn() {
    if (!core_.playing()) return -1; // paused after this turn was asked for
    core_.playbackTick();
    syncControls();
    return core_.playbackDelay();
}

} // namespace vantrel
