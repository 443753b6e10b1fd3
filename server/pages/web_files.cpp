#include "server/pages/web_files.h"

#include <QDirIterator>
#include <QFile>

namespace redten::room {

std::string_view WebFileType(std::string_view name) {
    const auto ends = [name](std::string_view suffix) { return name.ends_with(suffix); };
    if (ends(".html")) {
        return "text/html; charset=utf-8";
    }
    if (ends(".js")) {
        return "text/javascript; charset=utf-8";
    }
    if (ends(".css")) {
        return "text/css; charset=utf-8";
    }
    if (ends(".wasm")) {
        return "application/wasm";
    }
    if (ends(".png")) {
        return "image/png";
    }
    return {};
}

void WebFiles::Load(const QString& folder, std::string& error) {
    files_.clear();
    std::size_t bytes = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const std::string name = path.mid(folder.size() + 1).toStdString();
        const std::string_view type = WebFileType(name);
        if (type.empty()) {
            continue;
        }
        QFile file(path);
        if (files_.size() >= kMaxFiles || bytes + static_cast<std::size_t>(file.size()) > kMaxBytes) {
            error = "the browser's files stop at " + name + ": more than the room serves";
            return;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            error = "cannot read " + path.toStdString();
            continue;
        }
        const QByteArray body = file.read(static_cast<qint64>(kMaxBytes - bytes));
        bytes += static_cast<std::size_t>(body.size());
        files_[name] = File{type, body.toStdString()};
    }
}

const WebFiles::File* WebFiles::Find(std::string_view path) const {
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

}  // namespace redten::room
