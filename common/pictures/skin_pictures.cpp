#include "pictures/skin_pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>

#include <cmath>
#include <vector>

#include "pictures/table_pictures.h"

#include "pictures/drawing.h"

namespace redten::assets {
namespace {

const QColor kFrameRed(150, 26, 34);
const QColor kFrameDark(96, 16, 22);

// A rounded button face: warm when normal, brighter when lit.
void ButtonFace(QPainter& p, const QRectF& r, bool lit, const QString& caption, int pixels) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, lit ? QColor(255, 236, 170) : QColor(246, 214, 140));
    g.setColorAt(1, lit ? QColor(236, 176, 72) : QColor(206, 146, 52));
    p.setPen(QPen(QColor(120, 70, 20), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() / 3, r.height() / 3);
    if (!caption.isEmpty()) {
        p.setPen(QColor(70, 30, 10));
        p.setFont(Font(pixels, true));
        p.drawText(r, Qt::AlignCenter, caption);
    }
}

// Black where a rounded shape of size w × h is, white around it.
void RoundMask(QImage& image, int x, int w, int h) {
    QPainter p(&image);
    p.fillRect(x, 0, w, h, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(x, 0, w, h), h / 3.0, h / 3.0);
}

// Clears to black everything of cell [x, x + w) that the mask at mx leaves
// white, so that AND then OR shows exactly the shape.
// Works on device pixels: the cells start where a blit of them starts.
void FitCell(QImage& image, int x, int w, int mx) {
    const qreal s = image.devicePixelRatio();
    const int dx = Scaled(x, s);
    const int dmx = Scaled(mx, s);
    const int dw = std::min({Scaled(x + w, s) - dx, image.width() - dx, image.width() - dmx});
    for (int y = 0; y < image.height(); ++y) {
        for (int i = 0; i < dw; ++i) {
            if ((image.pixel(dmx + i, y) & 0xFFFFFF) != 0) {
                image.setPixel(dx + i, y, qRgb(0, 0, 0));
            }
        }
    }
}

}  // namespace

QImage TimeBarHead(qreal scale) {
    QImage image = Canvas(52, 36, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 1.5));
    p.setBrush(QColor(14, 70, 38));
    p.drawRoundedRect(QRectF(1, 2, 60, 32), 12, 12);  // runs on under the clock
    return image;
}

QImage TimeBarEnd(qreal scale) {
    QImage image = Canvas(12, 36, Felt(), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 1.5));
    p.setBrush(QColor(14, 70, 38));
    p.drawRoundedRect(QRectF(-20, 2, 31, 32), 12, 12);
    return image;
}

QImage ClockFrames(qreal scale) {
    QImage image = Canvas(279, 38, Qt::black, scale);
    {
        QPainter p(&image);
        p.fillRect(248, 0, 31, 38, Qt::white);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QRectF(248 + 1, 5, 29, 29));
        p.drawRect(248 + 12, 0, 7, 6);
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < 8; ++f) {
        const QPointF centre(f * 31 + 15.5, 19.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kDeepGold);
        p.drawRect(QRectF(f * 31 + 12, 0, 7, 6));
        p.setBrush(QColor(250, 246, 232));
        p.setPen(QPen(kDeepGold, 2));
        p.drawEllipse(centre, 13.5, 13.5);
        // The hand goes round once in eight frames.
        const double angle = f * M_PI / 4;
        p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre, centre + QPointF(9 * std::sin(angle), -9 * std::cos(angle)));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 40, 20));
        p.drawEllipse(centre, 2, 2);
    }
    p.end();
    for (int f = 0; f < 8; ++f) {
        FitCell(image, f * 31, 31, 248);
    }
    return image;
}

// Two buttons side by side, normal, then the same two lit: drawn opaque.
QImage TwoButtonSheet(int w, int h, QColor ground, const QString (&captions)[2], int pixels,
                      qreal scale) {
    QImage image = Canvas(4 * w, h, ground, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int lit = 0; lit < 2; ++lit) {
        for (int i = 0; i < 2; ++i) {
            ButtonFace(p, QRectF((i + lit * 2) * w, 0, w, h), lit == 1, captions[i], pixels);
        }
    }
    return image;
}

QImage OptionButtons(qreal scale) {
    const QString captions[2] = {QStringLiteral("排序"), QStringLiteral("上轮")};
    return TwoButtonSheet(44, 24, Felt(), captions, 12, scale);
}

QImage OutButtons(qreal scale) {
    QImage image = Canvas(427, 28, Qt::black, scale);
    RoundMask(image, 366, 61, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QString captions[3] = {QStringLiteral("出牌"), QStringLiteral("不出"), QStringLiteral("提示")};
    for (int state = 0; state < 2; ++state) {
        for (int i = 0; i < 3; ++i) {
            ButtonFace(p, QRectF((i + state * 3) * 61, 0, 61, 28), state == 1, captions[i], 15);
        }
    }
    p.end();
    for (int cell = 0; cell < 6; ++cell) {
        FitCell(image, cell * 61, 61, 366);
    }
    return image;
}

QImage LiangButtons(qreal scale) {
    QImage image = Canvas(270, 20, Qt::black, scale);
    RoundMask(image, 180, 90, 20);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int state = 0; state < 2; ++state) {
        ButtonFace(p, QRectF(state * 90, 0, 90, 20), state == 1, QString(), 0);
    }
    p.end();
    FitCell(image, 0, 90, 180);
    FitCell(image, 90, 90, 180);
    return image;
}

QImage MessageMiddle(qreal scale) {
    QImage image = Canvas(6, 51, QColor(250, 238, 205), scale);
    QPainter p(&image);
    p.setPen(kDeepGold);
    p.drawLine(0, 1, 5, 1);
    p.drawLine(0, 49, 5, 49);
    return image;
}

QImage MessageEdge(qreal scale) {
    QImage image = Canvas(36, 51, Qt::black, scale);
    {
        QPainter p(&image);
        p.fillRect(18, 0, 18, 51, Qt::white);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(18 + 2, 6, 40, 51 - 12), 14, 14);
        p.fillRect(18 + 14, 6, 4, 51 - 12, Qt::black);
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(0, 0, 18, 51);  // the picture's own cell; the mask is beside it
    p.setPen(QPen(kDeepGold, 1.5));
    p.setBrush(QColor(250, 238, 205));
    p.drawRoundedRect(QRectF(2, 6, 40, 51 - 12), 14, 14);
    p.end();
    FitCell(image, 0, 18, 18);
    return image;
}

QImage PanelFrame(qreal scale) {
    // Slices: 0 top-left corner, 1 its mask, 2 bottom-left corner, 3 its
    // mask, 4 top edge, 5 bottom edge, 6 side edge.
    QImage image = Canvas(126, 28, QColor(247, 207, 156), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int corner = 0; corner < 2; ++corner) {
        const int x = corner * 36;
        p.fillRect(x, 0, 18, 28, Qt::black);
        p.fillRect(x + 18, 0, 18, 28, Qt::white);
        const QRectF round = corner == 0 ? QRectF(0, 0, 36, 56) : QRectF(0, -28, 36, 56);
        p.save();
        p.setClipRect(x, 0, 18, 28);
        p.translate(x, 0);
        p.setPen(QPen(kFrameDark, 2));
        p.setBrush(kFrameRed);
        p.drawRoundedRect(round.adjusted(1, 1, -1, -1), 10, 10);
        p.setPen(QPen(kGold, 1.5));
        p.setBrush(QColor(247, 207, 156));
        p.drawRoundedRect(round.adjusted(7, 7, -7, -7), 6, 6);
        p.restore();
        p.save();
        p.setClipRect(x + 18, 0, 18, 28);
        p.translate(x + 18, 0);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(round.adjusted(1, 1, -1, -1), 10, 10);
        p.restore();
    }
    // The top edge (slice 4) and the bottom edge (slice 5): a red band with a
    // gold line on the inside.
    p.fillRect(4 * 18, 0, 36, 28, QColor(247, 207, 156));
    p.fillRect(4 * 18, 1, 18, 6, kFrameRed);
    p.fillRect(4 * 18, 7, 18, 1, kGold);
    p.fillRect(5 * 18, 21, 18, 6, kFrameRed);
    p.fillRect(5 * 18, 20, 18, 1, kGold);
    p.fillRect(6 * 18, 0, 18, 28, QColor(247, 207, 156));
    p.fillRect(6 * 18 + 1, 0, 6, 28, kFrameRed);
    p.fillRect(6 * 18 + 7, 0, 1, 28, kGold);
    p.end();
    FitCell(image, 0, 18, 18);
    FitCell(image, 36, 18, 54);
    return image;
}

QImage CaptionMiddle(qreal scale) {
    QImage image = Canvas(12, 31, kFrameRed, scale);
    for (int y = 0; y < 31; ++y) {
        const double t = y / 30.0;
        for (int x = 0; x < 12; ++x) {
            Dot(image, x, y, QColor::fromRgbF(0.72 - 0.25 * t, 0.14 - 0.06 * t, 0.16 - 0.06 * t).rgb());
        }
    }
    for (int x = 0; x < 12; ++x) {
        Dot(image, x, 30, kGold.rgb());
    }
    return image;
}

QImage CaptionEnd(qreal scale) {
    QImage image = CaptionMiddle(scale).scaled(Scaled(15, scale), Scaled(31, scale));
    image.setDevicePixelRatio(scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 2));
    p.drawLine(QPointF(13, 3), QPointF(13, 28));
    return image;
}

QImage SystemButtons(qreal scale) {
    QImage image = Canvas(168, 21, kFrameRed, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int lit = 0; lit < 2; ++lit) {
        for (int i = 0; i < 4; ++i) {
            const QRectF cell((i + lit * 4) * 21 + 1, 1, 19, 19);
            p.setPen(QPen(kGold, 1));
            p.setBrush(lit ? QColor(200, 60, 60) : kFrameDark);
            p.drawRoundedRect(cell, 4, 4);
            p.setPen(QPen(QColor(255, 240, 200), 2));
            const QPointF c = cell.center();
            switch (i) {
                case 0: p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4)); break;
                case 1: p.drawRect(QRectF(c.x() - 5, c.y() - 5, 10, 10)); break;
                case 2:
                    p.drawRect(QRectF(c.x() - 5, c.y() - 2, 7, 7));
                    p.drawLine(c + QPointF(-2, -5), c + QPointF(5, -5));
                    p.drawLine(c + QPointF(5, -5), c + QPointF(5, 2));
                    break;
                default:
                    p.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
                    p.drawLine(c + QPointF(5, -5), c + QPointF(-5, 5));
            }
        }
    }
    return image;
}

QImage UserButtons(qreal scale) {
    const QString captions[2] = {QStringLiteral("设置"), QStringLiteral("帮助")};
    return TwoButtonSheet(41, 25, QColor(250, 250, 250), captions, 13, scale);
}

QImage SplitterBack(qreal scale) {
    QImage image = Canvas(12, 3, QColor(226, 218, 204), scale);
    for (int y = 0; y < 3; ++y) {
        Dot(image, 0, y, qRgb(255, 255, 255));
        Dot(image, 11, y, qRgb(160, 150, 136));
    }
    return image;
}

QImage SplitterMiddle(qreal scale) {
    QImage image = SplitterBack(scale);
    for (int x = 2; x < 10; ++x) {
        Dot(image, x, 1, qRgb(190, 150, 90));
    }
    return image;
}

QImage SplitterArrow(bool pointsRight, qreal scale) {
    QImage image = Canvas(12, 9, QColor(226, 218, 204), scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameRed);
    QPainterPath arrow;
    if (pointsRight) {
        arrow.moveTo(3, 0.5);
        arrow.lineTo(9, 4.5);
        arrow.lineTo(3, 8.5);
    } else {
        arrow.moveTo(9, 0.5);
        arrow.lineTo(3, 4.5);
        arrow.lineTo(9, 8.5);
    }
    arrow.closeSubpath();
    p.drawPath(arrow);
    return image;
}

QImage Logo(qreal scale) {
    QImage image = Canvas(32, 32, Qt::transparent, scale, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGold, 1.5));
    p.setBrush(kFrameRed);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
    p.setPen(QColor(255, 236, 170));
    p.setFont(Font(14, true));
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("红十"));
    return image;
}

QImage BlastFrame(int kind, int frame, qreal scale) {
    const bool big = kind == 1;
    const int w = big ? 180 : 88;
    const int h = big ? 135 : 80;
    const int frames = big ? 9 : 15;
    QImage image = Canvas(w, h, big ? Qt::black : Qt::white, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double t = static_cast<double>(frame) / frames;  // 0 .. 1
    const QPointF centre(w / 2.0, h / 2.0);
    const double radius = (0.15 + 0.85 * std::sin(t * M_PI / 2)) * h * 0.48;
    if (big) {
        // A bomb: a fireball that swells, then thins into sparks.
        QRadialGradient fire(centre, radius);
        fire.setColorAt(0, QColor(255, 255, 210));
        fire.setColorAt(0.35, QColor(255, 200, 60));
        fire.setColorAt(0.75, QColor(230, 80, 20));
        fire.setColorAt(1, QColor(90, 20, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(fire);
        p.drawEllipse(centre, radius * 1.3, radius);
        p.setPen(QPen(QColor(255, 220, 120), 2));
        for (int i = 0; i < 12; ++i) {
            const double a = i * M_PI / 6 + t;
            const double r0 = radius * 1.05;
            const double r1 = radius * (1.2 + 0.4 * t);
            p.drawLine(centre + QPointF(r0 * 1.3 * std::cos(a), r0 * std::sin(a)),
                       centre + QPointF(r1 * 1.3 * std::cos(a), r1 * std::sin(a)));
        }
    } else {
        // The two red tens: a ring of red and gold stars that opens out.
        for (int i = 0; i < 10; ++i) {
            const double a = i * M_PI / 5 + t * 2;
            const QPointF at = centre + QPointF(radius * 0.9 * std::cos(a), radius * 0.9 * std::sin(a));
            p.setPen(Qt::NoPen);
            p.setBrush(i % 2 ? QColor(220, 30, 40) : QColor(236, 180, 40));
            p.drawEllipse(at, 4 + 3 * (1 - t), 4 + 3 * (1 - t));
        }
        p.setPen(QColor(200, 20, 30));
        p.setFont(Font(static_cast<int>(14 + 10 * t), true));
        p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, QStringLiteral("红十"));
    }
    return image;
}

QString SoundFile(int number) {
    static const char* const names[10] = {"Start.wav", "Liang.wav", "OutPai.wav", "Pass.wav",
                                          "Hong10.wav", "ZhaDan.wav", "Warning.wav", "End.wav",
                                          "PangGuanIn.wav", "PangGuanOut.wav"};
    return QString::fromLatin1(names[number < 0 || number > 9 ? 0 : number]);
}

QByteArray Sound(int number) {
    // Each sound is a few tones: (frequency in Hz, milliseconds); 0 Hz rests.
    static const std::vector<std::pair<int, int>> tunes[10] = {
        {{523, 90}, {659, 90}, {784, 160}},            // start: a rising chord
        {{880, 70}, {1175, 140}},                      // showing a red ten
        {{330, 60}},                                   // a card laid down
        {{196, 90}},                                   // a pass
        {{784, 80}, {988, 80}, {1175, 80}, {1568, 220}},  // the two red tens
        {{110, 240}, {82, 260}},                       // a bomb
        {{988, 80}, {0, 60}, {988, 80}},               // the clock is running out
        {{784, 120}, {659, 120}, {523, 260}},          // the end
        {{659, 80}, {880, 120}},                       // a spectator comes
        {{880, 80}, {659, 120}},                       // a spectator goes
    };
    constexpr int kRate = 22050;
    std::vector<std::int16_t> samples;
    for (const auto& [hz, ms] : tunes[number < 0 || number > 9 ? 0 : number]) {
        const int n = kRate * ms / 1000;
        for (int i = 0; i < n; ++i) {
            // A soft attack and decay keep the tones from clicking.
            const double envelope = std::min(1.0, i / 200.0) * std::exp(-3.0 * i / n);
            const double value = hz == 0 ? 0 : std::sin(2 * M_PI * hz * i / kRate) * envelope;
            samples.push_back(static_cast<std::int16_t>(value * 9000));
        }
    }
    QByteArray wav;
    const auto put32 = [&](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    const auto put16 = [&](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    const quint32 dataBytes = static_cast<quint32>(samples.size() * 2);
    wav.append("RIFF");
    put32(qToLittleEndian<quint32>(36 + dataBytes));
    wav.append("WAVEfmt ");
    put32(qToLittleEndian<quint32>(16));
    put16(qToLittleEndian<quint16>(1));   // PCM
    put16(qToLittleEndian<quint16>(1));   // mono
    put32(qToLittleEndian<quint32>(kRate));
    put32(qToLittleEndian<quint32>(kRate * 2));
    put16(qToLittleEndian<quint16>(2));
    put16(qToLittleEndian<quint16>(16));
    wav.append("data");
    put32(qToLittleEndian<quint32>(dataBytes));
    for (const std::int16_t s : samples) {
        put16(qToLittleEndian<quint16>(static_cast<quint16>(s)));
    }
    return wav;
}

}  // namespace redten::assets
