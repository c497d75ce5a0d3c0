#include "widgets/message_box.h"

namespace vantrel {

QMessageBox* makeMessageBox(QWidget* parent, const QString& objectName, QMessageBox::Icon icon,
                            const QString& title, const QString& text,
                            QMessageBox::StandardButtons buttons) {
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setObjectName(objectName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    return box;
}

void tellInBox(QWidget* parent, const QString& objectName, const QString& text,
               QMessageBox::Icon icon) {
    makeMessageBox(parent, objectName, icon, QStringLiteral("Vantrel"), text)->open();
}

} // namespace vantrel
