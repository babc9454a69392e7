#include "ui/BusyIndicator.h"

#include <QPainter>
#include <QTimerEvent>

namespace lockleaf
{

namespace
{
constexpr int kSpokes = 12;
constexpr int kIntervalMs = 80;
} // namespace

BusyIndicator::BusyIndicator(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Keeps its place in the layout while hidden, so nothing jumps when it starts.
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    hide();
}

BusyIndicator::~BusyIndicator() = default;

QSize BusyIndicator::sizeHint() const
{
    return {18, 18};
}

void BusyIndicator::startAnimation()
{
    if (!m_timer.isActive())
        m_timer.start(kIntervalMs, this);
    show();
}

void BusyIndicator::stopAnimation()
{
    m_timer.stop();
    hide();
}

void BusyIndicator::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    m_step = (m_step + 1) % kSpokes;
    update();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    ++m_frames;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height());
    p.translate(width() / 2.0, height() / 2.0);
    const QColor base = palette().color(QPalette::WindowText);
    QPen pen(base, qMax<qreal>(1.5, side / 10.0), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        QColor c = base;
        // The leading spoke is solid, the ones behind it fade out.
        const int age = (m_step - i + kSpokes) % kSpokes;
        c.setAlphaF(1.0 - age / qreal(kSpokes) * 0.85);
        pen.setColor(c);
        p.setPen(pen);
        p.save();
        p.rotate(i * 360.0 / kSpokes);
        p.drawLine(QPointF(0, side * 0.22), QPointF(0, side * 0.45));
        p.restore();
    }
}

} // namespace lockleaf
