#include "helplinks.h"

#include "makerinfo.h"

#include <QDesktopServices>
#include <QFileInfo>

UrlOpener DesktopUrlOpener()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QUrl MakerWebPageUrl()
{
    return QUrl(kMakerWebAddress);
}

QUrl ManualUrl()
{
    return QUrl::fromLocalFile(kManualPath);
}

HelpLinks::HelpLinks(UrlOpener opener, std::function<bool(const QString& path)> fileExists)
    : opener_(std::move(opener)), fileExists_(std::move(fileExists))
{
    if (!fileExists_)
        fileExists_ = [](const QString& path) { return QFileInfo(path).isFile(); };
}

void HelpLinks::openWebPage() const
{
    opener_(MakerWebPageUrl());
}

ManualOutcome HelpLinks::openManual() const
{
    // Without the file the desktop would only complain on standard error.
    if (!fileExists_(ManualUrl().toLocalFile()))
        return ManualOutcome::Missing;
    return opener_(ManualUrl()) ? ManualOutcome::Opened : ManualOutcome::NotOpened;
}
