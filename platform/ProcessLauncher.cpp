#include "platform/ProcessLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace pellimor {

bool ProcessLauncher::start(const QString& path, int windowStyle)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    QProcess process;
    process.setProgram(path);
    process.setCreateProcessArgumentsModifier([windowStyle](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = static_cast<WORD>(windowStyle);
    });
    return process.startDetached();
#else
    // Desktop programs here open their own windows; the style has no counterpart.
    Q_UNUSED(windowStyle);
    return QProcess::startDetached(path, {});
#endif
}

bool ProcessLauncher::normalFileExists(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return false;
#ifdef Q_OS_WIN
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_SYSTEM))
        return false;
#endif
    return true;
}

} // namespace pellimor
