// What the report window's tests read that the window keeps to itself.
#pragma once

#include <QImage>

#include "report_window/report_form.h"

namespace vantrel {

class ReportFormTestPeer {
public:
    // How many times the window has been shown (each showing refills it).
    static int formShowCount(const TReportForm& form) { return form.formShowCount_; }
    // The page as the printer gets it, rendered into a picture.
    static QImage renderPage(const TReportForm& form) { return form.renderPage(); }
};

} // namespace vantrel
