#include "pictures/cards.h"

#include "pictures/drawing.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace redten::assets {
namespace {

const QColor kRed(200, 24, 36);
const QColor kBlack(24, 24, 28);
const QColor kPaper(252, 250, 244);
const QColor kEdge(150, 150, 150);

// Suits 0 and 3 are the red ones: hearts and diamonds.
const char16_t kSuitGlyph[4] = {u'\u2665', u'\u2660', u'\u2663', u'\u2666'};

QPainterPath Outline() {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, kCardWidth, kCardHeight), 6, 6);
    return path;
}

QImage Blank(QColor fill, qreal scale) { return Canvas(kCardWidth, kCardHeight, fill, scale); }

// The outline filled with one colour, without smoothing, so that mask and
// face agree pixel for pixel on where the card ends.
void FillOutline(QImage& image, QColor inside) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(inside);
    p.drawPath(Outline());
}

// Smoothing reaches a little past the outline; outside it a picture must
// stay black, or the OR would tint the cloth around the card.
void FitToMask(QImage& image) {
    const QImage mask = CardMask(image.devicePixelRatio());
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((m[x] & 0xFFFFFF) != 0) {
                row[x] = qRgb(0, 0, 0);
            }
        }
    }
}

QString RankText(int value) {
    switch (value) {
        case 1: return QStringLiteral("A");
        case 11: return QStringLiteral("J");
        case 12: return QStringLiteral("Q");
        case 13: return QStringLiteral("K");
        default: return QString::number(value);
    }
}

QFont LatinFont(int pixels, bool bold, const QString& family = QStringLiteral("DejaVu Sans")) {
    return Font(pixels, bold, family);
}

// The rank and a small suit in a corner: the part of a card that shows
// when cards overlap in a row.
void Index(QPainter& p, const QString& rank, QChar suit, QColor colour) {
    p.setPen(colour);
    const bool wide = rank.size() > 1;
    p.setFont(Font(wide ? 12 : 15, true, wide ? QStringLiteral("DejaVu Sans Condensed")
                                              : QStringLiteral("DejaVu Sans")));
    p.drawText(QRect(1, 3, 17, 17), Qt::AlignHCenter | Qt::AlignTop, rank);
    p.setFont(LatinFont(13, false));
    p.drawText(QRect(1, 19, 17, 15), Qt::AlignHCenter | Qt::AlignTop, QString(suit));
}

}  // namespace

QImage CardFace(int n, qreal scale) {
    const int suit = n / 13;
    const int value = n % 13 + 1;
    const QColor colour = suit == 0 || suit == 3 ? kRed : kBlack;
    const QChar glyph(kSuitGlyph[suit]);

    QImage image = Blank(Qt::black, scale);
    FillOutline(image, kPaper);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // The edge is one device pixel wide at every scale: a hairline just
    // inside the outline.
    const qreal px = 1.0 / scale;
    p.setPen(QPen(kEdge, px));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(px / 2, px / 2, kCardWidth - px, kCardHeight - px), 6, 6);

    const QString rank = RankText(value);
    Index(p, rank, glyph, colour);
    // The same index upside down in the opposite corner.
    p.save();
    p.translate(kCardWidth, kCardHeight);
    p.rotate(180);
    Index(p, rank, glyph, colour);
    p.restore();

    const QRect middle(18, 18, kCardWidth - 36, kCardHeight - 36);
    if (value >= 11) {
        // Court cards: a framed panel with the letter over the suit.
        p.setPen(QPen(QColor(196, 160, 64), 1.5));
        p.setBrush(QColor(250, 238, 205));
        p.drawRoundedRect(QRectF(middle).adjusted(0, 0, 0, 0), 4, 4);
        p.setPen(colour);
        p.setFont(Font(30, true, QStringLiteral("DejaVu Serif")));
        p.drawText(middle.adjusted(0, 2, 0, -22), Qt::AlignCenter, rank);
        p.setFont(LatinFont(22, false));
        p.drawText(middle.adjusted(0, 36, 0, 0), Qt::AlignCenter, QString(glyph));
    } else {
        p.setPen(colour);
        p.setFont(LatinFont(value == 1 ? 44 : 36, false));
        p.drawText(middle, Qt::AlignCenter, QString(glyph));
    }
    p.end();
    FitToMask(image);
    return image;
}

QImage CardMask(qreal scale) {
    QImage image = Blank(Qt::white, scale);
    FillOutline(image, Qt::black);
    return image;
}

QImage CardBack(qreal scale) {
    QImage image = Blank(Qt::black, scale);
    FillOutline(image, QColor(248, 246, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF field(4, 4, kCardWidth - 8, kCardHeight - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 22, 34));
    p.drawRoundedRect(field, 4, 4);
    // A fine lattice of gold lines over the red.
    p.setClipRect(field.adjusted(2, 2, -2, -2));
    p.setPen(QPen(QColor(214, 170, 80, 150), 1));
    for (int d = -kCardHeight; d < kCardWidth + kCardHeight; d += 8) {
        p.drawLine(QPointF(d, 0), QPointF(d + kCardHeight, kCardHeight));
        p.drawLine(QPointF(d, kCardHeight), QPointF(d + kCardHeight, 0));
    }
    p.setClipping(false);
    p.setPen(QPen(QColor(230, 196, 110), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(field.adjusted(3, 3, -3, -3), 3, 3);
    // A round seal in the middle with the game's name.
    const QRectF seal(kCardWidth / 2.0 - 17, kCardHeight / 2.0 - 17, 34, 34);
    p.setPen(QPen(QColor(230, 196, 110), 2));
    p.setBrush(QColor(120, 14, 24));
    p.drawEllipse(seal);
    p.setPen(QColor(244, 214, 130));
    p.setFont(Font(13, true, QStringLiteral("WenQuanYi Zen Hei")));
    p.drawText(seal, Qt::AlignCenter, QStringLiteral("红十"));
    p.end();
    FitToMask(image);
    return image;
}

}  // namespace redten::assets
