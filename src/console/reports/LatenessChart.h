#pragma once
// Lateness over show time: a dot for every shot the PC fired on its clock, a red triangle on
// the time axis for every cue that failed, a grey one for a cue the operator's start point or
// stop left out.

#include "show/report/FiringReport.h"

#include <QChartView>

#include <span>

class QScatterSeries;
class QValueAxis;

namespace kv {

class TLatenessChart : public QChartView {
public:
    explicit TLatenessChart(QWidget* parent);

    void Show(std::span<const TCueRecord> records);

private:
    QScatterSeries* fired_;
    QScatterSeries* missed_;
    QScatterSeries* leftOut_;
    QValueAxis* time_;
    QValueAxis* lateness_;
};

}  // namespace kv
