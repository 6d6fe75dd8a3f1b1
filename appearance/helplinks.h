#pragma once

#include <QUrl>

#include <functional>

// Opens an address with the desktop's default handler; false when nothing
// could be started. Tests put a recorder in its place.
using UrlOpener = std::function<bool(const QUrl& url)>;

// QDesktopServices::openUrl.
UrlOpener DesktopUrlOpener();

QUrl MakerWebPageUrl();
QUrl ManualUrl(); // file:///PdfDoc/Handbook.pdf

// How opening the manual went; the main window words it.
enum class ManualOutcome {
    Opened,
    Missing,  // no file at ManualUrl(): nothing was started
    NotOpened // the file is there, but the desktop opened nothing for it
};

// The two help links of the main window: the maker's web page (menu item and
// status bar logo) and the instrument's manual. A web page that does not open
// shows no message (the desktop reports its own failures); the manual says
// whether it was there and opened.
class HelpLinks {
public:
    explicit HelpLinks(UrlOpener opener = DesktopUrlOpener(),
                       std::function<bool(const QString& path)> fileExists = {});

    void openWebPage() const;
    ManualOutcome openManual() const;

private:
    UrlOpener opener_;
    std::function<bool(const QString& path)> fileExists_;
};
