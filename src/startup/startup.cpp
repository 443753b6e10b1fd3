#include "startup/startup.h"

#include <QApplication>
#include <QFont>
#include <QScreen>

#include <iostream>

#include "components/room_socket.h"
#include "platform/program_dirs.h"
#include "platform/qt_translations.h"
#include "platform/system_message_box.h"
#include "state/client_context.h"
#include "state/command_line.h"
#include "startup/main_window.h"

namespace redten {
namespace {

// Without any display to open the table still runs, unseen, rather than
// abort: a refused launch still explains itself and a link still ends cleanly.
void ChoosePlatformWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        std::cerr << "没有可用的显示，游戏窗口不会出现。" << std::endl;
    }
}

// The line the lobby reads on our standard output when the table closed by
// itself: a word for the cause, a blank, and the words the person saw.
std::string ClosingLine(const TableClosing& why) {
    const char* word = "link";
    switch (why.cause) {
        case TableClosing::Cause::Countdown: word = "countdown"; break;
        case TableClosing::Cause::RanAway: word = "runaway"; break;
        case TableClosing::Cause::SentAway: word = "sentaway"; break;
        case TableClosing::Cause::LinkEnded: word = "link"; break;
    }
    return std::string(word) + " " + why.text;
}

}  // namespace

int RunTableClient(int argc, char** argv) {
    // The lobby's words, taken before Qt looks at the arguments.
    const std::vector<std::string> words = GetCommandLine(JoinArguments(argc, argv));

    const LaunchError error = CheckLaunchWords(words);
    if (error != LaunchError::None) {
        std::cerr << LaunchErrorText(error) << std::endl;
    }

    ChoosePlatformWithoutDisplay();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    InstallQtChineseTranslations(app);
    // The table's texts name the classic Chinese faces; here they are the
    // CJK fonts this system has.
    for (const char* face : {"宋体", "黑体"}) {
        QFont::insertSubstitutions(QString::fromUtf8(face),
                                   {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC")});
    }

    if (error != LaunchError::None) {
        ShowSystemMessageBox(LaunchErrorText(error), kLaunchErrorTitle, SystemBoxIcon::Error);
        return 1;
    }

    ClientContext context;
    context.programDirectory = ProgramDirectory();
    context.launch = StoreLaunchValues(words);

    InitPublicDefine(context.define, context.programDirectory, context.launch.strLevelList);

    // The table's life (the link, the flow, the item catalogue, the
    // message-box pool) is the session; the window shows it and goes first.
    TableSession session(context, std::make_unique<RoomSocket>());
    frmGameMain window(session);
    QObject::connect(&session, &TableSession::Unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Load();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window.setGeometry(0, 0, area.width(), area.height() - 32);
    }
    window.show();
    session.ConnectRoomServer();
    const int status = app.exec();
    if (const auto& why = session.Closing()) {
        std::cout << ClosingLine(*why) << std::endl;
    }
    return status;
}

}  // namespace redten
