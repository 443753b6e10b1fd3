#include "render/image_store.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures/variants.h"
#include "platform/resource_path.h"
#include "render/blit.h"

namespace redten {
namespace {

// Ratios above this are drawn from the largest variant; the bound keeps a
// strange screen from asking for an enormous picture.
constexpr qreal kLargestRatio = 8.0;

// Sheets and masks are opaque and blitted as raw pixels; a picture with
// its own transparency (a portrait) keeps it, to be drawn over the cloth.
QImage Decode(const std::string& base, std::string_view relative) {
    QImage image(ResolveResourcePath(base, relative));
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (!image.isNull() && image.format() != wanted) {
        image = image.convertToFormat(wanted);
    }
    return image;
}

}  // namespace

qreal ImageStore::Bounded(qreal ratio) {
    return ratio > 0 ? std::min(ratio, kLargestRatio) : 1.0;  // also NaN
}

QImage ImageStore::Load(const std::string& base, std::string_view relative, qreal ratio) {
    if (ratio == 1.0) {
        ++decoded_;
        return Decode(base, relative);
    }
    // The variants nearest the ratio first; of two as near, the larger,
    // since a picture loses less shrinking than growing.
    std::vector<qreal> order(std::begin(assets::kScales), std::end(assets::kScales));
    std::stable_sort(order.begin(), order.end(), [ratio](qreal a, qreal b) {
        const qreal da = std::abs(a - ratio);
        const qreal db = std::abs(b - ratio);
        return da != db ? da < db : a > b;
    });
    for (const qreal variant : order) {
        ++decoded_;
        QImage image = Decode(base, assets::VariantName(relative, variant));
        if (image.isNull()) {
            continue;
        }
        image.setDevicePixelRatio(variant);
        if (variant == ratio) {
            return image;
        }
        // Nearest pixel: a mask and its picture must stay in step.
        const QSize logical = LogicalSize(image);
        QImage fitted = image.scaled(std::max(ToDevice(logical.width(), ratio), 1),
                                     std::max(ToDevice(logical.height(), ratio), 1),
                                     Qt::IgnoreAspectRatio, Qt::FastTransformation);
        fitted.setDevicePixelRatio(ratio);
        return fitted;
    }
    return QImage();
}

const QImage* ImageStore::Get(const std::string& base, std::string_view relative, qreal ratio) {
    std::string key = ratio == 1.0 ? std::string() : QString::number(ratio).toStdString() + '|';
    key += base;
    key += '|';
    key += relative;
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        it = cache_.emplace(std::move(key), Load(base, relative, ratio)).first;
    }
    return it->second.isNull() ? nullptr : &it->second;
}

}  // namespace redten
