#include "startup/startup.h"

#include <QApplication>
#include <QScreen>

#include <iostream>

#include "components/room_socket.h"
#include "platform/program_dirs.h"
#include "platform/system_message_box.h"
#include "startup/client_context.h"
#include "startup/command_line.h"
#include "startup/main_window.h"

namespace redten {
namespace {

int RefuseLaunch(LaunchError error) {
    const std::string text = LaunchErrorText(error);
    std::cerr << text << std::endl;
    ShowSystemMessageBox(text, kLaunchErrorTitle, SystemBoxIcon::Error);
    return 1;
}

}  // namespace

int RunTableClient(int argc, char** argv) {
    // The lobby's words, taken before Qt looks at the arguments.
    const std::vector<std::string> words = GetCommandLine(JoinArguments(argc, argv));

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    if (const LaunchError error = CheckLaunchWords(words); error != LaunchError::None) {
        return RefuseLaunch(error);
    }

    ClientContext context;
    context.programDirectory = ProgramDirectory();
    context.launch = StoreLaunchValues(words);

    InitPublicDefine(context.define, context.programDirectory, context.launch.strLevelList);
    // The item catalogue, the message-box pool and the game state start here.

    frmGameMain window(context, std::make_unique<RoomSocket>());
    QObject::connect(&window, &frmGameMain::Unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Load();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window.setGeometry(0, 0, area.width(), area.height() - 32);
    }
    window.show();
    window.ConnectRoomServer();
    return app.exec();
}

}  // namespace redten
