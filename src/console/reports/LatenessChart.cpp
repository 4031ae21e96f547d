#include "console/reports/LatenessChart.h"

#include "console/widgets/Colors.h"

#include <QChart>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>

namespace kv {

namespace {

constexpr double kMsPerSecond = 1000.0;
// The axis keeps one timer period in view, so a good show does not look like a bad one.
constexpr int32_t kLeastLatenessRangeMs = 25;

QScatterSeries* Series(QChart& chart, const QString& name, QScatterSeries::MarkerShape shape,
                       const QColor& color, double size)
{
    auto* series = new QScatterSeries(&chart);
    series->setName(name);
    series->setMarkerShape(shape);
    series->setMarkerSize(size);
    series->setColor(color);
    series->setBorderColor(color);
    chart.addSeries(series);
    return series;
}

// 1, 2 or 5 times a power of ten, at least step.
double NiceStep(double step)
{
    double power = 1;
    while (power * 10 <= step)
        power *= 10;
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (power * factor >= step)
            return power * factor;
    return power * 10;
}

QValueAxis* Axis(QChart& chart, const QString& title)
{
    auto* axis = new QValueAxis(&chart);
    axis->setTitleText(title);
    axis->setLabelFormat("%g");
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    return axis;
}

}  // namespace

// Made with its chart: a chart set later leaves the view's first one to nobody.
TLatenessChart::TLatenessChart(QWidget* parent) : QChartView(new QChart, parent)
{
    setObjectName("LatenessChart");
    setRenderHint(QPainter::Antialiasing);
    QChart* chart = this->chart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    fired_ = Series(*chart, "Выстрел", QScatterSeries::MarkerShapeCircle,
                    QColor(0, 0, 160), 6);
    missed_ = Series(*chart, "Пропущена", QScatterSeries::MarkerShapeTriangle, kRed, 11);
    leftOut_ = Series(*chart, "Вне пуска: до точки запуска, после остановки",
                      QScatterSeries::MarkerShapeTriangle, QColor(160, 160, 160), 8);
    time_ = Axis(*chart, "Время шоу, с");
    lateness_ = Axis(*chart, "Опоздание, мс");
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(lateness_, Qt::AlignLeft);
    for (QScatterSeries* series : {fired_, missed_, leftOut_}) {
        series->attachAxis(time_);
        series->attachAxis(lateness_);
    }
}

void TLatenessChart::Show(std::span<const TCueRecord> records)
{
    QList<QPointF> fired;
    QList<QPointF> missed;
    QList<QPointF> leftOut;
    double first = 0;
    double last = 1;
    int32_t low = 0;
    int32_t high = kLeastLatenessRangeMs;
    for (const TCueRecord& record : records) {
        const double second = record.cue.time / kMsPerSecond;
        first = std::min(first, second);
        last = std::max(last, second);
        if (record.outcome == TCueOutcome::Fired) {
            fired << QPointF(second, record.Lateness());
            low = std::min(low, record.Lateness());
            high = std::max(high, record.Lateness());
        } else if (record.outcome == TCueOutcome::Missed) {
            const bool chosen = record.reason == TMissReason::BeforeStart ||
                                record.reason == TMissReason::StoppedBefore;
            (chosen ? leftOut : missed) << QPointF(second, 0);
        }
    }
    fired_->replace(fired);
    missed_->replace(missed);
    leftOut_->replace(leftOut);
    // Ticks on round numbers from 0, so the time axis reads as the show's clock.
    const double seconds = NiceStep((last - first) / 6);
    time_->setTickInterval(seconds);
    time_->setRange(first - seconds / 4, last + seconds / 4);
    const double ms = NiceStep((high - low) / 6.0);
    lateness_->setTickInterval(ms);
    lateness_->setRange(low - ms / 2, high + ms / 2);
}

}  // namespace kv
