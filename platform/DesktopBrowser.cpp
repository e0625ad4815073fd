#include "platform/DesktopBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace pellimor {

bool DesktopBrowser::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace pellimor
