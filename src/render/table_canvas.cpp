#include "render/table_canvas.h"

#include <QPainter>

#include "pictures/table_pictures.h"
#include "render/blit.h"

namespace redten {
namespace {

constexpr int kMidWidth = 244;
constexpr int kMidHeight = 247;
constexpr char kMid[] = "Res\\GameBackMid.bmp";

}  // namespace

QFont TableFont(int points, bool bold, const char* face) {
    QFont font(QString::fromUtf8(face));
    font.setPixelSize(points * 96 / 72);
    font.setBold(bold);
    return font;
}

TableCanvas::TableCanvas(GameArea& area, ImageStore& images)
    : area_(area), images_(images), cloth_(assets::ClothTile()) {
    SyncRatio();
}

int TableCanvas::Width() const { return LogicalSize(Surface()).width(); }
int TableCanvas::Height() const { return LogicalSize(Surface()).height(); }

void TableCanvas::SyncRatio() {
    const qreal ratio = area_.Ratio();
    if (ratio != images_.Ratio() || ratio != cloth_.devicePixelRatio()) {
        images_.SetRatio(ratio);
        // The cloth is drawn here at exactly the area's ratio, whatever it is.
        cloth_ = assets::ClothTile(ratio);
    }
}

void TableCanvas::PaintGameBackMid() {
    QImage& s = Surface();
    if (const QImage* mid = images_.App(kMid)) {
        const QSize size = LogicalSize(*mid);
        Blit(s, (Width() - kMidWidth) / 2, (Height() - kMidHeight) / 2, size.width(), size.height(),
             *mid, 0, 0, RasterOp::Copy);
    }
}

QRect TableCanvas::PrintText(int x, int y, const std::string& text, QColor colour, int points,
                             bool bold, const char* face) {
    QPainter p(&Surface());
    p.setFont(TableFont(points, bold, face));
    p.setPen(colour);
    const QString t = QString::fromStdString(text);
    const QRect box = p.boundingRect(QRect(x, y, 2000, 200), Qt::AlignLeft | Qt::AlignTop, t);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop, t);
    return box;
}

void TableCanvas::BlitMaskedCell(const QImage& sheet, int cellX, int maskX, int w, int h, int x, int y,
                                 bool mirrored) {
    QImage& s = Surface();
    if (!mirrored) {
        Blit(s, x, y, w, h, sheet, maskX, 0, RasterOp::And);
        Blit(s, x, y, w, h, sheet, cellX, 0, RasterOp::Or);
    } else {
        BlitPicture(s, x, y, -w, h, CopyLogical(sheet, QRect(maskX, 0, w, h)), RasterOp::And);
        BlitPicture(s, x, y, -w, h, CopyLogical(sheet, QRect(cellX, 0, w, h)), RasterOp::Or);
    }
}

}  // namespace redten
