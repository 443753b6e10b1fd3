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
class ImageStore {
public:
    ImageStore(std::string appPath, std::string parentPath)
        : appPath_(std::move(appPath)), parentPath_(std::move(parentPath)) {}

    // nullptr when there is no such picture. The pointer stays valid until
    // Clear.
    const QImage* App(std::string_view relative) { return Get(appPath_, relative); }
    const QImage* Parent(std::string_view relative) { return Get(parentPath_, relative); }
    void Clear() { cache_.clear(); }
    std::size_t Decoded() const { return decoded_; }

private:
    const QImage* Get(const std::string& base, std::string_view relative);

    std::string appPath_;
    std::string parentPath_;
    std::unordered_map<std::string, QImage> cache_;  // a null image: missing
    std::size_t decoded_ = 0;
};

}  // namespace redten
