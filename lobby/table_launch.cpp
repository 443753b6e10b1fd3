#include "lobby/table_launch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include "state/launch_context.h"

namespace redten::lobby {
namespace {

constexpr char kGameTitle[] = "红十";
constexpr char kLevels[] = "新手_0`入门_200`熟手_500`高手_1000`大师_2000`宗师_5000";
// What the table prints, at most one line, when it closed by itself.
constexpr qsizetype kMaxOutput = 64 * 1024;

}  // namespace

QStringList LaunchWords(const QString& host, quint16 port, const QString& name) {
    return {QString::fromLatin1(kLaunchToken), host, QString::number(port), QString::fromUtf8(kGameTitle),
            QString::fromUtf8(kLevels), QStringLiteral("-"), QStringLiteral("-"), name, QStringLiteral("1")};
}

void TableProcesses::Start(const QStringList& words, std::function<void(QString why)> closed) {
    auto* table = new QProcess(this);
    table->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ++running_;
    connect(table, &QProcess::finished, this, [this, table, closed](int, QProcess::ExitStatus status) {
        --running_;
        table->deleteLater();
        QString why;
        for (const QByteArray& line : table->read(kMaxOutput).split('\n')) {
            const qsizetype blank = line.indexOf(' ');
            const QByteArray word = line.left(blank);
            if (blank > 0 && (word == "countdown" || word == "runaway" || word == "sentaway" || word == "link")) {
                why = QString::fromUtf8(line.mid(blank + 1)).left(200);
            }
        }
        if (status != QProcess::NormalExit) {
            why = QStringLiteral("桌子程序意外结束了。");
        }
        closed(why);
    });
    connect(table, &QProcess::errorOccurred, this, [this, table, closed](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            --running_;
            table->deleteLater();
            closed(QStringLiteral("桌子程序没有启动：") + table->errorString());
        }
    });
    table->start(program_, words);
}

QString KeptSecret() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                        QStringLiteral("/redten");
    QFile file(dir + QStringLiteral("/secret"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString kept = QString::fromLatin1(file.read(256)).trimmed();
        if (!kept.isEmpty() && !kept.contains(QLatin1Char(' '))) {
            return kept;
        }
        file.close();
    }
    QByteArray random(24, '\0');
    QRandomGenerator::system()->generate(random.begin(), random.end());
    const QString made = QString::fromLatin1(random.toHex());
    QDir().mkpath(dir);
    // Made private, not narrowed afterwards: nobody else may open it even
    // for a moment and keep it open.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly) || !file.setPermissions(ownerOnly) ||
        file.write(made.toLatin1() + '\n') < 0 || !file.flush()) {
        return {};
    }
    return made;
}

}  // namespace redten::lobby
