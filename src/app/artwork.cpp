#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qinghe::app {

namespace {
const QColor kLeafGreen(46, 139, 87);
const QColor kPaleGreen(232, 245, 233);
const QColor kMidGreen(165, 214, 167);
}  // namespace

QPixmap paint_program_icon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(kLeafGreen);
    p.setPen(Qt::NoPen);
    const qreal corner = size * 0.2;
    p.drawRoundedRect(QRectF(size * 0.03, size * 0.03, size * 0.94, size * 0.94), corner, corner);
    QFont font;
    font.setPixelSize(int(size * 0.68));
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("禾"));
    return pixmap;
}

QIcon program_icon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(paint_program_icon(size));
    return icon;
}

QPixmap paint_support_picture() {
    const QSize size(320, 233);
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, kPaleGreen);
    background.setColorAt(1, kMidGreen);
    p.fillRect(pixmap.rect(), background);

    p.setPen(Qt::NoPen);
    p.setBrush(kLeafGreen);
    p.drawRoundedRect(QRectF(12, 12, 296, 209), 16, 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(26, 30, 60, 60));
    p.drawPixmap(28, 32, paint_program_icon(56));

    p.setPen(Qt::white);
    QFont title;
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(96, 30, 210, 60), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("在线客服"));

    QFont body;
    body.setPixelSize(16);
    p.setFont(body);
    p.drawText(QRect(24, 104, 272, 26), Qt::AlignCenter,
               QStringLiteral("白天与晚间各有专人为您服务"));
    p.drawText(QRect(24, 132, 272, 26), Qt::AlignCenter, QStringLiteral("左键单击这里与客服聊天"));
    body.setPixelSize(13);
    p.setFont(body);
    p.setPen(kPaleGreen);
    p.drawText(QRect(24, 176, 272, 24), Qt::AlignCenter, QStringLiteral("右键单击打开菜单"));
    return pixmap;
}

}  // namespace qinghe::app
