#include "platform/ShowDesktop.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

class WmctrlShowDesktop final : public ShowDesktop {
public:
    bool request() override
    {
        const QString wmctrl = QStandardPaths::findExecutable(QStringLiteral("wmctrl"));
        if (wmctrl.isEmpty())
            return false;
        QProcess process;
        process.start(wmctrl, {QStringLiteral("-k"), QStringLiteral("on")});
        // wmctrl sends one message and exits; a hung X connection must not hang us.
        if (!process.waitForFinished(2000)) {
            process.kill();
            process.waitForFinished(500);
            return false;
        }
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
};

std::unique_ptr<ShowDesktop>& current()
{
    static std::unique_ptr<ShowDesktop> instance;
    return instance;
}

} // namespace

std::unique_ptr<ShowDesktop> makeWindowManagerShowDesktop() { return std::make_unique<WmctrlShowDesktop>(); }

ShowDesktop& showDesktop()
{
    auto& instance = current();
    if (!instance)
        instance = makeWindowManagerShowDesktop();
    return *instance;
}

void setShowDesktop(std::unique_ptr<ShowDesktop> replacement) { current() = std::move(replacement); }

} // namespace platform
