#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <string>
#include <vector>

#include "state/notices.h"

namespace redten {

// One of the program's own message boxes: a notice without buttons, a
// notice with one, or a question with two; it counts down and answers by
// itself, and stays above every other window.
class frmMsg final : public QDialog {
    Q_OBJECT
public:
    explicit frmMsg(const std::string& iconFolder, QWidget* owner = nullptr);

    void SetMsgInfo(std::uint8_t type, const std::string& note, const std::string& caption,
                    const std::string& yesCaption, const std::string& noCaption,
                    std::int32_t seconds, bool yesDefault);

    std::int32_t lngRoomObjectIdx = 0;
    std::int32_t lngMsgObjectIdx = 0;

    // Presses a button as the user would: 0 Yes, 1 No.
    void Press(int button);
    void TickOnce();  // one second of the count-down
    // Closes the box from code: no answer is given.
    void Unload();

signals:
    void Answered(bool yes);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Layout();
    bool YesIsDefault() const { return bteMsgType == 1 || blnYesDefault; }

    std::uint8_t bteMsgType = 1;
    std::string strYesCmdCaption;
    std::string strNoCmdCaption;
    std::int32_t lngMaxDelayTime = 10;
    bool blnYesDefault = true;
    std::string iconFolder_;
    QLabel labNote;
    QPushButton cmdYes;
    QPushButton cmdNo;
    QTimer tmrDelay;
    bool answered_ = false;
};

// The pool of boxes: each box takes the first free slot, and its answer
// stays in the slot after it closes.
class MessageBoxPool final : public MessageBoxes {
public:
    // Icons come from the program's parent directory: res\MsgN.ico.
    explicit MessageBoxPool(std::string parentPath) : parentPath_(std::move(parentPath)) {}

    void SetOwner(QWidget* owner) { owner_ = owner; }
    void InitGlobalMsg() override;
    bool ShowGlobalMsg(std::int32_t group, std::uint8_t type, const std::string& note,
                       const std::string& caption, std::int32_t seconds,
                       const std::string& yesCaption, const std::string& noCaption,
                       bool yesDefault) override;
    void CloseGlobalMsg(std::int32_t group) override;
    void ShowNotice(const std::string& note, const std::string& caption, std::int32_t seconds,
                    std::function<void()> then) override;
    void ShowSystemBox(const std::string& text, const std::string& caption,
                       SystemBoxIcon icon) override;

    // Slots in use, for tests and the close guard.
    std::vector<frmMsg*> OpenBoxes() const;

private:
    std::size_t TakeSlot();
    frmMsg* Open(std::size_t slot, std::int32_t group, std::uint8_t type, const std::string& note,
                 const std::string& caption, std::int32_t seconds, const std::string& yesCaption,
                 const std::string& noCaption, bool yesDefault);

    struct Slot {
        QPointer<frmMsg> box;
        bool answer = false;
    };
    std::vector<Slot> MsgObjects;
    std::string parentPath_;
    std::string iconFolder_;
    QPointer<QWidget> owner_;
    QObject guard_;
};

}  // namespace redten
