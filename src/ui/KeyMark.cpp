#include "ui/KeyMark.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace lockleaf
{

QIcon keyMarkIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        for (const int side : {16, 32}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(side / 16.0, side / 16.0);
            p.setPen(QPen(QColor(0xa8, 0x74, 0x00), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawEllipse(QPointF(4.8, 8), 3, 3);
            QPainterPath blade;
            blade.moveTo(7.8, 8);
            blade.lineTo(14.8, 8);
            blade.moveTo(12.2, 8);
            blade.lineTo(12.2, 11);
            blade.moveTo(14.6, 8);
            blade.lineTo(14.6, 10.4);
            p.drawPath(blade);
            p.end();
            made.addPixmap(pixmap);
        }
        return made;
    }();
    return icon;
}

} // namespace lockleaf
