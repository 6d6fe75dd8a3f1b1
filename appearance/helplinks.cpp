#include "helplinks.h"

#include "makerinfo.h"

#include <QDesktopServices>

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

HelpLinks::HelpLinks(UrlOpener opener) : opener_(std::move(opener)) {}

void HelpLinks::openWebPage() const
{
    opener_(MakerWebPageUrl());
}

void HelpLinks::openManual() const
{
    opener_(ManualUrl());
}
