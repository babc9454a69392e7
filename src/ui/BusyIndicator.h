#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace lockleaf
{

// A small spinning busy indicator, hidden while stopped. Main thread only.
class BusyIndicator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusyIndicator)

public:
    explicit BusyIndicator(QWidget *parent = nullptr);
    ~BusyIndicator() override;

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_timer.isActive(); }
    // Frames drawn since construction; lets a benchmark see that it animates.
    int frameCount() const { return m_frames; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    QBasicTimer m_timer;
    int m_step = 0;
    int m_frames = 0;
};

} // namespace lockleaf
