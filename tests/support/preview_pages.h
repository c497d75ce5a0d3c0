// The report window's print preview, counted instead of shown: the tests
// replace TReportForm::showPreview with this.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QPrintPreviewWidget>

#include <functional>

namespace vantrel::testing {

// Shows the preview dialog, lays its pages out, stores how many there are in
// `pages` and closes it again.
inline std::function<void(QDialog&)> countPreviewPages(int& pages) {
    return [&pages](QDialog& dialog) {
        dialog.show();
        auto* view = dialog.findChild<QPrintPreviewWidget*>();
        ASSERT_TRUE(view);
        view->updatePreview();
        QCoreApplication::processEvents();
        pages = view->pageCount();
        dialog.close();
    };
}

} // namespace vantrel::testing
