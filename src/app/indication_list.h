// The echo-dynamics window's list of indications: a row per indication in
// file order, in the words of the indication table (the CSV says the same);
// a row whose peak holds values no real frame can is marked as such.
#pragma once

#include <QTableWidget>

#include "analysis/echo_overview.h"

namespace vantrel {

class IndicationList : public QTableWidget {
    Q_OBJECT
public:
    explicit IndicationList(QWidget* parent = nullptr);
    // The rows of `overview`'s indications; none without an overview.
    void fill(const EchoOverview* overview);
};

} // namespace vantrel
