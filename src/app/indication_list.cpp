#include "app/indication_list.h"

#include <QHeaderView>

#include "analysis/indication_table.h"

namespace vantrel {

namespace {

// An indication whose peak holds values no real frame can: the strips'
// colour for such values, on a pale ground.
const QColor kImplausibleText(190, 0, 190), kImplausibleRow(255, 230, 255);

} // namespace

IndicationList::IndicationList(QWidget* parent) : QTableWidget(0, 5, parent) {
    setObjectName(QStringLiteral("IndicationList"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows are the indications in file order; their numbers are the CSV's.
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    // The columns share the window's width.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    fill(nullptr); // the headings before the first overview
}

void IndicationList::fill(const EchoOverview* overview) {
    clearContents();
    // The position column names no kind: each row's value carries the
    // symbol of its own (a two-gate record holds gate A's position of the
    // kind its path mode gives, whatever 位置 asks for).
    setHorizontalHeaderLabels(
        {tr("起点"), tr("终点"), tr("帧数"), tr("峰值波幅"), tr("峰值处位置")});
    const size_t rows = overview ? overview->indications().size() : 0;
    setRowCount(static_cast<int>(rows));
    const QString beyondTip = tr("不可信：真实的帧不会有这样的值，这是损坏的数据，不是回波");
    for (size_t k = 0; k < rows; ++k) {
        const IndicationTexts t = indicationTexts(*overview, overview->indications()[k]);
        const bool plausible = !t.amplitudeBeyond && !t.positionBeyond;
        // A value no real frame holds carries a warning sign, and its row
        // the colour of such values.
        auto text = [](const std::string& s) { return QString::fromStdString(s); };
        const QString texts[] = {text(t.start), text(t.end), text(t.frames),
                                 text(t.amplitudeShown()), text(t.positionShown())};
        for (int column = 0; column < 5; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!plausible) {
                item->setForeground(kImplausibleText);
                item->setBackground(kImplausibleRow);
                item->setToolTip(beyondTip);
            }
            setItem(static_cast<int>(k), column, item);
        }
    }
}

} // namespace vantrel
