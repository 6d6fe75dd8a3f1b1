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

// The two help links of the main window: the maker's web page (menu item and
// status bar logo) and the instrument's manual. A failure shows no message:
// whatever the desktop reports is all the user sees.
class HelpLinks {
public:
    explicit HelpLinks(UrlOpener opener = DesktopUrlOpener());

    void openWebPage() const;
    void openManual() const;

private:
    UrlOpener opener_;
};
