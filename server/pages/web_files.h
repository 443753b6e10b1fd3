#pragma once

#include <QString>

#include <map>
#include <string>
#include <string_view>

namespace redten::room {

// The browser's table: its page, scripts, styles, rules and pictures, read
// once when the room starts, so that serving them never waits on the disk.
class WebFiles {
public:
    struct File {
        std::string_view type;
        std::string body;
    };
    // Bounds on what is read: a folder of anything else is not ours.
    static constexpr std::size_t kMaxFiles = 64;
    static constexpr std::size_t kMaxBytes = 8 << 20;

    // Reads the files below folder; error says what was left out, if
    // anything. An empty or missing folder leaves the room without a
    // browser table.
    void Load(const QString& folder, std::string& error);
    bool Empty() const { return files_.empty(); }

    // The file at a path below the folder ("play.html", "js/link.js").
    const File* Find(std::string_view path) const;

private:
    std::map<std::string, File, std::less<>> files_;
};

// The content type of a file of ours by its name; empty for any other.
std::string_view WebFileType(std::string_view name);

}  // namespace redten::room
