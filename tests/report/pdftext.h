#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

// Words of a PDF as poppler's pdftotext -bbox reads them, in points.
struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
    double centreX() const { return (xMin + xMax) / 2; }
};

inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The whole text of a PDF as pdftotext extracts it.
inline QString PdfText(const QString& pdf)
{
    return RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
}

// The characters of `text` that are CJK radicals or strokes rather than the
// ideographs a report writes.
inline QString RadicalsIn(const QString& text)
{
    QString found;
    for (QChar c : text)
        if ((c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            || (c.unicode() >= 0x31C0 && c.unicode() <= 0x31EF))
            found += c;
    return found;
}

inline std::vector<PdfWord> PdfWords(const QString& pdf)
{
    const QString html =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                       "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.push_back({text, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}
