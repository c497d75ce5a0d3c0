#include "widgets/notice_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace vantrel {

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("NoticeBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // A warning's amber, pale enough for black text.
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 244, 206));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setFocusPolicy(Qt::NoFocus);

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("NoticeText"));
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    close_ = new QToolButton(this);
    close_->setObjectName(QStringLiteral("NoticeClose"));
    close_->setText(QStringLiteral("\u00D7"));
    close_->setAutoRaise(true);
    close_->setFocusPolicy(Qt::NoFocus);
    connect(close_, &QToolButton::clicked, this, &QWidget::hide);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 1, 1, 1);
    layout->setSpacing(4);
    layout->addWidget(label_, 1);
    layout->addWidget(close_, 0, Qt::AlignTop);
    hide();
}

void NoticeBar::showNotice(const QString& text, const QString& details) {
    label_->setText(text);
    setToolTip(details);
    setVisible(!text.isEmpty());
}

QString NoticeBar::text() const { return label_->text(); }

} // namespace vantrel
