#pragma once

#include <QImage>
#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

namespace redten {

// Every picture the table draws, decoded once. Names are the table's own
// ("Res\ResPk\Pk0.bmp"), relative to the program directory or its parent;
// a file that is missing or does not decode gives nothing, and its element
// is simply not drawn.
//
// Beside each picture the resource tree may hold it drawn for denser
// screens, named with the ratio before the extension ("Pk0@2x.bmp",
// "Pk0@1.5x.bmp"). At a ratio other than 1 the store gives the variant for
// that ratio, or else the nearest one there is (the plain picture last),
// brought to the ratio; every picture it gives carries its ratio.
class ImageStore {
public:
    ImageStore(std::string appPath, std::string parentPath)
        : appPath_(std::move(appPath)), parentPath_(std::move(parentPath)) {}

    // nullptr when there is no such picture. The pointer stays valid until
    // Clear. Without a ratio, the store's own.
    const QImage* App(std::string_view relative) { return Get(appPath_, relative, ratio_); }
    const QImage* Parent(std::string_view relative) { return Get(parentPath_, relative, ratio_); }
    const QImage* App(std::string_view relative, qreal ratio) {
        return Get(appPath_, relative, Bounded(ratio));
    }
    void Clear() { cache_.clear(); }
    std::size_t Decoded() const { return decoded_; }

    // The device pixel ratio the pictures are wanted at. What was decoded
    // for another is kept: a window and its game area may differ for a
    // moment while it moves between screens.
    void SetRatio(qreal ratio) { ratio_ = Bounded(ratio); }
    qreal Ratio() const { return ratio_; }

private:
    static qreal Bounded(qreal ratio);
    const QImage* Get(const std::string& base, std::string_view relative, qreal ratio);
    QImage Load(const std::string& base, std::string_view relative, qreal ratio);

    std::string appPath_;
    std::string parentPath_;
    qreal ratio_ = 1.0;
    std::unordered_map<std::string, QImage> cache_;  // a null image: missing
    std::size_t decoded_ = 0;
};

}  // namespace redten
