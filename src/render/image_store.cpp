#include "render/image_store.h"

#include "platform/resource_path.h"

namespace redten {

const QImage* ImageStore::Get(const std::string& base, std::string_view relative) {
    std::string key = base;
    key += '|';
    key += relative;
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        QImage image(ResolveResourcePath(base, relative));
        ++decoded_;
        if (!image.isNull() && image.format() != QImage::Format_RGB32) {
            image = image.convertToFormat(QImage::Format_RGB32);
        }
        it = cache_.emplace(std::move(key), std::move(image)).first;
    }
    return it->second.isNull() ? nullptr : &it->second;
}

}  // namespace redten
