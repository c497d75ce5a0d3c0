// A notice inside a window: a line or two of text on a pale band with a
// close button, for what the user should know but need not answer (a
// damaged recording, say). Unlike a message box it takes no focus and stands
// in the way of nothing; it stays until closed or replaced.
#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

namespace vantrel {

class NoticeBar : public QFrame {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget* parent = nullptr);

    // Shows `text` (replacing any notice shown) with `details` as its
    // tooltip; an empty text hides the bar.
    void showNotice(const QString& text, const QString& details = {});
    QString text() const;

private:
    QLabel* label_ = nullptr;
    QToolButton* close_ = nullptr;
};

} // namespace vantrel
