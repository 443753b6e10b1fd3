#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <string>

#include "state/notices.h"
#include "game/table_services.h"
#include "wire/bytes.h"
#include "state/launch_context.h"

namespace redten {

// The table settings dialog: the owner sets the stake and the escape
// penalty within their ranges and confirms; everybody else sees the
// owner's values and agrees or leaves. After 20 seconds it answers by
// itself (confirm, or agree).
class frmGameSet final : public QDialog {
    Q_OBJECT
public:
    frmGameSet(MessageSender& link, MessageBoxes& boxes, const LaunchContext& launch,
               QWidget* parent = nullptr);

    // False when the settings text is not six fields.
    bool SetInitGameSetInfo(bool blnDeskMaster, const std::string& strAllGameSetInfo);

    // The two buttons, as a click; and one second of the count-down.
    void PressConfirm();
    void PressCancel();
    void TickOnce();

    QLineEdit& SizeBox() { return txtUser0; }
    QLineEdit& PenaltyBox() { return txtUser1; }
    QString ConfirmCaption() const { return cmdUser0.text(); }
    void SetSecondMs(int ms) { tmrDelay.setInterval(ms); }

signals:
    void Answered();

protected:
    // Closed from its title bar: the answer the count-down would give.
    // Closed by the program: no answer.
    void closeEvent(QCloseEvent* event) override;

private:
    bool Validate();
    void Send(const Bytes& message);

    MessageSender& link_;
    MessageBoxes& boxes_;
    const LaunchContext& launch_;
    bool blnDeskMaster = false;
    std::int32_t lngSizeMax = 0, lngSizeMin = 0, lngPenaltyMax = 0, lngPenaltyMin = 0;
    std::string confirmCaption_;
    std::int32_t countdown_ = 0;
    bool answered_ = false;
    QGroupBox famGameSet;
    QLabel Label1;
    QLabel Label2;
    QLineEdit txtUser0;
    QLineEdit txtUser1;
    QPushButton cmdUser0;
    QPushButton cmdUser1;
    QTimer tmrDelay;
};

// Opens one settings dialog at a time, as the room messages ask.
class GameSetWindows final : public GameSetDialogs {
public:
    GameSetWindows(MessageSender& link, MessageBoxes& boxes, const LaunchContext& launch)
        : link_(link), boxes_(boxes), launch_(launch) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }
    bool OpenGameSet(bool deskMaster, const std::string& settings) override;
    frmGameSet* Current() const { return dialog_; }
    void SetSecondMs(int ms) { secondMs_ = ms; }

private:
    MessageSender& link_;
    MessageBoxes& boxes_;
    const LaunchContext& launch_;
    QPointer<QWidget> owner_;
    QPointer<frmGameSet> dialog_;
    int secondMs_ = 1000;
};

}  // namespace redten
