// redten-assets: draws every picture the table loads, into a program tree.
//   redten-assets OUTDIR              (OUTDIR/table/Res/…, OUTDIR/res/…)
//   redten-assets --sheet FILE.png    the whole deck laid out on the cloth
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <iostream>

#include "cards.h"
#include "table_pictures.h"

using namespace redten::assets;

namespace {

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray format = path.endsWith(QLatin1String(".ico")) ? "ICO" : "BMP";
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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--sheet")) {
        return DeckSheet().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
    }
    if (argc != 2) {
        std::cerr << "usage: redten-assets OUTDIR | --sheet FILE.png" << std::endl;
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString table = out.filePath(QStringLiteral("table"));
    bool ok = true;
    for (int n = 0; n < 52; ++n) {
        ok &= Save(CardFace(n), table + QStringLiteral("/Res/ResPk/Pk%1.bmp").arg(n));
    }
    ok &= Save(CardMask(), table + QStringLiteral("/Res/ResPk/PkMask.bmp"));
    ok &= Save(CardBack(), table + QStringLiteral("/Res/PkBack.bmp"));

    const QString res = table + QStringLiteral("/Res/");
    ok &= Save(CentrePicture(), res + QStringLiteral("GameBackMid.bmp"));
    ok &= Save(VerticalEdge(), res + QStringLiteral("GameBackVsBian.bmp"));
    ok &= Save(HorizontalEdge(), res + QStringLiteral("GameBackHsBian.bmp"));
    ok &= Save(Corner(), res + QStringLiteral("GameBackJiao.bmp"));
    ok &= Save(PassMark(), res + QStringLiteral("BuChu.bmp"));
    ok &= Save(LiangFlags(), res + QStringLiteral("LiangFlag.bmp"));
    ok &= Save(ReadyHand(), res + QStringLiteral("Hand.bmp"));
    ok &= Save(Places(), res + QStringLiteral("MingCi.bmp"));
    // Portraits for every face number the room hands out, and the
    // message-box icons, below the program's parent directory.
    for (int n = 0; n <= 12; ++n) {
        ok &= Save(Face(n), out.filePath(QStringLiteral("UserRes/LargeUser/%1.ico").arg(n)));
    }
    for (int t = 0; t <= 2; ++t) {
        ok &= Save(MessageIcon(t), out.filePath(QStringLiteral("res/Msg%1.ico").arg(t)));
    }
    return ok ? 0 : 1;
}
