// The echo-dynamics strips as a widget: shows the overview's strips and
// marks for the view it is given, and turns the mouse into requests: a click
// or drag on the data seeks there, a drag on the threshold line sets the
// threshold, a Ctrl+left drag on the data (the strips or the B-scan) marks
// the frames under it as a manual indication, the wheel zooms around the
// pointer and a right (or Shift+left) drag pans. The owner answers a request by setting the new
// view or overview; the widget itself changes nothing.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

#include "analysis/bscan.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "analysis/overview_marks.h"
#include "analysis/overview_view.h"
#include "pictures/overview_render.h"

namespace vantrel {

class EchoStrips : public QWidget {
    Q_OBJECT
public:
    explicit EchoStrips(QWidget* parent = nullptr);

    // What to show; the overview and the marks stay the owner's and must
    // live until replaced. Without an overview, `emptyText` is shown.
    void setOverview(const EchoOverview* overview, const std::vector<OverviewMark>* marks);
    void setView(const OverviewView& view);
    void setEmptyText(const QString& text);
    // Whether notes and blocks are marked (damage and gaps always are).
    void setNotesAndBlocksShown(bool shown);
    // The evaluation view of the amplitude strip, or the overview's (null);
    // the evaluation and its summaries stay the owner's. There is no
    // threshold to drag in the evaluation view: the lines are the
    // recording's.
    void setEvaluation(const Evaluation* evaluation, const EvaluationSummaries* summaries);
    // The B-scan strip under the others: whether it is shown, the reader
    // its narrow views are read with (opened alongside the overview's file;
    // null: drawn from the overview's block maxima) and the evaluation whose
    // indications it outlines (may be null); both stay the owner's.
    void setBscanShown(bool shown);
    void setBscanSources(RecordQuery* reader, const Evaluation* outlined);
    bool bscanShown() const { return bscanShown_; }
    // Where the strips lie in the widget as it is now.
    OverviewLayout layout() const { return OverviewLayout::forSize(size(), bscanShown_); }
    // The inspector's manual indications, outlined over the strips.
    void setManualIndications(std::vector<Indication> runs);
    // The evaluated indication whose 6 dB run is marked, or -1.
    void setSelectedIndication(int index);
    // Something the data picture shows changed (the thresholds, the
    // indications): drawn again at the next paint.
    void invalidate();

    const OverviewView& view() const { return view_; }
    // Room for the strips, and for the B-scan's 280 sample positions when
    // it is shown.
    QSize sizeHint() const override;
    // The tooltip for column x of the plots (relative to the plot): the
    // marks near it and the values of its first frame.
    QString describeColumn(int x) const;
    // The tooltip over the B-scan at column x, row y (relative to its plot):
    // the frame, the sound path there and the amplitude drawn.
    QString describeBscan(int x, int y) const;

signals:
    void seekRequested(int64_t shownFrame);
    void viewRequested(const OverviewView& view);
    void thresholdRequested(AmplitudeUnit unit, int64_t tenths);
    // A Ctrl+drag over shown frames `first` to `last`: every frame of the
    // columns dragged over, in the order dragged (`last` lies before `first`
    // after a drag to the left).
    void manualMarkRequested(int64_t first, int64_t last);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent* e) override;
    bool event(QEvent* e) override;

private:
    friend class EchoStripsTestPeer;
    enum class Drag { None, Seek, Threshold, Pan, Mark };
    bool hasFrames() const { return overview_ && overview_->frameCount() > 0; }
    // Whether `at` lies on the threshold line of the amplitude strip; notes
    // the unit of that line for the drag.
    bool thresholdUnder(const QPoint& at);
    void seekTo(int x);
    // The shown frame under column x of the widget, kept within the plot.
    int64_t frameUnder(int x) const;
    // The plot's column under x of the widget, kept within the plot.
    int columnUnder(int x) const;
    // The texts of the marks near column x of the plots.
    QStringList marksNear(int x) const;

    // The strips as shown: the data picture, with the overlay (the selected
    // 6 dB run, the cursor, the marks and the manual indications) over it.
    const QImage& picture();
    // The marks, the manual indications or whether notes are shown changed:
    // the overlay is drawn again over the whole data picture.
    void overlayChanged();
    // The cursor or the selected indication moved: only the columns they
    // took and take are drawn again.
    void liveChanged();
    void renderData();
    // Puts back the columns the cursor and the selection took and take from
    // the data picture and draws the overlay over them again.
    void redrawLiveColumns();
    // The evaluation view's picture of the amplitude strip, if shown.
    std::optional<EvaluationPicture> evaluationPicture() const;
    void updateBscanColumns(int width);
    // The overlay over picture_ (within image columns first .. last, where
    // given), and the columns its moving parts take.
    void drawOverlay(std::optional<std::pair<int, int>> within);
    std::vector<std::pair<int, int>> liveColumns() const;

    const EchoOverview* overview_ = nullptr;
    const std::vector<OverviewMark>* marks_ = nullptr;
    const Evaluation* evaluation_ = nullptr;
    const EvaluationSummaries* evaluationSummaries_ = nullptr;
    int selected_ = -1;
    OverviewView view_;
    QString emptyText_;
    bool notesAndBlocks_ = true;
    bool bscanShown_ = true;
    RecordQuery* bscanReader_ = nullptr;
    const Evaluation* outlined_ = nullptr;
    std::vector<Indication> manual_;

    // The data picture (drawOverviewData), made again only when the frames
    // in view, the size or what it is drawn from change; a cursor step or a
    // playback step draws over picture_, a copy of it, and reads nothing.
    QImage data_, picture_;
    // Whether data_ shows what is set now; whether picture_ is data_ with
    // the overlay; whether the cursor or the selection moved since, and the
    // image columns they take in picture_.
    bool dataValid_ = false, overlayValid_ = false, liveMoved_ = false;
    std::vector<std::pair<int, int>> liveColumns_;
    // The B-scan strip's columns (read from the records for a narrow view),
    // and the frames, width and reader they were made for: a new data
    // picture for the same frames (the thresholds, the evaluation) reuses
    // them. Dropped with the overview.
    struct BscanKey {
        const RecordQuery* reader;
        int64_t from, to;
        int width;
        bool operator==(const BscanKey&) const = default;
    };
    std::vector<BscanColumn> bscanColumns_;
    std::optional<BscanKey> bscanFor_;

    Drag drag_ = Drag::None;
    AmplitudeUnit dragUnit_ = AmplitudeUnit::Percent;
    QPoint dragStart_;
    OverviewView dragView_;
    int markFrom_ = 0, markTo_ = 0; // Drag::Mark: the plot's columns pressed and now
    int64_t lastSeek_ = -1;
    bool seekStarted_ = false;
};

} // namespace vantrel
