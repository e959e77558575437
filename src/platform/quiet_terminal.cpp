#include "platform/quiet_terminal.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace platform {

namespace {

QtMessageHandler previousHandler = nullptr;

void DropNoise(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (IsTerminalNoise(context.category ? context.category : "", text.toStdString()))
        return;
    if (previousHandler)
        previousHandler(type, context, text);
}

}  // namespace

bool WantsVerboseTerminal(bool verboseArgument)
{
    const QByteArray debug = qgetenv("QUELT_DEBUG");
    return verboseArgument || (!debug.isEmpty() && debug != "0");
}

bool IsTerminalNoise(const std::string& category, const std::string& text)
{
    // The engine's start-up dump (GL type, init parameters) and the
    // console messages of the pages the program opens.
    if (category == "qt.webenginecontext" || category == "js")
        return true;
    // Facts of the machine the program works without.
    for (const char* known : {"XDG_RUNTIME_DIR not set", "No suitable graphics backend found"})
        if (text.find(known) != std::string::npos)
            return true;
    return false;
}

void QuietTerminal(bool verbose)
{
    if (verbose)
        return;
    // Chromium writes to the terminal itself, also from its helper
    // processes, which take the same flags: only fatal errors.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level"))
        flags += " --disable-logging --log-level=3";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    previousHandler = qInstallMessageHandler(DropNoise);
}

}  // namespace platform
