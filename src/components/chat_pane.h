#pragma once

#include <QObject>

#include <array>
#include <string>

#include "wire/codes.h"

namespace redten {

// The chat pane (ctlChat): a transcript, an addressee box and an input line.
// Received text is shown as plain text, never interpreted as markup.
class ChatPane : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void SetFolders(const std::string& faceFolder, const std::string& programFolder,
                            const std::string& page) = 0;
    virtual void SetOwnName(const std::string& name) = 0;
    // A user name, or kEverybody.
    virtual void SetAddressee(const std::string& name) = 0;
    virtual void Start() = 0;
    virtual void SetSwitches(bool first, const std::string& title, bool second) = 0;

    virtual void AddSystemLine(const std::string& text) = 0;
    virtual void AddNoticeLine(const std::string& text) = 0;
    virtual void AddChatLine(const std::array<std::string, 8>& fields) = 0;
    // action is "ADD" or "DEL".
    virtual void UpdateNameList(const std::string& name, const std::string& action) = 0;
    virtual void Clear() = 0;

signals:
    // The user typed a line; the ten fields go to the room as they are.
    void Send(const std::array<std::string, 10>& fields);
};

}  // namespace redten
