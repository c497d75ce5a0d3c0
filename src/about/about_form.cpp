#include "about/about_form.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

#include <cmath>

#include "version.h"
#include "widgets/outer_geometry.h"

namespace vantrel {

std::optional<QString> fileVersion() {
    // A build whose project has no version gets an empty string here: that
    // counts as a program without a version record.
    const QString version = QString::fromLatin1(kVersion);
    if (version.isEmpty()) return std::nullopt;
    return version;
}

namespace {

// Every text the box shows, in the interface's language.
struct AboutTexts {
    QString productName;  // the emblem's name
    QString productTitle; // beside the name: what the product is
    QString notice;       // the notice label
    QString maker;        // the maker's label
    QString ok;           // the OK button
    QString versionLine;  // the version label: this, then the file version
};

AboutTexts aboutTexts() {
    return {
        QStringLiteral("Vantrel"),
        TAboutForm::tr("探伤记录查看器"),
        TAboutForm::tr("超声探伤记录查看与打印"),
        TAboutForm::tr("Vantrel 开发组 版权所有"),
        TAboutForm::tr("确认"),
        QStringLiteral("Version:"),
    };
}

constexpr int kImageWidth = 205;
constexpr int kImageHeight = 88;

// The emblem: the name above a rectified A-scan (initial pulse, a flaw echo
// under its gate, the back-wall echo) on a base line, on a transparent
// background so the dialog's face colour shows through.
QPixmap emblem() {
    QPixmap pixmap(kImageWidth, kImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QFont nameFont;
    nameFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    nameFont.setStyleHint(QFont::SansSerif);
    nameFont.setPixelSize(26);
    nameFont.setBold(true);
    painter.setFont(nameFont);
    painter.setPen(QColor(28, 52, 92));
    painter.drawText(QRect(8, 2, 190, 32), Qt::AlignLeft | Qt::AlignVCenter,
                     aboutTexts().productName);
    const int nameWidth = QFontMetrics(nameFont).horizontalAdvance(aboutTexts().productName);
    QFont titleFont;
    titleFont.setFamilies(
        {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Liberation Sans")});
    titleFont.setPixelSize(13);
    painter.setFont(titleFont);
    painter.drawText(QRect(8 + nameWidth + 6, 2, kImageWidth - nameWidth - 14, 32),
                     Qt::AlignLeft | Qt::AlignBottom, aboutTexts().productTitle);

    // Echo envelopes as (centre, half width, height) in pixels; the carrier
    // is rectified, so every cycle rises from the base line.
    struct Echo {
        double centre, halfWidth, height;
    };
    const Echo echoes[] = {{14, 6, 44}, {34, 10, 5}, {58, 9, 4}, {92, 7, 24}, {160, 8, 38}};
    constexpr int baseY = 80;
    QPainterPath trace;
    trace.moveTo(8, baseY);
    for (double x = 8; x <= 197; x += 0.5) {
        double amplitude = 0;
        for (const Echo& e : echoes) {
            const double d = (x - e.centre) / e.halfWidth;
            amplitude += e.height * std::exp(-d * d);
        }
        amplitude *= std::abs(std::sin(x * 1.3));
        trace.lineTo(x, baseY - amplitude);
    }

    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.drawLine(QPointF(8, baseY + 0.5), QPointF(197, baseY + 0.5));
    painter.setPen(QPen(QColor(0, 128, 64), 1.4));
    painter.drawPath(trace);
    // The gate over the flaw echo.
    painter.setPen(QPen(QColor(200, 40, 120), 2));
    painter.drawLine(QPointF(80, 62), QPointF(106, 62));
    return pixmap;
}

QLabel* fixedLabel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent, VersionSource versionSource)
    : QDialog(parent), versionSource_(std::move(versionSource)) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("AboutForm"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    // The size counts the window manager's frame in; the inside is the rest
    // and has no border to drag.
    auto* outer = new OuterGeometry(this, OuterGeometry::Resizing::Refused);
    outer->setOuterSize(QSize(kWidth, kHeight));
    setSizeGripEnabled(false);

    // The box was designed for the 8-point MS Sans Serif of Windows dialogs;
    // elsewhere a sans-serif face of about the same width stands in, and
    // fontconfig supplies the Chinese glyphs of the button.
    QFont windowFont;
    windowFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                            QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    windowFont.setStyleHint(QFont::SansSerif);
    windowFont.setPointSize(8);
    setFont(windowFont);

    emblemImage_ = fixedLabel(this, "Image1", QRect(0, 0, kImageWidth, kImageHeight));
    emblemImage_->setPixmap(emblem());
    emblemImage_->setScaledContents(true);

    versionLabel_ = fixedLabel(this, "VersionLabel", QRect(32, 112, 193, 25));
    noticeLabel_ = fixedLabel(this, "Label3", QRect(32, 144, 129, 17));
    noticeLabel_->setText(aboutTexts().notice);
    makerLabel_ = fixedLabel(this, "Label1", QRect(32, 176, 201, 17));
    makerLabel_->setText(aboutTexts().maker);

    okButton_ = new QPushButton(aboutTexts().ok, this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(232, 168, 75, 25);
    okButton_->setFocusPolicy(Qt::StrongFocus);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &TAboutForm::OKButtonClick);
}

void TAboutForm::OKButtonClick() { accept(); }

void TAboutForm::reject() { accept(); }

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Spontaneous show events come from the window system (e.g. restoring a
    // minimised window) and are not a new showing of the box.
    if (event->spontaneous()) return;
    if (const std::optional<QString> version = versionSource_())
        versionLabel_->setText(aboutTexts().versionLine + *version);
}

} // namespace vantrel
