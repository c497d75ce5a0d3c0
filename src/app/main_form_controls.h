// The main window's own kinds of control: the font of the instrument's
// window, the note list and the navigation buttons with the keys the
// instrument gives them, and the parameter panel of read-only fields.
#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "display/display_text.h"

class QLineEdit;

namespace vantrel {

// The instrument's window font; where it is missing a sans-serif face of the
// same size takes its place.
QFont windowFont(int pixelSize, bool bold);

// The note list. In the instrument's toolkit the list's click event also fires
// when the user moves the selection with the keyboard (arrows, Home, End, Page
// Up/Down, typing a letter), so a key that changes the selected item reports
// that item as clicked. A selection the program makes is not a click.
class NoteListBox : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(int)> keyboardClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The navigation buttons. Space is the Play key everywhere in the window,
// except on a button that has the keyboard focus: there it presses that
// button, as Space does on any button, so that Tab and Space reach every
// button. A button takes the focus only from Tab, not from a click, so after
// a click on 下一帧 Space still plays rather than stepping once more.
class NavigationButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent* e) override;
};

// A navigation button named `name` with `caption`, at x, y in `parent`.
QPushButton* navigationButton(QWidget* parent, const char* name, const QString& caption, int x,
                              int y, int w = 75, int h = 25);

// A field of the parameter panel and the text of the open file's it shows.
struct PanelField {
    QLineEdit* edit;
    std::string PanelTexts::*text;
};

// The parameter panel: three groups of read-only fields, laid out as the
// instrument's window has them.
class ParameterPanel {
    Q_DECLARE_TR_FUNCTIONS(ParameterPanel)
public:
    // Builds the panel in `parent` and returns its fields.
    static std::vector<PanelField> build(QWidget* parent);
};

} // namespace vantrel
