// The windows' message boxes: window-modal, opened without waiting (the
// window goes on answering its events), deleted when closed, and named so
// that a test finds the one it expects.
#pragma once

#include <QMessageBox>

namespace vantrel {

// A box over `parent`, made and named but not yet shown, for a caller that
// adds its own buttons before it opens it.
QMessageBox* makeMessageBox(QWidget* parent, const QString& objectName, QMessageBox::Icon icon,
                            const QString& title, const QString& text,
                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// A box titled "Vantrel" with an OK button that says `text`, opened.
void tellInBox(QWidget* parent, const QString& objectName, const QString& text,
               QMessageBox::Icon icon = QMessageBox::Warning);

} // namespace vantrel
