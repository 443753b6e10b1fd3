#include "pictures/table_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "pictures/drawing.h"

namespace redten::assets {
namespace {

const QColor kWood(92, 52, 28);
const QColor kWoodLight(150, 96, 52);

// A rail across `length` pixels, `depth` thick, lit from the cloth side.
QColor RailColour(int depth, int i) {
    const double t = depth <= 1 ? 0 : static_cast<double>(i) / (depth - 1);
    return QColor::fromRgbF(kWood.redF() + (kWoodLight.redF() - kWood.redF()) * t,
                            kWood.greenF() + (kWoodLight.greenF() - kWood.greenF()) * t,
                            kWood.blueF() + (kWoodLight.blueF() - kWood.blueF()) * t);
}

}  // namespace

QColor Felt() { return QColor(22, 104, 58); }

QImage ClothTile(qreal scale) {
    QImage tile = Canvas(32, 32, Felt(), scale);
    // A faint diagonal weave, the same on every tile edge.
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const int shade = ((x + y) % 4 == 0) ? 3 : ((x - y + 32) % 8 == 0 ? -2 : 0);
            const QColor c = Felt();
            Dot(tile, x, y, qRgb(c.red() + shade, c.green() + shade, c.blue() + shade));
        }
    }
    return tile;
}

QImage CentrePicture(qreal scale) {
    QImage image = Canvas(244, 247, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(122, 123.5);
    QRadialGradient glow(centre, 118);
    glow.setColorAt(0, QColor(40, 140, 82));
    glow.setColorAt(1, Felt());
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 118, 118);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 110), 2));
    p.drawEllipse(centre, 104, 104);
    p.setPen(QPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 70), 1));
    p.drawEllipse(centre, 97, 97);
    // The game's name, large and quiet, as if woven into the cloth.
    p.setPen(QColor(18, 84, 46));
    p.setFont(Font(64, true));
    p.drawText(QRectF(0, 52, 244, 80), Qt::AlignCenter, QStringLiteral("红十"));
    p.setPen(QColor(kGold.red(), kGold.green(), kGold.blue(), 150));
    p.setFont(Font(14, false));
    p.drawText(QRectF(0, 138, 244, 24), Qt::AlignCenter, QStringLiteral("RED  TEN"));
    return image;
}

QImage VerticalEdge(qreal scale) {
    QImage image = Canvas(7, 16, kWood, scale);
    for (int x = 0; x < 7; ++x) {
        for (int y = 0; y < 16; ++y) {
            Dot(image, x, y, RailColour(7, x).rgb());
        }
    }
    return image;
}

QImage HorizontalEdge(qreal scale) {
    QImage image = Canvas(16, 7, kWood, scale);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 16; ++x) {
            Dot(image, x, y, RailColour(7, 6 - y).rgb());  // the cloth is below the top rail
        }
    }
    return image;
}

QImage Corner(qreal scale) {
    // The top-right corner: rails along the top and the right, a brass plate.
    QImage image = Canvas(53, 50, Felt(), scale);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 53; ++x) {
            Dot(image, x, y, RailColour(7, 6 - y).rgb());
        }
    }
    for (int x = 46; x < 53; ++x) {
        for (int y = 0; y < 50; ++y) {
            Dot(image, x, y, RailColour(7, 52 - x).rgb());
        }
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.moveTo(53, 0);
    plate.lineTo(18, 0);
    plate.quadTo(30, 10, 32, 14);
    plate.quadTo(42, 18, 53, 34);
    plate.closeSubpath();
    QLinearGradient brass(QPointF(53, 0), QPointF(25, 28));
    brass.setColorAt(0, kGold);
    brass.setColorAt(1, kDeepGold);
    p.setPen(QPen(QColor(120, 84, 24), 1));
    p.setBrush(brass);
    p.drawPath(plate);
    p.setBrush(QColor(120, 84, 24));
    p.drawEllipse(QPointF(44, 8), 2.2, 2.2);
    return image;
}

QImage PassMark(qreal scale) {
    QImage image = Canvas(134, 34, Qt::black, scale);
    QPainterPath badge;
    badge.addRoundedRect(QRectF(1, 2, 65, 30), 14, 14);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing, false);
        // The mask half: black where the badge is, white around it.
        p.fillRect(67, 0, 67, 34, Qt::white);
        p.translate(67, 0);
        p.fillPath(badge, Qt::black);
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(badge, QColor(250, 236, 196));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kDeepGold, 2));
    p.drawPath(badge);
    p.setPen(QColor(60, 60, 70));
    p.setFont(Font(18, true));
    p.drawText(QRectF(1, 2, 65, 30), Qt::AlignCenter, QStringLiteral("不出"));
    return image;
}

QImage LiangFlags(qreal scale) {
    QImage image = Canvas(64, 30, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QString suits[2] = {QStringLiteral("\u2665"), QStringLiteral("\u2666")};
    for (int i = 0; i < 2; ++i) {
        const QRectF flag(i * 32 + 2, 2, 28, 26);
        p.setPen(QPen(kGold, 1.5));
        p.setBrush(QColor(196, 22, 36));
        p.drawRoundedRect(flag, 5, 5);
        p.setPen(Qt::white);
        p.setFont(Font(11, true, QStringLiteral("DejaVu Sans")));
        p.drawText(flag.adjusted(0, 1, 0, -12), Qt::AlignCenter, suits[i]);
        p.drawText(flag.adjusted(0, 12, 0, 0), Qt::AlignCenter, QStringLiteral("10"));
    }
    return image;
}

QImage ReadyHand(qreal scale) {
    QImage image = Canvas(80, 35, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 1.5));
    p.setBrush(QColor(16, 80, 44));
    p.drawRoundedRect(QRectF(1, 2, 78, 31), 15, 15);
    p.setPen(QColor(255, 236, 170));
    p.setFont(Font(16, true));
    p.drawText(QRectF(1, 2, 78, 31), Qt::AlignCenter, QStringLiteral("已准备"));
    return image;
}

QImage Places(qreal scale) {
    QImage image = Canvas(144, 46, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor medals[3] = {QColor(236, 192, 64), QColor(200, 204, 212), QColor(196, 124, 72)};
    const QString names[3] = {QStringLiteral("头游"), QStringLiteral("二游"), QStringLiteral("三游")};
    for (int r = 0; r < 3; ++r) {
        const QRectF cell(r * 48 + 2, 2, 44, 42);
        QRadialGradient shine(cell.center() - QPointF(6, 6), 26);
        shine.setColorAt(0, medals[r].lighter(140));
        shine.setColorAt(1, medals[r]);
        p.setPen(QPen(medals[r].darker(150), 1.5));
        p.setBrush(shine);
        p.drawEllipse(cell);
        p.setPen(QColor(70, 40, 10));
        p.setFont(Font(15, true));
        p.drawText(cell, Qt::AlignCenter, names[r]);
    }
    return image;
}

QImage Face(int number, qreal scale) {
    QImage image = Canvas(32, 32, Qt::transparent, scale, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A round portrait: a coloured ground and a simple figure; each number
    // its own colours.
    const int hue = (number * 47) % 360;
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
    p.setBrush(QColor::fromHsv(hue, 120, 200));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 226, 200));
    p.drawEllipse(QRectF(11, 6, 10, 11));
    p.setBrush(QColor::fromHsv((hue + 180) % 360, 160, 150));
    QPainterPath body;
    body.moveTo(6, 29);
    body.quadTo(16, 14, 26, 29);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(50, 36, 30));
    p.drawChord(QRectF(10, 4, 12, 9), 0, 180 * 16);
    return image;
}

QImage NetBreak(qreal scale) {
    QImage image = Canvas(32, 32, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(250, 210, 60), 2));
    p.setBrush(QColor(60, 40, 30));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(QColor(255, 90, 80), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(22, 22));
    p.drawLine(QPointF(22, 10), QPointF(10, 22));
    return image;
}

QImage MessageIcon(int type, qreal scale) {
    QImage image = Canvas(32, 32, Qt::transparent, scale, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[3] = {QColor(60, 130, 210), QColor(40, 160, 90), QColor(230, 150, 30)};
    const QString marks[3] = {QStringLiteral("…"), QStringLiteral("i"), QStringLiteral("?")};
    const int t = type < 0 || type > 2 ? 0 : type;
    p.setPen(Qt::NoPen);
    p.setBrush(colours[t]);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setPen(Qt::white);
    p.setFont(Font(20, true, QStringLiteral("DejaVu Serif")));
    p.drawText(QRectF(1, 0, 30, 30), Qt::AlignCenter, marks[t]);
    return image;
}

}  // namespace redten::assets
