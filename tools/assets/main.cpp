// redten-assets: draws every picture the table loads, into a program tree.
//   redten-assets OUTDIR              (OUTDIR/table/Res/…, OUTDIR/res/…), each
//                                     picture also at 1.5, 2 and 3 ("Pk0@2x.bmp")
//   redten-assets --sheet FILE.png    the whole deck laid out on the cloth
//   redten-assets --skins FILE.png    every other picture, side by side
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <functional>
#include <iostream>

#include "pictures/cards.h"
#include "pictures/skin_pictures.h"
#include "pictures/table_pictures.h"
#include "pictures/variants.h"
#include "wire/message.h"

using namespace redten::assets;

namespace {

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray format = path.endsWith(QLatin1String(".ico"))   ? "ICO"
                              : path.endsWith(QLatin1String(".png")) ? "PNG"
                                                                     : "BMP";
    const QImage out = format == "BMP" ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!out.save(path, format.constData())) {
        std::cerr << "redten-assets: cannot write " << path.toStdString() << std::endl;
        return false;
    }
    return true;
}

// Every face in suit rows as cards lie in a hand, then the back and mask.
QImage DeckSheet() {
    QImage sheet(40 + 12 * 18 + kCardWidth + 120, 20 + 5 * (kCardHeight + 12), QImage::Format_RGB32);
    sheet.fill(QColor(24, 110, 60));
    QPainter p(&sheet);
    const QImage mask = CardMask();
    for (int suit = 0; suit < 4; ++suit) {
        for (int i = 0; i < 13; ++i) {
            const QImage face = CardFace(suit * 13 + i);
            const QPoint at(20 + i * 18, 10 + suit * (kCardHeight + 12));
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            p.drawImage(at, mask);
            p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            p.drawImage(at, face);
        }
    }
    const QPoint at(20, 10 + 4 * (kCardHeight + 12));
    p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    p.drawImage(at, mask);
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.drawImage(at, CardBack());
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(at + QPoint(100, 0), CardFace(0));
    p.drawImage(at + QPoint(200, 0), mask);
    return sheet;
}

// A card as the browser draws it: transparent outside its outline.
QImage WebCard(const QImage& face, qreal scale) {
    QImage card = face.convertToFormat(QImage::Format_ARGB32);
    card.setDevicePixelRatio(1);  // pixel for pixel into the sheet
    QImage alpha = CardMask(scale).convertToFormat(QImage::Format_Grayscale8);
    alpha.invertPixels();
    card.setAlphaChannel(alpha);
    return card;
}

// The browser's deck in one picture: picture n at column n % 13 of row
// n / 13, the back alone in the fifth row.
QImage WebDeck(qreal scale) {
    const int w = qRound(kCardWidth * scale), h = qRound(kCardHeight * scale);
    QImage sheet(13 * w, 5 * h, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    for (int n = 0; n < 52; ++n) {
        p.drawImage((n % 13) * w, (n / 13) * h, WebCard(CardFace(n, scale), scale));
    }
    p.drawImage(0, 4 * h, WebCard(CardBack(scale), scale));
    return sheet;
}

// The portraits the room hands out, side by side, by number.
QImage WebFaces(qreal scale) {
    const int side = qRound(32 * scale);
    QImage sheet(13 * side, side, QImage::Format_ARGB32);
    sheet.fill(Qt::transparent);
    QPainter p(&sheet);
    for (int n = 0; n <= 12; ++n) {
        QImage face = Face(n, scale);
        face.setDevicePixelRatio(1);  // pixel for pixel into the sheet
        p.drawImage(n * side, 0, face);
    }
    return sheet;
}

// What the browser's table draws with, at 1 and 2: fewer, larger files
// load faster than many small ones.
bool SaveWebPictures(const QString& web) {
    bool ok = true;
    for (const double scale : {1.0, 2.0}) {
        const QString suffix = scale == 1.0 ? QString() : QStringLiteral("@2x");
        ok &= Save(WebDeck(scale), web + QStringLiteral("/cards%1.png").arg(suffix));
        ok &= Save(WebFaces(scale), web + QStringLiteral("/faces%1.png").arg(suffix));
        ok &= Save(CentrePicture(scale), web + QStringLiteral("/cloth%1.png").arg(suffix));
    }
    ok &= Save(Logo(2.0), web + QStringLiteral("/icon.png"));
    return ok;
}

// The table's other pictures side by side, as they are drawn.
QImage SkinSheet() {
    const QImage pictures[] = {TimeBarHead(), TimeBarEnd(),  ClockFrames(),   OptionButtons(),
                               OutButtons(),  LiangButtons(), MessageMiddle(), MessageEdge(),
                               PanelFrame(),  CaptionMiddle(), CaptionEnd(),  SystemButtons(),
                               UserButtons(), PassMark(),     LiangFlags(),   ReadyHand(),
                               Places(),      Corner(),       BlastFrame(1, 4), BlastFrame(2, 8),
                               Logo(),        NetBreak(),     Face(3),        CentrePicture()};
    QImage sheet(720, 760, QImage::Format_RGB32);
    sheet.fill(QColor(40, 40, 48));
    QPainter p(&sheet);
    int x = 10, y = 10, rowHeight = 0;
    for (const QImage& picture : pictures) {
        if (x + picture.width() > sheet.width() - 10) {
            x = 10;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        p.drawImage(x, y, picture);
        x += picture.width() + 10;
        rowHeight = std::max(rowHeight, picture.height());
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--sheet")) {
        return DeckSheet().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--skins")) {
        return SkinSheet().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (argc != 2) {
        std::cerr << "usage: redten-assets OUTDIR | --sheet FILE.png" << std::endl;
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString table = out.filePath(QStringLiteral("table"));
    const QString res = table + QStringLiteral("/Res/");
    bool ok = true;
    // Every picture at every scale: the plain name at 1, the scale in the
    // name for the others.
    const auto save = [&ok](const QString& path, const std::function<QImage(qreal)>& draw) {
        for (const double scale : kScales) {
            ok &= Save(draw(scale), VariantName(path, scale));
        }
    };
    for (int n = 0; n < 52; ++n) {
        save(table + QStringLiteral("/Res/ResPk/Pk%1.bmp").arg(n), [n](qreal s) { return CardFace(n, s); });
    }
    save(table + QStringLiteral("/Res/ResPk/PkMask.bmp"), CardMask);
    save(table + QStringLiteral("/Res/PkBack.bmp"), CardBack);

    save(res + QStringLiteral("GameBackMid.bmp"), CentrePicture);
    save(res + QStringLiteral("GameBackVsBian.bmp"), VerticalEdge);
    save(res + QStringLiteral("GameBackHsBian.bmp"), HorizontalEdge);
    save(res + QStringLiteral("GameBackJiao.bmp"), Corner);
    save(res + QStringLiteral("BuChu.bmp"), PassMark);
    save(res + QStringLiteral("LiangFlag.bmp"), LiangFlags);
    save(res + QStringLiteral("Hand.bmp"), ReadyHand);
    save(res + QStringLiteral("MingCi.bmp"), Places);
    // Portraits for every face number the room hands out, and the
    // message-box icons, below the program's parent directory.
    for (int n = 0; n <= 12; ++n) {
        save(out.filePath(QStringLiteral("UserRes/LargeUser/%1.ico").arg(n)),
             [n](qreal s) { return Face(n, s); });
    }
    for (int t = 0; t <= 2; ++t) {
        save(out.filePath(QStringLiteral("res/Msg%1.ico").arg(t)), [t](qreal s) { return MessageIcon(t, s); });
    }

    save(res + QStringLiteral("TimeBarHead.bmp"), TimeBarHead);
    save(res + QStringLiteral("TimeBarEnd.bmp"), TimeBarEnd);
    save(res + QStringLiteral("Clock.bmp"), ClockFrames);
    save(res + QStringLiteral("UserOptBut.bmp"), OptionButtons);
    save(res + QStringLiteral("UserOutBut.bmp"), OutButtons);
    save(res + QStringLiteral("LiangHong10.bmp"), LiangButtons);
    save(res + QStringLiteral("MsgMid.bmp"), MessageMiddle);
    save(res + QStringLiteral("MsgBian.bmp"), MessageEdge);
    save(res + QStringLiteral("ModeMsg.bmp"), PanelFrame);
    save(res + QStringLiteral("CaptionMid.bmp"), CaptionMiddle);
    save(res + QStringLiteral("CaptionLR.bmp"), CaptionEnd);
    save(res + QStringLiteral("SysMenu.bmp"), SystemButtons);
    save(res + QStringLiteral("UserButton.bmp"), UserButtons);
    save(res + QStringLiteral("VSpliterBk.bmp"), SplitterBack);
    save(res + QStringLiteral("VSpliterMidBk.bmp"), SplitterMiddle);
    save(res + QStringLiteral("VSpliterMid_Right.bmp"), [](qreal s) { return SplitterArrow(true, s); });
    save(res + QStringLiteral("VSpliterMid_Left.bmp"), [](qreal s) { return SplitterArrow(false, s); });

    ok &= SaveWebPictures(out.filePath(QStringLiteral("web/pictures")));

    // The desktop's icon for the installed game.
    ok &= Save(Logo(), out.filePath(QStringLiteral("redten.png")));

    for (int kind = 1; kind <= 2; ++kind) {
        for (int frame = 1; frame <= (kind == 1 ? 9 : 15); ++frame) {
            const QString path = res + QStringLiteral("Bomb/b%1/Blast0%2.jpg")
                                           .arg(kind)
                                           .arg(frame, 2, 10, QLatin1Char('0'));
            QDir().mkpath(QFileInfo(path).absolutePath());
            for (const double scale : kScales) {
                ok &= BlastFrame(kind, frame, scale).save(VariantName(path, scale), "JPG", 100);
            }
        }
    }
    QDir().mkpath(res + QStringLiteral("Sound"));
    for (int n = 0; n < 10; ++n) {
        QFile wave(res + QStringLiteral("Sound/") + SoundFile(n));
        ok &= wave.open(QIODevice::WriteOnly) && wave.write(Sound(n)) > 0;
    }

    // The items' descriptions, in the table's code page.
    const std::string notes =
        "[DaoJuInfo_ID_1]\r\nNote=在房间里大声说一句话，所有人都能看到。\r\n"
        "[DaoJuInfo_ID_2]\r\nNote=送给喜欢的牌友一束鲜花。\r\n"
        "[DaoJuInfo_ID_3]\r\nNote=向打得不好的牌友扔一个鸡蛋，小心别扔错人。\r\n";
    redten::Bytes encoded;
    redten::MakeSendBytes(notes, encoded);
    QDir().mkpath(res + QStringLiteral("DaoJu"));
    QFile ini(res + QStringLiteral("DaoJu/DaoJuInfo.ini"));
    ok &= ini.open(QIODevice::WriteOnly) &&
          ini.write(reinterpret_cast<const char*>(encoded.data()), static_cast<qint64>(encoded.size())) > 0;
    return ok ? 0 : 1;
}
