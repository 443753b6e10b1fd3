#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace redten::assets {

// The scales every picture is drawn at, for screens of 100 %, 150 % and
// 200 %. The plain name holds the picture at 1; the others carry the scale
// before the extension: "Pk0@2x.bmp", "Pk0@1.5x.bmp". A third set at 3
// would add 17 MB of bitmaps for few screens; denser screens take the 2x
// pictures, enlarged.
inline constexpr double kScales[] = {1.0, 1.5, 2.0};

inline std::string VariantName(std::string_view name, double scale) {
    std::string out(name);
    if (scale == 1.0) {
        return out;
    }
    const std::size_t slash = out.find_last_of("\\/");
    const std::size_t dot = out.rfind('.');
    const std::size_t at =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? out.size() : dot;
    out.insert(at, "@" + QString::number(scale, 'g', 4).toStdString() + "x");
    return out;
}

inline QString VariantName(const QString& name, double scale) {
    return QString::fromStdString(VariantName(name.toStdString(), scale));
}

}  // namespace redten::assets
